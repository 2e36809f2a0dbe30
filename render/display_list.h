// SPDX-License-Identifier: MIT
#pragma once

#include <GL/gl.h>

namespace hg {

// A display list being compiled and the primitive open in it: both are
// closed however the compile ends, so a refused interval or a failed
// allocation leaves OpenGL outside glBegin and glNewList.
class ListWriter {
public:
    explicit ListWriter(unsigned name) { glNewList(name, GL_COMPILE); }
    ~ListWriter() {
        end();
        glEndList();
    }
    ListWriter(const ListWriter&) = delete;
    ListWriter& operator=(const ListWriter&) = delete;

    // Continues the open primitive when it has this mode.
    void begin(GLenum mode) {
        if (open_ && mode_ == mode) return;
        end();
        glBegin(mode);
        mode_ = mode;
        open_ = true;
    }
    void end() {
        if (open_) glEnd();
        open_ = false;
    }
    // A strip of its own, never continuing the one before.
    void restart(GLenum mode) {
        end();
        begin(mode);
    }

private:
    GLenum mode_ = GL_POINTS;
    bool open_ = false;
};

}  // namespace hg
