// SPDX-License-Identifier: MIT
#pragma once

namespace hg {

// What the drawing base asks of a surface: RGBA with 8 bits a channel, a
// 24-bit depth buffer, no stencil or accumulation buffer. A window target
// double-buffers; an offscreen target may draw into a single buffer.
struct GlBufferFormat {
    int redBits = 8;
    int greenBits = 8;
    int blueBits = 8;
    int alphaBits = 8;
    int depthBits = 24;
    int stencilBits = 0;
};

// A surface with an OpenGL context that a drawing object renders into: a
// saver window, a preview child or an offscreen buffer. The drawing code
// never sees the window system behind it.
class GlTarget {
public:
    virtual ~GlTarget() = default;
    // Binds the context and the surface to the calling thread.
    virtual bool makeCurrent() = 0;
    // Leaves the calling thread with no current context.
    virtual bool doneCurrent() = 0;
    // Shows what was drawn; a single-buffered surface has nothing to swap
    // and succeeds.
    virtual bool swapBuffers() = 0;
    // The drawable size in pixels; zero while a window is not yet shown.
    virtual int width() const = 0;
    virtual int height() const = 0;
};

}  // namespace hg
