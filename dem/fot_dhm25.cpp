// SPDX-License-Identifier: MIT
#include "dem/fot_dhm25.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <string_view>
#include <vector>

#include "dem/geodesy.h"
#include "dem/line_reader.h"
#include "platform/message_error.h"
#include "platform/text_number.h"

namespace hg {

namespace {

constexpr std::size_t kMaxLine = 256;
constexpr int kFieldWidth = 6;
constexpr int kBessel = 1;

constexpr std::string_view kNewHeader = "NEWHEADER";
constexpr std::string_view kEndHeader = "ENDHEADER";
constexpr std::string_view kModelName = "MODELLNAME";
// The blanks inside belong to the keys: the header is column-aligned.
constexpr std::string_view kNorthWest = "NORD-WEST ECKE     [M]";
constexpr std::string_view kSouthEast = "SUED-OST ECKE      [M]";
constexpr std::string_view kMeshWidth = "MASCHENWEITE WE/NS [M]";
constexpr std::string_view kDimensions = "MATRIXDIMENSIONEN WE/NS";
constexpr std::string_view kHeightRange = "HOEHENBEREICH     [DM]";
constexpr std::string_view kRecordLength = "RECORDLAENGE(CHAR.)";

// Swiss plane coordinates further than this from the origin belong to no
// Swiss model; the latitude walk would take for ever to reach them.
constexpr double kMaxOffset = 2.0e6;

// Reads numbers the way "%lf %lf" or "%d %d" would: blanks, then each
// number; false when one is missing or out of range.
template <typename T, std::size_t N>
bool parseNumbers(std::string_view text, T (&out)[N]) {
    for (T& v : out) {
        if (!scanNumber(text, v)) return false;
    }
    return true;
}

// The text behind key on the next line holding it; nullopt when a line
// holding ENDHEADER, the end of the file or an overlong line comes first.
std::optional<std::string_view> seek(LineReader& src, std::string& line, std::string_view key) {
    for (;;) {
        if (!src.nextLine(line)) return std::nullopt;
        std::string_view l(line);
        auto at = l.find(key);
        if (at != std::string_view::npos) return l.substr(at + key.size());
        if (l.find(kEndHeader) != std::string_view::npos) return std::nullopt;
    }
}

std::string_view require(LineReader& src, std::string& line, std::string_view key, MessageId id) {
    auto rest = seek(src, line, key);
    if (!rest) throw MessageError(id);
    return *rest;
}

// Finds NEWHEADER and then the model name; empty when the header has no
// name. Throws Dhm25NoNewHeader when there is no header.
std::string readTitle(LineReader& src, std::string& line) {
    require(src, line, kNewHeader, MessageId::Dhm25NoNewHeader);
    auto rest = seek(src, line, kModelName);
    if (!rest) return {};
    std::string_view t = *rest;
    while (!t.empty() && (t.front() == ' ' || t.front() == '\t')) t.remove_prefix(1);
    while (!t.empty() &&
           (t.back() == ' ' || t.back() == '\t' || t.back() == '\r' || t.back() == '\n')) {
        t.remove_suffix(1);
    }
    return std::string(t);
}

double checked(double arcSeconds) {
    if (!std::isfinite(arcSeconds)) throw MessageError(MessageId::IllegalMatrix);
    return arcSeconds;
}

}  // namespace

double swissNorthingToLatitude(double northing) {
    double d = northing - 200000.0;
    if (!(std::fabs(d) <= kMaxOffset)) return std::nan("");
    return latitudeAlongMeridian(kBessel, 169028.66, d);
}

double swissEastingToLongitude(double easting, double latitudeArcSec) {
    if (!(std::fabs(easting - 600000.0) <= kMaxOffset)) return std::nan("");
    return (easting - 600000.0) / metresPerArcSecEW(kBessel, latitudeArcSec) + 26782.5;
}

CFOTdhm25::CFOTdhm25(TerrainBuffers& d, CViewSettings& s, std::filesystem::path path)
    : CMesh(d, s, std::move(path)) {}

CFOTdhm25::~CFOTdhm25() = default;

void CFOTdhm25::open() {
    source_ = std::make_unique<LineReader>(kMaxLine, MessageId::IllegalMatrix);
    LineReader& src = *source_;
    if (!src.open(fileName)) throw MessageError(MessageId::IllegalMatrix);
    fileSize_ = src.size().value_or(0);
    std::string line;
    title = readTitle(src, line);

    // The keys may come in any place relative to NEWHEADER; search again
    // from the top.
    if (!src.rewind()) throw MessageError(MessageId::IllegalMatrix);
    double nw[2], se[2], mesh[2];
    int dims[2], range[2], recLen[1];
    if (!parseNumbers(require(src, line, kNorthWest, MessageId::Dhm25NoNorthWest), nw))
        throw MessageError(MessageId::Dhm25NoNorthWest);
    if (!parseNumbers(require(src, line, kSouthEast, MessageId::Dhm25NoSouthEast), se))
        throw MessageError(MessageId::Dhm25NoSouthEast);
    double north = checked(swissNorthingToLatitude(nw[1]));
    double west = checked(swissEastingToLongitude(nw[0], north));
    double south = checked(swissNorthingToLatitude(se[1]));
    double east = checked(swissEastingToLongitude(se[0], south));
    if (!parseNumbers(require(src, line, kMeshWidth, MessageId::Dhm25NoMeshWidth), mesh))
        throw MessageError(MessageId::Dhm25NoMeshWidth);
    if (!parseNumbers(require(src, line, kDimensions, MessageId::Dhm25NoDimensions), dims))
        throw MessageError(MessageId::Dhm25NoDimensions);
    if (!parseNumbers(require(src, line, kHeightRange, MessageId::Dhm25NoHeightRange), range))
        throw MessageError(MessageId::Dhm25NoHeightRange);
    if (!parseNumbers(require(src, line, kRecordLength, MessageId::Dhm25NoRecordLength), recLen))
        throw MessageError(MessageId::Dhm25NoRecordLength);
    require(src, line, kEndHeader, MessageId::Dhm25NoEndHeader);

    // Six characters a height at the least: a header that promises more
    // than the file holds is refused before the heights are allocated.
    if (!plausibleGrid(dims[0], dims[1], fileSize_, kFieldWidth))
        throw MessageError(MessageId::IllegalMatrix);
    if (recLen[0] < kFieldWidth) throw MessageError(MessageId::IllegalMatrix);

    setBounds(west, south, east, north);
    ewSpacingN = ewSpacingS = ewSpacing = mesh[0];
    nsSpacingN = nsSpacingS = nsSpacing = mesh[1];
    demCols = dims[0];
    demRows = dims[1];
    minHeight = static_cast<float>(range[0] * 0.1);
    maxHeight = static_cast<float>(range[1] * 0.1);
    recordLength = recLen[0];
}

void CFOTdhm25::read() {
    if (!source_) throw MessageError(MessageId::IllegalMatrix);
    // The file is released however this ends.
    std::unique_ptr<LineReader> src = std::move(source_);

    SampleSelection sel = selection();
    std::vector<float>& heights = draw->heights;
    if (heights.size() != sel.total()) heights.assign(sel.total(), 0.0f);
    const std::size_t total = sel.total();
    if (total == 0) return;

    std::vector<int> colSlots(static_cast<std::size_t>(demCols));
    for (int c = 0; c < demCols; ++c) colSlots[static_cast<std::size_t>(c)] = sel.colSlot(c);

    const std::int64_t chars = static_cast<std::int64_t>(demCols) * demRows * kFieldWidth;
    const std::int64_t expected = (chars + recordLength - 1) / recordLength;
    const std::size_t want = static_cast<std::size_t>(recordLength) + 1;
    // Every read of a record longer than the file comes up short, so the
    // buffer never needs to exceed the file.
    std::vector<char> record(
        static_cast<std::size_t>(std::min<std::uint64_t>(want, fileSize_ + 1)));
    const std::size_t usedCols = static_cast<std::size_t>(sel.usedCols());

    std::size_t count = 0;
    std::int64_t recordsRead = 0;
    int row = 0, col = 0;
    int rowSlot = sel.rowSlot(0);
    for (;;) {
        std::size_t got = src->read(record.data(), std::min(want, record.size()));
        bool isShort = got < want;
        // Only the last record may be short.
        if (isShort && recordsRead < expected - 1) throw MessageError(MessageId::IllegalMatrix);
        ++recordsRead;
        if (!isShort) {
            char end = record[static_cast<std::size_t>(recordLength)];
            if (end != '\n' && end != '\r') throw MessageError(MessageId::IllegalLineEnd);
            if (end == '\r') {
                char lf = 0;
                if (src->read(&lf, 1) == 1 && lf != '\n')
                    throw MessageError(MessageId::IllegalLineEnd);
            }
        }
        std::size_t limit = std::min<std::size_t>(got, static_cast<std::size_t>(recordLength));
        for (std::size_t off = 0; off + kFieldWidth <= limit; off += kFieldWidth) {
            if (rowSlot >= 0) {
                int colSlot = colSlots[static_cast<std::size_t>(col)];
                if (colSlot >= 0) {
                    int v = 0;
                    if (!parseIntField(std::string_view(&record[off], kFieldWidth), v))
                        throw MessageError(MessageId::IllegalMatrix);
                    heights[static_cast<std::size_t>(rowSlot) * usedCols +
                            static_cast<std::size_t>(colSlot)] = static_cast<float>(v * 0.1);
                    if (++count == total) return;
                }
            }
            if (++col == demCols) {
                col = 0;
                ++row;
                rowSlot = row < demRows ? sel.rowSlot(row) : -1;
            }
        }
        // The file ended before every wanted height came.
        if (isShort) throw MessageError(MessageId::IllegalMatrix);
    }
}

std::string dhm25Title(const std::filesystem::path& path) {
    try {
        LineReader src(kMaxLine, MessageId::IllegalMatrix);
        if (!src.open(path)) return {};
        std::string line;
        return readTitle(src, line);
    } catch (...) {
        return {};
    }
}

}  // namespace hg
