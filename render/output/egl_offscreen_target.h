// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "render/gl_target.h"

namespace hg {

// An OpenGL context drawing into an EGL pbuffer, with no window system:
// Mesa's surfaceless platform when the driver offers it, else the default
// display. Desktop OpenGL, compatibility profile, RGBA8 with a 24-bit depth
// buffer. Serves the headless render command, the Outline/Part preview,
// tests and benchmarks.
class EglOffscreenTarget final : public GlTarget {
public:
    // Throws std::runtime_error naming the EGL step that failed.
    EglOffscreenTarget(int width, int height);
    ~EglOffscreenTarget() override;
    EglOffscreenTarget(const EglOffscreenTarget&) = delete;
    EglOffscreenTarget& operator=(const EglOffscreenTarget&) = delete;

    bool makeCurrent() override;
    bool doneCurrent() override;
    bool swapBuffers() override;
    int width() const override { return width_; }
    int height() const override { return height_; }

    // The picture as width x height RGBA bytes, top row first. Makes the
    // context current and waits for drawing to finish.
    std::vector<std::uint8_t> readPixels();

    // Which display was used: "surfaceless" or "default".
    const std::string& platform() const { return platform_; }

private:
    int width_;
    int height_;
    std::string platform_;
    void* display_ = nullptr;
    void* surface_ = nullptr;
    void* context_ = nullptr;
};

}  // namespace hg
