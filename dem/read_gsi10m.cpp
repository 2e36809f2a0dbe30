// SPDX-License-Identifier: MIT
#include "dem/read_gsi10m.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "dem/line_reader.h"
#include "dem/mesh.h"
#include "platform/file.h"
#include "platform/message_error.h"
#include "platform/messages.h"
#include "platform/text_number.h"
#include "settings/settings.h"

namespace hg {

namespace {

// The description is Shift_JIS; the keys are kept as its bytes so that the
// search compares exactly what the file holds, whatever this source's
// encoding. Each key's reading is in the comment above it.

// 東西方向の点数,
constexpr std::string_view kNumCols = "\x93\x8c\x90\xbc\x95\xfb\x8c\xfc\x82\xcc\x93\x5f\x90\x94,";
// 南北方向の点数,
constexpr std::string_view kNumRows = "\x93\xec\x96\x6b\x95\xfb\x8c\xfc\x82\xcc\x93\x5f\x90\x94,";
// 区画左下の緯度[度],
constexpr std::string_view kSwLatDeg =
    "\x8b\xe6\x89\xe6\x8d\xb6\x89\xba\x82\xcc\x88\xdc\x93\x78[\x93\x78],";
// 区画左下の経度[度],
constexpr std::string_view kSwLongDeg =
    "\x8b\xe6\x89\xe6\x8d\xb6\x89\xba\x82\xcc\x8c\x6f\x93\x78[\x93\x78],";
// 区画右上の緯度[度],
constexpr std::string_view kNeLatDeg =
    "\x8b\xe6\x89\xe6\x89\x45\x8f\xe3\x82\xcc\x88\xdc\x93\x78[\x93\x78],";
// 区画右上の経度[度],
constexpr std::string_view kNeLongDeg =
    "\x8b\xe6\x89\xe6\x89\x45\x8f\xe3\x82\xcc\x8c\x6f\x93\x78[\x93\x78],";
// 　　　　　　　[分], and 　　　　　　　[秒], (seven ideographic spaces): the
// minute and second lines sit under the degree line they belong to, so
// only their order ties them to it.
constexpr std::string_view kMinutes =
    "\x81\x40\x81\x40\x81\x40\x81\x40\x81\x40\x81\x40\x81\x40[\x95\xaa],";
constexpr std::string_view kSeconds =
    "\x81\x40\x81\x40\x81\x40\x81\x40\x81\x40\x81\x40\x81\x40[\x95\x62],";
// 図名,
constexpr std::string_view kName = "\x90\x7d\x96\xbc,";
// 平面直角座標系番号,
constexpr std::string_view kZone =
    "\x95\xbd\x96\xca\x92\xbc\x8a\x70\x8d\xc0\x95\x57\x8c\x6e\x94\xd4\x8d\x86,";
// 区画左下Ｘ座標, 区画左下Ｙ座標, 区画右上Ｘ座標, 区画右上Ｙ座標,
constexpr std::string_view kSwX = "\x8b\xe6\x89\xe6\x8d\xb6\x89\xba\x82\x77\x8d\xc0\x95\x57,";
constexpr std::string_view kSwY = "\x8b\xe6\x89\xe6\x8d\xb6\x89\xba\x82\x78\x8d\xc0\x95\x57,";
constexpr std::string_view kNeX = "\x8b\xe6\x89\xe6\x89\x45\x8f\xe3\x82\x77\x8d\xc0\x95\x57,";
constexpr std::string_view kNeY = "\x8b\xe6\x89\xe6\x89\x45\x8f\xe3\x82\x78\x8d\xc0\x95\x57,";
// コメント, (comment): this line closes the header; nothing searched for
// lies below it.
constexpr std::string_view kComment = "\x83\x52\x83\x81\x83\x93\x83\x67,";

constexpr std::size_t kMaxLine = 256;

class HeaderSearch {
public:
    explicit HeaderSearch(const std::filesystem::path& path)
        : lines_(kMaxLine, MessageId::IllegalCsv) {
        if (!lines_.open(path)) throw MessageError(MessageId::IllegalCsv);
    }

    // The text behind key on the first line below the previous find that
    // holds it. The comment line, the end of the file or an overlong line
    // first: message id.
    std::string_view find(std::string_view key, MessageId id) {
        for (;;) {
            if (!lines_.nextLine(line_)) throw MessageError(id);
            std::string_view l(line_);
            if (l.find(kComment) != std::string_view::npos) throw MessageError(id);
            auto at = l.find(key);
            if (at != std::string_view::npos) return l.substr(at + key.size());
        }
    }

    template <typename T>
    T number(std::string_view key, MessageId id) {
        T v{};
        std::string_view text = find(key, id);
        // A key whose value is not a number is as good as missing.
        if (!scanNumber(text, v)) throw MessageError(id);
        return v;
    }

    // Degrees, then the minutes and seconds lines that follow, as
    // arc-seconds.
    double angle(std::string_view degreeKey, MessageId degrees, MessageId minutes,
                 MessageId seconds) {
        int deg = number<int>(degreeKey, degrees);
        int min = number<int>(kMinutes, minutes);
        int sec = number<int>(kSeconds, seconds);
        return static_cast<double>(deg) * 3600.0 + static_cast<double>(min) * 60.0 + sec;
    }

