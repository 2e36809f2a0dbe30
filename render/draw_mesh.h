// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "render/colour_bands.h"
#include "render/draw.h"
#include "render/light_table.h"

namespace hg {

// The colours of the Mesh style and the heights its two ramps turn on.
struct MeshPalette {
    std::uint32_t wire = 0x8080FF;
    std::uint32_t water = 0x3380FF;
    std::uint32_t low = 0;
    std::uint32_t mid = 0;
    std::uint32_t high = 0;
};

// Bright colours for a coarse grid drawn flat, softer ones for a fine grid
// shaded smoothly.
MeshPalette meshPalette(bool smooth);

// The block size of the wire net: ceil(numCols / maxLines).
int meshBlockSize(int numCols, int maxLines);

// The height between the two colour ramps: the middle one of the heights
// above sea level, or the lowest height when none is above it.
float meshMidHeight(std::vector<float> heights, float seaLevel);

// The colour of height h: water at or below sea level (when seaColors is
// on), else a ramp from low to mid below midHeight and from mid to high
// above it. A ramp of no height gives its start colour.
std::array<float, 4> meshHeightColour(float h, const MeshPalette& palette, bool seaColors,
                                      float seaLevel, float minY, float midHeight, float maxY);

// The same colours as a ramp to look heights up in.
ColourBands meshColourBands(const MeshPalette& palette, bool seaColors, float seaLevel, float minY,
                            float midHeight, float maxY);

// Flat shading with a harder highlight for a coarse grid, smooth shading
// for a fine one.
LightTable meshLights(bool smooth);

// The net over every whole k x k block of a numCols x numRows grid, as
// polylines of (row, column) vertices: one along each block boundary row,
// then one down each block boundary column, so that an edge two blocks
// share is drawn once.
std::vector<std::vector<std::pair<int, int>>> meshNetLines(int numCols, int numRows, int k);

// Draw type 0: a lit, height-coloured solid of quadrilaterals under a light
// blue net that outlines blocks of cells.
class CDrawMesh : public CDraw {
public:
    static constexpr unsigned kSolidList = 1;
    static constexpr unsigned kNetList = 2;

    // Drawing every post of the net is there for tests; the saver
    // straightens it.
    explicit CDrawMesh(bool straighten = true) : straighten_(straighten) {}

    void buildScene() override;
    void setLights() override;
    void drawFrame() override;

    const MeshPalette& palette() const { return palette_; }
    float midHeight() const { return midHeight_; }
    // The block size the net was built with.
    int netBlock() const { return netBlock_; }
    // How many vertices the net's lines hold.
    std::size_t netVertexCount() const { return netVertices_; }

private:
    void compileSolid();
    // The net, its lines straightened for a view up to `side` pixels a side.
    void compileNet(int side);
    void issueVertex(int i, int j);

    MeshPalette palette_;
    float midHeight_ = 0.0f;
    int netBlock_ = 1;
    bool straighten_;
    int straightenedFor_ = 0;
    std::size_t netVertices_ = 0;
};

}  // namespace hg
