// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <vector>

#include "render/draw.h"
#include "render/gl_texture.h"
#include "render/light_table.h"
#include "render/surface_arrays.h"
#include "render/wine_picture.h"

namespace hg {

// A wine-red gloss with a green-tinted highlight, lit from the upper right.
LightTable wineLights();

// Draw type 2: a glossy surface that mirrors a mottled pink picture, so the
// picture slides over the slopes as the terrain turns.
class CDrawWine : public CDraw {
public:
    CDrawWine();

    void buildScene() override;
    void setLights() override;
    void drawFrame() override;
    // Gives the texture back to the context before letting go of it.
    void releaseGl() override;

    const WinePicture& picture() const { return picture_; }

private:
    WinePicture picture_;
    SurfaceArrays surface_;
    GlTexture texture_;
};

}  // namespace hg
