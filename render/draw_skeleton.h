// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <vector>

#include "render/colour_bands.h"
#include "render/draw.h"
#include "render/fold_cover.h"
#include "render/light_table.h"
#include "render/surface_arrays.h"

namespace hg {

// What the Skeleton style gives one vertex.
struct SkeletonMaterial {
    Rgba diffuse{};
    Rgba specular{};
    float shininess = 0.0f;
};

// The material of a vertex at height y: sea blue at or below sea level
// (when seaColors is on); blue to cyan-blue over the lowest third of the
// land, then on to magenta and beyond over the upper two thirds. The
// values run past 1 at the top on purpose: the lit result is clamped, and
// the overshoot saturates the summits. Alphas are left at 1.
SkeletonMaterial skeletonMaterial(float y, bool seaColors, float seaLevel, float minY, float maxY);

LightTable skeletonLights();

// Fixed-function lighting of one-sided, directional lights and a distant
// viewer, worked out on the processor for a turned terrain: the colour the
// pipeline would give a vertex with these materials, so that a frame can
// send colours instead of two material changes per vertex.
class DirectionalLighting {
public:
    // The table's lights as they stand in eye space (set with the camera
    // translation only), seen on a terrain under tilt and turn in degrees.
    DirectionalLighting(const LightTable& table, float tilt, float turn);

    // The lit, clamped colour of a vertex with the object-space unit
    // normal n; alpha is the diffuse alpha.
    Rgba colour(const float* n, const Rgba& diffuse, const Rgba& specular, float shininess) const;
    // The same from and into four floats each, as the frame's arrays hold them.
    void light(const float* n, const float* diffuse, const float* specular, float shininess,
               float* out) const;

private:
    struct Light {
        std::array<float, 3> toLight{};
        std::array<float, 3> halfway{};
        Vec4 ambient{}, diffuse{}, specular{};
    };
    std::vector<Light> lights_;
};

// Draw type 6: a glassy terrain drawn twice a frame, solid and then once
// more over itself at half opacity, far cells first, so that hidden slopes
// show through the near ones.
class CDrawSkeleton : public CDraw {
public:
    void buildScene() override;
    void setLights() override;
    void drawFrame() override;

    // Draws with a material change per vertex and the pipeline's own
    // lighting instead of precomputed colours: the slow, literal way, kept
    // to check the fast one against.
    void setLiteralMaterials(bool on) { literal_ = on; }
    // Draws the glass pass over the whole surface rather than only where
    // it folds over itself: the plain way, kept to check the quick one.
    void setWholeGlassPass(bool on) { wholeGlass_ = on; }
    // Index entries the last frame's glass pass drew.
    std::size_t glassEntries() const;

    const std::vector<float>& diffuseColors() const { return diffuse_; }
    const std::vector<float>& specularColors() const { return specular_; }
    const std::vector<float>& shininessValues() const { return shininess_; }
    // The traversal order the last frame drew.
    const std::vector<std::uint32_t>& drawIndices() const { return surface_.drawIndices(); }

private:
    enum class Pass { Solid, Glass };
    void drawPass(Pass pass);
    void drawLiteralPass() const;
    // Under the frame's view: the pieces of the surface the glass pass needs.
    void findOverlaps();

    SurfaceArrays surface_;
    std::vector<float> diffuse_;
    std::vector<float> specular_;
    // Filled for completeness; frames keep the one shininess of the lights
    // table, as the picture was designed with.
    std::vector<float> shininess_;
    std::vector<float> lit_;
    std::vector<float> window_;
    std::vector<IndexRun> glassRuns_;
    bool literal_ = false;
    bool wholeGlass_ = false;
};

}  // namespace hg
