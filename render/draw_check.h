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

// Board coordinates (s, t) for every grid vertex and then every cell
// centre of a numCols x numRows grid, running on across the cells so that
// neighbours share their corners: with the board repeating, a cell shows
// the same part of it as checkerCoords gives the cell on its own. The
// quarters of checks of one or two cells come round every second or fourth
// cell; where two cells of a check meet, the board has no seam to blend
// across, which checkerCoords draws as a sliver a 64th of a cell wide.
std::vector<float> checkerVertexCoords(int numCols, int numRows, int numMesh);

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

    // Draws every triangle corner with its own board coordinates from
    // checkerCoords, as separate triangles: the slow, literal way, kept to
    // check the shared corners against. Asked before initialise.
    void setCornerCoords(bool on) { perCorner_ = on; }

private:
    SurfaceArrays surface_;
    std::vector<float> cornerPositions_;
    std::vector<float> cornerCoords_;
    std::vector<float> cornerNormals_;
    std::vector<float> vertexCoords_;
    int thinning_ = 0;
    bool perCorner_ = false;
    GlTexture texture_;
};

}  // namespace hg
