// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <functional>
#include <string>

namespace hgtest {

// A GSI 50 m sheet built from the layout: edges = south, west, north, east in
// arc-seconds, tenths(r, c) in 0.1 m. Empty flags: every row present and a
// record count of rows; else one flag per described row, and only rows
// flagged '1' get a record.
std::string makeSheet(int cols, int rows, const std::array<long, 4>& edges, const std::string& name,
                      const std::function<int(int, int)>& tenths, const std::string& flags);

}  // namespace hgtest
