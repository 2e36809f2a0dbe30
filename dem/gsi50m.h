// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "dem/mesh.h"
#include "platform/file.h"

namespace hg {

// The GSI 50 m mesh layout: a 1011-byte header of fixed ASCII fields, then
// one fixed-length record per present row. Shared by the reader and the
// sheet composer so both agree on which rows a file really holds.
namespace gsi50m {

inline constexpr std::size_t kHeaderSize = 1011;
inline constexpr std::size_t kColsAt = 23;
inline constexpr std::size_t kRowsAt = 26;
inline constexpr std::size_t kCountWidth = 3;
inline constexpr std::size_t kSouthAt = 29;
inline constexpr std::size_t kWestAt = 36;
inline constexpr std::size_t kNorthAt = 43;
inline constexpr std::size_t kEastAt = 50;
inline constexpr std::size_t kAngleWidth = 7;
inline constexpr std::size_t kNameAt[4] = {58, 79, 100, 121};
inline constexpr std::size_t kNameWidth = 10;
inline constexpr std::size_t kRecordCountAt = 142;
inline constexpr std::size_t kNoteAt = 145;
inline constexpr std::string_view kCompositionNote = "Composed by Orogenist for Hillglimmer";
inline constexpr std::size_t kFlagsAt = 225;
// Rows whose presence flag still fits inside the header.
inline constexpr int kMaxFlaggedRows = static_cast<int>(kHeaderSize - kFlagsAt);
inline constexpr std::size_t kRecordHeader = 9;
inline constexpr std::size_t kFieldWidth = 5;
inline constexpr int kVoidValue = -9999;
// Shift_JIS full-width blank and full stop.
inline constexpr std::string_view kWideBlank = "\x81\x40";
inline constexpr std::string_view kWideStop = "\x81\x44";

inline std::size_t recordLength(int cols) {
    return kRecordHeader + kFieldWidth * static_cast<std::size_t>(cols) + 2;
}

// A fixed-width number: leading blanks, optional sign, digits up to the
// first other byte; 0 when there are none.
int fieldInt(std::string_view bytes, std::size_t offset, std::size_t width);

// A ddd mm ss field as arc-seconds.
double angleAt(std::string_view header, std::size_t offset);

// Removes blanks (0x20 and the full-width pair 0x81 0x40) from both ends,
// walking whole Shift_JIS characters so a trail byte is never mistaken for
// the start of a blank.
std::string trimBlanks(std::string_view sjis);

// A name field up to its first NUL, as raw Shift_JIS bytes.
std::string nameField(std::string_view header, int index);

// What a header says about its file, checked against the file's size.
struct SheetHeader {
    std::string bytes;  // the kHeaderSize header bytes
    int cols = 0;
    int rows = 0;
    int recordCount = 0;
    double south = 0, west = 0, north = 0, east = 0;
    bool composed = false;
    // Every row has a record: a composed file, or a file whose size is
    // exactly one record per row (its flags cannot mean anything else).
    bool everyRowPresent = false;
    std::size_t recordLength = 0;
    std::size_t presentRows = 0;

    bool hasRecord(int r) const;
};

// Parses a header against its file's size. Throws MessageError
// IllegalWorkingFile when the counts cannot describe a file of that size.
SheetHeader parseHeader(std::string bytes, std::uint64_t fileSize);

// Opens path and reads its header, leaving file positioned behind it.
// MessageError WorkingFileMissing when it cannot be read,
// IllegalWorkingFile when short or implausible.
SheetHeader openSheet(InputFile& file, const std::filesystem::path& path);

// Reads every row's record (absent rows become records of void fields) into
// rows x recordLength bytes. MessageError IllegalWorkingFile when a record is
// short.
std::vector<char> readAllRows(InputFile& file, const SheetHeader& header);

}  // namespace gsi50m

// The GSI 50 m mesh reader: a published map sheet or a composition of
// sheets, as copied into the working file.
class CGSI50m : public CMesh {
public:
    CGSI50m(TerrainBuffers& draw, CViewSettings& settings, std::filesystem::path fileName);

    void open() override;
    void read() override;

    // From the header; valid after open.
    int recordCount = 0;
    const std::string& header() const { return header_.bytes; }

private:
    InputFile file_;
    gsi50m::SheetHeader header_;
};

// The label of a working file: name field 1 trimmed, followed by three
// full-width full stops when the file is a composition. Raw Shift_JIS;
// empty when the header cannot be read. Never throws.
std::string gsi50mTitle(const std::filesystem::path& path) noexcept;

}  // namespace hg
