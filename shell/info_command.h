// SPDX-License-Identifier: MIT
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace hg {

// The DEM type a file would be read as, from its extension the way the DEM
// selection decides it.
int demTypeForExtension(const std::filesystem::path& file);

// hillglimmer info FILE [--type N] [--heights OUT.f32]
int runInfoCommand(const std::vector<std::string>& args);

// Arc-seconds as degrees, minutes and seconds with a hemisphere letter.
std::string formatDms(double arcSeconds, bool latitude);

}  // namespace hg
