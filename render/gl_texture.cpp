// SPDX-License-Identifier: MIT
#include "render/gl_texture.h"

#include <GL/gl.h>

namespace hg {

void GlTexture::create() {
    reset();
    GLuint name = 0;
    glGenTextures(1, &name);
    name_ = name;
    bind();
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
}

void GlTexture::bind() const {
    glBindTexture(GL_TEXTURE_2D, name_);
}

void GlTexture::reset() {
    if (name_ == 0) return;
    const GLuint name = name_;
    glDeleteTextures(1, &name);
    name_ = 0;
}

}  // namespace hg
