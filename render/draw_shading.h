// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "platform/profile_store.h"
#include "render/colour_bands.h"
#include "render/draw_iroiro.h"
#include "render/light_table.h"

namespace hg {

// What the Shading style takes from the settings: the sea colour, five land
// colours from the lowland up, and whether the bands follow the land's
// percentiles instead of even fractions of its height range.
struct ShadingSettings {
    std::uint32_t sea = 0x84BDF6;
    std::array<std::uint32_t, 5> land{0x3C83A5, 0x4CBA4C, 0xBCBC43, 0xCA7440, 0xBFBFBF};
    bool percentiles = false;
};

ShadingSettings readShadingSettings(const ProfileStore& store);

// The three heights at which the land moves on to its next colour. Evenly
// spaced from the land's base (sea level, or the lowest height when the
// terrain stays above it) up to maxY; or at the 30th, 65th and 92.5th
// percentile of the heights above sea level, so that a terrain of mostly
// low land still shows every colour. With nothing above sea level every
// limit is the lowest height. heights: the grid vertices' y.
std::array<float, 3> shadingBandLimits(std::vector<float> heights, float seaLevel, float minY,
                                       float maxY, bool percentiles);

// The ramp of the style: sea at or below sea level when seaColors is on,
// then four bands through the five land colours, from the land's base
// through the three limits up to maxY.
ColourBands shadingBands(const ShadingSettings& colours, const std::array<float, 3>& limits,
                         bool seaColors, float seaLevel, float minY, float maxY);

// A glossier surface than Cyan's, lit from higher up; the colour array
// gives the front material.
LightTable shadingLights();

// Draw type 1: the terrain coloured by height from the sea up through five
// land colours, smoothly shaded.
class CDrawShading : public CBlendedSurface {
public:
    // Reads the colours from the user's settings, once: a change in the
    // dialog shows with the next drawing object.
    // The colours from the store's keys.
    explicit CDrawShading(const ProfileStore& store);
    explicit CDrawShading(const ShadingSettings& colours) : colours_(colours) {}

    void buildScene() override;
    void setLights() override;
    void heightColour(float h, std::array<float, 4>& rgba) override;

    const ShadingSettings& palette() const { return colours_; }
    const std::array<float, 3>& bandLimits() const { return limits_; }

private:
    ShadingSettings colours_;
    std::array<float, 3> limits_{};
    ColourBands bands_;
};

}  // namespace hg
