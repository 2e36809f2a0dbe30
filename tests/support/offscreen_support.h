// SPDX-License-Identifier: MIT
// What the offscreen drawing tests share: a target that skips the test
// where there is no OpenGL, made-up and bundled terrains, pixel reading and
// a recorder for the errors a drawing object shows.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "dem/memory_grid.h"
#include "dem/mesh.h"
#include "platform/show_error.h"
#include "render/draw.h"
#include "render/output/egl_offscreen_target.h"

namespace hgtest {

using Pixels = std::vector<std::uint8_t>;

struct Rgb {
    int r, g, b;
    bool operator==(const Rgb&) const = default;
};

inline Rgb pixel(const Pixels& p, int width, int x, int y) {
    const std::size_t at = (static_cast<std::size_t>(y) * width + x) * 4;
    return {p[at], p[at + 1], p[at + 2]};
}

inline Rgb unpacked(std::uint32_t rgb) {
    return {static_cast<int>((rgb >> 16) & 255u), static_cast<int>((rgb >> 8) & 255u),
            static_cast<int>(rgb & 255u)};
}

// How many pixels differ between two pictures of the same size.
inline int changedPixels(const Pixels& a, const Pixels& b) {
    int changed = 0;
    for (std::size_t i = 0; i + 2 < a.size() && i + 2 < b.size(); i += 4)
        changed += a[i] != b[i] || a[i + 1] != b[i + 1] || a[i + 2] != b[i + 2];
    return changed;
}

inline std::unique_ptr<hg::EglOffscreenTarget> makeTarget(int w, int h, std::string& why) {
    try {
        return std::make_unique<hg::EglOffscreenTarget>(w, h);
    } catch (const std::exception& e) {
        why = e.what();
        return nullptr;
    }
}

#define REQUIRE_TARGET(var, w, h)                   \
    std::string why_##var;                          \
    auto var = hgtest::makeTarget(w, h, why_##var); \
    if (!var) GTEST_SKIP() << "no offscreen OpenGL here: " << why_##var

// A hill in the east, a sea below level 0 in the west: heights in metres on
// a 30 m grid.
inline std::vector<float> islandHeights(int cols, int rows) {
    std::vector<float> h(static_cast<std::size_t>(cols) * rows);
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < cols; ++c) {
            const double dx = (c - cols * 0.65) / cols, dz = (r - rows * 0.5) / rows;
            double v = 600.0 * std::exp(-(dx * dx + dz * dz) * 12.0) - 40.0;
            if (c < cols / 4) v = -30.0;
            h[static_cast<std::size_t>(r) * cols + c] = static_cast<float>(v);
        }
    }
    return h;
}

inline hg::CDraw::MeshMaker islandMaker(int cols, int rows, double spacing = 30.0) {
    return [=](hg::TerrainBuffers& b, hg::CViewSettings& s) {
        return std::make_unique<hg::CMemoryGrid>(b, s, cols, rows, islandHeights(cols, rows),
                                                 spacing, spacing);
    };
}

// Any heights the test likes, on a grid `spacing` metres apart.
inline hg::CDraw::MeshMaker gridMaker(int cols, int rows, std::vector<float> heights,
                                      double spacing = 30.0) {
    return [=](hg::TerrainBuffers& b, hg::CViewSettings& s) {
        return std::make_unique<hg::CMemoryGrid>(b, s, cols, rows, heights, spacing, spacing);
    };
}

inline std::filesystem::path bundledTerrain() {
    return std::filesystem::path(HG_SOURCE_DIR) / "data" / "jacksboro.dem";
}

#define REQUIRE_BUNDLED_TERRAIN()                           \
    if (!std::filesystem::exists(hgtest::bundledTerrain())) \
    GTEST_SKIP() << "the bundled terrain is not there yet: " << hgtest::bundledTerrain()

// Records what the drawing object reports instead of showing it.
struct Shown {
    std::vector<std::string> texts, captions;
    hg::ErrorSinkGuard guard{[this](void*, const std::string& t, const std::string& c) {
        texts.push_back(t);
        captions.push_back(c);
    }};
    std::string first() const { return texts.empty() ? std::string() : texts.front(); }
};

}  // namespace hgtest
