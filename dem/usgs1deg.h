// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "dem/mesh.h"

namespace hg {

class InputFile;

// Reader for the USGS DEM exchange format: 1-degree and 15-minute DEMs,
// Canadian CDED, and 7.5-minute files written in the same layout. Record A
// describes the grid; each record B is one south-to-north profile, the
// profiles running west to east.
class CUSGS1deg : public CMesh {
public:
    CUSGS1deg(TerrainBuffers& draw, CViewSettings& settings, std::filesystem::path fileName);

    void open() override;
    void read() override;

    // Metres per file unit of elevation: 1.0 for metres, 0.3048 for feet.
    double unitFactor = 1.0;
    // Where northings and eastings of projected files are measured from
    // (arc-seconds).
    double originLatitude = 0.0;
    double referenceLongitude = 0.0;
    int zone = 0;
    // Record A's planimetric reference system (0 geographic, 1 UTM, 2 State
    // Plane, ...), the unit of its ground coordinates (0 radians, 1 feet,
    // 2 metres, 3 arc-seconds) and its horizontal datum code (0 blank).
    int referenceSystem = 0;
    int groundUnit = 0;
    int datumCode = 0;
    // The grid's outermost posts in ground units: the first and last
    // profile's position, the southmost and northmost row's. Unlike the
    // corner fields above, these are where heights are, untouched.
    double westPost = 0.0, eastPost = 0.0, southPost = 0.0, northPost = 0.0;

    // Bytes from one 1024-character block to the next: 1024, or 1025 / 1026
    // when the file carries a line end after each block.
    std::size_t blockStride() const { return stride_; }
    // True when the profiles differ in length or start, so the grid is laid
    // out from the quadrangle's corners and uncovered posts are void.
    bool raggedProfiles() const { return ragged_; }

private:
    struct Profile {
        std::uint64_t offset = 0;  // first byte of the profile's first block
        int count = 0;             // elevations in the profile
        double startX = 0.0;       // easting or longitude of the profile
        double startY = 0.0;       // northing or latitude of its first elevation
        double datum = 0.0;        // elevation the stored values are relative to
        int southRow = 0;          // grid row of its first elevation, counted from the south
    };

    void readProfileHeaders(InputFile& file, std::uint64_t fileSize);
    void layOutRows(double yResolution);
    void setGeographicSpacings(double xResolution, double yResolution);
    void setProjectedCorners();

    std::vector<Profile> profiles_;
    std::size_t stride_ = 1024;
    double zResolution_ = 1.0;
    bool ragged_ = false;
};

// The title the setup dialog shows for a USGS DEM: the start of record A,
// cut after 24 characters unless the file's first character is a blank.
// Throws MessageError IllegalDem when the file cannot give its first 64
// characters.
std::string usgsDemTitle(const std::filesystem::path& path);

}  // namespace hg
