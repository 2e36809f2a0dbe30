// SPDX-License-Identifier: MIT
#pragma once

#include <cfloat>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "dem/view_settings.h"

namespace hg {

// A void sample: the most negative finite float.
inline constexpr float VOID_HEIGHT = -FLT_MAX;

// DEM types, the settings key "demType".
enum DemType : int {
    kDemGsi50m = 0,
    kDemUsgs = 1,
    kDemSdts75 = 2,
    kDemDhm25 = 3,
    kDemNtf = 4,
    kDemRimini = 5,
    kDemGsi10m = 6,
    // Any other raster, through the GDAL library.
    kDemGdal = 7,
};

// Largest grid side any reader accepts; larger headers are refused before
// anything is allocated.
inline constexpr int kMaxGridSide = 20000;

// The buffers a drawing object owns and a reader fills.
struct TerrainBuffers {
    // usedRows x usedCols heights in metres, north row first.
    std::vector<float> heights;
    // numCols x numRows grid vertices (x, y, z), then room for one centre
    // vertex per cell.
    std::vector<float> vertices;
    // Sea level in drawing units, set with the vertices.
    float seaLevel = 0.0f;
};

// Which samples a reader keeps, and where each goes in heights. Every
// reader walks its file through one of these, so thinning and the part
// window mean the same thing for every format.
class SampleSelection {
public:
    SampleSelection(const CViewSettings& settings, int thinStep);
    // The output row (counted from the north) of DEM row r, or -1.
    int rowSlot(int r) const;
    // The output column of DEM column c, or -1.
    int colSlot(int c) const;
    int usedCols() const { return usedCols_; }
    int usedRows() const { return usedRows_; }
    std::size_t total() const {
        return static_cast<std::size_t>(usedCols_) * static_cast<std::size_t>(usedRows_);
    }

private:
    bool window_;
    int startX_, startZ_, usedCols_, usedRows_, thinStep_;
};

// The elevation grid: the base of every DEM reader. A reader lives only
// while a drawing object loads its terrain: open, layout, read, then the
// shared heights-to-vertices and export.
class CMesh {
public:
    CMesh(TerrainBuffers& draw, CViewSettings& settings, std::filesystem::path fileName);
    virtual ~CMesh();
    CMesh(const CMesh&) = delete;
    CMesh& operator=(const CMesh&) = delete;

    // The three loading steps report a failure only by throwing: a
    // MessageError for a bad file, std::exception for anything else.

    // Parses the header and fills the description.
    virtual void open() = 0;
    // Chooses the thinning or the part window, sizes heights and places
    // the vertex grid. Throws when fewer than 2 x 2 vertices would result.
    virtual void layout();
    // Fills heights with the selected samples.
    virtual void read() = 0;

    void heightsToVertices();
    void exportSettings();

    SampleSelection selection() const { return SampleSelection(*settings, thinStep); }

    // Sets the four corners of a grid whose edges run along meridians and
    // parallels.
    void setBounds(double west, double south, double east, double north);

    TerrainBuffers* draw;
    CViewSettings* settings;
    // Off for a caller that wants the heights alone: layout then leaves the
    // vertex grid, by far the larger buffer, unmade.
    bool withVertices = true;
    std::filesystem::path fileName;
    std::string title;
    // Set by a reader whose product measures ground below the sea.
    bool contoursBelowSea = false;
    int demCols = 0;
    int demRows = 0;
    int thinStep = 0;
    double swX = 0, swY = 0, nwX = 0, nwY = 0, neX = 0, neY = 0, seX = 0, seY = 0;
    double ewSpacingN = 0, ewSpacingS = 0, ewSpacing = 0;
    double nsSpacingN = 0, nsSpacingS = 0, nsSpacing = 0;
    float minHeight = 0.0f;
    float maxHeight = 0.0f;
};

class ProfileStore;

// The reader for demType (dem/formats.h); any value outside 0..7 reads as
// GSI 50 m. store holds the description an import left in the settings,
// which the readers of imported types need; null where there is none.
std::unique_ptr<CMesh> createMesh(TerrainBuffers& draw, CViewSettings& settings, int demType,
                                  const std::filesystem::path& path, const ProfileStore* store);

// True when a cols x rows grid is plausible: both at least 1, neither above
// kMaxGridSide, and (when bytesPerSample > 0) not larger than the file can
// hold at that many bytes per sample.
bool plausibleGrid(long long cols, long long rows, std::uint64_t fileSize = 0,
                   double bytesPerSample = 0.0);

}  // namespace hg
