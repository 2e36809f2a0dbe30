// SPDX-License-Identifier: MIT
#include "dem/geodesy.h"

#include <cpl_error.h>
#include <ogr_spatialref.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <memory>

namespace hg {

namespace {
constexpr double kRadiansPerArcSec = 4.84813681095679e-6;

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
// The fused multiply-add below is one instruction where the processor has
// it, a library call elsewhere; the loader picks the build that fits.
#define HG_FMA_CLONES __attribute__((target_clones("fma", "default")))
#else
#define HG_FMA_CLONES
#endif

// y^1.5 exactly as std::pow(y, 1.5) rounds it, for the y = 1 - e2 sin^2 of
// the meridian's length, in about two thirds of pow's time: y * sqrt(y) carried to
// about twice double precision, then rounded once. pow's own rounding is
// not always the nearest, so wherever the value lies near the midpoint of
// two doubles pow decides, about one call in sixty. A test holds
// this to pow at every step of every walk the readers take.
HG_FMA_CLONES double powThreeHalves(double y) {
    const double t = std::sqrt(y);
    const double hi = y * t;
    const double productError = std::fma(y, t, -hi);
    // sqrt(y) = t + (y - t^2) / 2t, far beyond double precision.
    const double sqrtResidual = std::fma(-t, t, y);
    const double low = productError + y * sqrtResidual / (2.0 * t);
    const double result = hi + low;
    const double leftOver = (hi - result) + low;
    const double ulp =
        std::bit_cast<double>(std::bit_cast<std::uint64_t>(result) & 0x7ff0000000000000ULL) *
        0x1p-52;
    if (!(std::fabs(std::fabs(leftOver) - 0.5 * ulp) >= ulp * 0x1p-6)) return std::pow(y, 1.5);
    return result;
}

double nsLength(double a, double e2, double latitudeArcSec) {
    const double s = std::sin(latitudeArcSec * kRadiansPerArcSec);
    return (1.0 - e2) * a * kRadiansPerArcSec / powThreeHalves(1.0 - e2 * s * s);
}
}  // namespace

void ellipsoidParams(int index, double& a, double& e2) {
    if (index == 0) {
        a = 6378137.0;
        e2 = 0.006694380002756625;
    } else if (index == 1) {
        a = 6377397.0;
        e2 = 0.006674372227347433;
    }
}

double metresPerArcSecEW(int ellipsoid, double latitudeArcSec) {
    double a = 0.0, e2 = 0.0;
    ellipsoidParams(ellipsoid, a, e2);
    double phi = latitudeArcSec * kRadiansPerArcSec;
    double s = std::sin(phi);
    return a * std::cos(phi) * 0.017453292519444445 / std::sqrt(1.0 - e2 * s * s) *
           0.0002777777777777778;
}

double metresPerArcSecNS(int ellipsoid, double latitudeArcSec) {
    double a = 0.0, e2 = 0.0;
    ellipsoidParams(ellipsoid, a, e2);
    return nsLength(a, e2, latitudeArcSec);
}

double latitudeAlongMeridian(int ellipsoid, double originLatitude, double metresNorth) {
    return MeridianWalk(ellipsoid, originLatitude).latitudeAt(metresNorth);
}

MeridianWalk::MeridianWalk(int ellipsoid, double originLatitude) : origin_(originLatitude) {
    ellipsoidParams(ellipsoid, a_, e2_);
    north_.next = south_.next = originLatitude;
}

double MeridianWalk::extend(Leg& leg, double direction, std::size_t k) {
    // Latitudes advance by adding one arc-second at a time, exactly as a
    // single walk steps, so every cached length is the one it would use.
    while (leg.lengths.size() <= k) {
        leg.lengths.push_back(nsLength(a_, e2_, leg.next));
        leg.next += direction;
    }
    return leg.lengths[k];
}

double MeridianWalk::latitudeAt(double metresNorth) {
    double latitude = origin_;
    latitudesAt(std::span<const double>(&metresNorth, 1), std::span<double>(&latitude, 1));
    return latitude;
}

void MeridianWalk::latitudesAt(std::span<const double> metresNorth, std::span<double> latitudes) {
    for (const bool northward : {true, false}) {
        // The distances still being walked this way; the steps are shared,
        // so the sums advance side by side instead of one walk after another.
        std::size_t which[kMaxDistances];
        double d[kMaxDistances];
        std::size_t active = 0;
        double farthest = 0.0;
        for (std::size_t j = 0; j < metresNorth.size() && j < latitudes.size(); ++j) {
            const double m = metresNorth[j];
            if (m == 0.0) {
                latitudes[j] = origin_;
                continue;
            }
            // Not above zero, NaN included, walks south as one walk would.
            if ((m > 0.0) != northward) continue;
            if (active == kMaxDistances) {
                // More than the batch holds: the rest walk on their own.
                latitudes[j] = latitudeAt(m);
                continue;
            }
            which[active] = j;
            d[active++] = m;
            farthest = std::max(farthest, std::fabs(m));
        }
        if (active == 0) continue;
        Leg& leg = northward ? north_ : south_;
        const double direction = northward ? 1.0 : -1.0;
        // A guess at the steps ahead saves the cache from growing bit by bit.
        const double expected = farthest / 30.0 + 16.0;
        if (expected < 1e8) leg.lengths.reserve(static_cast<std::size_t>(expected));
        // Subtracting the negated length is adding it, exactly; a sum
        // times the direction is above zero while that walk goes on.
        double phi = origin_;
        std::size_t k = 0;
        while (active > 0) {
            // Lengths a block ahead, so the sums below run without calls.
            const std::size_t end = k + kLengthBlock;
            if (leg.lengths.size() < end) extend(leg, direction, end - 1);
            const double* lengths = leg.lengths.data();
            for (; k < end && active > 0; ++k) {
                const double m = lengths[k];
                const double signedStep = direction * m;
                phi += direction;
                bool someDone = false;
                for (std::size_t i = 0; i < active; ++i) {
                    d[i] -= signedStep;
                    someDone |= !(d[i] * direction > 0.0);
                }
                if (!someDone) continue;
                for (std::size_t i = 0; i < active;) {
                    if (d[i] * direction > 0.0) {
                        ++i;
                        continue;
                    }
                    latitudes[which[i]] = phi + d[i] / m;
                    --active;
                    which[i] = which[active];
                    d[i] = d[active];
                }
            }
        }
    }
}

const char* datumName(Datum datum) {
    switch (datum) {
        case Datum::Nad27:
            return "NAD27";
        case Datum::Nad83:
            return "NAD83";
        case Datum::Wgs72:
            return "WGS 72";
        case Datum::Wgs84:
            return "WGS 84";
        case Datum::OldHawaiian:
            return "Old Hawaiian";
        case Datum::PuertoRico:
            return "Puerto Rico";
    }
    return "NAD27";
}

NamedDatum usgsDemDatum(int code) {
    switch (code) {
        case 1:
            return {Datum::Nad27, false};
        case 2:
            return {Datum::Wgs72, false};
        case 3:
            return {Datum::Wgs84, false};
        case 4:
            return {Datum::Nad83, false};
        case 5:
            return {Datum::OldHawaiian, false};
        case 6:
            return {Datum::PuertoRico, false};
        default:
            return {Datum::Nad27, true};
    }
}

NamedDatum sdtsDatum(std::string_view hdat) {
    while (!hdat.empty() && hdat.back() == ' ') hdat.remove_suffix(1);
    while (!hdat.empty() && hdat.front() == ' ') hdat.remove_prefix(1);
    if (hdat == "NAS") return {Datum::Nad27, false};
    if (hdat == "NAX") return {Datum::Nad83, false};
    if (hdat == "WGC") return {Datum::Wgs72, false};
    if (hdat == "WGE") return {Datum::Wgs84, false};
    return {Datum::Nad27, true};
}

namespace {

int epsgGeographic(Datum datum) {
    switch (datum) {
        case Datum::Nad27:
            return 4267;
        case Datum::Nad83:
            return 4269;
        case Datum::Wgs72:
            return 4322;
        case Datum::Wgs84:
            return 4326;
        case Datum::OldHawaiian:
            return 4135;
        case Datum::PuertoRico:
            return 4139;
    }
    return 4267;
}

// PROJ's complaints go to the caller's false, not to the user's terminal.
struct QuietProj {
    QuietProj() { CPLPushErrorHandler(CPLQuietErrorHandler); }
    ~QuietProj() { CPLPopErrorHandler(); }
    QuietProj(const QuietProj&) = delete;
    QuietProj& operator=(const QuietProj&) = delete;
};

struct DestroyTransform {
    void operator()(OGRCoordinateTransformation* t) const {
        OGRCoordinateTransformation::DestroyCT(t);
    }
};

}  // namespace

bool utmToGeographic(int zone, bool south, Datum datum, std::span<const double> eastings,
                     std::span<const double> northings, std::span<GeoPosition> positions) {
    const std::size_t n = positions.size();
    if (zone < 1 || zone > 60 || eastings.size() != n || northings.size() != n) return false;
    QuietProj quiet;
    OGRSpatialReference geographic;
    if (geographic.importFromEPSG(epsgGeographic(datum)) != OGRERR_NONE) return false;
    geographic.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    // The projected system is built on that very geographic one, so the
    // transformation between them is the inverse projection and nothing
    // else: no datum shift is ever looked for.
    OGRSpatialReference projected;
    if (projected.CopyGeogCSFrom(&geographic) != OGRERR_NONE ||
        projected.SetUTM(zone, south ? FALSE : TRUE) != OGRERR_NONE) {
        return false;
    }
    projected.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    std::unique_ptr<OGRCoordinateTransformation, DestroyTransform> inverse(
        OGRCreateCoordinateTransformation(&projected, &geographic));
    if (!inverse) return false;
    std::vector<double> x(eastings.begin(), eastings.end());
    std::vector<double> y(northings.begin(), northings.end());
    std::vector<int> ok(n, FALSE);
    if (n > 0 && !inverse->Transform(n, x.data(), y.data(), nullptr, ok.data())) return false;
    for (std::size_t i = 0; i < n; ++i) {
        if (!ok[i] || !std::isfinite(x[i]) || !std::isfinite(y[i])) return false;
        positions[i] = {x[i], y[i]};
    }
    return true;
}

}  // namespace hg
