// SPDX-License-Identifier: MIT
#include "render/terrain_helpers.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>

#include "platform/message_error.h"
#include "platform/text_number.h"

namespace hg {

namespace {
constexpr double kDegreesPerRadian = 57.29577951471995;
// One ninetieth, the step of a quarter turn.
constexpr double kPerQuarterTurn = 0.011111111111111112;
constexpr float kPerByte = 0.003921569f;
}  // namespace

Vec3 normalize(double x, double y, double z) {
    double length = std::sqrt(x * x + y * y + z * z);
    if (length == 0.0) throw MessageError(MessageId::ZeroNormal);
    return {static_cast<float>(x / length), static_cast<float>(y / length),
            static_cast<float>(z / length)};
}

Vec3 faceNormal(const Vec3& p, const Vec3& v, const Vec3& q) {
    const double ux = static_cast<double>(p.x) - v.x, uy = static_cast<double>(p.y) - v.y,
                 uz = static_cast<double>(p.z) - v.z;
    const double wx = static_cast<double>(p.x) - q.x, wy = static_cast<double>(p.y) - q.y,
                 wz = static_cast<double>(p.z) - q.z;
    return normalize(uy * wz - uz * wy, uz * wx - ux * wz, ux * wy - uy * wx);
}

Vec3 weightedSum(const Vec3& p, const Vec3& q, double s) {
    return normalize(s * p.x + q.x, s * p.y + q.y, s * p.z + q.z);
}

Vec3 weightedSum(const Vec3& a, const Vec3& b, const Vec3& c, const Vec3& d, double s) {
    return normalize(s * a.x + b.x + c.x + d.x, s * a.y + b.y + c.y + d.y,
                     s * a.z + b.z + c.z + d.z);
}

void checkGrid(const std::vector<float>& vertices, int numCols, int numRows) {
    if (numCols < 2 || numRows < 2) {
        throw std::invalid_argument("The terrain grid has " + formatInteger(numCols) + " x " +
                                    formatInteger(numRows) +
                                    " vertices; drawing it needs at least 2 x 2.");
    }
    const std::size_t need = (static_cast<std::size_t>(numCols) * numRows +
                              static_cast<std::size_t>(numCols - 1) * (numRows - 1)) *
                             3;
    if (vertices.size() < need) {
        throw std::invalid_argument("The vertex array is too short for the terrain grid.");
    }
}

GridView::GridView(const std::vector<float>& vertices, int numCols, int numRows)
    : v_(vertices.data()), cols_(numCols), rows_(numRows) {
    checkGrid(vertices, numCols, numRows);
}

Vec3 GridView::at(int i, int j) const {
    const float* p = v_ + gridIndex(i, j) * 3;
    return {p[0], p[1], p[2]};
}

Vec3 GridView::quadrantFace(int i, int j, int quadrant) const {
    switch (quadrant) {
        case 0:
            return faceNormal(at(i, j + 1), at(i, j), at(i + 1, j));
        case 1:
            return faceNormal(at(i - 1, j), at(i, j), at(i, j + 1));
        case 2:
            return faceNormal(at(i, j - 1), at(i, j), at(i - 1, j));
        default:
            return faceNormal(at(i + 1, j), at(i, j), at(i, j - 1));
    }
}

namespace {
// Where a vertex lies on the grid decides which faces surround it.
enum class Place { Inner, FirstCol, LastCol, FirstRow, LastRow, Corner };

Place placeOf(int i, int j, int rows, int cols) {
    const bool top = i == 0, bottom = i == rows - 1, left = j == 0, right = j == cols - 1;
    if ((top || bottom) && (left || right)) return Place::Corner;
    if (left) return Place::FirstCol;
    if (right) return Place::LastCol;
    if (top) return Place::FirstRow;
    if (bottom) return Place::LastRow;
    return Place::Inner;
}

// A corner has one face: the one inside the grid.
int cornerQuadrant(int i, int j) {
    if (i == 0) return j == 0 ? 0 : 3;
    return j == 0 ? 1 : 2;
}
}  // namespace

Vec3 GridView::smoothNormal(int i, int j) const {
    switch (placeOf(i, j, rows_, cols_)) {
        case Place::Corner:
            return quadrantFace(i, j, cornerQuadrant(i, j));
        case Place::FirstCol:
            return weightedSum(quadrantFace(i, j, 0), quadrantFace(i, j, 1), 1.0);
        case Place::LastCol:
            return weightedSum(quadrantFace(i, j, 3), quadrantFace(i, j, 2), 1.0);
        case Place::FirstRow:
            return weightedSum(quadrantFace(i, j, 0), quadrantFace(i, j, 3), 1.0);
        case Place::LastRow:
            return weightedSum(quadrantFace(i, j, 1), quadrantFace(i, j, 2), 1.0);
        case Place::Inner:
            break;
    }
    return weightedSum(quadrantFace(i, j, 0), quadrantFace(i, j, 1), quadrantFace(i, j, 2),
                       quadrantFace(i, j, 3), 1.0);
}

Vec3 GridView::directionalNormal(int i, int j, int set, double w) const {
    // Sets 0 and 3 lean toward +z, sets 0 and 1 toward +x.
    const bool towardPlusZ = set == 0 || set == 3;
    const bool towardPlusX = set == 0 || set == 1;
    auto favour = [&](int preferred, int other) {
        return weightedSum(quadrantFace(i, j, preferred), quadrantFace(i, j, other), w);
    };
    switch (placeOf(i, j, rows_, cols_)) {
        case Place::Corner:
            return quadrantFace(i, j, cornerQuadrant(i, j));
        case Place::FirstCol:
            return towardPlusZ ? favour(0, 1) : favour(1, 0);
        case Place::LastCol:
            return towardPlusZ ? favour(3, 2) : favour(2, 3);
        case Place::FirstRow:
            return towardPlusX ? favour(0, 3) : favour(3, 0);
        case Place::LastRow:
            return towardPlusX ? favour(1, 2) : favour(2, 1);
        case Place::Inner:
            break;
    }
    const int k = set & 3;
    return weightedSum(quadrantFace(i, j, k), quadrantFace(i, j, (k + 1) & 3),
                       quadrantFace(i, j, (k + 2) & 3), quadrantFace(i, j, (k + 3) & 3), 3.0 * w);
}

void buildCellCentres(std::vector<float>& vertices, int numCols, int numRows) {
    const GridView g(vertices, numCols, numRows);
    for (int i = 0; i < numRows - 1; ++i) {
        for (int j = 0; j < numCols - 1; ++j) {
            const float* a = &vertices[g.gridIndex(i, j) * 3];
            const float* b = &vertices[g.gridIndex(i, j + 1) * 3];
            const float* c = &vertices[g.gridIndex(i + 1, j) * 3];
            const float* d = &vertices[g.gridIndex(i + 1, j + 1) * 3];
            float* m = &vertices[g.centreIndex(i, j) * 3];
            for (int e = 0; e < 3; ++e) m[e] = 0.25f * (a[e] + b[e] + c[e] + d[e]);
        }
    }
}

std::vector<float> normalSet(const std::vector<float>& vertices, int numCols, int numRows, int k,
                             double weight) {
    const GridView g(vertices, numCols, numRows);
    std::vector<float> out(g.vertexCount() * 3);
    auto put = [&out](std::size_t index, const Vec3& n) {
        out[index * 3] = n.x;
        out[index * 3 + 1] = n.y;
        out[index * 3 + 2] = n.z;
    };
    auto get = [&out](std::size_t index) {
        return Vec3{out[index * 3], out[index * 3 + 1], out[index * 3 + 2]};
    };
    for (int i = 0; i < numRows; ++i) {
        for (int j = 0; j < numCols; ++j)
            put(g.gridIndex(i, j), g.directionalNormal(i, j, k, weight));
    }
    for (int i = 0; i < numRows - 1; ++i) {
        for (int j = 0; j < numCols - 1; ++j) {
            put(g.centreIndex(i, j),
                weightedSum(get(g.gridIndex(i, j)), get(g.gridIndex(i + 1, j)),
                            get(g.gridIndex(i + 1, j + 1)), get(g.gridIndex(i, j + 1)), 1.0));
        }
    }
    return out;
}

void blendNormals(std::vector<float>& out, const std::array<std::vector<float>, 4>& sets, double a,
                  std::size_t vertices) {
    int from = 3, to = 0;
    double t = 0.0;
    if (a >= -90.0 && a < 0.0) {
        from = 0, to = 1, t = -a * kPerQuarterTurn;
    } else if (a >= -180.0 && a < -90.0) {
        from = 1, to = 2, t = (-a - 90.0) * kPerQuarterTurn;
    } else if (a >= 90.0 && a <= 180.0) {
        from = 2, to = 3, t = (180.0 - a) * kPerQuarterTurn;
    } else {
        from = 3, to = 0, t = (90.0 - a) * kPerQuarterTurn;
    }
    const float tf = static_cast<float>(t);
    const std::vector<float>& A = sets[static_cast<std::size_t>(from)];
    const std::vector<float>& B = sets[static_cast<std::size_t>(to)];
    out.resize(A.size());
    const std::size_t end = vertices < A.size() / 3 ? vertices * 3 : A.size();
    for (std::size_t n = 0; n + 2 < end && n + 2 < B.size(); n += 3) {
        double x = (1.0f - tf) * A[n] + tf * B[n];
        double y = (1.0f - tf) * A[n + 1] + tf * B[n + 1];
        double z = (1.0f - tf) * A[n + 2] + tf * B[n + 2];
        double length = std::sqrt(x * x + y * y + z * z);
        // Every set points up, so the mix has a length; keep the entry as
        // mixed should a degenerate one slip through rather than fail a frame.
        if (length == 0.0) length = 1.0;
        out[n] = static_cast<float>(x / length);
        out[n + 1] = static_cast<float>(y / length);
        out[n + 2] = static_cast<float>(z / length);
    }
}

CellShape resolveCellShape(int numCols, int numRows, CellShape asked) {
    if (asked != CellShape::Auto) return asked;
    return std::max(numCols, numRows) - 1 > kFanCellLimit ? CellShape::TwoTriangles
                                                          : CellShape::CentreFan;
}

std::vector<std::uint32_t> buildIndexList(int numCols, int numRows, int order, CellShape shape) {
    if (numCols < 2 || numRows < 2) return {};
    const int cellCols = numCols - 1, cellRows = numRows - 1;
    const std::uint32_t grid =
        static_cast<std::uint32_t>(numCols) * static_cast<std::uint32_t>(numRows);
    const bool fans = shape != CellShape::TwoTriangles;
    std::vector<std::uint32_t> out;
    out.reserve(static_cast<std::size_t>(cellCols) * cellRows * (fans ? 12 : 6));
    auto cell = [&](int i, int j) {
        const auto c = static_cast<std::uint32_t>(numCols);
        const std::uint32_t p0 = static_cast<std::uint32_t>(i) * c + static_cast<std::uint32_t>(j);
        const std::uint32_t p1 = p0 + c, p2 = p0 + c + 1, p3 = p0 + 1;
        const std::uint32_t m =
            grid + static_cast<std::uint32_t>(i) * static_cast<std::uint32_t>(cellCols) +
            static_cast<std::uint32_t>(j);
        if (fans) {
            for (std::uint32_t e : {m, p0, p1, m, p1, p2, m, p2, p3, m, p3, p0}) out.push_back(e);
        } else {
            for (std::uint32_t e : {p0, p1, p3, p1, p2, p3}) out.push_back(e);
        }
    };
    // The outer loop runs over rows or columns, each loop up or down:
    // orders 2 to 5 run the rows down, orders 4 to 7 the columns.
    const int o = order & 7;
    const bool rowsOuter = o == 0 || o == 3 || o == 4 || o == 7;
    const bool rowsUp = o < 2 || o > 5;
    const bool colsUp = o < 4;
    auto rowAt = [&](int n) { return rowsUp ? n : cellRows - 1 - n; };
    auto colAt = [&](int n) { return colsUp ? n : cellCols - 1 - n; };
    if (rowsOuter) {
        for (int a = 0; a < cellRows; ++a)
            for (int b = 0; b < cellCols; ++b) cell(rowAt(a), colAt(b));
    } else {
        for (int a = 0; a < cellCols; ++a)
            for (int b = 0; b < cellRows; ++b) cell(rowAt(b), colAt(a));
    }
    return out;
}

std::vector<std::uint32_t> buildStripList(int numCols, int numRows, int order) {
    if (numCols < 2 || numRows < 2) return {};
    const int cellCols = numCols - 1, cellRows = numRows - 1;
    const int o = order & 7;
    const bool rowsOuter = o == 0 || o == 3 || o == 4 || o == 7;
    const bool rowsUp = o < 2 || o > 5;
    const bool colsUp = o < 4;
    struct At {
        int i, j;
    };
    auto index = [&](At v) {
        return static_cast<std::uint32_t>(v.i) * static_cast<std::uint32_t>(numCols) +
               static_cast<std::uint32_t>(v.j);
    };
    std::vector<std::uint32_t> out;
    const int lines = rowsOuter ? cellRows : cellCols;
    const int steps = rowsOuter ? cellCols : cellRows;
    out.reserve(static_cast<std::size_t>(lines) * (2 * static_cast<std::size_t>(steps) + 6));
    for (int a = 0; a < lines; ++a) {
        // The two vertices across the line at step k, the line run in its
        // order's direction.
        auto across = [&](int k, bool second) {
            if (rowsOuter) {
                const int r = rowsUp ? a : cellRows - 1 - a;
                return At{r + (second ? 1 : 0), colsUp ? k : cellCols - k};
            }
            const int c = colsUp ? a : cellCols - 1 - a;
            return At{rowsUp ? k : cellRows - k, c + (second ? 1 : 0)};
        };
        // The first cell's triangles share the edge Y0-X1: take the pair in
        // the order that makes it the (i+1, j)-(i, j+1) diagonal.
        bool swap = false;
        {
            const At y0 = across(0, true), x1 = across(1, false);
            swap = (x1.i - y0.i) * (x1.j - y0.j) > 0;
        }
        auto vertex = [&](int k, bool second) { return across(k, second != swap); };
        // (X0, Y0, X1) drawn as an even triangle of the strip keeps its
        // winding, as an odd one is turned; the fan's winding has a negative
        // cross product with x along j and y along i.
        const At x0 = vertex(0, false), y0 = vertex(0, true), x1 = vertex(1, false);
        const int cross = (y0.j - x0.j) * (x1.i - x0.i) - (y0.i - x0.i) * (x1.j - x0.j);
        const std::size_t parity = cross < 0 ? 0 : 1;
        const std::uint32_t first = index(x0);
        if (!out.empty()) {
            out.push_back(out.back());
            out.push_back(first);
        }
        if (out.size() % 2 != parity) out.push_back(first);
        for (int k = 0; k <= steps; ++k) {
            out.push_back(index(vertex(k, false)));
            out.push_back(index(vertex(k, true)));
        }
    }
    return out;
}

int indexOrderForAngle(double a) {
    if (a >= -45.0 && a < 0.0) return 0;
    if (a >= -90.0 && a < -45.0) return 1;
    if (a >= -135.0 && a < -90.0) return 2;
    if (a >= -180.0 && a < -135.0) return 3;
    if (a >= 135.0 && a <= 180.0) return 4;
    if (a >= 90.0 && a < 135.0) return 5;
    if (a >= 45.0 && a < 90.0) return 6;
    return 7;
}

std::pair<double, double> directionAngles(double x, double y, double z) {
    double azimuth = 0.0;
    if (z != 0.0) {
        azimuth = std::atan2(x, -z) * kDegreesPerRadian;
        if (azimuth < 0.0) azimuth += 360.0;
    } else {
        azimuth = x >= 0.0 ? 90.0 : 270.0;
    }
    double slope = 90.0;
    if (y != 0.0) {
        slope = std::atan2(std::sqrt(x * x + z * z), y) * kDegreesPerRadian;
        if (slope < 0.0) slope = 0.0;
    }
    return {azimuth, slope};
}

std::array<float, 3> unpackColour(std::uint32_t rgb) {
    return {static_cast<float>((rgb >> 16) & 255u) * kPerByte,
            static_cast<float>((rgb >> 8) & 255u) * kPerByte,
            static_cast<float>(rgb & 255u) * kPerByte};
}

}  // namespace hg
