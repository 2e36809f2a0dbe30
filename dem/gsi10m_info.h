// SPDX-License-Identifier: MIT
#pragma once

#include <string>

#include "platform/profile_store.h"

namespace hg {

// The description of an imported GSI 10 m mesh DEM, kept in section
// "GSI10m" of the settings between the import and every later read.
class CGSI10mInfo {
public:
    virtual ~CGSI10mInfo() = default;

    // Writes the section (keys in their fixed order) and flushes; false when
    // the settings file could not be written.
    bool saveToSettings(ProfileStore& store) const;
    // Missing keys read as empty text and zeros.
    void loadFromSettings(const ProfileStore& store);

    std::string titl;  // raw Shift_JIS bytes, as in the description file
    // Corners in arc-seconds: X longitude, Y latitude.
    double neX = 0.0, neY = 0.0, swX = 0.0, swY = 0.0;
    // East-west and north-south extent in metres.
    double disLong = 0.0, disLat = 0.0;
    int zone = 0, nRows = 0, nCols = 0;
};

// A coordinate as the section stores it: fixed point with seven decimals,
// the same in every locale.
std::string formatGsi10mNumber(double value);
// The stored text back as a number; 0.0 when it is empty or not a number.
double parseGsi10mNumber(const std::string& text);

}  // namespace hg
