// SPDX-License-Identifier: MIT
#include "dem/line_reader.h"

#include <algorithm>

#include "platform/message_error.h"

namespace hg {

LineReader::LineReader(std::size_t maxLine, MessageId readErrorId)
    : buffer_(std::size_t{1} << 16), maxLine_(maxLine), readErrorId_(readErrorId) {}

bool LineReader::rewind() {
    pos_ = end_ = 0;
    return file_.seek(0);
}

bool LineReader::nextLine(std::string& line) {
    line.clear();
    while (line.size() < maxLine_) {
        if (pos_ == end_ && !fill()) return false;
        char c = buffer_[pos_++];
        line.push_back(c);
        if (c == '\n') return true;
    }
    return false;
}

std::size_t LineReader::read(char* out, std::size_t n) {
    std::size_t got = 0;
    while (got < n) {
        if (pos_ == end_ && !fill()) break;
        std::size_t take = std::min(n - got, end_ - pos_);
        std::copy_n(&buffer_[pos_], take, out + got);
        pos_ += take;
        got += take;
    }
    return got;
}

bool LineReader::fill() {
    auto got = file_.read(buffer_.data(), buffer_.size());
    if (!got) throw MessageError(readErrorId_);
    pos_ = 0;
    end_ = *got;
    return end_ > 0;
}

}  // namespace hg
