// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace hg {

struct Vec3 {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
};

// The unit vector along v. A zero vector has no direction: throws
// MessageError ZeroNormal.
Vec3 normalize(double x, double y, double z);
inline Vec3 normalize(const Vec3& v) {
    return normalize(v.x, v.y, v.z);
}

// The normal of the triangle P, V, Q at V: normalize((P - V) x (P - Q)).
// For P a step along +x and Q a step along +z it points up.
Vec3 faceNormal(const Vec3& p, const Vec3& v, const Vec3& q);
// normalize(s*p + q) and normalize(s*a + b + c + d).
Vec3 weightedSum(const Vec3& p, const Vec3& q, double s);
Vec3 weightedSum(const Vec3& a, const Vec3& b, const Vec3& c, const Vec3& d, double s);

// A view of the terrain grid: numCols x numRows vertices row-major (row i
// along z, column j along x), then one centre vertex per cell.
class GridView {
public:
    GridView(const std::vector<float>& vertices, int numCols, int numRows);

    int cols() const { return cols_; }
    int rows() const { return rows_; }
    std::size_t gridCount() const { return static_cast<std::size_t>(cols_) * rows_; }
    std::size_t centreCount() const {
        return static_cast<std::size_t>(cols_ - 1) * static_cast<std::size_t>(rows_ - 1);
    }
    // Grid vertices and cell centres together: the length of every
    // per-vertex array.
    std::size_t vertexCount() const { return gridCount() + centreCount(); }
    std::size_t gridIndex(int i, int j) const {
        return static_cast<std::size_t>(i) * cols_ + static_cast<std::size_t>(j);
    }
    std::size_t centreIndex(int i, int j) const {
        return gridCount() + static_cast<std::size_t>(i) * (cols_ - 1) +
               static_cast<std::size_t>(j);
    }
    Vec3 at(int i, int j) const;

    // The four faces around (i, j) by quadrant: Q0 (+x,+z), Q1 (+x,-z),
    // Q2 (-x,-z), Q3 (-x,+z). The neighbours they name must exist.
    Vec3 quadrantFace(int i, int j, int quadrant) const;

    // Vertex normals of (row i, column j). The smooth one weighs the faces
    // around the vertex alike; the directional one of set k (0..3) favours
    // the faces of one quadrant by weight w, so that the terrain can be lit
    // as if the light turned with it.
    Vec3 smoothNormal(int i, int j) const;
    Vec3 directionalNormal(int i, int j, int set, double w) const;

private:
    const float* v_;
    int cols_;
    int rows_;
};

// The grid must have at least 2 x 2 vertices; the vertex array room for
// the centres. Both are checked: std::invalid_argument otherwise.
void checkGrid(const std::vector<float>& vertices, int numCols, int numRows);

// Fills the cell centres: each the mean of its cell's four corners.
void buildCellCentres(std::vector<float>& vertices, int numCols, int numRows);

// One direction-weighted normal set (k in 0..3) for grid and centres.
std::vector<float> normalSet(const std::vector<float>& vertices, int numCols, int numRows, int k,
                             double weight);

// The normals for the turn angle (degrees): the two sets next to it,
// mixed by how far the angle lies between their quarter turns. Only the
// first `vertices` entries are mixed (all when the sets are shorter); the
// rest of out keeps what it held.
void blendNormals(std::vector<float>& out, const std::array<std::vector<float>, 4>& sets,
                  double angle, std::size_t vertices = SIZE_MAX);

// How the lit surfaces cut a cell into triangles. Four around the centre
// vertex show the centre's own height and normal; two, split along the
// (i+1, j)-(i, j+1) diagonal, cost half the triangles, and a software
// renderer pays chiefly by the triangle.
enum class CellShape { Auto, CentreFan, TwoTriangles };

// Cells along the grid's longer side beyond which Auto splits cells in two:
// past it a cell is a few pixels on any screen the saver fills, too small
// for its centre to show (tests/render/cell_shape_test.cpp measures how
// little changes), while the frame's cost is its triangles.
inline constexpr int kFanCellLimit = 128;

// The shape a numCols x numRows grid is drawn with: asked, or for Auto
// centre fans up to kFanCellLimit cells a side and two triangles beyond.
CellShape resolveCellShape(int numCols, int numRows, CellShape asked);

// Triangle indices of every cell, the cells in one of eight traversal
// orders (0..7): for centre fans twelve a cell, four triangles around its
// centre; for two triangles six, (p0, p1, p3) and (p1, p2, p3), with the
// fan's winding.
std::vector<std::uint32_t> buildIndexList(int numCols, int numRows, int order,
                                          CellShape shape = CellShape::CentreFan);

// The two-triangle cells of buildIndexList as one triangle strip, in the
// same traversal: a strip along each row (or column) of cells, the strips
// joined by repeated indices whose triangles have no area. Two indices a
// triangle instead of three, and each vertex shaded about twice instead of
// three times.
std::vector<std::uint32_t> buildStripList(int numCols, int numRows, int order);

// The traversal order that draws back to front for the turn angle.
int indexOrderForAngle(double angle);

// Azimuth in [0, 360) measured from -z toward +x, and the angle from +y,
// both in degrees.
std::pair<double, double> directionAngles(double x, double y, double z);

// A packed 0xRRGGBB colour as three floats in 0..1.
std::array<float, 3> unpackColour(std::uint32_t rgb);

}  // namespace hg
