// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace hg {

// A piece of an index list to draw on its own: offset and count in
// entries, as glDrawElements takes them.
struct IndexRun {
    std::size_t offset = 0;
    std::size_t count = 0;
    bool operator==(const IndexRun&) const = default;
};

// Window coordinates (x, y per vertex) of the first count vertices of
// vertices (x, y, z each) under the column-major modelview and projection
// matrices and the viewport (x, y, width, height). False, with out left
// unfinished, when a vertex lies at or behind the eye, where a projected
// outline no longer bounds what is drawn.
bool projectToWindow(const std::array<float, 16>& modelview,
                     const std::array<float, 16>& projection, const std::array<int, 4>& viewport,
                     const std::vector<float>& vertices, std::size_t count,
                     std::vector<float>& out);

// The pieces of a height field's index list (a triangle strip, or separate
// triangles) that may share a pixel of the viewport with another triangle.
//
// Seen from above, a height field covers each point of the screen once,
// except where it folds over itself behind a ridge: there the slope facing
// away from the eye turns over in projection, and every point it covers is
// covered by both kinds of triangle, those whose turn around the corners
// agrees between map and screen and those where it does not. So the
// triangles that meet the smaller kind's outline are all that can overlap;
// the rest each own their pixels alone. The outlines are rounded out to
// tiles of a few pixels, which only ever adds triangles. window holds the
// vertices' window coordinates and vertices their map positions (x, y, z,
// of which x and z are used). Strip pieces start at an even triangle, so
// they turn their corners as they did in the whole strip; pieces are
// listed in the order of the list.
std::vector<IndexRun> overlappingRuns(const std::vector<float>& window,
                                      const std::vector<float>& vertices,
                                      const std::vector<std::uint32_t>& indices, bool strips,
                                      const std::array<int, 4>& viewport);

}  // namespace hg
