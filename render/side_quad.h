// SPDX-License-Identifier: MIT
#pragma once

#include <span>

#include "render/terrain_helpers.h"

namespace hg {

// A wall piece along a contour while its level is built: the normal and
// position at each end, both ends at the level's height.
struct CSideQuad {
    Vec3 firstNormal;
    Vec3 first;
    Vec3 secondNormal;
    Vec3 second;

    CSideQuad() = default;
    CSideQuad(const Vec3& normal, const Vec3& firstEnd, const Vec3& secondEnd)
        : firstNormal(normal), first(firstEnd), secondNormal(normal), second(secondEnd) {}
};

// normalize(a + b): the normal two pieces share where they meet. Two
// pieces facing exactly apart have no shared direction; the first keeps
// its own.
Vec3 sharedNormal(const Vec3& a, const Vec3& b);

// Where one piece's first end lies exactly (in x and z) on another's
// second end, both ends take the shared normal; pairs are taken first
// piece outer, second inner, each update seeing the earlier ones. The
// partners are found through a hash on the end coordinates, so the cost
// grows with the number of pieces and joints, not with its square.
void smoothSideQuads(std::span<CSideQuad> quads);

}  // namespace hg
