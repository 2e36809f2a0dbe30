#include "dem/fot_dhm25.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>
#include <string_view>
#include <vector>

#include "dem/geodesy.h"
#include "platform/file.h"
#include "platform/message_error.h"

namespace hg {

namespace {

constexpr int kMsgFormat = 14;
constexpr int kMsgLineEnd = 19;
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

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

std::string_view skipBlanks(std::string_view s) {
    while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
    return s;
}

// Reads numbers the way "%lf %lf" or "%d %d" would: blanks, then each
// number; false when one is missing or out of range.
template <typename T, std::size_t N>
bool parseNumbers(std::string_view text, T (&out)[N]) {
    for (std::size_t i = 0; i < N; ++i) {
        text = skipBlanks(text);
        if (text.size() > 1 && text.front() == '+' && text[1] != '-') text.remove_prefix(1);
        auto res = std::from_chars(text.data(), text.data() + text.size(), out[i]);
        if (res.ec != std::errc() || res.ptr == text.data()) return false;
        if constexpr (std::is_floating_point_v<T>) {
            if (!std::isfinite(out[i])) return false;
        }
        text.remove_prefix(static_cast<std::size_t>(res.ptr - text.data()));
    }
    return true;
}

// A right-aligned signed integer in a fixed-width field; blanks around it
// are allowed, anything else is not.
bool parseField(const char* p, int width, int& value) {
    int i = 0;
    while (i < width && p[i] == ' ') ++i;
    bool negative = false;
    if (i < width && (p[i] == '-' || p[i] == '+')) negative = p[i++] == '-';
    int start = i, v = 0;
    while (i < width && p[i] >= '0' && p[i] <= '9') v = v * 10 + (p[i++] - '0');
    if (i == start) return false;
    while (i < width && p[i] == ' ') ++i;
    if (i != width) return false;
    value = negative ? -v : v;
    return true;
}

}  // namespace

// The open model file, read through a block buffer: header lines byte by
// byte up to their LF, records by length.
class Dhm25Source {
public:
    bool open(const std::filesystem::path& path) { return file_.open(path); }
    std::optional<std::uint64_t> size() const { return file_.size(); }

    bool rewind() {
        pos_ = end_ = 0;
        return file_.seek(0);
    }

    // The next line with its LF; false at the end of the file or after
    // kMaxLine bytes without one. A failed read call throws 14.
    bool nextLine(std::string& line) {
        line.clear();
        while (line.size() < kMaxLine) {
            if (pos_ == end_ && !fill()) return false;
            char c = buffer_[pos_++];
            line.push_back(c);
            if (c == '\n') return true;
        }
        return false;
    }

