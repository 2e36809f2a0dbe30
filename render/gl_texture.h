// SPDX-License-Identifier: MIT
#pragma once

namespace hg {

// One OpenGL texture object, owned. It must be made and given back while
// its context is current: the drawing base gives it back in release(),
// before the context goes; a texture still held when the object dies
// (the context already gone with its target) has nothing left to free.
class GlTexture {
public:
    GlTexture() = default;
    ~GlTexture() = default;
    GlTexture(const GlTexture&) = delete;
    GlTexture& operator=(const GlTexture&) = delete;

    // Makes a new texture, bound to GL_TEXTURE_2D and repeating, with linear
    // magnification; the previous one is deleted.
    void create();
    void bind() const;
    // Deletes the texture on the current context.
    void reset();
    unsigned name() const { return name_; }

private:
    unsigned name_ = 0;
};

}  // namespace hg
