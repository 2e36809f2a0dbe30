// SPDX-License-Identifier: MIT
#include "dem/corner_posts.h"

#include <array>
#include <cmath>
#include <cstdlib>

#include "dem/usgs1deg.h"
#include "dem/usgs75min.h"

namespace hg {

namespace {

// The four posts from the west and east columns' eastings and the south
// and north rows' northings, in metres.
CornerPosts placeUtm(int zone, NamedDatum datum, double west, double east, double south,
                     double north) {
    CornerPosts c;
    c.datum = datum;
    // Southern zones are written as negative numbers by some producers.
    const bool southern = zone < 0;
    const std::array<double, 4> x{west, west, east, east};
    const std::array<double, 4> y{south, north, north, south};
    std::array<GeoPosition, 4> p{};
    if (!utmToGeographic(std::abs(zone), southern, datum.datum, x, y, p)) {
        c.status = CornerPosts::Status::Failed;
        return c;
    }
    c.status = CornerPosts::Status::Placed;
    c.southWest = p[0];
    c.northWest = p[1];
    c.northEast = p[2];
    c.southEast = p[3];
    return c;
}

CornerPosts usgsDemPosts(const CUSGS1deg& dem) {
    const NamedDatum datum = usgsDemDatum(dem.datumCode);
    CornerPosts c;
    c.datum = datum;
    switch (dem.referenceSystem) {
        case 0:
            return c;
        case 1:
            break;
        case 2:
            c.status = CornerPosts::Status::StatePlane;
            return c;
        default:
            c.status = CornerPosts::Status::OtherProjection;
            return c;
    }
    // UTM in feet is allowed by the format, if rare.
    const double metres = dem.groundUnit == 1 ? 0.3048 : 1.0;
    return placeUtm(dem.zone, datum, dem.westPost * metres, dem.eastPost * metres,
                    dem.southPost * metres, dem.northPost * metres);
}

CornerPosts sdtsPosts(const CUSGS75min& dem) {
    const NamedDatum datum = sdtsDatum(dem.datum);
    CornerPosts c;
    c.datum = datum;
    if (dem.referenceSystem == "SPCS") {
        c.status = CornerPosts::Status::StatePlane;
        return c;
    }
    // A working file imported before the post was kept shows the
    // quadrangle's corners from its identification, as it always did.
    if (dem.referenceSystem != "UTM" || !std::isfinite(dem.northWestPostX) ||
        !std::isfinite(dem.northWestPostY)) {
        return c;
    }
    const double west = dem.northWestPostX;
    const double north = dem.northWestPostY;
    const double east = west + (dem.demCols - 1) * dem.postSpacingX;
    const double south = north - (dem.demRows - 1) * dem.postSpacingY;
    return placeUtm(dem.zone, datum, west, east, south, north);
}

}  // namespace

CornerPosts cornerPostsOf(const CMesh& mesh) {
    if (const auto* dem = dynamic_cast<const CUSGS1deg*>(&mesh)) return usgsDemPosts(*dem);
    if (const auto* sdts = dynamic_cast<const CUSGS75min*>(&mesh)) return sdtsPosts(*sdts);
    return {};
}

}  // namespace hg
