// SPDX-License-Identifier: MIT
#pragma once

#include <filesystem>
#include <string>

#include "dem/mesh.h"
#include "platform/profile_store.h"

namespace hg {

// A USGS 7.5-minute DEM imported from SDTS: the description comes from
// section "SDTS" of the settings, the heights from the working file (rows of
// little-endian 16-bit integers, north row first).
class CUSGS75min : public CMesh {
public:
    // store: the settings the import wrote the transfer's description to.
    CUSGS75min(TerrainBuffers& draw, CViewSettings& settings, std::filesystem::path fileName,
               const ProfileStore* store = nullptr);

    // From the store given at construction; refused without one.
    void open() override;
    void openFrom(const ProfileStore& store);
    void read() override;

    // 0.3048 when the transfer's unit is "FEET", else 1.0.
    double unitFactor = 1.0;
    // The transfer's reference system ("UTM", "GEO", "SPCS"), zone and
    // datum; the trimmed grid's north-west post in ground units (NaN when
    // the import did not keep it) and the spacings between posts.
    std::string referenceSystem;
    int zone = 0;
    std::string datum;
    double northWestPostX = 0.0, northWestPostY = 0.0;
    double postSpacingX = 0.0, postSpacingY = 0.0;

private:
    bool isVoid(int value) const;

    int voidValue_ = 0;
    int fillValue_ = 0;
    const ProfileStore* store_;
};

// The south-east corner in decimal degrees from the identification's DAID
// text: "word latitude word longitude", or the degrees-minutes-seconds form
// of USGS transfers ("LAT:: 44 22 30.0000 N LONG:: -108 52 30.0000 W").
bool sdtsSouthEastCorner(const std::string& daid, double& latitude, double& longitude);

// The title for the setup dialog: titl up to its first comma.
std::string sdtsTitle(const ProfileStore& store);

}  // namespace hg
