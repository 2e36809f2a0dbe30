// SPDX-License-Identifier: MIT
#include "dem/usgs75min.h"

#include <cmath>
#include <cstdint>
#include <sstream>
#include <system_error>
#include <vector>

#include "dem/sdts_info.h"
#include "platform/file.h"
#include "platform/message_error.h"
#include "platform/text_number.h"

namespace hg {

namespace {

// A quadrangle is 7.5 minutes on each side.
constexpr double kSideArcSeconds = 450.0;

bool numberToken(const std::string& token, double& value) {
    auto v = parseNumber<double>(token);
    if (v) value = *v;
    return v.has_value();
}

// Degrees, minutes and seconds with a hemisphere letter; the sign may be on
// the degrees, on the letter, or on both.
bool dms(const std::vector<std::string>& t, std::size_t at, const char* negativeLetter,
         const char* positiveLetter, double& out) {
    double d = 0, m = 0, s = 0;
    if (t.size() < at + 4) return false;
    if (!numberToken(t[at], d) || !numberToken(t[at + 1], m) || !numberToken(t[at + 2], s)) {
        return false;
    }
    const std::string& h = t[at + 3];
    if (h != negativeLetter && h != positiveLetter) return false;
    const bool negative = t[at][0] == '-' || h == negativeLetter;
    out = std::fabs(d) + m / 60.0 + s / 3600.0;
    if (negative) out = -out;
    return true;
}

}  // namespace

bool sdtsSouthEastCorner(const std::string& daid, double& latitude, double& longitude) {
    std::istringstream in(daid);
    std::vector<std::string> t;
    for (std::string word; in >> word;) t.push_back(word);
    double lat = 0, lon = 0;
    // The USGS transfers give the corner in degrees, minutes and seconds,
    // which read as "word real word real" would take minutes for degrees.
    if (t.size() >= 10 && dms(t, 1, "S", "N", lat) && dms(t, 6, "W", "E", lon)) {
        latitude = lat;
        longitude = lon;
        return true;
    }
    if (t.size() >= 4 && numberToken(t[1], lat) && numberToken(t[3], lon)) {
        latitude = lat;
        longitude = lon;
        return true;
    }
    return false;
}

std::string sdtsTitle(const ProfileStore& store) {
    CSDTSInfo info;
    info.loadFromSettings(store);
    return info.titl.substr(0, info.titl.find(','));
}

CUSGS75min::CUSGS75min(TerrainBuffers& draw, CViewSettings& settings,
                       std::filesystem::path fileName, const ProfileStore* store)
    : CMesh(draw, settings, std::move(fileName)), store_(store) {}

void CUSGS75min::open() {
    // The grid alone, without the description its import wrote, is no DEM.
    if (store_ == nullptr) throw MessageError(MessageId::IllegalDdf);
    openFrom(*store_);
}

void CUSGS75min::openFrom(const ProfileStore& store) {
    CSDTSInfo info;
    info.loadFromSettings(store);
    title = info.titl;

    double lat = 0.0, lon = 0.0;
    if (sdtsSouthEastCorner(info.daid, lat, lon)) {
        const double y = lat * 3600.0;
        const double x = lon * 3600.0;
        setBounds(x - kSideArcSeconds, y, x, y + kSideArcSeconds);
    }

    unitFactor = info.unit == "FEET" ? 0.3048 : 1.0;
    referenceSystem = info.rsnm;
    zone = info.zone;
    datum = info.hdat;
    northWestPostX = info.postX;
    northWestPostY = info.postY;
    postSpacingX = info.xhrs;
    postSpacingY = info.yhrs;

    // The working file must hold the grid the settings describe; a stale
    // or hand-edited size is refused before anything is allocated.
    std::error_code ec;
    const auto size = std::filesystem::file_size(fileName, ec);
    // Exactly the grid the import wrote: the bytes of any other format
    // would otherwise read as heights.
    if (ec || !plausibleGrid(info.sizeX, info.sizeZ, size, 2.0) ||
        size !=
            static_cast<std::uint64_t>(info.sizeX) * static_cast<std::uint64_t>(info.sizeZ) * 2) {
        throw MessageError(MessageId::IllegalDdf);
    }
    demCols = info.sizeX;
    demRows = info.sizeZ;

    ewSpacingN = ewSpacingS = ewSpacing = info.xhrs;
    nsSpacingN = nsSpacingS = nsSpacing = info.yhrs;

    minHeight = static_cast<float>(info.minValue * unitFactor);
    maxHeight = static_cast<float>(info.maxValue * unitFactor);

    voidValue_ = info.voidValue;
    fillValue_ = info.fillValue;
}

bool CUSGS75min::isVoid(int value) const {
    // The transfer's own void and fill markers, and the two values USGS
    // products use for voids whatever the transfer declares. A marker of 0
    // means the domain module did not give one: 0 is a real height.
    if (value == -32767 || value == -32768) return true;
    if (voidValue_ != 0 && value == voidValue_) return true;
    return fillValue_ != 0 && value == fillValue_;
}

void CUSGS75min::read() {
    const SampleSelection sel = selection();
    const std::size_t total = sel.total();
    std::vector<float>& heights = draw->heights;
    if (heights.size() < total) heights.resize(total, 0.0f);

    InputFile in(fileName);
    if (!in.isOpen()) throw MessageError(MessageId::IllegalDdf);
    const std::size_t rowBytes = static_cast<std::size_t>(demCols) * 2;
    std::vector<unsigned char> row(rowBytes);
    const std::size_t usedCols = static_cast<std::size_t>(sel.usedCols());
    std::size_t stored = 0;
    for (int r = 0; r < demRows && stored < total; ++r) {
        const int rowSlot = sel.rowSlot(r);
        if (rowSlot < 0) continue;
        // Rows that are not kept are skipped over, not read.
        if (!in.seek(static_cast<std::uint64_t>(r) * rowBytes)) {
            throw MessageError(MessageId::IllegalDdf);
        }
        auto got = in.read(row.data(), rowBytes);
        if (!got || *got != rowBytes) throw MessageError(MessageId::IllegalDdf);
        float* out = &heights[static_cast<std::size_t>(rowSlot) * usedCols];
        for (int c = 0; c < demCols; ++c) {
            const int colSlot = sel.colSlot(c);
            if (colSlot < 0) continue;
            const std::size_t b = static_cast<std::size_t>(c) * 2;
            const auto v =
                static_cast<std::int16_t>(static_cast<std::uint16_t>(row[b] | (row[b + 1] << 8)));
            out[colSlot] = isVoid(v) ? VOID_HEIGHT : static_cast<float>(v * unitFactor);
            ++stored;
        }
    }
}

}  // namespace hg
