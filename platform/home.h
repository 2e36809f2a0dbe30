// SPDX-License-Identifier: MIT
#pragma once

#include <filesystem>

namespace hg {

// Where the settings and the working file live: $HILLGLIMMER_HOME, else
// $XDG_CONFIG_HOME/hillglimmer, else ~/.config/hillglimmer. Created on
// first use; an empty path when it cannot be made.
std::filesystem::path homeDirectory();

inline constexpr const char* kSettingsFileName = "Hillglimmer.ini";
inline constexpr const char* kWorkingFileName = "Hillglimmer.mem";
inline constexpr const char* kLockFileName = "Hillglimmer.lock";

std::filesystem::path settingsPath();
// The working grid file (memPath).
std::filesystem::path workingFilePath();

}  // namespace hg