    // The first word behind the key without its last character: the name
    // field carries its own trailing comma.
    std::string word(std::string_view key, MessageId id) {
        std::string_view v = skipAsciiSpace(find(key, id));
        std::size_t n = 0;
        while (n < v.size() && !isAsciiSpace(v[n])) ++n;
        if (n > 0) --n;
        return std::string(v.substr(0, n));
    }

private:
    LineReader lines_;
    std::string line_;
};

}  // namespace

CReadGSI10m::CReadGSI10m(std::filesystem::path csvPath, CGSI10mInfo& info)
    : csvPath_(std::move(csvPath)), info_(&info) {}

void CReadGSI10m::readHeader() {
    HeaderSearch h(csvPath_);
    CGSI10mInfo& info = *info_;
    info.nCols = h.number<int>(kNumCols, MessageId::CsvNoColumns);
    info.nRows = h.number<int>(kNumRows, MessageId::CsvNoRows);
    info.swY =
        h.angle(kSwLatDeg, MessageId::CsvNoSouthWestLatitudeDegrees,
                MessageId::CsvNoSouthWestLatitudeMinutes, MessageId::CsvNoSouthWestLatitudeSeconds);
    info.swX = h.angle(kSwLongDeg, MessageId::CsvNoSouthWestLongitudeDegrees,
                       MessageId::CsvNoSouthWestLongitudeMinutes,
                       MessageId::CsvNoSouthWestLongitudeSeconds);
    info.neY =
        h.angle(kNeLatDeg, MessageId::CsvNoNorthEastLatitudeDegrees,
                MessageId::CsvNoNorthEastLatitudeMinutes, MessageId::CsvNoNorthEastLatitudeSeconds);
    info.neX = h.angle(kNeLongDeg, MessageId::CsvNoNorthEastLongitudeDegrees,
                       MessageId::CsvNoNorthEastLongitudeMinutes,
                       MessageId::CsvNoNorthEastLongitudeSeconds);
    info.titl = h.word(kName, MessageId::CsvNoName);
    info.zone = h.number<int>(kZone, MessageId::CsvNoZone);
    // Plane coordinates in centimetres: X northing, Y easting.
    double swPlaneX = h.number<double>(kSwX, MessageId::CsvNoSouthWestX);
    double swPlaneY = h.number<double>(kSwY, MessageId::CsvNoSouthWestY);
    double nePlaneX = h.number<double>(kNeX, MessageId::CsvNoNorthEastX);
    double nePlaneY = h.number<double>(kNeY, MessageId::CsvNoNorthEastY);
    info.disLong = (nePlaneY - swPlaneY) * 0.01;
    info.disLat = (nePlaneX - swPlaneX) * 0.01;
}

// The folder beside the descriptions' that holds the height files.
constexpr const char* kDataFolder = "dat";

std::filesystem::path findGsi10mData(const std::filesystem::path& csvPath) {
    std::filesystem::path top = csvPath.parent_path().parent_path();
    std::string name = csvPath.stem().string() + ".dat";
    std::optional<std::filesystem::path> found;
    if (auto dir = findIgnoringCase(top, kDataFolder)) found = findIgnoringCase(*dir, name);
    std::error_code ec;
    if (!found || !std::filesystem::is_regular_file(*found, ec)) {
        throw std::runtime_error(
            formatMessage(MessageId::Gsi10mDataNotFound, {(top / kDataFolder / name).string()}));
    }
    return *found;
}

void importGsi10mDescription(const std::filesystem::path& csvPath,
                             const std::filesystem::path& memPath, ProfileStore& store,
                             const std::function<void()>& written) {
    CGSI10mInfo info;
    CReadGSI10m reader(csvPath, info);
    reader.readHeader();
    if (!plausibleGrid(info.nCols, info.nRows)) throw MessageError(MessageId::IllegalCsv);

    std::filesystem::path data = findGsi10mData(csvPath);
    std::error_code ec;
    auto size = std::filesystem::file_size(data, ec);
    // A height file too short for the grid would only fail later, at every
    // start of the saver; refuse it while the old DEM is still in place.
    if (ec || !plausibleGrid(info.nCols, info.nRows, size, 2.0))
        throw MessageError(MessageId::IllegalGsi10mDat);

    // Only the grid is copied, so the saver can tell the working file from
    // any other format's by its exact size.
    const std::uint64_t gridBytes =
        static_cast<std::uint64_t>(info.nCols) * static_cast<std::uint64_t>(info.nRows) * 2;
    InputFile in;
    bool copied = in.open(data) && replaceFileAtomically(memPath, [&](int fd) {
                      std::vector<char> buffer(1 << 16);
                      for (std::uint64_t left = gridBytes; left > 0;) {
                          const std::size_t want = static_cast<std::size_t>(
                              std::min<std::uint64_t>(left, buffer.size()));
                          auto got = in.read(buffer.data(), want);
                          if (!got || *got != want || !writeAll(fd, buffer.data(), want))
                              return false;
                          left -= want;
                          if (written) written();
                      }
                      return true;
                  });
    if (!copied) {
        throw std::runtime_error(
            formatMessage(MessageId::CannotCopyFile, {data.string(), memPath.string()}));
    }
    // Called through the DEM commit these settings and the file above take
    // effect together.
    if (!info.saveToSettings(store) || !writeDemType(store, kDemGsi10m)) {
        throw std::runtime_error(loadMessage(MessageId::SettingsNotWritten));
    }
}

}  // namespace hg
