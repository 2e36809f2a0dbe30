// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <vector>

namespace hg {

// The whole program: the extra commands first (info, select, render, help,
// version), then the screen-saver start-up. Returns the exit code.
int runHillglimmer(const std::vector<std::string>& args);

}  // namespace hg