    // Up to n bytes; fewer only at the end of the file.
    std::size_t read(char* out, std::size_t n) {
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

private:
    bool fill() {
        auto got = file_.read(buffer_.data(), buffer_.size());
        if (!got) throw MessageError(kMsgFormat);
        pos_ = 0;
        end_ = *got;
        return end_ > 0;
    }

    InputFile file_;
    std::vector<char> buffer_ = std::vector<char>(1 << 16);
    std::size_t pos_ = 0, end_ = 0;
};

namespace {

// The text behind key on the next line holding it; nullopt when a line
// holding ENDHEADER, the end of the file or an overlong line comes first.
std::optional<std::string_view> seek(Dhm25Source& src, std::string& line, std::string_view key) {
    for (;;) {
        if (!src.nextLine(line)) return std::nullopt;
        std::string_view l(line);
        auto at = l.find(key);
        if (at != std::string_view::npos) return l.substr(at + key.size());
        if (l.find(kEndHeader) != std::string_view::npos) return std::nullopt;
    }
}

std::string_view require(Dhm25Source& src, std::string& line, std::string_view key, int id) {
    auto rest = seek(src, line, key);
    if (!rest) throw MessageError(id);
    return *rest;
}

// Finds NEWHEADER and then the model name; empty when the header has no
// name. Throws 6 when there is no header.
std::string readTitle(Dhm25Source& src, std::string& line) {
    require(src, line, kNewHeader, 6);
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
    if (!std::isfinite(arcSeconds)) throw MessageError(kMsgFormat);
    return arcSeconds;
}

}  // namespace

double swissNorthingToLatitude(double northing) {
    double d = northing - 200000.0;
    if (!(std::fabs(d) <= kMaxOffset)) return std::nan("");
    double phi = 169028.66;
    double m = 1.0;
    // One arc-second at a time from the origin's latitude, then the
    // remainder as a fraction of the last step.
    if (d > 0.0) {
        do {
            m = metresPerArcSecNS(kBessel, phi);
            phi += 1.0;
            d -= m;
        } while (d > 0.0);
    } else if (d < 0.0) {
        do {
            m = metresPerArcSecNS(kBessel, phi);
            phi -= 1.0;
            d += m;
        } while (d < 0.0);
    } else {
        return 169028.66;
    }
    return phi + d / m;
}

double swissEastingToLongitude(double easting, double latitudeArcSec) {
    if (!(std::fabs(easting - 600000.0) <= kMaxOffset)) return std::nan("");
    return (easting - 600000.0) / metresPerArcSecEW(kBessel, latitudeArcSec) + 26782.5;
}

CFOTdhm25::CFOTdhm25(TerrainBuffers& d, CViewSettings& s, std::filesystem::path path)
    : CMesh(d, s, std::move(path)) {}

CFOTdhm25::~CFOTdhm25() = default;

bool CFOTdhm25::open() {
    source_ = std::make_unique<Dhm25Source>();
    Dhm25Source& src = *source_;
    if (!src.open(fileName)) throw MessageError(kMsgFormat);
    fileSize_ = src.size().value_or(0);
    std::string line;
    title = readTitle(src, line);

    // The keys may come in any place relative to NEWHEADER; search again
    // from the top.
    if (!src.rewind()) throw MessageError(kMsgFormat);
    double nw[2], se[2], mesh[2];
    int dims[2], range[2], recLen[1];
    if (!parseNumbers(require(src, line, kNorthWest, 7), nw)) throw MessageError(7);
    if (!parseNumbers(require(src, line, kSouthEast, 8), se)) throw MessageError(8);
    double north = checked(swissNorthingToLatitude(nw[1]));
    double west = checked(swissEastingToLongitude(nw[0], north));
    double south = checked(swissNorthingToLatitude(se[1]));
    double east = checked(swissEastingToLongitude(se[0], south));
    if (!parseNumbers(require(src, line, kMeshWidth, 9), mesh)) throw MessageError(9);
    if (!parseNumbers(require(src, line, kDimensions, 10), dims)) throw MessageError(10);
    if (!parseNumbers(require(src, line, kHeightRange, 11), range)) throw MessageError(11);
    if (!parseNumbers(require(src, line, kRecordLength, 12), recLen)) throw MessageError(12);
    require(src, line, kEndHeader, 13);

    // Six characters a height at the least: a header that promises more
    // than the file holds is refused before the heights are allocated.
    if (!plausibleGrid(dims[0], dims[1], fileSize_, kFieldWidth)) throw MessageError(kMsgFormat);
    if (recLen[0] < kFieldWidth) throw MessageError(kMsgFormat);

    swX = west;
    swY = south;
    nwX = west;
    nwY = north;
    neX = east;
    neY = north;
    seX = east;
    seY = south;
    ewSpacingN = ewSpacingS = ewSpacing = mesh[0];
    nsSpacingN = nsSpacingS = nsSpacing = mesh[1];
    demCols = dims[0];
    demRows = dims[1];
    minHeight = static_cast<float>(range[0] * 0.1);
    maxHeight = static_cast<float>(range[1] * 0.1);
    recordLength = recLen[0];
    return true;
}

bool CFOTdhm25::read() {
    if (!source_) throw MessageError(kMsgFormat);
    // The file is released however this ends.
    std::unique_ptr<Dhm25Source> src = std::move(source_);

    SampleSelection sel = selection();
    std::vector<float>& heights = draw->heights;
    if (heights.size() != sel.total()) heights.assign(sel.total(), 0.0f);
    const std::size_t total = sel.total();
    if (total == 0) return true;

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
        if (isShort && recordsRead < expected - 1) throw MessageError(kMsgFormat);
        ++recordsRead;
        if (!isShort) {
            char end = record[static_cast<std::size_t>(recordLength)];
            if (end != '\n' && end != '\r') throw MessageError(kMsgLineEnd);
            if (end == '\r') {
                char lf = 0;
                if (src->read(&lf, 1) == 1 && lf != '\n') throw MessageError(kMsgLineEnd);
            }
        }
        std::size_t limit = std::min<std::size_t>(got, static_cast<std::size_t>(recordLength));
        for (std::size_t off = 0; off + kFieldWidth <= limit; off += kFieldWidth) {
            if (rowSlot >= 0) {
                int colSlot = colSlots[static_cast<std::size_t>(col)];
                if (colSlot >= 0) {
                    int v = 0;
                    if (!parseField(&record[off], kFieldWidth, v)) throw MessageError(kMsgFormat);
                    heights[static_cast<std::size_t>(rowSlot) * usedCols +
                            static_cast<std::size_t>(colSlot)] = static_cast<float>(v * 0.1);
                    if (++count == total) return true;
                }
            }
            if (++col == demCols) {
                col = 0;
                ++row;
                rowSlot = row < demRows ? sel.rowSlot(row) : -1;
            }
        }
        // The file ended before every wanted height came.
        if (isShort) throw MessageError(kMsgFormat);
    }
}

std::string dhm25Title(const std::filesystem::path& path) {
    try {
        Dhm25Source src;
        if (!src.open(path)) return {};
        std::string line;
        return readTitle(src, line);
    } catch (...) {
        return {};
    }
}

}  // namespace hg
