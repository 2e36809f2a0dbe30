// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

#include "dem/mesh.h"
#include "platform/messages.h"

namespace hg {

// Ordnance Survey height grids in NTF: Land-Form Panorama (50 m posts,
// 4-character heights) and Land-Form Profile (spacing and 5-character
// heights from the file). The grid is stored as columns, west to east, each
// running south to north.
class COSdtm : public CMesh {
public:
    COSdtm(TerrainBuffers& draw, CViewSettings& settings, std::filesystem::path fileName);
    ~COSdtm() override;

    // Loads the file and parses the header records. Throws MessageError
    // IllegalNtf or Ntf...; a database naming neither product is refused
    // with IllegalNtf.
    void open() override;
    // Reads the grid data records into heights. Throws MessageError NtfGridData.
    void read() override;

private:
    enum class Product { None, Panorama, Profile };

    // Copies the next record of the image into record_; false when the
    // records run out.
    bool nextRecord();
    // Moves on to the next record of type `type`; throws `message` when the
    // records run out or a grid data record comes first.
    void findHeader(const char* type, MessageId message);
    bool recordIs(const char* type) const;

    std::vector<char> image_;
    std::size_t cursor_ = 0;
    std::string record_;
    std::string databaseName_;
    double heightFactor_ = 0.0;
    int heightWidth_ = 0;
    Product product_ = Product::None;
};

// The section reference (the sheet name) of an NTF height grid, trailing
// blanks removed, for the setup dialog. Throws MessageError NtfRecordData
// when the file cannot be read and NtfNoSectionHeader when it holds no
// section header.
std::string ntfTitle(const std::filesystem::path& path);

}  // namespace hg
