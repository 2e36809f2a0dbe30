// SPDX-License-Identifier: MIT
#pragma once

#include <filesystem>
#include <string>

#include "dem/mesh.h"
#include "platform/file.h"

namespace hg {

// A RIMINI model: 71 x 49 heights in metres at 250 m, sixteen five-character
// fields a record, no header.
class CFOTrimini : public CMesh {
public:
    static constexpr int kCols = 71;
    static constexpr int kRows = 49;

    CFOTrimini(TerrainBuffers& draw, CViewSettings& settings, std::filesystem::path fileName);

    // Throws MessageError IllegalRiminiDat when the file cannot be opened.
    void open() override;
    // Throws MessageError IllegalRiminiDat for a short or malformed record.
    void read() override;

private:
    InputFile file_;
};

// The five characters that name the model: offset 40 of the 218th record.
// Throws MessageError IllegalRiminiDat when the file is shorter or malformed.
std::string riminiTitle(const std::filesystem::path& path);

}  // namespace hg
