// SPDX-License-Identifier: MIT
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <vector>

#include "dem/mesh.h"
#include "platform/message_error.h"
#include "support/message_id_print.h"

namespace hgtest {

// The message a call throws; none when it returns.
template <typename F>
std::optional<hg::MessageId> messageOf(F&& call) {
    try {
        call();
    } catch (const hg::MessageError& e) {
        return e.id();
    }
    return std::nullopt;
}

// A reader with the buffers and settings it fills. The whole grid at full
// resolution unless the settings are changed before run().
template <class Mesh>
struct MeshRead {
    hg::TerrainBuffers buffers;
    hg::CViewSettings settings;
    Mesh mesh;

    explicit MeshRead(const std::filesystem::path& path) : mesh(buffers, settings, path) {
        settings.isPart = 1;
        settings.sizeMeshMaxX = settings.sizeMeshMaxZ = 100000;
        settings.meshBlock = 1.0;
        settings.yFactor = 1.0;
    }
    const std::vector<float>& run() {
        mesh.open();
        mesh.layout();
        mesh.read();
        return buffers.heights;
    }
};

// Expects h to hold rows x cols heights, north row first, each tenths(row,
// column) / 10 metres.
inline void expectTenths(const std::vector<float>& h, int cols, int rows,
                         const std::function<int(int, int)>& tenths) {
    ASSERT_EQ(h.size(), static_cast<std::size_t>(cols * rows));
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < cols; ++c) {
            ASSERT_FLOAT_EQ(h[static_cast<std::size_t>(r * cols + c)],
                            static_cast<float>(tenths(r, c) * 0.1))
                << "row " << r << " column " << c;
        }
    }
}

}  // namespace hgtest
