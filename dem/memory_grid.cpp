// SPDX-License-Identifier: MIT
#include "dem/memory_grid.h"

#include <stdexcept>

namespace hg {

CMemoryGrid::CMemoryGrid(TerrainBuffers& draw, CViewSettings& settings, int cols, int rows,
                         std::vector<float> samples, double ewSpacingMetres, double nsSpacingMetres,
                         std::string gridTitle)
    : CMesh(draw, settings, std::filesystem::path()),
      cols_(cols),
      rows_(rows),
      samples_(std::move(samples)),
      ew_(ewSpacingMetres),
      ns_(nsSpacingMetres) {
    title = std::move(gridTitle);
}

void CMemoryGrid::open() {
    if (!plausibleGrid(cols_, rows_) ||
        samples_.size() != static_cast<std::size_t>(cols_) * static_cast<std::size_t>(rows_)) {
        throw std::invalid_argument("The in-memory grid's size does not match its samples.");
    }
    demCols = cols_;
    demRows = rows_;
    ewSpacingN = ewSpacingS = ewSpacing = ew_;
    nsSpacingN = nsSpacingS = nsSpacing = ns_;
}

void CMemoryGrid::read() {
    const SampleSelection pick = selection();
    std::vector<float>& out = draw->heights;
    for (int r = 0; r < rows_; ++r) {
        const int row = pick.rowSlot(r);
        if (row < 0) continue;
        for (int c = 0; c < cols_; ++c) {
            const int col = pick.colSlot(c);
            if (col < 0) continue;
            const std::size_t at =
                static_cast<std::size_t>(row) * static_cast<std::size_t>(pick.usedCols()) +
                static_cast<std::size_t>(col);
            if (at < out.size())
                out[at] =
                    samples_[static_cast<std::size_t>(r) * cols_ + static_cast<std::size_t>(c)];
        }
    }
}

}  // namespace hg
