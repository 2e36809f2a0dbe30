// SPDX-License-Identifier: MIT
// The buffer and multi-draw entry points are OpenGL 1.4 and 1.5; they are
// called only where the context reports that version.
#define GL_GLEXT_PROTOTYPES 1
#include "render/vertex_batch.h"

#include <GL/gl.h>
#include <GL/glext.h>

#include <cstddef>
#include <cstdint>
#include <limits>
#include <stdexcept>

#include "render/opengl_draw.h"

namespace hg {

namespace {

bool contextAtLeast(int major, int minor) {
    return COpenGLDraw::versionAtLeast(reinterpret_cast<const char*>(glGetString(GL_VERSION)),
                                       major, minor);
}

// Whether primitives of this mode simply continue one another.
bool runsOn(GLenum mode) {
    return mode == GL_TRIANGLES || mode == GL_QUADS || mode == GL_LINES || mode == GL_POINTS;
}

// A block holds this many floats, a whole number of triples: 768 KiB.
constexpr std::size_t kBlockFloats = 3 * 65536;

}  // namespace

void VertexBatch::Triples::push(const Vec3& v) {
    if (blocks_.empty() || blocks_.back().size() == kBlockFloats) {
        blocks_.emplace_back();
        blocks_.back().reserve(kBlockFloats);
    }
    blocks_.back().insert(blocks_.back().end(), {v.x, v.y, v.z});
}

std::size_t VertexBatch::Triples::bytes() const {
    std::size_t n = 0;
    for (const auto& b : blocks_) n += b.size();
    return n * sizeof(float);
}

std::vector<float> VertexBatch::Triples::joined() const {
    std::vector<float> all;
    all.reserve(bytes() / sizeof(float));
    for (const auto& b : blocks_) all.insert(all.end(), b.begin(), b.end());
    return all;
}

void VertexBatch::material(const Rgba& colour) {
    steps_.push_back({Step::Kind::Material, GL_POINTS, colour});
}

void VertexBatch::colour(const Rgba& colour) {
    steps_.push_back({Step::Kind::Colour, GL_POINTS, colour});
}

void VertexBatch::cullFaces(bool on) {
    Step s{Step::Kind::Cull};
    s.on = on;
    steps_.push_back(s);
}

std::uint32_t VertexBatch::append(std::span<const Vec3> points) {
    const std::size_t first = vertices_;
    // glDrawArrays takes its first vertex and count as GLint and GLsizei.
    if (first + points.size() > static_cast<std::size_t>(std::numeric_limits<GLint>::max()))
        throw std::length_error("vertex batch");
    for (const Vec3& p : points) points_.push(p);
    vertices_ += points.size();
    return static_cast<std::uint32_t>(first);
}

void VertexBatch::record(GLenum mode, std::uint32_t first, std::uint32_t count) {
    if (count == 0) return;
    if (!steps_.empty() && steps_.back().kind == Step::Kind::Draw && steps_.back().mode == mode) {
        Step& last = steps_.back();
        const std::size_t p = counts_.size() - 1;
        if (runsOn(mode) && static_cast<std::uint32_t>(firsts_[p]) + counts_[p] == first) {
            counts_[p] += static_cast<GLsizei>(count);
            return;
        }
        firsts_.push_back(static_cast<GLint>(first));
        counts_.push_back(static_cast<GLsizei>(count));
        last.to = static_cast<std::uint32_t>(counts_.size());
        return;
    }
    Step s{Step::Kind::Draw, mode};
    s.from = static_cast<std::uint32_t>(counts_.size());
    firsts_.push_back(static_cast<GLint>(first));
    counts_.push_back(static_cast<GLsizei>(count));
    s.to = s.from + 1;
    steps_.push_back(s);
}

void VertexBatch::add(GLenum mode, std::span<const Vec3> points, const Vec3& normal) {
    const std::uint32_t first = append(points);
    if (withNormals_) {
        for (std::size_t n = 0; n < points.size(); ++n) normals_.push(normal);
    }
    record(mode, first, static_cast<std::uint32_t>(points.size()));
}

void VertexBatch::add(GLenum mode, std::span<const Vec3> points, std::span<const Vec3> normals) {
    if (normals.size() != points.size()) throw std::invalid_argument("vertex batch normals");
    const std::uint32_t first = append(points);
    if (withNormals_) {
        for (const Vec3& n : normals) normals_.push(n);
    }
    record(mode, first, static_cast<std::uint32_t>(points.size()));
}

void VertexBatch::addLines(const Polylines& lines, float y) {
    std::vector<Vec3> strip;
    std::uint32_t from = 0;
    for (const std::uint32_t end : lines.ends) {
        strip.clear();
        for (std::uint32_t p = from; p < end; ++p)
            strip.push_back({lines.points[p].x, y, lines.points[p].z});
        add(GL_LINE_STRIP, strip);
        from = end;
    }
}

void VertexBatch::upload() {
    if (uploaded_) return;
    uploaded_ = true;
    multiDraw_ = contextAtLeast(1, 4);
    if (mayUseBuffer_ && !points_.empty() && contextAtLeast(1, 5)) {
        GLuint name = 0;
        glGenBuffers(1, &name);
        buffer_ = name;
    }
    if (buffer_ != 0) {
        const std::size_t pointBytes = points_.bytes();
        glBindBuffer(GL_ARRAY_BUFFER, buffer_);
        glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(pointBytes + normals_.bytes()),
                     nullptr, GL_STATIC_DRAW);
        std::size_t at = 0;
        for (const Triples* t : {&points_, &normals_}) {
            for (const auto& b : t->blocks()) {
                const std::size_t bytes = b.size() * sizeof(float);
                glBufferSubData(GL_ARRAY_BUFFER, static_cast<GLintptr>(at),
                                static_cast<GLsizeiptr>(bytes), b.data());
                at += bytes;
            }
        }
        glBindBuffer(GL_ARRAY_BUFFER, 0);
        if (glGetError() != GL_OUT_OF_MEMORY) {
            normalsAt_ = pointBytes;
            // OpenGL holds its own copy now.
            points_.clear();
            normals_.clear();
            return;
        }
        const GLuint name = buffer_;
        glDeleteBuffers(1, &name);
        buffer_ = 0;
    }
    // Drawn from client arrays, which take each in one piece.
    clientPoints_ = points_.joined();
    clientNormals_ = normals_.joined();
    points_.clear();
    normals_.clear();
}

