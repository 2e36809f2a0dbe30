// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <vector>

namespace hg {

// hillglimmer render [--style NAME|N] [--size WxH] [--frames N] [--out DIR]
int runRenderCommand(const std::vector<std::string>& args);

}  // namespace hg
