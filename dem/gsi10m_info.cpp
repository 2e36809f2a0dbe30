#include "dem/gsi10m_info.h"

#include <charconv>
#include <cmath>
#include <string>

#include "settings/settings.h"

namespace hg {

namespace {
constexpr std::size_t kTitleBuffer = 4096;
}  // namespace

std::string formatGsi10mNumber(double value) {
    // snprintf would follow LC_NUMERIC, which a Qt program sets from the
    // user's locale; a comma there would not read back.
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, 7);
    if (res.ec != std::errc()) return "0.0000000";
    return std::string(buf, res.ptr);
}

double parseGsi10mNumber(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    if (i < text.size() && text[i] == '+') ++i;
    double v = 0.0;
    auto res = std::from_chars(text.data() + i, text.data() + text.size(), v);
    if (res.ec != std::errc() || !std::isfinite(v)) return 0.0;
    return v;
}

bool CGSI10mInfo::saveToSettings(ProfileStore& store) const {
    const char* s = kSectionGsi10m;
    bool ok = store.putString(s, "titl", titl);
    ok = store.putString(s, "zone", std::to_string(zone)) && ok;
    ok = store.putString(s, "nRows", std::to_string(nRows)) && ok;
    ok = store.putString(s, "nCols", std::to_string(nCols)) && ok;
    ok = store.putString(s, "swX", formatGsi10mNumber(swX)) && ok;
    ok = store.putString(s, "swY", formatGsi10mNumber(swY)) && ok;
    ok = store.putString(s, "neX", formatGsi10mNumber(neX)) && ok;
    ok = store.putString(s, "neY", formatGsi10mNumber(neY)) && ok;
    ok = store.putString(s, "disLong", formatGsi10mNumber(disLong)) && ok;
    ok = store.putString(s, "disLat", formatGsi10mNumber(disLat)) && ok;
    return store.flush() && ok;
}

void CGSI10mInfo::loadFromSettings(const ProfileStore& store) {
    const char* s = kSectionGsi10m;
    auto number = [&](const char* key) {
        return parseGsi10mNumber(store.getString(s, key, "", kTitleBuffer));
    };
    titl = store.getString(s, "titl", "", kTitleBuffer);
    zone = store.getInt(s, "zone", 0);
    nRows = store.getInt(s, "nRows", 0);
    nCols = store.getInt(s, "nCols", 0);
    swX = number("swX");
    swY = number("swY");
    neX = number("neX");
    neY = number("neY");
    disLong = number("disLong");
    disLat = number("disLat");
}

}  // namespace hg
