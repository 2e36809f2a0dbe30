#include "dem/sdts_info.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <vector>

#include "settings/settings.h"

namespace hg {

namespace {

constexpr std::size_t kTextBuffer = 4096;

// Values come from a transfer nobody here wrote; a line break or another
// control character would end the ini line early.
std::string settingsText(const std::string& s) {
    std::string out = s;
    for (char& c : out) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = ' ';
    }
    return out;
}

// Truncated toward zero, as a whole number.
std::string wholeNumber(double v) {
    if (!std::isfinite(v)) return "0";
    double t = std::trunc(v);
    if (t > std::numeric_limits<int>::max()) t = std::numeric_limits<int>::max();
    if (t < std::numeric_limits<int>::min()) t = std::numeric_limits<int>::min();
    return std::to_string(static_cast<int>(t));
}

double parseReal(const std::string& text) {
    const char* p = text.c_str();
    char* end = nullptr;
    double v = std::strtod(p, &end);
    if (end == p || !std::isfinite(v)) return 0.0;
    return v;
}

}  // namespace

std::string formatSdtsCoordinate(double value) {
    int n = std::snprintf(nullptr, 0, "%8.7lf", value);
    if (n <= 0) return "0";
    std::vector<char> buf(static_cast<std::size_t>(n) + 1);
    std::snprintf(buf.data(), buf.size(), "%8.7lf", value);
    return std::string(buf.data(), static_cast<std::size_t>(n));
}

bool CSDTSInfo::saveToSettings(ProfileStore& store) const {
    const char* s = kSectionSdts;
    bool ok = true;
    auto put = [&](const char* key, const std::string& value) {
        ok = store.putString(s, key, value) && ok;
    };
    put("titl", settingsText(titl));
    put("dcdt", settingsText(dcdt));
    put("daid", settingsText(daid));
    put("unit", settingsText(unit));
    put("rsnm", settingsText(rsnm));
    put("zone", std::to_string(zone));
    put("xhrs", wholeNumber(xhrs));
    put("yhrs", wholeNumber(yhrs));
    put("fillValue", std::to_string(fillValue));
    put("voidValue", std::to_string(voidValue));
    put("minValue", std::to_string(minValue));
    put("maxValue", std::to_string(maxValue));
    put("nRows", std::to_string(nRows));
    put("nCols", std::to_string(nCols));
    put("swX", formatSdtsCoordinate(swX));
    put("swY", formatSdtsCoordinate(swY));
    put("nwX", formatSdtsCoordinate(nwX));
    put("nwY", formatSdtsCoordinate(nwY));
    put("neX", formatSdtsCoordinate(neX));
    put("neY", formatSdtsCoordinate(neY));
    put("seX", formatSdtsCoordinate(seX));
    put("seY", formatSdtsCoordinate(seY));
    return store.flush() && ok;
}

void CSDTSInfo::loadFromSettings(const ProfileStore& store) {
    const char* s = kSectionSdts;
    auto text = [&](const char* key) { return store.getString(s, key, "", kTextBuffer); };
    auto integer = [&](const char* key) { return store.getInt(s, key, 0); };
    titl = text("titl");
    dcdt = text("dcdt");
    daid = text("daid");
    unit = text("unit");
    rsnm = text("rsnm");
    zone = integer("zone");
    xhrs = integer("xhrs");
    yhrs = integer("yhrs");
    fillValue = integer("fillValue");
    voidValue = integer("voidValue");
    minValue = integer("minValue");
    maxValue = integer("maxValue");
    nRows = integer("nRows");
    nCols = integer("nCols");
    sizeZ = integer("sizeZ");
    sizeX = integer("sizeX");
    swX = parseReal(text("swX"));
    swY = parseReal(text("swY"));
    nwX = parseReal(text("nwX"));
    nwY = parseReal(text("nwY"));
    neX = parseReal(text("neX"));
    neY = parseReal(text("neY"));
    seX = parseReal(text("seX"));
    seY = parseReal(text("seY"));
}

bool saveSdtsGridSize(ProfileStore& store, int sizeZ, int sizeX) {
    bool ok = store.putString(kSectionSdts, "sizeZ", std::to_string(sizeZ));
    ok = store.putString(kSectionSdts, "sizeX", std::to_string(sizeX)) && ok;
    return store.flush() && ok;
}

}  // namespace hg
