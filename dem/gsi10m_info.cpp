// SPDX-License-Identifier: MIT
#include "dem/gsi10m_info.h"

#include <string>

#include "platform/text_number.h"
#include "settings/settings.h"

namespace hg {

namespace {
constexpr std::size_t kTitleBuffer = 4096;
}  // namespace

std::string formatGsi10mNumber(double value) {
    return formatFixed(value, 7);
}

double parseGsi10mNumber(const std::string& text) {
    return leadingNumber(std::string_view(text), 0.0);
}

bool CGSI10mInfo::saveToSettings(ProfileStore& store) const {
    const char* s = kSectionGsi10m;
    bool ok = store.putStrings(s, {{"titl", titl},
                                   {"zone", formatInteger(zone)},
                                   {"nRows", formatInteger(nRows)},
                                   {"nCols", formatInteger(nCols)},
                                   {"swX", formatGsi10mNumber(swX)},
                                   {"swY", formatGsi10mNumber(swY)},
                                   {"neX", formatGsi10mNumber(neX)},
                                   {"neY", formatGsi10mNumber(neY)},
                                   {"disLong", formatGsi10mNumber(disLong)},
                                   {"disLat", formatGsi10mNumber(disLat)}});
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
