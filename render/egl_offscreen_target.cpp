#include "render/egl_offscreen_target.h"

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
    return std::string(step) + " failed (EGL error " + code + ")";
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

// An initialised EGL display. EGL hands out one display per platform and
// native display, and eglTerminate on it would pull the rug from every other
// context on it, so the targets share one and the last to go terminates it.
class EglDisplay {
public:
    enum class Kind { Surfaceless, Default };

    static std::shared_ptr<EglDisplay> acquire(Kind kind, std::string& error) {
        static std::mutex lock;
        static std::map<Kind, std::weak_ptr<EglDisplay>> open;
        std::lock_guard<std::mutex> guard(lock);
        if (auto shared = open[kind].lock()) return shared;
        EGLDisplay handle = EGL_NO_DISPLAY;
        if (kind == Kind::Surfaceless) {
            const char* clientExtensions = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
            if (!hasExtension(clientExtensions, "EGL_MESA_platform_surfaceless")) {
                error = "EGL has no surfaceless platform";
                return nullptr;
            }
            auto getPlatformDisplay = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(
                eglGetProcAddress("eglGetPlatformDisplayEXT"));
            if (getPlatformDisplay == nullptr) {
                error = "eglGetPlatformDisplayEXT is missing";
                return nullptr;
            }
            handle =
                getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
        } else {
            handle = eglGetDisplay(EGL_DEFAULT_DISPLAY);
        }
        if (handle == EGL_NO_DISPLAY) {
            error = eglErrorText("eglGetDisplay");
            return nullptr;
        }
        EGLint major = 0, minor = 0;
        if (eglInitialize(handle, &major, &minor) != EGL_TRUE) {
            error = eglErrorText("eglInitialize");
            return nullptr;
        }
        auto shared = std::make_shared<EglDisplay>(handle);
        open[kind] = shared;
        return shared;
    }

    explicit EglDisplay(EGLDisplay handle) : handle_(handle) {}
    ~EglDisplay() { eglTerminate(handle_); }
    EglDisplay(const EglDisplay&) = delete;
    EglDisplay& operator=(const EglDisplay&) = delete;

    EGLDisplay handle() const { return handle_; }

private:
    EGLDisplay handle_;
};

namespace {

struct Attempt {
    std::shared_ptr<EglDisplay> display;
    EGLSurface surface = EGL_NO_SURFACE;
    EGLContext context = EGL_NO_CONTEXT;
    std::string error;
};

Attempt tryDisplay(EglDisplay::Kind kind, int width, int height) {
    Attempt a;
    a.display = EglDisplay::acquire(kind, a.error);
    if (!a.display) return a;
    EGLDisplay dpy = a.display->handle();
    if (eglBindAPI(EGL_OPENGL_API) != EGL_TRUE) {
        a.error = eglErrorText("eglBindAPI(EGL_OPENGL_API)");
        a.display.reset();
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
        a.error = "no EGL configuration with RGBA8, 24-bit depth and desktop OpenGL";
        a.display.reset();
        return a;
    }
    const EGLint surfaceAttributes[] = {EGL_WIDTH, width, EGL_HEIGHT, height, EGL_NONE};
    a.surface = eglCreatePbufferSurface(dpy, config, surfaceAttributes);
    if (a.surface == EGL_NO_SURFACE) {
        a.error = eglErrorText("eglCreatePbufferSurface");
        a.display.reset();
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
        a.display.reset();
    }
    return a;
}

}  // namespace

EglOffscreenTarget::EglOffscreenTarget(int width, int height) : width_(width), height_(height) {
    if (width < 1 || height < 1 || width > 16384 || height > 16384) {
        throw std::runtime_error(
            "The offscreen picture size must be between 1 x 1 and 16384 x "
            "16384 pixels.");
    }
    Attempt a = tryDisplay(EglDisplay::Kind::Surfaceless, width, height);
    platform_ = "surfaceless";
    if (!a.display) {
        Attempt b = tryDisplay(EglDisplay::Kind::Default, width, height);
        if (!b.display) {
            throw std::runtime_error("Cannot create an offscreen OpenGL context: surfaceless: " +
                                     a.error + "; default display: " + b.error + ".");
        }
        a = std::move(b);
        platform_ = "default";
    }
    display_ = std::move(a.display);
    surface_ = a.surface;
    context_ = a.context;
}

EglOffscreenTarget::~EglOffscreenTarget() {
    EGLDisplay dpy = display_->handle();
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
    return eglMakeCurrent(display_->handle(), static_cast<EGLSurface>(surface_),
                          static_cast<EGLSurface>(surface_),
                          static_cast<EGLContext>(context_)) == EGL_TRUE;
}

bool EglOffscreenTarget::doneCurrent() {
    return eglMakeCurrent(display_->handle(), EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT) ==
           EGL_TRUE;
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
