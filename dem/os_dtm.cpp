// SPDX-License-Identifier: MIT
#include "dem/os_dtm.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <utility>

#include "dem/geodesy.h"
#include "platform/file.h"
#include "platform/message_error.h"
#include "platform/text_number.h"

namespace hg {

namespace {

// Tiles are a few megabytes; anything far larger is not a height grid.
constexpr std::uint64_t kMaxFileBytes = 256ull << 20;

// A record's "%" must come within this many bytes of its start, line
// breaks included; past it the record counts as missing.
constexpr std::size_t kPrintableLimit = 257;
// The title look-up is stricter: the "%" itself must be among the first 256.
constexpr std::size_t kTitlePercentLimit = 256;

// Far outside the National Grid. Also bounds the latitude walk below, which
// steps one arc-second (about 31 m) at a time.
constexpr double kMaxGridMetres = 2.0e6;

constexpr const char* kPanoramaName = "OS_LANDRANGER_DTM";
constexpr const char* kProfileName = "L-F_PROFILE_DTM";

// Collects one record from a byte source: printable bytes up to and
// including the "%"; line breaks and other control bytes are dropped. False
// when the source ends first or the record overruns its limit. get()
// returns the next byte, or -1 at the end.
template <class Get>
bool collectRecord(Get&& get, std::string& out, std::size_t printableLimit,
                   std::size_t percentLimit) {
    out.clear();
    for (std::size_t j = 0;; ++j) {
        int c = get();
        if (c < 0) return false;
        if (j >= percentLimit) return false;
        if (c == '%') {
            out.push_back('%');
            return true;
        }
        if (c < 0x20 || c == 0x7F) continue;
        if (j >= printableLimit) return false;
        out.push_back(static_cast<char>(c));
    }
}

bool hasType(const std::string& record, const char* type) {
    return record.size() >= 2 && record[0] == type[0] && record[1] == type[1];
}

// The field at offset, clipped to the record without its "%".
std::string_view field(const std::string& record, std::size_t offset, std::size_t width) {
    std::size_t body = record.empty() ? 0 : record.size() - 1;
    if (offset >= body) return {};
    return std::string_view(record).substr(offset, std::min(width, body - offset));
}

std::string trimmed(std::string_view s) {
    std::size_t n = s.size();
    while (n > 0 && s[n - 1] == ' ') --n;
    return std::string(s.substr(0, n));
}

// Leading blanks, an optional sign, decimal digits; a field too long for
// any height is clamped rather than overflowing.
long long parseInt(std::string_view s) {
    return clampedLeadingInteger<long long>(s);
}

// Leading blanks, an optional sign, digits, an optional point and an
// optional exponent. A blank field is 0; anything unreadable is NaN, which
// the header checks refuse.
double parseReal(std::string_view s) {
    if (skipAsciiSpace(s).empty()) return 0.0;
    double v = 0.0;
    return scanNumber(s, v) ? v : std::nan("");
}

// Latitude in arc-seconds of a National Grid northing: the grid's true
// origin lies 100 km south of its false origin, at 49 degrees north.
double latitudeFromNorthing(double northing) {
    constexpr double kOriginLatitude = 176400.0;
    return latitudeAlongMeridian(0, kOriginLatitude, northing + 100000.0);
}

// Longitude in arc-seconds: the true origin lies 400 km east of the false
// one, on 2 degrees west.
double longitudeFromEasting(double easting, double latitude) {
    return (easting - 400000.0) / metresPerArcSecEW(0, latitude) - 7200.0;
}

bool withinGrid(double metres) {
    return std::isfinite(metres) && std::fabs(metres) <= kMaxGridMetres;
}

// The file read in blocks, one byte at a time to the record collector.
class FileBytes {
public:
    explicit FileBytes(const std::filesystem::path& path) : buffer_(16384) {
        if (!file_.open(path)) throw MessageError(MessageId::NtfRecordData);
    }
    int get() {
        if (pos_ == len_) {
            if (ended_) return -1;
            auto got = file_.read(buffer_.data(), buffer_.size());
            if (!got) throw MessageError(MessageId::NtfRecordData);
            len_ = *got;
            pos_ = 0;
            ended_ = len_ < buffer_.size();
            if (len_ == 0) return -1;
        }
        return buffer_[pos_++];
    }

private:
    InputFile file_;
    std::vector<unsigned char> buffer_;
    std::size_t pos_ = 0;
    std::size_t len_ = 0;
    bool ended_ = false;
};

}  // namespace

COSdtm::COSdtm(TerrainBuffers& d, CViewSettings& s, std::filesystem::path path)
    : CMesh(d, s, std::move(path)) {}

COSdtm::~COSdtm() = default;

bool COSdtm::nextRecord() {
    const std::size_t end = image_.size();
    // Nearly every record ends well inside the limit: copy it whole and drop
    // its line breaks afterwards.
    if (cursor_ >= end) return false;
    const std::size_t window = std::min(end - cursor_, kPrintableLimit + 1);
    const char* from = image_.data() + cursor_;
    if (const void* hit = std::memchr(from, '%', window)) {
        const char* percent = static_cast<const char*>(hit);
        record_.assign(from, percent + 1);
        std::erase_if(record_, [](char ch) {
            auto c = static_cast<unsigned char>(ch);
            return c < 0x20 || c == 0x7F;
        });
        cursor_ += static_cast<std::size_t>(percent - from) + 1;
        return true;
    }
    auto get = [&]() -> int {
        return cursor_ < end ? static_cast<unsigned char>(image_[cursor_++]) : -1;
    };
    return collectRecord(get, record_, kPrintableLimit, SIZE_MAX);
}

bool COSdtm::recordIs(const char* type) const {
    return hasType(record_, type);
}

void COSdtm::findHeader(const char* type, MessageId message) {
    for (;;) {
        if (!nextRecord() || recordIs("51")) throw MessageError(message);
        if (recordIs(type)) return;
    }
}

void COSdtm::open() {
    auto data = readWholeFile(fileName, kMaxFileBytes);
    if (!data) throw MessageError(MessageId::IllegalNtf);
    image_ = std::move(*data);
    cursor_ = 0;
    product_ = Product::None;

    if (!nextRecord() || !recordIs("01")) throw MessageError(MessageId::NtfNoVolumeHeader);
    const std::string date = trimmed(field(record_, 42, 8));

    findHeader("02", MessageId::NtfNoDatabaseHeader);
    databaseName_ = trimmed(field(record_, 2, 20));
    title = databaseName_ + "  " + date;
    Product product = Product::None;
    if (databaseName_.find(kPanoramaName) != std::string::npos) {
        product = Product::Panorama;
    } else if (databaseName_.find(kProfileName) != std::string::npos) {
        product = Product::Profile;
        contoursBelowSea = true;
    } else {
        // Any other NTF product has no height grid; going on would draw
        // whatever the buffers held.
        throw MessageError(MessageId::IllegalNtf);
    }

    findHeader("07", MessageId::NtfNoSectionHeader);
    const std::string section = trimmed(field(record_, 2, 10));
    const double xyMultiplier = parseReal(field(record_, 20, 10));
    const long long width = parseInt(field(record_, 30, 5));
    const double zMultiplier = parseReal(field(record_, 36, 10));
    const double xOrigin = parseReal(field(record_, 46, 10));
    const double yOrigin = parseReal(field(record_, 56, 10));

    findHeader("50", MessageId::NtfNoGridHeader);
    title += "  " + section;

    // A field wider than a record could never be read; a negative one
    // would walk backwards.
    if (width < 0 || width >= static_cast<long long>(kPrintableLimit))
        throw MessageError(MessageId::IllegalNtf);
    heightWidth_ = width != 0 ? static_cast<int>(width) : (product == Product::Panorama ? 4 : 5);
    if (!std::isfinite(zMultiplier) || std::fabs(zMultiplier) > 1.0e6) {
        throw MessageError(MessageId::IllegalNtf);
    }
    heightFactor_ = zMultiplier * 0.001;

    // The grid header gives the number of columns (west to east) first,
    // then the heights per column; east-west spacing before north-south.
    long long cols = 0, rows = 0;
    double swEasting = 0, swNorthing = 0, ewStep = 50.0, nsStep = 50.0;
    if (product == Product::Panorama) {
        cols = parseInt(field(record_, 12, 4));
        rows = parseInt(field(record_, 16, 4));
        swEasting = xOrigin;
        swNorthing = yOrigin;
    } else {
        const double xOffset = parseReal(field(record_, 12, 5));
        const double yOffset = parseReal(field(record_, 17, 5));
        cols = parseInt(field(record_, 22, 8));
        rows = parseInt(field(record_, 30, 8));
        ewStep = parseReal(field(record_, 38, 4));
        nsStep = parseReal(field(record_, 42, 4));
        const double xyFactor = xyMultiplier * 0.001;
        swEasting = xOrigin + xOffset * xyFactor;
        swNorthing = yOrigin + yOffset * xyFactor;
        if (!(std::isfinite(ewStep) && ewStep > 0.0 && std::isfinite(nsStep) && nsStep > 0.0)) {
            throw MessageError(MessageId::IllegalNtf);
        }
    }
    if (!plausibleGrid(cols, rows)) throw MessageError(MessageId::IllegalNtf);
    // Every height takes at least its field in the file: a header that
    // promises more than the file holds is a cut-off file.
    if (!plausibleGrid(cols, rows, image_.size(), heightWidth_))
        throw MessageError(MessageId::NtfGridData);
    demCols = static_cast<int>(cols);
    demRows = static_cast<int>(rows);

    // The north-east post lies a whole number of spacings from the
    // south-west one, offset or not.
    const double neEasting = swEasting + static_cast<double>(cols - 1) * ewStep;
    const double neNorthing = swNorthing + static_cast<double>(rows - 1) * nsStep;
    if (!withinGrid(swEasting) || !withinGrid(swNorthing) || !withinGrid(neEasting) ||
        !withinGrid(neNorthing)) {
        throw MessageError(MessageId::IllegalNtf);
    }

    ewSpacingN = ewSpacingS = ewSpacing = ewStep;
    nsSpacingN = nsSpacingS = nsSpacing = nsStep;
    const double south = latitudeFromNorthing(swNorthing);
    const double north = latitudeFromNorthing(neNorthing);
    setBounds(longitudeFromEasting(swEasting, south), south, longitudeFromEasting(neEasting, north),
              north);
    minHeight = 0.0f;
    maxHeight = 0.0f;
    product_ = product;
}

void COSdtm::read() {
    if (product_ == Product::None) throw MessageError(MessageId::IllegalNtf);
    const SampleSelection pick = selection();
    const std::size_t total = pick.total();
    std::vector<float>& heights = draw->heights;
    if (heights.size() != total) heights.assign(total, 0.0f);
    const std::size_t usedCols = static_cast<std::size_t>(pick.usedCols());

    // Heights run south to north within a column; the grid is north first.
    std::vector<int> rowSlot(static_cast<std::size_t>(demRows));
    for (int k = 0; k < demRows; ++k)
        rowSlot[static_cast<std::size_t>(k)] = pick.rowSlot(demRows - 1 - k);

    const long long cells = static_cast<long long>(demCols) * demRows;
    const std::size_t width = static_cast<std::size_t>(heightWidth_);
    std::size_t stored = 0;
    long long i = 0;
    int k = 0;
    while (stored < total && i < cells) {
        std::size_t start = 2;
        if (i % demRows == 0) {
            do {
                if (!nextRecord()) throw MessageError(MessageId::NtfGridData);
            } while (!recordIs("51"));
            if (product_ == Product::Panorama) {
                // The grid record's continuation carries no heights.
                if (!nextRecord() || !nextRecord()) throw MessageError(MessageId::NtfGridData);
            } else {
                // Profile heights follow the column's position in the
                // grid record itself.
                start = 18;
            }
            k = 0;
        } else if (!nextRecord()) {
            throw MessageError(MessageId::NtfGridData);
        }
        const int colSlot = pick.colSlot(static_cast<int>(i / demRows));
        // The last field stops short of the continuation flag and the "%".
        for (std::size_t fs = start;
             fs + 1 < record_.size() && record_[fs + 1] != '%' && k < demRows; fs += width) {
            if (colSlot >= 0) {
                const int slot = rowSlot[static_cast<std::size_t>(k)];
                if (slot >= 0) {
                    const double v = static_cast<double>(parseInt(field(record_, fs, width)));
                    heights[static_cast<std::size_t>(slot) * usedCols +
                            static_cast<std::size_t>(colSlot)] =
                        static_cast<float>(v * heightFactor_);
                    ++stored;
                }
            }
            ++i;
            ++k;
            if (stored == total) break;
        }
    }
    image_.clear();
    image_.shrink_to_fit();
    if (stored < total) throw MessageError(MessageId::NtfGridData);
}

std::string ntfTitle(const std::filesystem::path& path) {
    FileBytes bytes(path);
    auto get = [&bytes]() { return bytes.get(); };
    std::string record;
    for (;;) {
        if (!collectRecord(get, record, SIZE_MAX, kTitlePercentLimit) || hasType(record, "51")) {
            throw MessageError(MessageId::NtfNoSectionHeader);
        }
        if (hasType(record, "07")) return trimmed(field(record, 2, 10));
    }
}

}  // namespace hg
