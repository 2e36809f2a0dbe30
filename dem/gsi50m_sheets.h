// SPDX-License-Identifier: MIT
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/profile_store.h"

namespace hg {

// The map sheets listed by a GSI 50 m sheet index (zumei.csv), and turning
// one, two or four of them into the working file. The dialog and the
// select command sit on top of this; nothing here shows anything.
class CGSI50mSheets {
public:
    // Reads the index, replacing any earlier one. Each LF-ended line is one
    // entry (its text up to the first CR or NUL); a last line without LF is
    // dropped. MessageError IllegalSheetIndex when the index cannot be read.
    void loadIndex(const std::filesystem::path& indexPath);

    int entryCount() const { return static_cast<int>(lines_.size()); }
    // The whole line of entry i, raw bytes.
    const std::string& line(int i) const { return lines_.at(static_cast<std::size_t>(i)); }
    // The sheet name shown for entry i: the line from its eighth byte on,
    // raw Shift_JIS (empty for shorter lines).
    std::string shownName(int i) const;
    // The sheet code: the line's first six bytes; nullopt when the line is
    // too short or the code could not name a file.
    std::optional<std::string> code(int i) const;
    // The first entry whose code is code.
    std::optional<int> indexOfCode(const std::string& code) const;

    // index folder / data / first four of the code / code.mem, each name
    // matched ignoring case. When no such file exists, the path as built
    // (opening it then reports the sheet missing). MessageError
    // IllegalSheetIndex when the entry has no code.
    std::filesystem::path sheetPath(int i) const;

    // Makes the working file a copy of sheet i and records demType 0. A sheet
    // that is missing (16) or not a sheet (17), or a failed copy (5), leaves
    // the working file and the settings as they were.
    void copyOneSheet(int i, const std::filesystem::path& memPath, ProfileStore& store) const;

    // Joins two adjacent sheets, or four in a square, into the working file
    // and records demType 0 with isPart 0. Any failure leaves the working
    // file and the settings as they were: 21 for a count other than 2 or 4,
    // 16/17 for a missing or broken sheet, 3/4 for sheets that do not meet,
    // 17 for a result too large for its header, 5 when writing fails.
    void composeSheets(const std::vector<int>& indices, const std::filesystem::path& memPath,
                       ProfileStore& store) const;

private:
    std::filesystem::path folder_;
    std::vector<std::string> lines_;
};

}  // namespace hg
