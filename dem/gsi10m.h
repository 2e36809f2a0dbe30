// SPDX-License-Identifier: MIT
#pragma once

#include <filesystem>
#include <string>

#include "dem/gsi10m_info.h"
#include "dem/mesh.h"
#include "platform/profile_store.h"

namespace hg {

// The GSI 10 m mesh reader: the description comes from section "GSI10m" of
// the settings, the heights from the working file (big-endian unsigned
// 16-bit tenths of a metre, north row first, no header).
class CGSI10m : public CMesh {
public:
    // store: the settings the import wrote its description to.
    CGSI10m(TerrainBuffers& draw, CViewSettings& settings, std::filesystem::path fileName,
            const ProfileStore* store = nullptr);

    // Takes the description from the settings. Throws MessageError
    // IllegalGsi10mDat when there are none or it does not fit the working
    // file.
    void open() override;
    // Throws MessageError IllegalGsi10mDat when the working file ends too soon.
    void read() override;

    // What open does with a description already in hand.
    void describe(const CGSI10mInfo& info);

    double heightFactor = 0.1;

private:
    const ProfileStore* store_;
};

// The title shown for the imported DEM: titl up to its first comma, at
// most 255 bytes, Shift_JIS as stored.
std::string gsi10mTitle(const ProfileStore& store);

}  // namespace hg
