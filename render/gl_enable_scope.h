// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstddef>
#include <initializer_list>

namespace hg {

// Client arrays and capabilities switched on for one draw and off again on
// every way out of it. Another style drawing on the same context later must
// find neither pointers into a dead object's arrays nor texturing it did not
// ask for. Only for states that were off before: the scope does not restore
// an earlier "on".
class GlEnableScope {
public:
    // GL_VERTEX_ARRAY and the like, then GL_TEXTURE_2D and the like.
    explicit GlEnableScope(std::initializer_list<unsigned> clientArrays,
                           std::initializer_list<unsigned> capabilities = {});
    ~GlEnableScope();
    GlEnableScope(const GlEnableScope&) = delete;
    GlEnableScope& operator=(const GlEnableScope&) = delete;

private:
    static constexpr std::size_t kMax = 4;
    std::array<unsigned, kMax> arrays_{};
    std::array<unsigned, kMax> capabilities_{};
    std::size_t arrayCount_ = 0;
    std::size_t capabilityCount_ = 0;
};

}  // namespace hg
