// SPDX-License-Identifier: MIT
#include "render/draw.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <optional>
#include <stdexcept>

#include "platform/messages.h"
#include "platform/profile_store.h"
#include "platform/show_error.h"
#include "settings/settings.h"

namespace hg {

namespace {
// The float nearest 1/180: with pi/2 it turns the field of view into half
// its angle in radians.
constexpr float kPerHalfCircle = 0.0055555557f;
constexpr double kHalfPi = 1.57079632675;
}  // namespace

Projection computeProjection(float minX, float maxX, float minZ, float maxZ, double fovY,
                             double distanceFactor, bool perspective, double aspect, float eyeZ) {
    Projection p;
    p.perspective = perspective;
    p.eyeZ = eyeZ;
    const float dx = std::fabs(maxX - minX);
    const float dz = std::fabs(maxZ - minZ);
    const float half = 0.5f * std::max(dx, dz);
    const float f = static_cast<float>(fovY);
    const float k = static_cast<float>(distanceFactor);
    if (perspective) {
        const double halfAngle = static_cast<double>(f * kPerHalfCircle) * kHalfPi;
        const float d = static_cast<float>(static_cast<double>(half * k) / std::tan(halfAngle));
        p.eyeZ = -d;
        float nearZ = 0.0f, farZ = 0.0f;
        if (dx > dz) {
            nearZ = d - k * maxX;
            farZ = d - k * minX;
        } else {
            nearZ = d - k * maxZ;
            farZ = d - k * minZ;
        }
        const float w = nearZ / d * half * k;
        p.left = -w;
        p.right = w;
        p.bottom = -w / aspect;
        p.top = w / aspect;
        p.nearZ = nearZ;
        p.farZ = farZ;
    } else {
        const float a = half * k;
        p.left = -a;
        p.right = a;
        p.bottom = -a / aspect;
        p.top = a / aspect;
        p.nearZ = static_cast<double>(FLT_MAX);
        p.farZ = -static_cast<double>(FLT_MAX);
    }
    return p;
}

float turnedAngle(float yAngle, double speed) {
    float a = static_cast<float>(yAngle - speed);
    if (a < -180.0f) a = static_cast<float>(a + 360.0);
    return a;
}

Bounds gridBounds(const std::vector<float>& vertices, int numCols, int numRows) {
    Bounds b;
    const std::size_t n = static_cast<std::size_t>(std::max(numCols, 0)) *
                          static_cast<std::size_t>(std::max(numRows, 0));
    for (std::size_t v = 0; v < n && v * 3 + 2 < vertices.size(); ++v) {
        const float x = vertices[v * 3], y = vertices[v * 3 + 1], z = vertices[v * 3 + 2];
        b.maxX = std::max(b.maxX, x);
        b.minX = std::min(b.minX, x);
        b.maxY = std::max(b.maxY, y);
        b.minY = std::min(b.minY, y);
        b.maxZ = std::max(b.maxZ, z);
        b.minZ = std::min(b.minZ, z);
    }
    return b;
}

bool CDraw::setProjection(double aspect) {
    const Bounds& b = bounds_;
    const Projection p =
        computeProjection(b.minX, b.maxX, b.minZ, b.maxZ, settings_->fovY,
                          settings_->distanceFactor, settings_->perspective, aspect, eyeZ_);
    eyeZ_ = p.eyeZ;
    if (p.perspective) {
        glFrustum(p.left, p.right, p.bottom, p.top, p.nearZ, p.farZ);
    } else {
        glOrtho(p.left, p.right, p.bottom, p.top, p.nearZ, p.farZ);
    }
    return true;
}

bool CDraw::placeCamera() {
    glTranslatef(0.0f, 0.0f, eyeZ_);
    return true;
}

int CDraw::nextFrame() {
    if (target == nullptr || !target->makeCurrent()) return 0;
    if (!target->swapBuffers()) return 0;
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    yAngle_ = turnedAngle(yAngle_, settings_->speed * frameTicks_);
    if (sceneBuilt_) drawFrame();
    return 1;
}

void CDraw::resizeView(int width, int height) {
    if (!sceneBuilt_ || target == nullptr || width <= 0 || height <= 0) return;
    if (width == clientWidth_ && height == clientHeight_) return;
    if (!target->makeCurrent()) return;
    clientWidth_ = width;
    clientHeight_ = height;
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    setProjection(static_cast<double>(width) / height);
    glViewport(0, 0, width, height);
    glMatrixMode(GL_MODELVIEW);
}

int CDraw::initialise(GlTarget* glTarget, CViewSettings& record, const std::filesystem::path& path,
                      int demType, void* owner) {
    return initialiseWith(
        glTarget, record,
        [&path, demType](TerrainBuffers& buffers, CViewSettings& s) {
            return createMesh(buffers, s, demType, path, nullptr);
        },
        owner);
}

int CDraw::initialise(GlTarget* glTarget, CViewSettings& record, const std::filesystem::path& path,
                      ProfileStore& store, void* owner) {
    // The running saver holds no lock: only the read waits for a change in
    // flight.
    return initialiseWith(
        glTarget, record,
        [&path, &store](TerrainBuffers& buffers, CViewSettings& s) {
            return createMesh(buffers, s, readDemType(store), path, &store);
        },
        owner, &store);
}

int CDraw::initialiseWith(GlTarget* glTarget, CViewSettings& record, const MeshMaker& makeMesh,
                          void* owner, ProfileStore* readLock) {
    try {
        target = glTarget;
        if (target == nullptr) openGLError(kCreateContext);
        clientWidth_ = target->width();
        clientHeight_ = target->height();
        settings_ = &record;
        xAngle_ = static_cast<float>(record.xAngle);
        yAngle_ = static_cast<float>(record.yAngle);

        {
            std::optional<ScopedStoreLock> reading;
            if (readLock != nullptr) reading.emplace(*readLock, StoreLockMode::Shared);
            std::unique_ptr<CMesh> mesh = makeMesh(*this, record);
            if (!mesh) throw std::runtime_error(loadMessage(MessageId::NoReaderForDem));
            mesh->open();
            mesh->layout();
            mesh->read();
            mesh->heightsToVertices();
            mesh->exportSettings();
        }
        checkGrid(vertices, numCols(), numRows());
        computeBoundingBox();

        if (!target->makeCurrent()) openGLError(kMakeCurrent);
        checkOpenGLVersion();
        setPixelFormat();

        const int w = clientWidth_, h = clientHeight_;
        if (w <= 0 || h <= 0) return 1;
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        setProjection(static_cast<double>(w) / h);
        glViewport(0, 0, w, h);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        placeCamera();
        buildScene();
        setLights();
        // The first picture, shown by the first tick's swap.
        drawFrame();
        sceneBuilt_ = true;
        return 1;
    } catch (const LoadAbandoned&) {
        return 0;
    } catch (...) {
        showError(owner, currentFailureText(), kErrorCaption);
    }
    return 0;
}

int CDraw::release() {
    if (target == nullptr) return 1;
    if (target->makeCurrent()) {
        glFinish();
        releaseGl();
    }
    if (!target->doneCurrent()) openGLError(kMakeCurrent);
    target = nullptr;
    sceneBuilt_ = false;
    return 1;
}

void CDraw::heightColour(float, std::array<float, 4>&) {}

int CDraw::fillColours() {
    const GridView g = grid();
    colours.assign(g.vertexCount() * 4, 0.0f);
    std::array<float, 4> rgba{};
    for (std::size_t v = 0; v < g.vertexCount(); ++v) {
        rgba = {0.0f, 0.0f, 0.0f, 0.0f};
        heightColour(vertices[v * 3 + 1], rgba);
        std::copy(rgba.begin(), rgba.end(), colours.begin() + static_cast<std::ptrdiff_t>(v * 4));
    }
    return 1;
}

void CDraw::computeBoundingBox() {
    bounds_ = gridBounds(vertices, numCols(), numRows());
}

void CDraw::buildCellCentres() {
    hg::buildCellCentres(vertices, numCols(), numRows());
}

void CDraw::setBackgroundColour() const {
    const std::array<float, 3> c = unpackColour(settings_->backColor);
    glClearColor(c[0], c[1], c[2], 0.0f);
}

void CDraw::beginScene(bool withDepth) const {
    setBackgroundColour();
    GLbitfield mask = GL_COLOR_BUFFER_BIT;
    if (withDepth) {
        glClearDepth(1.0);
        glEnable(GL_DEPTH_TEST);
        mask |= GL_DEPTH_BUFFER_BIT;
    }
    glClear(mask);
}

void CDraw::drawTurned(const std::function<void()>& body) const {
    glPushMatrix();
    applyViewRotation(xAngle_, yAngle_);
    body();
    glPopMatrix();
}

void CDraw::finishFrame() {
    glFinish();
}

void CDraw::applyViewRotation(float tilt, float turn) {
    glRotatef(-tilt, 1.0f, 0.0f, 0.0f);
    glRotatef(turn, 0.0f, 1.0f, 0.0f);
}

}  // namespace hg
