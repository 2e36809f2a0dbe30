// SPDX-License-Identifier: MIT
#include "render/colour_bands.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "render/terrain_helpers.h"

namespace hg {

Rgba solidColour(std::uint32_t rgb) {
    const auto c = unpackColour(rgb);
    return {c[0], c[1], c[2], 1.0f};
}

Rgba blendColours(std::uint32_t from, std::uint32_t to, float t) {
    const auto a = unpackColour(from), b = unpackColour(to);
    return {a[0] + (b[0] - a[0]) * t, a[1] + (b[1] - a[1]) * t, a[2] + (b[2] - a[2]) * t, 1.0f};
}

float bandPosition(double h, double start, double width) {
    if (width == 0.0 || !std::isfinite(width)) return 0.0f;
    const auto t = static_cast<float>((h - start) / width);
    return std::isfinite(t) ? t : 0.0f;
}

float landBase(float minY, float seaLevel) {
    return minY <= seaLevel ? seaLevel : minY;
}

ColourBands::ColourBands(std::vector<ColourBand> bands, SeaRule sea)
    : bands_(std::move(bands)), sea_(sea) {}

ColourBands ColourBands::fromLimits(std::span<const double> limits,
                                    std::span<const std::uint32_t> colours, SeaRule sea) {
    std::vector<ColourBand> bands;
    if (limits.size() == colours.size() && limits.size() >= 2) {
        for (std::size_t k = 0; k + 1 < limits.size(); ++k)
            bands.push_back({limits[k], limits[k + 1] - limits[k], colours[k], colours[k + 1]});
    }
    return ColourBands(std::move(bands), sea);
}

ColourBands ColourBands::quarters(float lo, float maxY, const std::array<std::uint32_t, 5>& colours,
                                  SeaRule sea) {
    const float range = maxY - lo;
    const float quarter = std::fabs(range * 0.25f);
    // The band starts are offset by their own rounded fractions of the
    // range, not by multiples of the quarter, yet every band divides by the
    // quarter: the top band may thus end a rounding step off maxY.
    const float offsets[4] = {0.0f, quarter, std::fabs(range * 0.5f), std::fabs(range * 0.75f)};
    std::vector<ColourBand> bands;
    for (std::size_t k = 0; k < 4; ++k) {
        bands.push_back(
            {static_cast<double>(lo) + offsets[k], quarter, colours[k], colours[k + 1]});
    }
    return ColourBands(std::move(bands), sea);
}

Rgba ColourBands::at(double h) const {
    if (sea_.covers(h)) return solidColour(sea_.colour);
    return bandColour(h);
}

Rgba ColourBands::bandColour(double v) const {
    if (bands_.empty()) return {0.0f, 0.0f, 0.0f, 1.0f};
    std::size_t k = 0;
    while (k + 1 < bands_.size() && v >= bands_[k + 1].start) ++k;
    const ColourBand& b = bands_[k];
    return blendColours(b.from, b.to, bandPosition(v, b.start, b.width));
}

std::vector<float> fractionLimits(float lo, float maxY, std::span<const double> fractions) {
    const float range = maxY - lo;
    std::vector<float> limits;
    limits.reserve(fractions.size());
    for (double f : fractions) limits.push_back(static_cast<float>(lo + f * range));
    return limits;
}

std::vector<float> landPercentiles(std::vector<float> heights, float seaLevel,
                                   std::span<const Fraction> fractions) {
    if (heights.empty()) return std::vector<float>(fractions.size(), seaLevel);
    std::sort(heights.begin(), heights.end());
    const auto first = std::upper_bound(heights.begin(), heights.end(), seaLevel);
    if (first == heights.end()) return std::vector<float>(fractions.size(), heights.front());
    const auto above = static_cast<std::int64_t>(heights.end() - first);
    std::vector<float> limits;
    limits.reserve(fractions.size());
    for (const Fraction& f : fractions) {
        std::int64_t at = f.den > 0 ? above * f.num / f.den : 0;
        // A fraction of 1 or more would point past the highest height.
        at = std::clamp<std::int64_t>(at, 0, above - 1);
        limits.push_back(*(first + at));
    }
    return limits;
}

}  // namespace hg
