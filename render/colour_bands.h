// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace hg {

// Red, green, blue and alpha as OpenGL takes them for a material or a
// vertex colour.
using Rgba = std::array<float, 4>;

// A packed 0xRRGGBB colour, opaque.
Rgba solidColour(std::uint32_t rgb);

// from + (to - from) * t per channel, after each byte has been scaled to
// 0..1; alpha 1. t is not clamped: a level above the top of the terrain
// runs past the last colour, as the bands are defined.
Rgba blendColours(std::uint32_t from, std::uint32_t to, float t);

// How far h lies along a band that starts at `start` and runs `width`,
// rounded to a float. A band of no width, or of a width that is not a
// number (a flat terrain, a limit equal to the top), gives 0: its start
// colour rather than a NaN that would poison the lighting.
float bandPosition(double h, double start, double width);

// The lowest height that is coloured as land: sea level when the terrain
// reaches down to it, else the lowest height.
float landBase(float minY, float seaLevel);

// Heights at or below `level` take `colour`, when enabled.
struct SeaRule {
    bool enabled = false;
    double level = 0.0;
    std::uint32_t colour = 0;

    bool covers(double h) const { return enabled && h <= level; }
};

// One stretch of a ramp: heights from `start` up to the next band's start
// blend from `from` to `to` with t = (h - start) / width.
struct ColourBand {
    double start = 0.0;
    double width = 0.0;
    std::uint32_t from = 0;
    std::uint32_t to = 0;
};

// A ramp of colours over heights (or slopes), with an optional sea colour
// in front of it.
class ColourBands {
public:
    ColourBands() = default;
    explicit ColourBands(std::vector<ColourBand> bands, SeaRule sea = {});

    // Limits ascending with the colour at each limit: n + 1 of each give n
    // bands, band k running from limit k to limit k + 1. Heights below the
    // first limit extend the first band, heights above the last the last.
    // Mismatched sizes, or fewer than two limits, give no bands.
    static ColourBands fromLimits(std::span<const double> limits,
                                  std::span<const std::uint32_t> colours, SeaRule sea = {});

    // Four bands of a quarter of the range from `lo` up to `maxY` each,
    // through five colours. Every band divides by the same quarter width,
    // the absolute value of a quarter of the range, held as a float.
    static ColourBands quarters(float lo, float maxY, const std::array<std::uint32_t, 5>& colours,
                                SeaRule sea = {});

    // The sea colour when the sea rule covers h; else the band whose start
    // is the last not above h (the first band below all starts).
    Rgba at(double h) const;
    // The same, ignoring the sea rule: for ramps over something other than
    // height, where the sea is decided by the height separately.
    Rgba bandColour(double v) const;

    const std::vector<ColourBand>& bands() const { return bands_; }
    const SeaRule& sea() const { return sea_; }

private:
    std::vector<ColourBand> bands_;
    SeaRule sea_;
};

// Band limits at fractions of the range from lo up to maxY: lo + f * (maxY
// - lo) for each f.
std::vector<float> fractionLimits(float lo, float maxY, std::span<const double> fractions);

// A percentile of the land: num / den of the way through the heights above
// sea level.
struct Fraction {
    int num = 0;
    int den = 1;
};

// Band limits from the sorted heights strictly above sea level: with F the
// first of them and n their number, limit k is the height at F + floor(n *
// num / den). When no height is above sea level, every limit is the lowest
// height; with no heights at all, sea level.
std::vector<float> landPercentiles(std::vector<float> heights, float seaLevel,
                                   std::span<const Fraction> fractions);

}  // namespace hg
