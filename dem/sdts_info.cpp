// SPDX-License-Identifier: MIT
#include "dem/sdts_info.h"

#include <cmath>
#include <limits>
#include <vector>

#include "platform/text_number.h"
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
    return formatInteger(static_cast<int>(t));
}

}  // namespace

std::string formatSdtsCoordinate(double value) {
    return formatFixed(value, 7);
}

bool CSDTSInfo::saveToSettings(ProfileStore& store) const {
    const char* s = kSectionSdts;
    std::vector<ProfileStore::Entry> entries;
    auto put = [&](const char* key, const std::string& value) { entries.emplace_back(key, value); };
    put("titl", settingsText(titl));
    put("dcdt", settingsText(dcdt));
    put("daid", settingsText(daid));
    put("unit", settingsText(unit));
    put("rsnm", settingsText(rsnm));
    put("zone", formatInteger(zone));
    put("xhrs", wholeNumber(xhrs));
    put("yhrs", wholeNumber(yhrs));
    put("fillValue", formatInteger(fillValue));
    put("voidValue", formatInteger(voidValue));
    put("minValue", formatInteger(minValue));
    put("maxValue", formatInteger(maxValue));
    put("nRows", formatInteger(nRows));
    put("nCols", formatInteger(nCols));
    put("swX", formatSdtsCoordinate(swX));
    put("swY", formatSdtsCoordinate(swY));
    put("nwX", formatSdtsCoordinate(nwX));
    put("nwY", formatSdtsCoordinate(nwY));
    put("neX", formatSdtsCoordinate(neX));
    put("neY", formatSdtsCoordinate(neY));
    put("seX", formatSdtsCoordinate(seX));
    put("seY", formatSdtsCoordinate(seY));
    put("hdat", settingsText(hdat));
    // Written empty when unknown, so an earlier import's post cannot stay.
    const bool post = std::isfinite(postX) && std::isfinite(postY);
    put("postX", post ? formatSdtsCoordinate(postX) : std::string());
    put("postY", post ? formatSdtsCoordinate(postY) : std::string());
    return store.putStrings(s, entries) && store.flush();
}

void CSDTSInfo::loadFromSettings(const ProfileStore& store) {
    const char* s = kSectionSdts;
    auto text = [&](const char* key) { return store.getString(s, key, "", kTextBuffer); };
    auto integer = [&](const char* key) { return store.getInt(s, key, 0); };
    // Not a number, or not finite: 0, as for a missing key.
    auto real = [&](const std::string& t) { return leadingNumber(std::string_view(t), 0.0); };
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
    swX = real(text("swX"));
    swY = real(text("swY"));
    nwX = real(text("nwX"));
    nwY = real(text("nwY"));
    neX = real(text("neX"));
    neY = real(text("neY"));
    seX = real(text("seX"));
    seY = real(text("seY"));
    hdat = text("hdat");
    const double nan = std::numeric_limits<double>::quiet_NaN();
    auto optionalReal = [&](const char* key) {
        const std::string t = text(key);
        return t.empty() ? nan : leadingNumber(std::string_view(t), nan);
    };
    postX = optionalReal("postX");
    postY = optionalReal("postY");
}

bool saveSdtsGridSize(ProfileStore& store, int sizeZ, int sizeX) {
    return store.putStrings(kSectionSdts,
                            {{"sizeZ", formatInteger(sizeZ)}, {"sizeX", formatInteger(sizeX)}}) &&
           store.flush();
}

}  // namespace hg
