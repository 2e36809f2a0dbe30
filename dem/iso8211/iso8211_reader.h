// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

namespace hg {

// Where a subfield stands in the record structure. A subfield that is both
// the first of a record and the last of a field keeps kIsoFirstOfRecord;
// the end of the record or of the file wins over everything else. A field
// of a single subfield in the middle of a record reports kIsoFirstOfField.
enum Iso8211Status : int {
    kIsoFailure = 0,
    kIsoSubfield = 1,
    kIsoFirstOfRecord = 2,
    kIsoEndOfRecord = 3,
    kIsoEndOfFile = 4,
    kIsoEndOfField = 5,
    kIsoFirstOfField = 6,
};

// What the leader of a module's first record announces.
struct Iso8211Leader {
    int interchangeLevel = 0;
    char inlineCodeExtension = ' ';
    std::string extendedCharacterSet;
};

struct Iso8211Subfield {
    std::string tag;
    char leaderIdentifier = ' ';
    // Text, or the raw bytes in file order for a binary format.
    std::string value;
    std::size_t length = 0;
    int status = kIsoFailure;
};

// A subfield handed out without copying: the views point into the reader's
// current record and stay valid until the next read call.
struct Iso8211SubfieldView {
    std::string_view tag;
    char leaderIdentifier = ' ';
    std::string_view value;
    // The type letter with its width, as checkSubfield would report it.
    std::string_view format;
    int status = kIsoFailure;
};

// Subfields of one field that share a format and a fixed width, packed one
// after the other: element i is bytes.substr(i * width, width). None of them
// ends its field, so no record or file boundary lies inside a run.
struct Iso8211Run {
    std::string_view tag;
    std::string_view format;
    std::string_view bytes;
    std::size_t width = 0;
    std::size_t count() const { return width == 0 ? 0 : bytes.size() / width; }
};

struct Iso8211SubfieldInfo {
    // The current label of every level of the field's descriptor joined by
    // "!": a repeating "*X!Y" field gives "!X" and "!Y".
    std::string label;
    // The type letter with the width or delimiter as described, e.g. "I(6)".
    std::string format;
};

// Reads one ISO 8211 module as a flat stream of subfields. One object per
// open module; the file is closed when the object goes away. Every failure
// is a false return (with a status), never an exception, and after one the
// module is not read any further.
class Iso8211Reader {
public:
    Iso8211Reader();
    ~Iso8211Reader();
    Iso8211Reader(Iso8211Reader&&) noexcept;
    Iso8211Reader& operator=(Iso8211Reader&&) noexcept;
    Iso8211Reader(const Iso8211Reader&) = delete;
    Iso8211Reader& operator=(const Iso8211Reader&) = delete;

    // Mode "R" or "r" only. Fails unless the interchange level is 1, 2 or 3.
    bool openModule(const std::filesystem::path& path, std::string_view mode,
                    Iso8211Leader& leader);
    // Parses the descriptive record and copies it whole into text. status is
    // kIsoEndOfRecord, or kIsoEndOfFile when no data record follows; on
    // failure kIsoEndOfFile if the file ended early, else kIsoFailure.
    bool readDescriptiveRecord(std::string& text, int& status);
    // The next subfield in file order. On failure out.status is
    // kIsoEndOfFile when the end of the file was reached, else kIsoFailure.
    bool readSubfield(Iso8211Subfield& out);
    // readSubfield without the copies: the same subfields, statuses and
    // failures, and the two calls can be mixed.
    bool readSubfieldView(Iso8211SubfieldView& out);
    // When the field being read has more than one fixed-width subfield of a
    // single format still to come, hands out all of them but the one that
    // would end the field, as if each had been read with readSubfield; else
    // returns false and reads nothing. Never fails the module: any fault is
    // left for the next readSubfield to report.
    bool readRun(Iso8211Run& out);
    // Label and format of the subfield last read, which must belong to tag.
    bool checkSubfield(std::string_view tag, Iso8211SubfieldInfo& out) const;
    void closeModule();
    bool isOpen() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace hg
