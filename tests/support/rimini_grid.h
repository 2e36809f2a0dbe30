// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace hgtest {

// A RIMINI grid of 71 x 49 heights, the terminating 0 and the name ALPS1,
// sixteen five-character fields a line, padded with 'n' up to size bytes:
// its reader accepts anything behind the name.
inline std::string riminiGrid(std::uint64_t size = 0) {
    std::string out;
    int n = 0;
    for (int i = 0; i < 71 * 49 + 2 || n % 16 != 0; ++i, ++n) {
        char field[8];
        std::snprintf(field, sizeof field, "%5d", i < 71 * 49 ? (i * 13) % 3000 : 0);
        out += i == 71 * 49 + 1 ? std::string("ALPS1")
                                : std::string(i < 71 * 49 + 2 ? field : "     ");
        if (n % 16 == 15) out += "\r\n";
    }
    if (out.size() < size) out.append(size - out.size(), 'n');
    return out;
}

}  // namespace hgtest
