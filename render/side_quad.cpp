// SPDX-License-Identifier: MIT
#include "render/side_quad.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <limits>
#include <utility>
#include <vector>

namespace hg {

namespace {

constexpr std::uint32_t kNone = std::numeric_limits<std::uint32_t>::max();

// Equal coordinates must give equal keys: -0 and +0 compare equal, so
// both are taken as +0 before their bits are read.
std::uint64_t endKey(const Vec3& p) {
    const float x = p.x == 0.0f ? 0.0f : p.x;
    const float z = p.z == 0.0f ? 0.0f : p.z;
    return (static_cast<std::uint64_t>(std::bit_cast<std::uint32_t>(x)) << 32) |
           std::bit_cast<std::uint32_t>(z);
}

}  // namespace

Vec3 sharedNormal(const Vec3& a, const Vec3& b) {
    const Vec3 sum{a.x + b.x, a.y + b.y, a.z + b.z};
    if (sum.x == 0.0f && sum.y == 0.0f && sum.z == 0.0f) return a;
    return normalize(sum);
}

void smoothSideQuads(std::span<CSideQuad> quads) {
    if (quads.size() >= kNone) return;
    const auto n = static_cast<std::uint32_t>(quads.size());
    // The pieces by the position of their second end, in list order within
    // a position: one sorted array, where a hash map took a node a piece
    // and fine intervals give hundreds of thousands of pieces.
    std::vector<std::pair<std::uint64_t, std::uint32_t>> ends(n);
    for (std::uint32_t q = 0; q < n; ++q) ends[q] = {endKey(quads[q].second), q};
    std::sort(ends.begin(), ends.end());
    for (std::uint32_t p = 0; p < n; ++p) {
        const std::uint64_t key = endKey(quads[p].first);
        for (auto it = std::lower_bound(ends.begin(), ends.end(), std::pair{key, std::uint32_t{0}});
             it != ends.end() && it->first == key; ++it) {
            const std::uint32_t q = it->second;
            if (q == p) continue;
            CSideQuad& a = quads[p];
            CSideQuad& b = quads[q];
            // Ends that are not numbers share a key but never compare equal.
            if (a.first.x != b.second.x || a.first.z != b.second.z) continue;
            const Vec3 joint = sharedNormal(a.firstNormal, b.secondNormal);
            a.firstNormal = joint;
            b.secondNormal = joint;
        }
    }
}

}  // namespace hg
