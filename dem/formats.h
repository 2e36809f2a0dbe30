// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <filesystem>
#include <memory>
#include <span>
#include <string>

#include "dem/mesh.h"
#include "platform/messages.h"
#include "platform/profile_store.h"

namespace hg {

// How a chosen file becomes the working file.
enum class DemAction { SheetIndex, SdtsImport, Gsi10mImport, Copy, GdalImport };

// One DEM type: everything the program knows of it that is not its reader.
// A new format is one row here and its reader's files.
struct DemFormat {
    int type;
    // As --help names it.
    MessageId name;
    // Lower case with the dot; the name rules look these up in row order.
    std::array<const char*, 10> extensions;
    // What a selection of such a file does.
    DemAction action;
    // Its reader. store holds what an import left in the settings; readers
    // of imported types refuse to open without it.
    std::unique_ptr<CMesh> (*make)(TerrainBuffers& draw, CViewSettings& settings,
                                   const std::filesystem::path& path, const ProfileStore* store);
    // The working file's title in UTF-8; throws when it cannot be read.
    std::string (*title)(const std::filesystem::path& memPath, const ProfileStore& store);
    // Its filter's position in the open-file dialog's list (1-based); a
    // type without a filter of its own opens on the first.
    int filterPosition;
};

std::span<const DemFormat> demFormats();

// The row of demType; any other number is the GSI 50 m mesh, the
// original format, as the settings have always read it.
const DemFormat& demFormat(int demType);

// The type for a file's name and contents: the extension rules first,
// then our own readers' content check (a file of any other name that the
// GSI 50 m reader takes is that), then any raster GDAL reads, else the
// GSI 50 m mesh whose reader will say what is wrong.
int demTypeOf(const std::filesystem::path& file);

// Whether the GSI 50 m reader accepts file, header and heights.
bool readsAsGsi50m(const std::filesystem::path& file);

}  // namespace hg
