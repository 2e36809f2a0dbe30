// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

#include "render/colour_bands.h"
#include "render/draw.h"
#include "render/light_table.h"
#include "render/surface_arrays.h"

namespace hg {

// The smooth solid the Shading and Cyan styles share: centre-fan cells from
// client arrays, lit through normals that are blended anew each frame so
// that slopes facing one way brighten as the terrain turns towards them.
// The styles differ only in how the surface is coloured and lit.
class CBlendedSurface : public CDraw {
public:
    void drawFrame() override;

    const SurfaceArrays& surface() const { return surface_; }

protected:
    // Clears with depth, builds the cell centres, the normal sets and the
    // order-0 cell list.
    void buildSurface();
    // The surface takes its front colour from the colour array from now on.
    void colourFromArray() { coloured_ = true; }

private:
    SurfaceArrays surface_;
    bool coloured_ = false;
};

// Lights and material of the single-colour surface: a soft sheen over the
// given colour, the undersides grey.
LightTable iroiroLights(std::uint32_t colour);

// Draw type 3 ("Cyan"): the whole terrain in one material colour.
class CDrawIroiro : public CBlendedSurface {
public:
    explicit CDrawIroiro(std::uint32_t colour) : colour_(colour) {}

    void buildScene() override;
    void setLights() override;

    std::uint32_t colour() const { return colour_; }

private:
    std::uint32_t colour_;
};

}  // namespace hg
