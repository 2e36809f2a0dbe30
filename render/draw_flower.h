// SPDX-License-Identifier: MIT
#pragma once

#include <vector>

#include "render/colour_bands.h"
#include "render/draw.h"
#include "render/light_table.h"
#include "render/surface_arrays.h"
#include "render/terrain_helpers.h"

namespace hg {

// The four slope limits of the Flower colouring, in degrees.
struct SlopeLimits {
    double minSlope = 0.0;
    double maxSlope = 0.0;
    double lowerSlope = 0.0;
    double upperSlope = 0.0;
};

// Smooth normals for the grid vertices, then for each cell centre the
// normalised sum of its four corners' normals: three floats a vertex.
std::vector<float> flowerSmoothNormals(const GridView& grid);

// The slope (degrees from +y) of each normal triple.
std::vector<double> normalSlopes(const std::vector<float>& normals);

// The smallest and largest slope, and the slopes at which the running sum
// of the sorted slopes first reaches a third and two thirds of their total.
// Splitting the sum rather than the count pushes the limits up into the
// steep ground, so gentle slopes get most of the picture.
SlopeLimits slopeLimits(std::vector<double> slopes);

// Pale green over green and mauve to rose, split at the limits.
ColourBands flowerBands(const SlopeLimits& limits);

// The sea colour of the Flower style, whatever the slope.
inline constexpr std::uint32_t kFlowerSea = 0x6B8CF0;

// RGBA per vertex: sea where the sea rule covers the height, else the slope
// band's colour.
std::vector<float> flowerColours(const std::vector<double>& slopes,
                                 const std::vector<float>& vertices, const ColourBands& bands,
                                 const SeaRule& sea);

LightTable flowerLights();

// Draw type 4: the terrain coloured by steepness instead of height, lit
// with normals that turn with it.
class CDrawFlower : public CDraw {
public:
    void buildScene() override;
    void setLights() override;
    void drawFrame() override;
    int fillColours() override;

    const SlopeLimits& limits() const { return limits_; }
    const std::vector<float>& smoothNormals() const { return smoothNormals_; }

private:
    SurfaceArrays surface_;
    std::vector<float> smoothNormals_;
    SlopeLimits limits_;
};

}  // namespace hg
