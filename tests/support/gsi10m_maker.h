// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace hgtest {

// UTF-8 to Shift_JIS through the C library, independently of the reader's
// own byte strings.
std::string sjis(const std::string& utf8);

// The minutes and seconds labels of a description's corner lines.
extern const std::string kMin;
extern const std::string kSec;

// The header lines of a GSI 10 m mesh description (UTF-8) for a grid of
// cols x rows, in the order the import searches them.
std::vector<std::string> headerLines(int cols, int rows);

// The lines in Shift_JIS joined with eol, as the product ships them.
std::string joinCsv(const std::vector<std::string>& lines, const std::string& eol = "\r\n");

// Big-endian unsigned 16-bit tenths of a metre, north row first.
std::string makeDat(int cols, int rows, const std::function<int(int, int)>& tenths);

}  // namespace hgtest
