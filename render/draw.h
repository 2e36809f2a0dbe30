// SPDX-License-Identifier: MIT
#pragma once

#include <algorithm>
#include <array>
#include <cfloat>
#include <cstdint>
#include <exception>
#include <filesystem>
#include <functional>
#include <memory>
#include <vector>

#include "dem/mesh.h"
#include "dem/view_settings.h"
#include "render/opengl_draw.h"
#include "render/terrain_helpers.h"

namespace hg {

class ProfileStore;

// Thrown by a MeshMaker to give up loading without a message, because the
// program is ending.
struct LoadAbandoned : std::exception {
    const char* what() const noexcept override { return "The load was given up."; }
};

// The frustum or box the projection sets, and the eye distance.
struct Projection {
    bool perspective = true;
    double left = 0, right = 0, bottom = 0, top = 0, nearZ = 0, farZ = 0;
    // The camera's z translation; the orthographic box keeps the old one.
    float eyeZ = 0.0f;
};

// The projection for a terrain spanning [minX, maxX] x [minZ, maxZ]: the eye
// stands far enough back that the wider extent, scaled by distanceFactor,
// fills the field of view; near and far hug the terrain.
Projection computeProjection(float minX, float maxX, float minZ, float maxZ, double fovY,
                             double distanceFactor, bool perspective, double aspect, float eyeZ);

// The turn after one frame: speed degrees less, kept in [-180, 180).
float turnedAngle(float yAngle, double speed);

// The extent of the grid vertices (not the cell centres).
struct Bounds {
    float maxX = -FLT_MAX, minX = FLT_MAX;
    float maxY = -FLT_MAX, minY = FLT_MAX;
    float maxZ = -FLT_MAX, minZ = FLT_MAX;
};

Bounds gridBounds(const std::vector<float>& vertices, int numCols, int numRows);

// The base of every drawing style: loads the terrain through a reader,
// places the camera, turns the terrain frame by frame and runs the frame.
// A style sees the terrain read-only through a few protected helpers and
// supplies buildScene, setLights and drawFrame; the base draws the first
// frame after setLights.
class CDraw : public COpenGLDraw, private TerrainBuffers {
public:
    // Makes the reader that fills this object's buffers.
    using MeshMaker = std::function<std::unique_ptr<CMesh>(TerrainBuffers&, CViewSettings&)>;

    static constexpr const char* kErrorCaption = "Hillglimmer draw";

    CDraw() = default;
    ~CDraw() override = default;

    bool setProjection(double aspect) override;
    bool placeCamera() override;

    // Draws the next frame: swap, clear, turn by speed, draw. 0 when the
    // target could not be made current or swapped.
    virtual int nextFrame();

    // How many 100 ms ticks the next frames stand for: a caller that draws
    // at another rate keeps the turn's speed per second.
    void setFrameTicks(double ticks) { frameTicks_ = ticks; }

    // How the lit surface styles cut their cells into triangles, asked
    // before initialise; Auto (the default) decides by the grid. The other
    // styles draw as they always do.
    void setCellShape(CellShape shape) { cellShape_ = shape; }

    // Follows a new size of the target: viewport and projection again, the
    // scene as it is. Nothing happens before the scene is built or for an
    // empty size.
    void resizeView(int width, int height);

    // Loads the DEM of type demType from path, then sets up OpenGL on target
    // and builds the scene. A failure is shown to the user (owner being the
    // GUI's window or null) with the caption "Hillglimmer draw" and gives 0.
    // target must outlive this object's use of it, up to release().
    int initialise(GlTarget* target, CViewSettings& settings, const std::filesystem::path& path,
                   int demType, void* owner = nullptr);
    // As above, with demType from store. The type, the import's description
    // and the working file are read under store's lock, so a DEM change
    // committed meanwhile is seen whole or not at all.
    int initialise(GlTarget* target, CViewSettings& settings, const std::filesystem::path& path,
                   ProfileStore& store, void* owner = nullptr);
    // As above, with the reader made by makeMesh.
    // readLock, when given, is held while the DEM is read (not while a
    // failure is shown). A LoadAbandoned from makeMesh gives 0 quietly.
    int initialiseWith(GlTarget* target, CViewSettings& settings, const MeshMaker& makeMesh,
                       void* owner = nullptr, ProfileStore* readLock = nullptr);

    // Waits for OpenGL and leaves the thread with no current context; the
    // context and its display lists go with the target.
    virtual int release();

    // The colour of a vertex of height h (drawing units); nothing here.
    virtual void heightColour(float h, std::array<float, 4>& rgba);
    // colours: four floats per grid vertex and cell centre, by heightColour.
    virtual int fillColours();

    // True once the scene is built; a zero-sized target leaves it unbuilt
    // and nextFrame then draws nothing.
    bool sceneBuilt() const { return sceneBuilt_; }

    // What callers (the dialogs, tests) may read after initialise.
    const TerrainBuffers& terrain() const { return *this; }
    const Bounds& bounds() const { return bounds_; }
    int numCols() const { return settings_ ? settings_->numCols : 0; }
    int numRows() const { return settings_ ? settings_->numRows : 0; }
    GridView grid() const { return GridView(vertices, numCols(), numRows()); }
    float tilt() const { return xAngle_; }
    float turn() const { return yAngle_; }
    // The size of the viewport the projection was made for.
    int viewWidth() const { return clientWidth_; }
    int viewHeight() const { return clientHeight_; }
    // The view's longer side, in pixels.
    int viewSide() const { return std::max(clientWidth_, clientHeight_); }
    const std::vector<float>& colourArray() const { return colours; }
    // The record the object was initialised with; null before.
    const CViewSettings* viewSettings() const { return settings_; }

protected:
    // The record this object was initialised with.
    CViewSettings& settings() const { return *settings_; }

    // The frame skeleton the styles share. beginScene sets the clear colour
    // from the record's backColor and clears, with the depth test on when
    // withDepth; drawTurned runs body under the view's tilt and turn;
    // finishFrame waits for OpenGL.
    void beginScene(bool withDepth) const;
    void drawTurned(const std::function<void()>& body) const;
    static void finishFrame();

    // Gives back what the style made on the context (textures), while it is
    // still current; release() calls it.
    virtual void releaseGl() {}

    CellShape cellShape() const { return cellShape_; }

    // Fills the cell centres behind the grid vertices.
    void buildCellCentres();
    // glClearColor from the record's backColor.
    void setBackgroundColour() const;
    // Tilt about x, then turn about y, on the current matrix.
    static void applyViewRotation(float tilt, float turn);
    // The bounding box of the grid vertices, kept in bounds().
    void computeBoundingBox();

    // Four floats per grid vertex and cell centre, filled by fillColours.
    std::vector<float> colours;

private:
    CViewSettings* settings_ = nullptr;
    int clientWidth_ = 0;
    int clientHeight_ = 0;
    float xAngle_ = 0.0f;
    float yAngle_ = 0.0f;
    Bounds bounds_;
    float eyeZ_ = 0.0f;
    bool sceneBuilt_ = false;
    double frameTicks_ = 1.0;
    CellShape cellShape_ = CellShape::Auto;
};

}  // namespace hg