void VertexBatch::draw() const {
    if (steps_.empty() || !uploaded_) return;
    const float* points = clientPoints_.data();
    const float* normals = clientNormals_.data();
    if (buffer_ != 0) {
        // With a buffer bound, the pointers are offsets into it.
        glBindBuffer(GL_ARRAY_BUFFER, buffer_);
        points = nullptr;
        normals = reinterpret_cast<const float*>(static_cast<std::uintptr_t>(normalsAt_));
    }
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, points);
    if (withNormals_) {
        glEnableClientState(GL_NORMAL_ARRAY);
        glNormalPointer(GL_FLOAT, 0, normals);
    }
    for (const Step& s : steps_) {
        switch (s.kind) {
            case Step::Kind::Material:
                glMaterialfv(GL_FRONT, GL_AMBIENT_AND_DIFFUSE, s.colour.data());
                break;
            case Step::Kind::Colour:
                glColor4fv(s.colour.data());
                break;
            case Step::Kind::Cull:
                if (s.on)
                    glEnable(GL_CULL_FACE);
                else
                    glDisable(GL_CULL_FACE);
                break;
            case Step::Kind::Draw:
                if (multiDraw_ && s.to - s.from > 1) {
                    glMultiDrawArrays(s.mode, firsts_.data() + s.from, counts_.data() + s.from,
                                      static_cast<GLsizei>(s.to - s.from));
                } else {
                    for (std::uint32_t p = s.from; p < s.to; ++p)
                        glDrawArrays(s.mode, firsts_[p], counts_[p]);
                }
                break;
        }
    }
    if (withNormals_) glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
    if (buffer_ != 0) glBindBuffer(GL_ARRAY_BUFFER, 0);
}

void VertexBatch::reset() {
    if (buffer_ != 0) {
        const GLuint name = buffer_;
        glDeleteBuffers(1, &name);
        buffer_ = 0;
    }
    points_.clear();
    normals_.clear();
    std::vector<float>().swap(clientPoints_);
    std::vector<float>().swap(clientNormals_);
    firsts_.clear();
    counts_.clear();
    steps_.clear();
    vertices_ = 0;
    normalsAt_ = 0;
    uploaded_ = false;
}

}  // namespace hg
