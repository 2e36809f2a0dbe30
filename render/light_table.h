// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <optional>
#include <vector>

namespace hg {

// Four floats as the lighting calls take them: a colour with alpha, or a
// position with w (w = 0 for a light from a direction).
using Vec4 = std::array<float, 4>;

struct LightSource {
    Vec4 ambient{0.0f, 0.0f, 0.0f, 1.0f};
    Vec4 diffuse{0.0f, 0.0f, 0.0f, 1.0f};
    Vec4 specular{0.0f, 0.0f, 0.0f, 1.0f};
    // Taken under the modelview matrix in force when the table is applied.
    Vec4 position{0.0f, 0.0f, 1.0f, 0.0f};
};

// The lights and materials a style sets once before its first frame, as
// data. A material left empty is not set: the style gives it per vertex
// (through the colour material or its own material calls) or keeps the
// default.
struct LightTable {
    bool smooth = true;
    bool twoSided = false;
    // Front ambient and diffuse follow the current vertex colour.
    bool colourMaterial = false;
    // Switch lighting on here. Left false, lighting stays as it is: some
    // styles switch it on only inside their frame, around the lit parts.
    bool lighting = false;
    std::optional<Vec4> frontAmbientDiffuse;
    std::optional<Vec4> backAmbientDiffuse;
    std::optional<Vec4> frontSpecular;
    std::optional<float> frontShininess;
    // The first is light 0, the next light 1; lights beyond the table are
    // switched off, so that a style never inherits another's second light.
    std::vector<LightSource> lights;
};

// A grey of the given level, opaque.
constexpr Vec4 grey(float level) {
    return {level, level, level, 1.0f};
}

// Sets every entry of the table on the current context.
void apply(const LightTable& table);

}  // namespace hg
