// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace hg {

// An RGBA picture, 8 bits a channel, as a PNG file's bytes. rgba holds
// width x height pixels, top row first. Throws std::invalid_argument when
// the sizes disagree.
std::string encodePng(int width, int height, const std::vector<std::uint8_t>& rgba);

// Writes the picture to path atomically; false when it cannot be written.
bool writePng(const std::filesystem::path& path, int width, int height,
              const std::vector<std::uint8_t>& rgba);

}  // namespace hg
