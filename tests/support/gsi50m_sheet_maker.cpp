// SPDX-License-Identifier: MIT
#include "support/gsi50m_sheet_maker.h"

#include <cstdio>

namespace hgtest {

// A sheet built from the layout: edges = south, west, north, east in
// arc-seconds, tenths(r, c) in 0.1 m. Empty flags: every row present and a
// record count of rows; else one flag per described row, and only rows
// flagged '1' get a record.
std::string makeSheet(int cols, int rows, const std::array<long, 4>& edges, const std::string& name,
                      const std::function<int(int, int)>& tenths, const std::string& flags) {
    std::string h(1011, ' ');
    char buf[32];
    auto put = [&](std::size_t at, const char* format, long v) {
        int n = std::snprintf(buf, sizeof buf, format, v);
        h.replace(at, static_cast<std::size_t>(n), buf);
    };
    put(23, "%3ld", cols);
    put(26, "%3ld", rows);
    for (std::size_t k = 0; k < 4; ++k) {
        long v = edges[k];
        put(29 + 7 * k, "%07ld", v / 3600 * 10000 + v % 3600 / 60 * 100 + v % 60);
    }
    h.replace(58, name.size(), name);
    const std::string f = flags.empty() ? std::string(static_cast<std::size_t>(rows), '1') : flags;
    put(142, "%3ld", static_cast<long>(f.size()));
    h.replace(225, f.size(), f);

    std::string out = h;
    for (int r = 0; r < rows && static_cast<std::size_t>(r) < f.size(); ++r) {
        if (f[static_cast<std::size_t>(r)] != '1') continue;
        std::snprintf(buf, sizeof buf, "%9d", r + 1);
        out += buf;
        for (int c = 0; c < cols; ++c) {
            std::snprintf(buf, sizeof buf, "%5d", tenths(r, c));
            out += buf;
        }
        out += "\r\n";
    }
    return out;
}

}  // namespace hgtest
