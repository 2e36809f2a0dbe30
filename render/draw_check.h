// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <vector>

#include "render/draw.h"
#include "render/gl_texture.h"
#include "render/light_table.h"
#include "render/surface_arrays.h"

namespace hg {

// A green surface with a soft highlight, lit from the upper right.
LightTable checkLights();

// The grid thinning (the numMesh list position) that gave the record's block
// size; a size no position gives counts as the default position.
int thinningOf(double meshBlock);

// Each index entry's vertex, three floats an entry: the triangles' corners
// one after another, so that every corner can carry its own texture
// coordinates.
std::vector<float> cornerPositions(const std::vector<float>& vertices,
                                   const std::vector<std::uint32_t>& indices);

// Draw type 5: a grey and white checkerboard over a lit green surface, the
// checks two samples wide from full resolution down to every fourth sample.
class CDrawCheck : public CDraw {
public:
    void buildScene() override;
    void setLights() override;
    void drawFrame() override;
    // Gives the texture back to the context before letting go of it.
    void releaseGl() override;

    // The thinning the checks were laid out for.
    int thinning() const { return thinning_; }

private:
    SurfaceArrays surface_;
    std::vector<float> cornerPositions_;
    std::vector<float> cornerCoords_;
    std::vector<float> cornerNormals_;
    int thinning_ = 0;
    GlTexture texture_;
};

}  // namespace hg
