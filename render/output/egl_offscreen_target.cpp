// SPDX-License-Identifier: MIT
#include "render/output/egl_offscreen_target.h"
#include "platform/messages.h"
#include "platform/text_number.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/gl.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>
#include <stdexcept>

namespace hg {

namespace {

std::string eglErrorText(const char* step) {
    char code[16];
    std::snprintf(code, sizeof code, "0x%04X", static_cast<unsigned>(eglGetError()));
    return formatMessage(MessageId::EglStepFailed, {step, code});
}

bool hasExtension(const char* list, const char* name) {
    if (list == nullptr) return false;
    const std::size_t n = std::strlen(name);
    for (const char* p = list; (p = std::strstr(p, name)) != nullptr; p += n) {
        bool startOk = p == list || p[-1] == ' ';
        bool endOk = p[n] == '\0' || p[n] == ' ';
        if (startOk && endOk) return true;
    }
    return false;
}

}  // namespace

namespace {

enum class DisplayKind { Surfaceless, Default };

// The initialised display of a kind, shared by every target of the process
// and never terminated: EGL hands out one display per platform anyway,
// eglTerminate on it would invalidate every other target's context, and it
// unloads the driver, which the next target would then load again.
EGLDisplay sharedDisplay(DisplayKind kind, std::string& error) {
    static std::mutex lock;
    static std::map<DisplayKind, EGLDisplay> ready;
    std::lock_guard<std::mutex> guard(lock);
    if (auto found = ready.find(kind); found != ready.end()) return found->second;
    EGLDisplay handle = EGL_NO_DISPLAY;
    if (kind == DisplayKind::Surfaceless) {
        const char* clientExtensions = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
        if (!hasExtension(clientExtensions, "EGL_MESA_platform_surfaceless")) {
            error = loadMessage(MessageId::EglNoSurfaceless);
            return EGL_NO_DISPLAY;
        }
        auto getPlatformDisplay = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(
            eglGetProcAddress("eglGetPlatformDisplayEXT"));
        if (getPlatformDisplay == nullptr) {
            error = loadMessage(MessageId::EglNoPlatformDisplay);
            return EGL_NO_DISPLAY;
        }
        handle = getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    } else {
        handle = eglGetDisplay(EGL_DEFAULT_DISPLAY);
    }
    if (handle == EGL_NO_DISPLAY) {
        error = eglErrorText("eglGetDisplay");
        return EGL_NO_DISPLAY;
    }
    EGLint major = 0, minor = 0;
    if (eglInitialize(handle, &major, &minor) != EGL_TRUE) {
        error = eglErrorText("eglInitialize");
        return EGL_NO_DISPLAY;
    }
    ready[kind] = handle;
    return handle;
}

}  // namespace

namespace {

struct Attempt {
    EGLDisplay display = EGL_NO_DISPLAY;
    EGLSurface surface = EGL_NO_SURFACE;
    EGLContext context = EGL_NO_CONTEXT;
    std::string error;
};

Attempt tryDisplay(DisplayKind kind, int width, int height) {
    Attempt a;
    EGLDisplay dpy = sharedDisplay(kind, a.error);
    if (dpy == EGL_NO_DISPLAY) return a;
    if (eglBindAPI(EGL_OPENGL_API) != EGL_TRUE) {
        a.error = eglErrorText("eglBindAPI(EGL_OPENGL_API)");
        return a;
    }
    const GlBufferFormat want;
    const EGLint configAttributes[] = {
        EGL_SURFACE_TYPE, EGL_PBUFFER_BIT, EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT, EGL_RED_SIZE,
        want.redBits,     EGL_GREEN_SIZE,  want.greenBits,      EGL_BLUE_SIZE,  want.blueBits,
        EGL_ALPHA_SIZE,   want.alphaBits,  EGL_DEPTH_SIZE,      want.depthBits, EGL_STENCIL_SIZE,
        want.stencilBits, EGL_NONE};
    EGLConfig config = nullptr;
    EGLint count = 0;
    if (eglChooseConfig(dpy, configAttributes, &config, 1, &count) != EGL_TRUE || count < 1) {
        a.error = loadMessage(MessageId::EglNoConfig);
        return a;
    }
    const EGLint surfaceAttributes[] = {EGL_WIDTH, width, EGL_HEIGHT, height, EGL_NONE};
    a.surface = eglCreatePbufferSurface(dpy, config, surfaceAttributes);
    if (a.surface == EGL_NO_SURFACE) {
        a.error = eglErrorText("eglCreatePbufferSurface");
        return a;
    }
    // The styles use the fixed-function pipeline, so ask for a
    // compatibility context where the driver lets us say so.
    const EGLint compatibility[] = {EGL_CONTEXT_OPENGL_PROFILE_MASK,
                                    EGL_CONTEXT_OPENGL_COMPATIBILITY_PROFILE_BIT, EGL_NONE};
    const bool canAsk = hasExtension(eglQueryString(dpy, EGL_EXTENSIONS), "EGL_KHR_create_context");
    a.context = eglCreateContext(dpy, config, EGL_NO_CONTEXT, canAsk ? compatibility : nullptr);
    if (a.context == EGL_NO_CONTEXT) {
        a.error = eglErrorText("eglCreateContext");
        eglDestroySurface(dpy, a.surface);
        a.surface = EGL_NO_SURFACE;
        return a;
    }
    a.display = dpy;
    return a;
}

}  // namespace

EglOffscreenTarget::EglOffscreenTarget(int width, int height) : width_(width), height_(height) {
    if (width < 1 || height < 1 || width > 16384 || height > 16384) {
        throw std::runtime_error(formatMessage(MessageId::OffscreenSize, {formatInteger(16384)}));
    }
    Attempt a = tryDisplay(DisplayKind::Surfaceless, width, height);
    platform_ = "surfaceless";
    if (a.display == EGL_NO_DISPLAY) {
        Attempt b = tryDisplay(DisplayKind::Default, width, height);
        if (b.display == EGL_NO_DISPLAY) {
            throw std::runtime_error(
                formatMessage(MessageId::NoOffscreenContext, {a.error, b.error}));
        }
        a = std::move(b);
        platform_ = "default";
    }
    display_ = a.display;
    surface_ = a.surface;
    context_ = a.context;
}

EglOffscreenTarget::~EglOffscreenTarget() {
    EGLDisplay dpy = static_cast<EGLDisplay>(display_);
    if (eglGetCurrentContext() == static_cast<EGLContext>(context_)) {
        eglMakeCurrent(dpy, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    }
    eglDestroyContext(dpy, static_cast<EGLContext>(context_));
    eglDestroySurface(dpy, static_cast<EGLSurface>(surface_));
}

bool EglOffscreenTarget::makeCurrent() {
    // Another target's context may have been made current on this thread
    // since; binding the API again keeps eglMakeCurrent on desktop OpenGL.
    if (eglBindAPI(EGL_OPENGL_API) != EGL_TRUE) return false;
    return eglMakeCurrent(static_cast<EGLDisplay>(display_), static_cast<EGLSurface>(surface_),
                          static_cast<EGLSurface>(surface_),
                          static_cast<EGLContext>(context_)) == EGL_TRUE;
}

bool EglOffscreenTarget::doneCurrent() {
    return eglMakeCurrent(static_cast<EGLDisplay>(display_), EGL_NO_SURFACE, EGL_NO_SURFACE,
                          EGL_NO_CONTEXT) == EGL_TRUE;
}

bool EglOffscreenTarget::swapBuffers() {
    // A pbuffer has no front buffer to show; what was drawn stays readable.
    return true;
}

std::vector<std::uint8_t> EglOffscreenTarget::readPixels() {
    const std::size_t rowBytes = static_cast<std::size_t>(width_) * 4;
    std::vector<std::uint8_t> bottomUp(rowBytes * static_cast<std::size_t>(height_));
    if (!makeCurrent()) throw std::runtime_error(eglErrorText("eglMakeCurrent"));
    glFinish();
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width_, height_, GL_RGBA, GL_UNSIGNED_BYTE, bottomUp.data());
    // OpenGL counts rows from the bottom; pictures are stored top row first.
    std::vector<std::uint8_t> topDown(bottomUp.size());
    for (int y = 0; y < height_; ++y) {
        std::memcpy(&topDown[static_cast<std::size_t>(y) * rowBytes],
                    &bottomUp[static_cast<std::size_t>(height_ - 1 - y) * rowBytes], rowBytes);
    }
    return topDown;
}

}  // namespace hg
