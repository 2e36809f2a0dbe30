// SPDX-License-Identifier: MIT
#include "dem/gsi50m.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "dem/geodesy.h"
#include "platform/message_error.h"
#include "platform/text_number.h"

namespace hg {

namespace gsi50m {

namespace {

bool isLeadByte(unsigned char b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// Bessel 1841, the datum of the sheets.
constexpr int kBessel = 1;

// A count, aligned either way: digits with blanks only around them.
bool isCount(std::string_view field) {
    const std::size_t first = field.find_first_not_of(' ');
    if (first == std::string_view::npos) return false;
    const std::size_t last = field.find_last_not_of(' ');
    return field.substr(first, last - first + 1).find_first_not_of("0123456789") ==
           std::string_view::npos;
}

}  // namespace

int fieldInt(std::string_view bytes, std::size_t offset, std::size_t width) {
    if (offset >= bytes.size()) return 0;
    return clampedLeadingInteger<int>(bytes.substr(offset, width));
}

double angleAt(std::string_view header, std::size_t offset) {
    return fieldInt(header, offset, 3) * 3600.0 + fieldInt(header, offset + 3, 2) * 60.0 +
           fieldInt(header, offset + 5, 2);
}

std::string trimBlanks(std::string_view s) {
    auto u = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    std::size_t begin = 0;
    while (begin < s.size()) {
        if (s[begin] == ' ') {
            ++begin;
        } else if (s.substr(begin, 2) == kWideBlank) {
            begin += 2;
        } else {
            break;
        }
    }
    // Walk characters rather than bytes: 0x81 0x40 may also be the trail
    // byte of one character followed by an '@'.
    std::size_t end = begin;
    for (std::size_t i = begin; i < s.size();) {
        std::size_t len = (isLeadByte(u(i)) && i + 1 < s.size()) ? 2 : 1;
        bool blank = (len == 1 && s[i] == ' ') || (len == 2 && s.substr(i, 2) == kWideBlank);
        i += len;
        if (!blank) end = i;
    }
    return std::string(s.substr(begin, end - begin));
}

std::string nameField(std::string_view header, int index) {
    std::string_view f = header.substr(kNameAt[index], kNameWidth);
    return std::string(f.substr(0, f.find('\0')));
}

bool SheetHeader::hasRecord(int r) const {
    if (r < 0 || r >= rows) return false;
    if (everyRowPresent) return true;
    if (r >= recordCount || r >= kMaxFlaggedRows) return false;
    return bytes[kFlagsAt + static_cast<std::size_t>(r)] == '1';
}

SheetHeader parseHeader(std::string bytes, std::uint64_t fileSize) {
    if (bytes.size() != kHeaderSize || fileSize < kHeaderSize)
        throw MessageError(MessageId::IllegalWorkingFile);
    SheetHeader h;
    h.bytes = std::move(bytes);
    std::string_view b = h.bytes;
    h.cols = fieldInt(b, kColsAt, kCountWidth);
    h.rows = fieldInt(b, kRowsAt, kCountWidth);
    h.recordCount = fieldInt(b, kRecordCountAt, kCountWidth);
    // Spacings divide by cols - 1 and rows - 1, so a line of samples is no grid.
    if (h.cols < 2 || h.rows < 2 || !plausibleGrid(h.cols, h.rows) || h.recordCount < 0) {
        throw MessageError(MessageId::IllegalWorkingFile);
    }
    h.south = angleAt(b, kSouthAt);
    h.west = angleAt(b, kWestAt);
    h.north = angleAt(b, kNorthAt);
    h.east = angleAt(b, kEastAt);
    h.composed = b.substr(kNoteAt, kCompositionNote.size()) == kCompositionNote;
    h.recordLength = recordLength(h.cols);

    const std::uint64_t data = fileSize - kHeaderSize;
    const std::uint64_t everyRow = static_cast<std::uint64_t>(h.rows) * h.recordLength;
    h.everyRowPresent = h.composed || data == everyRow;
    if (h.everyRowPresent) {
        h.presentRows = static_cast<std::size_t>(h.rows);
    } else {
        // Without every row's record the flags are all that say which rows
        // are there, and only the count says how many flags there are. A
        // count that is no number is a header cut short or overwritten,
        // not "no rows": reading on would give a flat, voidless grid.
        if (!isCount(b.substr(kRecordCountAt, kCountWidth)))
            throw MessageError(MessageId::IllegalWorkingFile);
        int described = std::min(h.recordCount, h.rows);
        // The flags live inside the header; a count that runs past it
        // describes rows that have no flag.
        if (described > kMaxFlaggedRows) throw MessageError(MessageId::IllegalWorkingFile);
        for (int r = 0; r < described; ++r) {
            if (b[kFlagsAt + static_cast<std::size_t>(r)] == '1') ++h.presentRows;
        }
    }
    if (static_cast<std::uint64_t>(h.presentRows) * h.recordLength > data)
        throw MessageError(MessageId::IllegalWorkingFile);
    return h;
}

SheetHeader openSheet(InputFile& file, const std::filesystem::path& path) {
    if (!file.open(path)) throw MessageError(MessageId::WorkingFileMissing);
    std::string bytes(kHeaderSize, '\0');
    auto got = file.read(bytes.data(), bytes.size());
    if (!got) {
        file.close();
        throw MessageError(MessageId::WorkingFileMissing);
    }
    auto size = file.size();
    if (*got < kHeaderSize || !size) {
        file.close();
        throw MessageError(MessageId::IllegalWorkingFile);
    }
    try {
        return parseHeader(std::move(bytes), *size);
    } catch (...) {
        file.close();
        throw;
    }
}

std::vector<char> readAllRows(InputFile& file, const SheetHeader& h) {
    const std::size_t L = h.recordLength;
    std::vector<char> out(static_cast<std::size_t>(h.rows) * L);
    std::vector<char> present(h.presentRows * L);
    auto got = file.read(present.data(), present.size());
    if (!got || *got < present.size()) throw MessageError(MessageId::IllegalWorkingFile);
    const char* next = present.data();
    for (int r = 0; r < h.rows; ++r) {
        char* rec = &out[static_cast<std::size_t>(r) * L];
        if (h.hasRecord(r)) {
            std::memcpy(rec, next, L);
            next += L;
            continue;
        }
        // A row without a record is a row of voids. Nothing reads the
        // record header; its leading zero marks the row as made up here.
        rec[0] = '\0';
        std::memset(rec + 1, ' ', kRecordHeader - 1);
        for (int c = 0; c < h.cols; ++c) {
            std::memcpy(rec + kRecordHeader + kFieldWidth * static_cast<std::size_t>(c), "-9999",
                        kFieldWidth);
        }
        rec[L - 2] = '\r';
        rec[L - 1] = '\n';
    }
    return out;
}

}  // namespace gsi50m

using namespace gsi50m;

CGSI50m::CGSI50m(TerrainBuffers& draw, CViewSettings& settings, std::filesystem::path fileName)
    : CMesh(draw, settings, std::move(fileName)) {}

void CGSI50m::open() {
    header_ = openSheet(file_, fileName);
    std::string_view b = header_.bytes;
    demCols = header_.cols;
    demRows = header_.rows;
    recordCount = header_.recordCount;

    const double S = header_.south, W = header_.west, N = header_.north, E = header_.east;
    setBounds(W, S, E, N);

    const double width = std::fabs(W - E), height = std::fabs(N - S);
    ewSpacingN = metresPerArcSecEW(kBessel, N) * width / (demCols - 1);
    ewSpacingS = metresPerArcSecEW(kBessel, S) * width / (demCols - 1);
    ewSpacing = (ewSpacingN + ewSpacingS) * 0.5;
    nsSpacingN = metresPerArcSecNS(kBessel, N) * height / (demRows - 1);
    nsSpacingS = metresPerArcSecNS(kBessel, S) * height / (demRows - 1);
    nsSpacing = (nsSpacingN + nsSpacingS) * 0.5;

    // Each trim works on the whole title so far, so a blank first name
    // leaves no blanks at the front; the last name goes in as it stands.
    title.clear();
    if (header_.composed) {
        title = "Composed";
        for (int i = 0; i < 3; ++i) title += kWideStop;
        title += "  ";
    }
    for (int i = 0; i < 3; ++i) {
        title += nameField(b, i);
        title = trimBlanks(title);
        title += "  ";
    }
    title += nameField(b, 3);
}

void CGSI50m::read() {
    if (!file_.isOpen()) throw MessageError(MessageId::IllegalWorkingFile);
    const SampleSelection sel = selection();
    std::vector<float>& heights = draw->heights;
    if (sel.total() == 0) {
        file_.close();
        return;
    }
    if (heights.size() < sel.total()) heights.resize(sel.total(), 0.0f);
    const std::size_t usedCols = static_cast<std::size_t>(sel.usedCols());
    const float sea = static_cast<float>(settings->seaHeight);

    std::vector<int> colSlots(static_cast<std::size_t>(demCols));
    for (int c = 0; c < demCols; ++c) colSlots[static_cast<std::size_t>(c)] = sel.colSlot(c);

    // The header check made sure the file holds every present record, so
    // they come in with one read.
    const std::size_t L = header_.recordLength;
    std::vector<char> data(header_.presentRows * L);
    auto got = file_.read(data.data(), data.size());
    file_.close();
    if (!got || *got < data.size()) throw MessageError(MessageId::IllegalWorkingFile);

    const char* next = data.data();
    for (int r = 0; r < demRows; ++r) {
        const bool present = header_.hasRecord(r);
        const char* rec = present ? next : nullptr;
        if (present) next += L;
        const int slot = sel.rowSlot(r);
        if (slot < 0) continue;
        float* out = &heights[static_cast<std::size_t>(slot) * usedCols];
        std::string_view record(rec ? rec : "", rec ? L : 0);
        for (int c = 0; c < demCols; ++c) {
            const int cs = colSlots[static_cast<std::size_t>(c)];
            if (cs < 0) continue;
            // A row the sheet leaves out is void, as a composition of the
            // same sheet would have it.
            float v = sea;
            if (present) {
                int raw = fieldInt(
                    record, kRecordHeader + kFieldWidth * static_cast<std::size_t>(c), kFieldWidth);
                if (raw != kVoidValue) v = static_cast<float>(raw * 0.1);
            }
            out[cs] = v;
        }
    }
}

std::string gsi50mTitle(const std::filesystem::path& path) noexcept {
    try {
        InputFile file;
        if (!file.open(path)) return {};
        std::string header(kHeaderSize, '\0');
        auto got = file.read(header.data(), header.size());
        if (!got || *got < kHeaderSize) return {};
        std::string text = trimBlanks(nameField(header, 0));
        if (std::string_view(header).substr(kNoteAt, kCompositionNote.size()) == kCompositionNote) {
            for (int i = 0; i < 3; ++i) text += kWideStop;
        }
        return text;
    } catch (...) {
        return {};
    }
}

}  // namespace hg
