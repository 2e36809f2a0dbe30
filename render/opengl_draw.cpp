// SPDX-License-Identifier: MIT
#include "render/opengl_draw.h"

#include <GL/gl.h>

#include <cctype>

#include "platform/message_error.h"

namespace hg {

namespace {}

bool COpenGLDraw::setPixelFormat() {
    GLint depthBits = 0;
    glGetIntegerv(GL_DEPTH_BITS, &depthBits);
    // Without a depth buffer every style would draw its far side over its
    // near side.
    if (depthBits < 16) openGLError(kSetPixelFormat);
    return true;
}

void COpenGLDraw::openGLError(int code) {
    if (code < 1 || code >= static_cast<int>(kMessages.size())) code = kMakeCurrent;
    if (errorCode_ == kNoError) errorCode_ = code;
    throw OpenGLError(errorCode_, errorText());
}

bool COpenGLDraw::versionAtLeast(const char* version, int major, int minor) {
    if (version == nullptr) return false;
    // Desktop OpenGL starts with "major.minor"; anything else (an ES
    // context, a broken driver) does not qualify.
    const char* p = version;
    if (!std::isdigit(static_cast<unsigned char>(*p))) return false;
    long haveMajor = 0;
    while (std::isdigit(static_cast<unsigned char>(*p)) && haveMajor < 1000)
        haveMajor = haveMajor * 10 + (*p++ - '0');
    if (*p != '.') return false;
    ++p;
    if (!std::isdigit(static_cast<unsigned char>(*p))) return false;
    long haveMinor = 0;
    while (std::isdigit(static_cast<unsigned char>(*p)) && haveMinor < 1000)
        haveMinor = haveMinor * 10 + (*p++ - '0');
    return haveMajor > major || (haveMajor == major && haveMinor >= minor);
}

void COpenGLDraw::checkOpenGLVersion() {
    const auto* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    if (!versionAtLeast(version, 1, 1)) throw MessageError(MessageId::NoOpenGL);
}

}  // namespace hg
