// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <vector>

#include "dem/sdts_info.h"
#include "platform/profile_store.h"

namespace hg {

// Reads an SDTS 7.5-minute transfer: the descriptive modules into a
// CSDTSInfo, the elevation cells into a grid, and writes the grid trimmed to
// the largest rectangle whose border holds no fill value. Every failure
// throws MessageError with the module's message.
class CReadSDTS {
public:
    // The rows and columns trimming keeps, inclusive.
    struct Rect {
        int top = 0, left = 0, bottom = -1, right = -1;
        int rows() const { return bottom - top + 1; }
        int cols() const { return right - left + 1; }
    };

    // prefix: the CEL0 file's path without its last eight characters.
    explicit CReadSDTS(std::filesystem::path prefix);
    virtual ~CReadSDTS() = default;

    // DDOM, DDSH, IDEN, IREF, LDEF, RSDF, SPDM and XREF, in that order.
    // info is borrowed until the reader goes away.
    void readModules(CSDTSInfo& info);
    // The CEL0 module into an nRows x nCols grid (after readModules).
    void readCells();
    Rect trimmed() const;
    // Trims, replaces path atomically, then saves sizeZ and sizeX.
    void writeWorkingGrid(const std::filesystem::path& path, ProfileStore& store);

    const std::vector<std::int16_t>& cells() const { return cells_; }

    // The module file prefix + name, found whatever the case of its name.
    std::filesystem::path modulePath(const char* lowerName) const;
    // Writes rows top..bottom, columns left..right as little-endian 16-bit
    // integers through a temporary file; false when that fails. written,
    // when set, is called after every block of about 64 KB.
    bool writeGrid(const std::filesystem::path& path, const Rect& rect,
                   const std::function<void()>& written = {}) const;

private:
    std::filesystem::path prefix_;
    CSDTSInfo* info_ = nullptr;
    std::vector<std::int16_t> cells_;
};

// The module prefix of a picked CEL0 file: its path less the last eight
// characters of the name. Throws MessageError Cel0Open for a shorter name.
std::filesystem::path sdtsPrefix(const std::filesystem::path& cel0Path);

// The whole import of a picked CEL0 file: the trimmed grid to memPath, then
// section "SDTS" and the DEM type. Nothing is written until the transfer
// has been read whole; through commitDemChange the grid and the settings
// then take effect together or not at all. written is passed to writeGrid.
void importSdtsTransfer(const std::filesystem::path& cel0Path, const std::filesystem::path& memPath,
                        ProfileStore& store, const std::function<void()>& written = {});

}  // namespace hg
