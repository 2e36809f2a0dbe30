// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <vector>

namespace hg {

// hillglimmer select FILE | select INDEX CODE [CODE...]
int runSelectCommand(const std::vector<std::string>& args);

}  // namespace hg
