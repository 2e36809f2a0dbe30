// SPDX-License-Identifier: MIT
#pragma once

#include <filesystem>
#include <functional>

#include "dem/gsi10m_info.h"
#include "platform/profile_store.h"

namespace hg {

// Reads the descriptive CSV of a GSI 10 m mesh DEM into a CGSI10mInfo.
class CReadGSI10m {
public:
    CReadGSI10m(std::filesystem::path csvPath, CGSI10mInfo& info);
    virtual ~CReadGSI10m() = default;
    CReadGSI10m(const CReadGSI10m&) = delete;
    CReadGSI10m& operator=(const CReadGSI10m&) = delete;

    // Fills the info record from the header. Throws MessageError IllegalCsv
    // when the file cannot be read, the key's CsvNo... message for the first
    // key not found.
    void readHeader();

private:
    std::filesystem::path csvPath_;
    CGSI10mInfo* info_;
};

// The height file that belongs to a description: <parent of the CSV's
// folder>/dat/<base name>.dat, the folder and the file name matched
// ignoring case. Throws std::runtime_error naming the expected file when
// there is none.
std::filesystem::path findGsi10mData(const std::filesystem::path& csvPath);

// Imports a GSI 10 m mesh DEM picked as its CSV description: reads the
// header, finds the height file, and only when all of that succeeded writes
// its grid (nCols x nRows 16-bit heights, nothing after) to memPath, then
// section "GSI10m" and demType 6. A failure of any step throws; through
// commitDemChange nothing then changes, and on success both change at once.
// written, when set, is called after every 64 KB block of the grid.
void importGsi10mDescription(const std::filesystem::path& csvPath,
                             const std::filesystem::path& memPath, ProfileStore& store,
                             const std::function<void()>& written = {});

}  // namespace hg
