// SPDX-License-Identifier: MIT
#include "dem/fot_rimini.h"

#include <array>
#include <vector>

#include "platform/message_error.h"
#include "platform/text_number.h"

namespace hg {

namespace {

constexpr int kFields = 16;
constexpr int kFieldWidth = 5;
constexpr std::size_t kDataBytes = kFields * kFieldWidth;
// The record whose ninth field names the model: the grid's last values
// share it with the name.
constexpr int kNameRecord = 218;
constexpr std::size_t kNameOffset = 40;

// Records of 80 field bytes and a line end. The format has CR LF; a copy
// that lost its CRs has LF alone. Fields never hold either byte, so the
// byte behind the first record's fields tells which, and every record must
// then end the same way.
class RiminiRecords {
public:
    explicit RiminiRecords(InputFile& file) : file_(&file) {}

    // The next record's bytes (at least kDataBytes of them). Throws 15 for
    // a short read or a record without the file's line end.
    const char* next() {
        if (length_ == 0) {
            fetch(kDataBytes + 1);
            if (buffer_[kDataBytes] == '\n') {
                length_ = kDataBytes + 1;
            } else if (buffer_[kDataBytes] == '\r') {
                length_ = kDataBytes + 2;
                fetchMore(1);
            } else {
                throw MessageError(MessageId::IllegalRiminiDat);
            }
        } else {
            fetch(length_);
        }
        bool crlf = length_ == kDataBytes + 2;
        if (crlf ? (buffer_[kDataBytes] != '\r' || buffer_[kDataBytes + 1] != '\n')
                 : buffer_[kDataBytes] != '\n') {
            throw MessageError(MessageId::IllegalRiminiDat);
        }
        return buffer_.data();
    }

private:
    void fetch(std::size_t n) {
        auto got = file_->read(buffer_.data(), n);
        if (!got || *got < n) throw MessageError(MessageId::IllegalRiminiDat);
    }
    void fetchMore(std::size_t n) {
        auto got = file_->read(buffer_.data() + kDataBytes + 1, n);
        if (!got || *got < n) throw MessageError(MessageId::IllegalRiminiDat);
    }

    InputFile* file_;
    std::size_t length_ = 0;
    std::array<char, kDataBytes + 2> buffer_{};
};

}  // namespace

CFOTrimini::CFOTrimini(TerrainBuffers& d, CViewSettings& s, std::filesystem::path path)
    : CMesh(d, s, std::move(path)) {}

void CFOTrimini::open() {
    if (!file_.open(fileName)) throw MessageError(MessageId::IllegalRiminiDat);
    demCols = kCols;
    demRows = kRows;
    ewSpacing = 250.0;
    nsSpacing = 250.0;
}

void CFOTrimini::read() {
    // Closed however this ends.
    InputFile file = std::move(file_);
    if (!file.isOpen()) throw MessageError(MessageId::IllegalRiminiDat);

    SampleSelection sel = selection();
    std::vector<float>& heights = draw->heights;
    if (heights.size() != sel.total()) heights.assign(sel.total(), 0.0f);
    const std::size_t total = sel.total();
    const std::size_t usedCols = static_cast<std::size_t>(sel.usedCols());
    std::size_t count = 0;

    RiminiRecords records(file);
    int row = 0, col = 0;
    int rowSlot = sel.rowSlot(0);
    // Values stop at the end of the grid; the name fields behind them are
    // not heights.
    while (count < total && row < kRows) {
        const char* rec = records.next();
        for (int f = 0; f < kFields && row < kRows; ++f) {
            int colSlot = rowSlot >= 0 ? sel.colSlot(col) : -1;
            if (colSlot >= 0) {
                int v = 0;
                if (!parseIntField(std::string_view(rec + f * kFieldWidth, kFieldWidth), v)) {
                    throw MessageError(MessageId::IllegalRiminiDat);
                }
                heights[static_cast<std::size_t>(rowSlot) * usedCols +
                        static_cast<std::size_t>(colSlot)] = static_cast<float>(v);
                if (++count == total) return;
            }
            if (++col == kCols) {
                col = 0;
                ++row;
                rowSlot = row < kRows ? sel.rowSlot(row) : -1;
            }
        }
    }
    // Only a selection reaching past the grid gets here; its remaining
    // places keep their zeros.
}

std::string riminiTitle(const std::filesystem::path& path) {
    InputFile file;
    if (!file.open(path)) throw MessageError(MessageId::IllegalRiminiDat);
    RiminiRecords records(file);
    const char* rec = nullptr;
    for (int i = 0; i < kNameRecord; ++i) rec = records.next();
    return std::string(rec + kNameOffset, kFieldWidth);
}

}  // namespace hg
