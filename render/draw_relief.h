// SPDX-License-Identifier: MIT
#pragma once

#include <array>

#include "render/colour_bands.h"
#include "render/draw.h"
#include "render/light_table.h"

namespace hg {

// The map's ramp: sea blue at or below sea level while sea colours are on,
// then four even bands from the land's base (sea level, or the lowest
// height above it) up to the top, blue-grey through green, yellow and
// brown to grey.
ColourBands reliefBands(bool seaColors, float seaLevel, float minY, float maxY);

// One light from the west and a little above, so that slopes facing west
// stand out on the map.
LightTable reliefLights();

// Draw type 9: the DEM as a still, shaded relief map seen from straight
// above, for choosing a part of it. It draws one frame and keeps it.
class CDrawRelief : public CDraw {
public:
    void buildScene() override;
    void setLights() override;
    void drawFrame() override;
    // The map is drawn once; a later tick must neither turn nor redraw it.
    int nextFrame() override;
    void heightColour(float h, std::array<float, 4>& rgba) override;

    const std::vector<float>& normals() const { return normals_; }

private:
    ColourBands bands_;
    std::vector<float> normals_;
    std::vector<std::uint32_t> indices_;
};

}  // namespace hg
