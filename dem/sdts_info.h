// SPDX-License-Identifier: MIT
#pragma once

#include <limits>
#include <string>

#include "platform/profile_store.h"

namespace hg {

// The descriptive values of an SDTS 7.5-minute transfer, as saved in
// section "SDTS" of the settings.
class CSDTSInfo {
public:
    virtual ~CSDTSInfo() = default;

    // Writes every key but sizeZ and sizeX, then flushes. False when the
    // store could not keep a value.
    bool saveToSettings(ProfileStore& store) const;
    // Reads every key, sizeZ and sizeX included.
    void loadFromSettings(const ProfileStore& store);

    std::string titl;
    std::string dcdt;
    std::string daid;
    std::string rsnm;
    std::string unit;
    double xhrs = 0.0;
    double yhrs = 0.0;
    double swX = 0.0, swY = 0.0, nwX = 0.0, nwY = 0.0;
    double neX = 0.0, neY = 0.0, seX = 0.0, seY = 0.0;
    int fillValue = 0;
    int voidValue = 0;
    int minValue = 0;
    int maxValue = 0;
    int zone = 0;
    int nRows = 0;
    int nCols = 0;
    int sizeZ = 0;
    int sizeX = 0;
    // The external reference's horizontal datum (XREF HDAT, "NAS" for
    // NAD27); blank in a working file imported before it was kept.
    std::string hdat;
    // The trimmed grid's north-west post in ground units (the raster's
    // first cell moved by what trimming took off); NaN when not known,
    // as in a working file imported before it was kept.
    double postX = std::numeric_limits<double>::quiet_NaN();
    double postY = std::numeric_limits<double>::quiet_NaN();
};

// The text a corner is saved as: fixed point with seven decimals, the
// same in every locale.
std::string formatSdtsCoordinate(double value);

// Saves the size of the trimmed grid, then flushes.
bool saveSdtsGridSize(ProfileStore& store, int sizeZ, int sizeX);

}  // namespace hg
