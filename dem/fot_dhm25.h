// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

#include "dem/mesh.h"

namespace hg {

class LineReader;

// A DHM25 matrix model: a text header between NEWHEADER and ENDHEADER with
// corners in Swiss plane coordinates, then fixed-length records of
// six-character heights in decimetres, north row first.
class CFOTdhm25 : public CMesh {
public:
    CFOTdhm25(TerrainBuffers& draw, CViewSettings& settings, std::filesystem::path fileName);
    ~CFOTdhm25() override;

    // Reads the header and leaves the file at the first record. Throws
    // MessageError with the missing key's message (Dhm25No...), or
    // IllegalMatrix for an unreadable or implausible file.
    void open() override;
    // Throws MessageError IllegalMatrix for a file that ends too soon,
    // IllegalLineEnd for a record not followed by a line end.
    void read() override;

    int recordLength = 0;

private:
    std::unique_ptr<LineReader> source_;
    std::uint64_t fileSize_ = 0;
};

// The model name of a DHM25 file, or empty text when it has none or cannot
// be read. Never throws.
std::string dhm25Title(const std::filesystem::path& path);

// Swiss plane coordinates (metres, origin at easting 600000, northing
// 200000) to arc-seconds on the Bessel ellipsoid; NaN for a coordinate more
// than 2000 km from the origin.
double swissNorthingToLatitude(double northing);
double swissEastingToLongitude(double easting, double latitudeArcSec);

}  // namespace hg
