// SPDX-License-Identifier: MIT
#include "render/draw_shading.h"

#include <GL/gl.h>

#include "settings/settings.h"

namespace hg {

ShadingSettings readShadingSettings(const ProfileStore& store) {
    // A key is a text of up to 31 characters, so hand-edited files with
    // "0x" or without read alike.
    auto colour = [&](const char* key, const char* def) {
        return static_cast<std::uint32_t>(readColourKey(store, key, def));
    };
    ShadingSettings s;
    s.sea = colour(key::seaColor, def::seaColor);
    s.land = {colour(key::firstColor, def::firstColor), colour(key::secondColor, def::secondColor),
              colour(key::thirdColor, def::thirdColor), colour(key::fourthColor, def::fourthColor),
              colour(key::fifthColor, def::fifthColor)};
    s.percentiles = store.getInt(kSection, key::adjColRange, def::adjColRange) != 0;
    return s;
}

std::array<float, 3> shadingBandLimits(std::vector<float> heights, float seaLevel, float minY,
                                       float maxY, bool percentiles) {
    // With no land at all the bands have nothing to span; put them all at
    // the bottom, as the percentiles do, rather than let an even split run
    // downwards from sea level.
    if (maxY <= seaLevel) return {minY, minY, minY};
    std::vector<float> limits;
    if (percentiles) {
        static constexpr Fraction kLand[] = {{12, 40}, {26, 40}, {37, 40}};
        limits = landPercentiles(std::move(heights), seaLevel, kLand);
    } else {
        static constexpr double kEven[] = {0.25, 0.5, 0.75};
        limits = fractionLimits(landBase(minY, seaLevel), maxY, kEven);
    }
    return {limits[0], limits[1], limits[2]};
}

ColourBands shadingBands(const ShadingSettings& colours, const std::array<float, 3>& limits,
                         bool seaColors, float seaLevel, float minY, float maxY) {
    const double at[] = {landBase(minY, seaLevel), limits[0], limits[1], limits[2], maxY};
    return ColourBands::fromLimits(at, colours.land, SeaRule{seaColors, seaLevel, colours.sea});
}

LightTable shadingLights() {
    LightTable t;
    t.smooth = true;
    t.twoSided = true;
    t.lighting = true;
    t.colourMaterial = true;
    t.backAmbientDiffuse = grey(0.36f);
    t.frontSpecular = grey(0.48f);
    t.frontShininess = 28.0f;
    LightSource sun;
    sun.ambient = grey(0.2f);
    sun.diffuse = grey(0.8f);
    sun.specular = grey(0.22f);
    sun.position = {1.0f, 0.6f, 1.0f, 0.0f};
    t.lights = {sun};
    return t;
}

CDrawShading::CDrawShading(const ProfileStore& store) : colours_(readShadingSettings(store)) {}

void CDrawShading::buildScene() {
    buildSurface();

    const GridView g = grid();
    const std::vector<float>& vertices = terrain().vertices;
    std::vector<float> heights(g.gridCount());
    for (std::size_t v = 0; v < heights.size(); ++v) heights[v] = vertices[v * 3 + 1];
    const float sea = terrain().seaLevel;
    limits_ = shadingBandLimits(std::move(heights), sea, bounds().minY, bounds().maxY,
                                colours_.percentiles);
    bands_ =
        shadingBands(colours_, limits_, settings().seaColors, sea, bounds().minY, bounds().maxY);
    fillColours();
    colourFromArray();
}

void CDrawShading::setLights() {
    apply(shadingLights());
}

void CDrawShading::heightColour(float h, std::array<float, 4>& rgba) {
    rgba = bands_.at(h);
}

}  // namespace hg
