// SPDX-License-Identifier: MIT
#include "render/gl_enable_scope.h"

#include <GL/gl.h>

#include <stdexcept>

namespace hg {

GlEnableScope::GlEnableScope(std::initializer_list<unsigned> clientArrays,
                             std::initializer_list<unsigned> capabilities) {
    // Four of each is every array OpenGL 1.1 draws from at once here; more
    // would be a slip in the caller.
    if (clientArrays.size() > kMax || capabilities.size() > kMax) {
        throw std::logic_error("GlEnableScope holds four client arrays and four capabilities");
    }
    for (unsigned a : clientArrays) {
        glEnableClientState(a);
        arrays_[arrayCount_++] = a;
    }
    for (unsigned c : capabilities) {
        glEnable(c);
        capabilities_[capabilityCount_++] = c;
    }
}

GlEnableScope::~GlEnableScope() {
    while (capabilityCount_ > 0) glDisable(capabilities_[--capabilityCount_]);
    while (arrayCount_ > 0) glDisableClientState(arrays_[--arrayCount_]);
}

}  // namespace hg
