// SPDX-License-Identifier: MIT
#include "dem/gsi50m_sheets.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

#include "dem/gsi50m.h"
#include "platform/file.h"
#include "platform/message_error.h"
#include "platform/messages.h"
#include "platform/text_number.h"
#include "settings/settings.h"

namespace hg {

namespace {

using namespace gsi50m;

// No real index comes near this; a larger file (or a device that never
// ends) is not an index.
constexpr std::uint64_t kMaxIndexBytes = 64ull << 20;
constexpr std::size_t kCodeLength = 6;
constexpr std::size_t kFolderLength = 4;
constexpr std::size_t kNameOffset = 7;
// Where a record's values start once its header and first value, the
// column the western neighbour already wrote, are dropped.
constexpr std::size_t kAfterFirstValue = kRecordHeader + kFieldWidth;

std::runtime_error settingsNotSaved() {
    return std::runtime_error(loadMessage(MessageId::SettingsNotSavedDemReplaced));
}

// One selected sheet, read whole before anything is written.
struct Sheet {
    int listIndex = 0;
    SheetHeader h;
    std::vector<char> records;  // h.rows records, absent rows as voids

    const char* row(int r) const { return &records[static_cast<std::size_t>(r) * h.recordLength]; }
};

Sheet loadSheet(int listIndex, const std::filesystem::path& path) {
    Sheet s;
    s.listIndex = listIndex;
    InputFile file;
    s.h = openSheet(file, path);
    s.records = readAllRows(file, s.h);
    return s;
}

// Exact comparisons: the edges are whole arc-seconds read from text. Equal
// counts are needed too, or the joined rows would not line up.
bool liesEastOf(const Sheet& a, const Sheet& b) {
    return a.h.east == b.h.west && a.h.north == b.h.north && a.h.rows == b.h.rows;
}

bool liesSouthOf(const Sheet& a, const Sheet& b) {
    return a.h.west == b.h.west && a.h.south == b.h.north && a.h.cols == b.h.cols;
}

// The 3-character count fields cannot hold more than 999.
void putCount(std::string& header, std::size_t offset, int value) {
    if (value < 0 || value > 999) throw MessageError(MessageId::IllegalWorkingFile);
    const std::string text = formatInteger(value, static_cast<int>(kCountWidth));
    std::memcpy(&header[offset], text.data(), kCountWidth);
}

void putAngle(std::string& header, std::size_t offset, double arcSeconds) {
    const long v = static_cast<long>(arcSeconds);
    const long deg = v / 3600;
    const long min = std::labs((v % 3600) / 60);
    const long sec = std::labs((v % 3600) % 60);
    const std::string text = formatInteger(deg, 3) + formatInteger(min, 2) + formatInteger(sec, 2);
    if (text.size() != kAngleWidth) throw MessageError(MessageId::IllegalWorkingFile);
    std::memcpy(&header[offset], text.data(), kAngleWidth);
}

void putName(std::string& header, int field, const Sheet& from) {
    std::memcpy(&header[kNameAt[field]], &from.h.bytes[kNameAt[0]], kNameWidth);
}

void appendBytes(std::vector<char>& out, const char* p, std::size_t n) {
    out.insert(out.end(), p, p + n);
}

// Row r of a west sheet and its east neighbour as one record: a's record
// without its line end, then b's values but the first, line end included.
void appendJoinedRow(std::vector<char>& out, const Sheet& a, const Sheet& b, int r) {
    appendBytes(out, a.row(r), a.h.recordLength - 2);
    appendBytes(out, b.row(r) + kAfterFirstValue, b.h.recordLength - kAfterFirstValue);
}

}  // namespace

void CGSI50mSheets::loadIndex(const std::filesystem::path& indexPath) {
    lines_.clear();
    folder_ = indexPath.parent_path();
    InputFile file;
    if (!file.open(indexPath)) throw MessageError(MessageId::IllegalSheetIndex);
    std::vector<std::string> lines;
    std::string current;
    std::vector<char> buffer(1 << 16);
    std::uint64_t total = 0;
    for (;;) {
        auto got = file.read(buffer.data(), buffer.size());
        if (!got) throw MessageError(MessageId::IllegalSheetIndex);
        if (*got == 0) break;
        total += *got;
        if (total > kMaxIndexBytes) throw MessageError(MessageId::IllegalSheetIndex);
        for (std::size_t k = 0; k < *got; ++k) {
            char c = buffer[k];
            if (c == '\n') {
                // A CR (or a stray NUL) ends the text of its line.
                lines.push_back(current.substr(0, current.find_first_of(std::string("\r\0", 2))));
                current.clear();
            } else {
                current += c;
            }
        }
    }
    // A last line without its LF is not an entry.
    lines_ = std::move(lines);
}

std::string CGSI50mSheets::shownName(int i) const {
    const std::string& l = line(i);
    return l.size() > kNameOffset ? l.substr(kNameOffset) : std::string();
}

std::optional<std::string> CGSI50mSheets::code(int i) const {
    const std::string& l = line(i);
    if (l.size() < kCodeLength) return std::nullopt;
    std::string c = l.substr(0, kCodeLength);
    // The code becomes file and folder names; a separator would walk
    // elsewhere.
    if (c.find('/') != std::string::npos) return std::nullopt;
    return c;
}

std::optional<int> CGSI50mSheets::indexOfCode(const std::string& wanted) const {
    for (int i = 0; i < entryCount(); ++i) {
        auto c = code(i);
        if (c && *c == wanted) return i;
    }
    return std::nullopt;
}

std::filesystem::path CGSI50mSheets::sheetPath(int i) const {
    auto c = code(i);
    if (!c) throw MessageError(MessageId::IllegalSheetIndex);
    std::filesystem::path relative =
        std::filesystem::path("data") / c->substr(0, kFolderLength) / (*c + ".mem");
    if (auto found = resolveIgnoringCase(folder_, relative)) return *found;
    return folder_ / relative;
}

void CGSI50mSheets::copyOneSheet(int i, const std::filesystem::path& memPath,
                                 ProfileStore& store) const {
    std::filesystem::path sheet = sheetPath(i);
    {
        // A sheet that is missing or broken must not replace a working file
        // that still works.
        InputFile probe;
        openSheet(probe, sheet);
    }
    if (!copyFileAtomically(sheet, memPath)) throw MessageError(MessageId::WorkingFileWrite);
    if (!writeDemType(store, kDemGsi50m)) throw settingsNotSaved();
}

void CGSI50mSheets::composeSheets(const std::vector<int>& indices,
                                  const std::filesystem::path& memPath, ProfileStore& store) const {
    const std::size_t n = indices.size();
    if (n != 2 && n != 4) throw MessageError(MessageId::IllegalSheetCount);

    // Placement below depends on list order only for ties, so the caller's
    // order must not matter.
    std::vector<int> picked(indices);
    std::sort(picked.begin(), picked.end());
    std::vector<Sheet> s;
    s.reserve(n);
    for (int i : picked) s.push_back(loadSheet(i, sheetPath(i)));

    std::stable_sort(s.begin(), s.end(),
                     [](const Sheet& a, const Sheet& b) { return a.h.north > b.h.north; });
    for (std::size_t k = 0; k + 1 < n; k += 2) {
        if (s[k].h.east > s[k + 1].h.east) std::swap(s[k], s[k + 1]);
    }

    std::string header = s[0].h.bytes;
    for (int f = 0; f < 4; ++f) std::memset(&header[kNameAt[f]], ' ', kNameWidth);
    putName(header, 0, s[0]);
    putName(header, 1, s[1]);
    std::memcpy(&header[kNoteAt], kCompositionNote.data(), kCompositionNote.size());

    int outCols = 0, outRows = 0;
    std::vector<char> out;
    if (n == 2 && s[0].h.north <= s[1].h.north) {
        if (!liesEastOf(s[0], s[1])) throw MessageError(MessageId::SheetsNotJoinedEastWest);
        outCols = s[0].h.cols + s[1].h.cols - 1;
        outRows = s[0].h.rows;
        putCount(header, kColsAt, outCols);
        putCount(header, kRecordCountAt, outRows);
        putAngle(header, kEastAt, s[1].h.east);
        out.reserve(kHeaderSize + static_cast<std::size_t>(outRows) * recordLength(outCols));
        appendBytes(out, header.data(), header.size());
        for (int r = 0; r < outRows; ++r) appendJoinedRow(out, s[0], s[1], r);
    } else if (n == 2) {
        if (!liesSouthOf(s[0], s[1])) throw MessageError(MessageId::SheetsNotJoinedNorthSouth);
        outCols = s[0].h.cols;
        outRows = s[0].h.rows + s[1].h.rows - 1;
        putCount(header, kRowsAt, outRows);
        putCount(header, kRecordCountAt, outRows);
        putAngle(header, kSouthAt, s[1].h.south);
        out.reserve(kHeaderSize + static_cast<std::size_t>(outRows) * recordLength(outCols));
        appendBytes(out, header.data(), header.size());
        appendBytes(out, s[0].records.data(), s[0].records.size());
        // The southern sheet's first row is the northern sheet's last.
        const std::size_t L = s[1].h.recordLength;
        appendBytes(out, s[1].records.data() + L, s[1].records.size() - L);
    } else {
        if (!liesEastOf(s[0], s[1]) || !liesEastOf(s[2], s[3]))
            throw MessageError(MessageId::SheetsNotJoinedEastWest);
        // Both columns of the square must meet, or the southern rows would
        // be a different length from the northern ones.
        if (!liesSouthOf(s[0], s[2]) || !liesSouthOf(s[1], s[3]))
            throw MessageError(MessageId::SheetsNotJoinedNorthSouth);
        outCols = s[0].h.cols + s[1].h.cols - 1;
        outRows = s[0].h.rows + s[2].h.rows - 1;
        putCount(header, kColsAt, outCols);
        putCount(header, kRowsAt, outRows);
        putCount(header, kRecordCountAt, outRows);
        putAngle(header, kSouthAt, s[2].h.south);
        putAngle(header, kEastAt, s[1].h.east);
        putName(header, 2, s[2]);
        putName(header, 3, s[3]);
        out.reserve(kHeaderSize + static_cast<std::size_t>(outRows) * recordLength(outCols));
        appendBytes(out, header.data(), header.size());
        for (int r = 0; r < s[0].h.rows; ++r) appendJoinedRow(out, s[0], s[1], r);
        for (int r = 1; r < s[2].h.rows; ++r) appendJoinedRow(out, s[2], s[3], r);
    }

    bool written = replaceFileAtomically(
        memPath, [&](int fd) { return writeAll(fd, out.data(), out.size()); });
    if (!written) throw MessageError(MessageId::WorkingFileWrite);

    // Unlike a single sheet, a composition keeps the stored window limits.
    bool saved =
        store.putStrings(kSection, {{key::demType, "0"}, {key::isPart, "0"}}) && store.flush();
    if (!saved) throw settingsNotSaved();
}

}  // namespace hg
