// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <stdexcept>
#include <string>

#include "render/gl_target.h"

namespace hg {

// A failure of the OpenGL set-up, carrying the text of the drawing
// object's first such failure.
class OpenGLError : public std::runtime_error {
public:
    OpenGLError(int code, const char* text) : std::runtime_error(text), code_(code) {}
    int code() const noexcept { return code_; }

private:
    int code_;
};

// The OpenGL side of a drawing object: the target it draws into and the
// first OpenGL failure of its life.
class COpenGLDraw {
public:
    // Texts of the OpenGL failures, by code.
    static constexpr std::array<const char*, 8> kMessages = {
        "OpenGL No Error.",
        "OpenGL Unable to get DC.",
        "OpenGL ChoosePixelFormat failed.",
        "OpenGL SelectPixelFormat failed.",
        "OpenGL wglCreateContext failed.",
        "OpenGL wglMakeCurrent failed.",
        "OpenGL wglDeleteContext failed.",
        "OpenGL SwapBuffers failed.",
    };
    enum : int {
        kNoError = 0,
        kNoSurface = 1,
        kChoosePixelFormat = 2,
        kSetPixelFormat = 3,
        kCreateContext = 4,
        kMakeCurrent = 5,
        kDeleteContext = 6,
        kSwapBuffers = 7,
    };

    COpenGLDraw() = default;
    virtual ~COpenGLDraw() = default;
    COpenGLDraw(const COpenGLDraw&) = delete;
    COpenGLDraw& operator=(const COpenGLDraw&) = delete;

    // Checks that the current context offers the buffers asked for (a
    // depth buffer above all); fails with error 3. The target chose the
    // format when it made its surface.
    virtual bool setPixelFormat();
    virtual bool setProjection(double aspect) = 0;
    virtual bool placeCamera() = 0;
    virtual void buildScene() = 0;
    virtual void setLights() = 0;
    virtual void drawFrame() = 0;

    // The text of the first OpenGL failure, "OpenGL No Error." before any.
    const char* errorText() const { return kMessages[static_cast<std::size_t>(errorCode_)]; }

    // Records failure code (1..7) unless an earlier one is recorded, and
    // throws the recorded one: the first failure is the one reported ever
    // after.
    [[noreturn]] void openGLError(int code);

    // Throws MessageError NoOpenGL unless the current context reports OpenGL 1.1
    // or later.
    static void checkOpenGLVersion();
    // True when the text of GL_VERSION names major.minor or later.
    static bool versionAtLeast(const char* version, int major, int minor);

    GlTarget* target = nullptr;

private:
    int errorCode_ = kNoError;
};

}  // namespace hg
