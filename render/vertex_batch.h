// SPDX-License-Identifier: MIT
#pragma once

#include <GL/gl.h>

#include <cstdint>
#include <span>
#include <vector>

#include "render/colour_bands.h"
#include "render/contour_chains.h"
#include "render/terrain_helpers.h"

namespace hg {

// Geometry recorded once and drawn every frame, as a display list holds
// it, but from one vertex array. Mesa compiles a list by merging equal
// vertices through a hash table, a malloc each: for Step at fine
// intervals that took more of the build than tracing the terraces. The
// recorded draws and state changes are replayed in the order given, so the
// picture is the one the list drew. The vertices go to a buffer object
// where OpenGL 1.5 is there, and stay client arrays where it is not.
//
// Like a list it belongs to one context: upload and draw while it is
// current, and reset in release(), before the context goes.
class VertexBatch {
public:
    explicit VertexBatch(bool withNormals, bool mayUseBuffer = true)
        : withNormals_(withNormals), mayUseBuffer_(mayUseBuffer) {}
    ~VertexBatch() = default;
    VertexBatch(const VertexBatch&) = delete;
    VertexBatch& operator=(const VertexBatch&) = delete;

    // Records the material's ambient and diffuse colour for front faces,
    // or the current colour, for the draws after it.
    void material(const Rgba& colour);
    void colour(const Rgba& colour);
    void cullFaces(bool on);

    // One primitive of `mode` through `points`, all with `normal`, or each
    // with its own. Triangles and quads run on in one draw while nothing
    // is recorded between them; strips are each their own primitive.
    void add(GLenum mode, std::span<const Vec3> points, const Vec3& normal = {0.0f, 1.0f, 0.0f});
    void add(GLenum mode, std::span<const Vec3> points, std::span<const Vec3> normals);
    // Each of the lines as a line strip at height y.
    void addLines(const Polylines& lines, float y);

    std::size_t vertexCount() const { return vertices_; }

    // Hands the vertices to OpenGL; the batch is drawn from there on.
    void upload();
    void draw() const;
    // Deletes the buffer on the current context and forgets everything.
    void reset();

private:
    struct Step {
        enum class Kind { Material, Colour, Cull, Draw } kind;
        GLenum mode = GL_POINTS;
        Rgba colour{};
        bool on = false;
        // Draw: primitives [from, to) of firsts_ and counts_.
        std::uint32_t from = 0, to = 0;
    };

    // Triples kept in blocks of a fixed size: growing never copies what is
    // there, so while a batch is recorded its vertices are never held twice
    // over, and the buffer takes them block by block.
    class Triples {
    public:
        void push(const Vec3& v);
        bool empty() const { return blocks_.empty(); }
        std::size_t bytes() const;
        const std::vector<std::vector<float>>& blocks() const { return blocks_; }
        std::vector<float> joined() const;
        void clear() { std::vector<std::vector<float>>().swap(blocks_); }

    private:
        std::vector<std::vector<float>> blocks_;
    };

    std::uint32_t append(std::span<const Vec3> points);
    void record(GLenum mode, std::uint32_t first, std::uint32_t count);

    bool withNormals_;
    bool mayUseBuffer_;
    Triples points_;
    Triples normals_;
    // Drawn from without a buffer: the triples in one piece each.
    std::vector<float> clientPoints_;
    std::vector<float> clientNormals_;
    std::vector<GLint> firsts_;
    std::vector<GLsizei> counts_;
    std::vector<Step> steps_;
    std::size_t vertices_ = 0;
    unsigned buffer_ = 0;
    // Where the normals start in the buffer, in bytes.
    std::size_t normalsAt_ = 0;
    bool uploaded_ = false;
    bool multiDraw_ = false;
};

}  // namespace hg
