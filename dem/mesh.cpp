// SPDX-License-Identifier: MIT
#include "dem/mesh.h"
#include "platform/messages.h"

#include <algorithm>
#include <stdexcept>

namespace hg {

SampleSelection::SampleSelection(const CViewSettings& s, int thinStep)
    : window_(s.isPart != 0),
      startX_(s.startX),
      startZ_(s.startZ),
      usedCols_(s.usedCols),
      usedRows_(s.usedRows),
      thinStep_(thinStep > 0 ? thinStep : 1) {}

int SampleSelection::rowSlot(int r) const {
    if (r < 0) return -1;
    if (window_) return (r >= startZ_ && r < startZ_ + usedRows_) ? r - startZ_ : -1;
    if (r % thinStep_ != 0) return -1;
    int slot = r / thinStep_;
    return slot < usedRows_ ? slot : -1;
}

int SampleSelection::colSlot(int c) const {
    if (c < 0) return -1;
    if (window_) return (c >= startX_ && c < startX_ + usedCols_) ? c - startX_ : -1;
    if (c % thinStep_ != 0) return -1;
    int slot = c / thinStep_;
    return slot < usedCols_ ? slot : -1;
}

CMesh::CMesh(TerrainBuffers& d, CViewSettings& s, std::filesystem::path path)
    : draw(&d), settings(&s), fileName(std::move(path)) {}

CMesh::~CMesh() = default;

namespace {
int ceilDiv(int a, int b) {
    return a / b + (a % b != 0 ? 1 : 0);
}

std::runtime_error tooSmall() {
    return std::runtime_error(loadMessage(MessageId::DemTooSmall));
}
}  // namespace

void CMesh::layout() {
    CViewSettings& s = *settings;
    if (demCols < 1 || demRows < 1) throw tooSmall();
    double block = s.meshBlock >= 1.0 ? s.meshBlock : 1.0;
    double xstep = 0.0, zstep = 0.0;
    if (s.isPart != 0) {
        // A hand-edited or stale window is pulled back inside the DEM, so
        // every kept sample is a real one.
        int wantX = s.sizeMeshMaxX > 0 ? s.sizeMeshMaxX : demCols;
        int wantZ = s.sizeMeshMaxZ > 0 ? s.sizeMeshMaxZ : demRows;
        s.usedCols = demCols > wantX ? wantX : demCols;
        s.usedRows = demRows > wantZ ? wantZ : demRows;
        s.startX = std::clamp(s.startX, 0, demCols - s.usedCols);
        s.startZ = std::clamp(s.startZ, 0, demRows - s.usedRows);
        s.numCols = static_cast<int>(s.usedCols / block);
        s.numRows = static_cast<int>(s.usedRows / block);
        xstep = ewSpacing * block;
        zstep = nsSpacing * block;
        thinStep = 1;
    } else {
        int maxX = s.sizeMeshMaxX >= 2 ? s.sizeMeshMaxX : 201;
        int maxZ = s.sizeMeshMaxZ >= 2 ? s.sizeMeshMaxZ : 201;
        int kx = demCols > maxX ? ceilDiv(demCols, maxX) : 1;
        int kz = demRows > maxZ ? ceilDiv(demRows, maxZ) : 1;
        thinStep = std::max(kx, kz);
        s.usedCols = demCols / thinStep;
        s.usedRows = demRows / thinStep;
        s.numCols = static_cast<int>(s.usedCols / block);
        s.numRows = static_cast<int>(s.usedRows / block);
        if (s.numCols < 2 || s.numRows < 2) throw tooSmall();
        xstep = static_cast<double>(demCols - 1) / (s.numCols - 1) * ewSpacing;
        zstep = static_cast<double>(demRows - 1) / (s.numRows - 1) * nsSpacing;
    }
    if (s.numCols < 2 || s.numRows < 2) throw tooSmall();

    draw->heights.assign(static_cast<std::size_t>(s.usedCols) * s.usedRows, 0.0f);
    if (!withVertices) {
        draw->vertices.clear();
        return;
    }
    std::size_t grid = static_cast<std::size_t>(s.numCols) * s.numRows;
    std::size_t centres = static_cast<std::size_t>(s.numCols - 1) * (s.numRows - 1);
    draw->vertices.assign((grid + centres) * 3, 0.0f);

    double z = -(s.numRows - 1) * zstep * 0.5;
    for (int i = 0; i < s.numRows; ++i) {
        double x = -(s.numCols - 1) * xstep * 0.5;
        for (int j = 0; j < s.numCols; ++j) {
            float* v = &draw->vertices[(static_cast<std::size_t>(i) * s.numCols + j) * 3];
            v[0] = static_cast<float>(x);
            v[1] = static_cast<float>(s.seaHeight);
            v[2] = static_cast<float>(z);
            x += xstep;
        }
        z += zstep;
    }
}

void CMesh::heightsToVertices() {
    CViewSettings& s = *settings;
    const std::vector<float>& h = draw->heights;
    if (minHeight == 0.0f && maxHeight == 0.0f) {
        float lo = FLT_MAX, hi = -FLT_MAX;
        for (float v : h) {
            if (v == VOID_HEIGHT) continue;
            lo = std::min(lo, v);
            hi = std::max(hi, v);
        }
        // A DEM of nothing but voids has no range to report.
        if (lo > hi) lo = hi = 0.0f;
        minHeight = lo;
        maxHeight = hi;
    }

    const int k = std::max(1, static_cast<int>(s.meshBlock));
    const std::size_t cols = static_cast<std::size_t>(s.usedCols);
    float vmin = FLT_MAX, vmax = -FLT_MAX;
    bool anyVoid = false;
    // Voids are left out of a block's average; a block of nothing but voids
    // stays void until the pass below.
    for (int i = 0; i < s.numRows; ++i) {
        for (int j = 0; j < s.numCols; ++j) {
            double sum = 0.0;
            int n = 0;
            for (int r = 0; r < k; ++r) {
                const float* row = &h[(static_cast<std::size_t>(i) * k + r) * cols];
                for (int c = 0; c < k; ++c) {
                    float v = row[static_cast<std::size_t>(j) * k + c];
                    if (v == VOID_HEIGHT) continue;
                    sum += v;
                    ++n;
                }
            }
            float y = n > 0 ? static_cast<float>(sum / n) : VOID_HEIGHT;
            draw->vertices[(static_cast<std::size_t>(i) * s.numCols + j) * 3 + 1] = y;
            if (n > 0) {
                vmin = std::min(vmin, y);
                vmax = std::max(vmax, y);
            } else {
                anyVoid = true;
            }
        }
    }
    if (vmin > vmax) vmin = vmax = 0.0f;
    const std::size_t grid = static_cast<std::size_t>(s.numCols) * s.numRows;
    // A void vertex drops to the lowest real height: a cliff down, never a
    // spike.
    if (anyVoid) {
        for (std::size_t v = 0; v < grid; ++v) {
            if (draw->vertices[v * 3 + 1] == VOID_HEIGHT) draw->vertices[v * 3 + 1] = vmin;
        }
    }

    float offset = -((vmax - vmin) * 0.29411763f + vmin);
    s.yOffset = offset;
    for (std::size_t v = 0; v < grid; ++v) {
        float y = draw->vertices[v * 3 + 1];
        y = static_cast<float>(y + s.yOffset);
        y = static_cast<float>(y * s.yFactor);
        draw->vertices[v * 3 + 1] = y;
    }
    float sea = static_cast<float>(s.seaHeight);
    sea = static_cast<float>(sea + s.yOffset);
    draw->seaLevel = static_cast<float>(sea * s.yFactor);
}

void CMesh::setBounds(double west, double south, double east, double north) {
    swX = nwX = west;
    seX = neX = east;
    swY = seY = south;
    nwY = neY = north;
}

void CMesh::exportSettings() {
    CViewSettings& s = *settings;
    s.title = title;
    s.contoursBelowSea = contoursBelowSea;
    s.demCols = demCols;
    s.demRows = demRows;
    s.thinStep = thinStep;
    s.nwX = nwX;
    s.nwY = nwY;
    s.seX = seX;
    s.seY = seY;
    s.ewSpacingN = ewSpacingN;
    s.ewSpacingS = ewSpacingS;
    s.ewSpacing = ewSpacing;
    s.nsSpacingN = nsSpacingN;
    s.nsSpacingS = nsSpacingS;
    s.nsSpacing = nsSpacing;
    s.minHeight = minHeight;
    s.maxHeight = maxHeight;
}

bool plausibleGrid(long long cols, long long rows, std::uint64_t fileSize, double bytesPerSample) {
    if (cols < 1 || rows < 1 || cols > kMaxGridSide || rows > kMaxGridSide) return false;
    if (bytesPerSample > 0.0) {
        double need = static_cast<double>(cols) * static_cast<double>(rows) * bytesPerSample;
        if (need > static_cast<double>(fileSize)) return false;
    }
    return true;
}

}  // namespace hg
