// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <vector>

#include "dem/mesh.h"

namespace hg {

// A DEM already in memory: cols x rows heights in metres, north row first,
// with fixed spacings. It passes through the same layout, thinning and
// block averaging as a file, so a drawing object can be tried on a made-up
// terrain without writing one.
class CMemoryGrid final : public CMesh {
public:
    CMemoryGrid(TerrainBuffers& draw, CViewSettings& settings, int cols, int rows,
                std::vector<float> samples, double ewSpacingMetres, double nsSpacingMetres,
                std::string gridTitle = "In-memory grid");

    // Checks the size against the samples; throws std::invalid_argument.
    void open() override;
    void read() override;

private:
    int cols_;
    int rows_;
    std::vector<float> samples_;
    double ew_;
    double ns_;
};

}  // namespace hg
