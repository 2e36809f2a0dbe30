// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace hg {

// The picture the Wine style mirrors on the terrain, laid out as a 24-bit
// device-independent bitmap: rows bottom-up, three bytes a pixel in the
// order blue, green, red, each row padded to a multiple of four bytes.
struct WinePicture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;
};

inline constexpr int kWinePictureSize = 128;

// Bytes in one row of a 24-bit bitmap of the given width, padding included.
constexpr std::size_t bitmapRowBytes(int width) {
    return static_cast<std::size_t>((width * 24 + 31) >> 5) * 4;
}

// Mottled pinks and white, 128 x 128, the same on every call. The mottling
// repeats seamlessly across the edges, so no seam shows where the mapping
// wraps.
WinePicture winePicture();

}  // namespace hg
