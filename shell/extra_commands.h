#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "shell/command_line.h"

namespace hg {

// info, select and render; nullopt when args name none of them.
std::optional<int> runExtraCommand(const std::vector<std::string>& args);

int runSaverMode(const SaverCommand& cmd, const std::filesystem::path& memPath);
int runSetupMode(const std::filesystem::path& memPath);

}  // namespace hg
