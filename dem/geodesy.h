// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <span>
#include <string_view>
#include <vector>

namespace hg {

// 0: the ellipsoid of the USGS and NTF readers (a 6378137 m);
// 1: Bessel 1841 with a rounded to whole metres (GSI 50 m, DHM25).
void ellipsoidParams(int index, double& a, double& e2);

// Metres per arc-second of longitude and of latitude at a latitude given
// in arc-seconds.
double metresPerArcSecEW(int ellipsoid, double latitudeArcSec);
double metresPerArcSecNS(int ellipsoid, double latitudeArcSec);

// The latitude (arc-seconds) that lies metresNorth along the meridian from
// originLatitude (south when negative), walked one arc-second at a time
// with the overshoot of the last step taken back as a fraction of it. The
// walk is as long as the distance: callers bound it first.
double latitudeAlongMeridian(int ellipsoid, double originLatitude, double metresNorth);

// The same walk for several distances from one origin: each arc-second's
// length is worked out once and kept, so four corners cost one walk, and
// every answer is the one latitudeAlongMeridian gives.
class MeridianWalk {
public:
    MeridianWalk(int ellipsoid, double originLatitude);
    double latitudeAt(double metresNorth);
    // latitudeAt for each distance, latitudes[j] for metresNorth[j], in one
    // pass over the steps the farthest of them needs.
    void latitudesAt(std::span<const double> metresNorth, std::span<double> latitudes);

private:
    // The lengths of the arc-seconds walked so far one way, and the
    // latitude the next one starts at.
    struct Leg {
        std::vector<double> lengths;
        double next = 0.0;
    };
    double step(Leg& leg, double direction, std::size_t k) {
        if (k < leg.lengths.size()) return leg.lengths[k];
        return extend(leg, direction, k);
    }
    double extend(Leg& leg, double direction, std::size_t k);

    static constexpr std::size_t kMaxDistances = 8;
    static constexpr std::size_t kLengthBlock = 512;

    double a_ = 0.0;
    double e2_ = 0.0;
    Leg north_;
    Leg south_;
    double origin_;
};

// The horizontal datums the DEM formats name.
enum class Datum { Nad27, Nad83, Wgs72, Wgs84, OldHawaiian, PuertoRico };

struct NamedDatum {
    Datum datum = Datum::Nad27;
    // True when the file names none (or none we know) and the default
    // stands in for it.
    bool assumed = true;
};

// "NAD27", "NAD83", ...
const char* datumName(Datum datum);

// Record A's horizontal datum code (bytes 891-892 of a USGS DEM): 1 NAD27,
// 2 WGS 72, 3 WGS 84, 4 NAD83, 5 Old Hawaiian, 6 Puerto Rico. The field
// came with a later revision of the format: files older than it leave it
// blank (0 here), and those were all cast on NAD27, the datum of the
// quadrangles they were made from, so blank means NAD27.
NamedDatum usgsDemDatum(int code);

// The HDAT subfield of an SDTS transfer's external reference: "NAS" NAD27,
// "NAX" NAD83, "WGC" WGS 72, "WGE" WGS 84; blank (as in a working file
// imported before the datum was kept) means NAD27 for the same reason.
NamedDatum sdtsDatum(std::string_view hdat);

// A position in degrees, east and north positive.
struct GeoPosition {
    double longitude = 0.0;
    double latitude = 0.0;
};

// The geographic positions of points given in UTM metres (zone 1-60, north
// or south of the equator), in the same datum: an inverse projection only,
// no datum shift, so no shift grid and no network is involved. False when
// PROJ cannot do it.
bool utmToGeographic(int zone, bool south, Datum datum, std::span<const double> eastings,
                     std::span<const double> northings, std::span<GeoPosition> positions);

}  // namespace hg
