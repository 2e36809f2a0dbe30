// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>

namespace hg {

// Shift_JIS (code page 932) bytes as UTF-8, for showing file texts. Bytes
// that do not convert become U+FFFD rather than ending the text.
std::string sjisToUtf8(std::string_view sjis);

}  // namespace hg
