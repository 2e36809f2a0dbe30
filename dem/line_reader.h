// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/file.h"
#include "platform/messages.h"

namespace hg {

// A text file read through a block buffer: lines byte by byte up to their
// LF (kept, as is any CR before it), or plain bytes by count. The header
// readers take lines the way a fixed-size line buffer would, so a line
// that does not fit is the end of what they read, not an error.
class LineReader {
public:
    // maxLine bytes (LF included) is the longest line nextLine returns; a
    // failed read call throws MessageError(readErrorId).
    LineReader(std::size_t maxLine, MessageId readErrorId);

    bool open(const std::filesystem::path& path) { return file_.open(path); }
    std::optional<std::uint64_t> size() const { return file_.size(); }
    // Back to the first byte; false when the file cannot seek.
    bool rewind();

    // The next line with its LF; false at the end of the file (a last line
    // without its LF is dropped) or after maxLine bytes without one.
    bool nextLine(std::string& line);
    // Up to n bytes; fewer only at the end of the file.
    std::size_t read(char* out, std::size_t n);

private:
    bool fill();

    InputFile file_;
    std::vector<char> buffer_;
    std::size_t maxLine_;
    MessageId readErrorId_;
    std::size_t pos_ = 0, end_ = 0;
};

}  // namespace hg
