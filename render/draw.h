#pragma once

#include <array>
#include <cfloat>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <vector>

#include "dem/mesh.h"
#include "dem/view_settings.h"
#include "render/opengl_draw.h"
#include "render/terrain_helpers.h"

namespace hg {

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

// The base of every drawing style: loads the terrain through a reader,
// places the camera, turns the terrain frame by frame and owns the
// per-vertex arrays the styles build.
class CDraw : public COpenGLDraw, public TerrainBuffers {
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
    // As above, with demType from the user's settings.
    int initialise(GlTarget* target, CViewSettings& settings, const std::filesystem::path& path,
                   void* owner = nullptr);
    // As above, with the reader made by makeMesh.
    int initialiseWith(GlTarget* target, CViewSettings& settings, const MeshMaker& makeMesh,
                       void* owner = nullptr);

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

    // Helpers the styles share. Rows i run along z, columns j along x.
    int numCols() const { return settings ? settings->numCols : 0; }
    int numRows() const { return settings ? settings->numRows : 0; }
    GridView grid() const { return GridView(vertices, numCols(), numRows()); }
    void buildCellCentres();
    Vec3 smoothNormal(int i, int j) const { return grid().smoothNormal(i, j); }
    Vec3 directionalNormal(int i, int j, int set) const;
    // normals sized for grid and centres, and the four normal sets filled.
    void buildNormalSets();
    void fillNormalSet(std::vector<float>& out, int set) const;
    // indices in order 0 and numIndices.
    void buildIndices();
    // The eight traversal orders, for styles drawn back to front.
    void buildIndexOrders();
    void blendNormalsFor(double angle);
    void pickIndexListFor(double angle);
    // glClearColor from the record's backColor.
    void setBackgroundColour() const;
    // Tilt about x, then turn about y, on the current matrix.
    static void applyViewRotation(float tilt, float turn);
    // The extent of the grid vertices (not the cell centres).
    void computeBoundingBox();

    // The client area of the target when initialised.
    int clientWidth = 0;
    int clientHeight = 0;
    CViewSettings* settings = nullptr;
    std::vector<float> normals;
    std::vector<float> colours;
    std::vector<std::uint32_t> indices;
    std::size_t numIndices = 0;
    std::array<std::vector<float>, 4> normalSets;
    std::array<std::vector<std::uint32_t>, 8> indexOrders;
    // The list the current frame draws: indices or one of indexOrders.
    const std::vector<std::uint32_t>* drawIndices = nullptr;
    float xAngle = 0.0f;
    float yAngle = 0.0f;
    float maxX = -FLT_MAX, minX = FLT_MAX;
    float maxY = -FLT_MAX, minY = FLT_MAX;
    float maxZ = -FLT_MAX, minZ = FLT_MAX;
    float eyeZ = 0.0f;

private:
    bool sceneBuilt_ = false;
};

}  // namespace hg
