// SPDX-License-Identifier: MIT
#pragma once

#include <QDialog>
#include <QFrame>
#include <QImage>
#include <filesystem>
#include <memory>

#include "platform/profile_store.h"

class QLabel;

namespace hg {

class CDraw;
class EglOffscreenTarget;
struct CViewSettings;
class OutlineDialog;

// The sunken frame that shows the map; its contents rectangle is the
// client area the map is drawn for, and its mouse input goes to the dialog.
class OutlinePicture final : public QFrame {
public:
    OutlinePicture(OutlineDialog& dialog, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    QPoint client(const QMouseEvent* event) const;
    OutlineDialog& dialog_;
};

// The Outline/Part dialog: the working DEM as a relief map with its facts,
// and a rectangle the user moves and sizes over it. OK stores the rectangle
// as the part the saver shows; CANCEL stores nothing.
class OutlineDialog final : public QDialog {
    Q_OBJECT

public:
    // yFactor: the altitude factor the setup dialog shows at the moment.
    // pictureClient, when valid, replaces the designed size of the map's
    // client area (tests need exact pixel counts whatever the font).
    OutlineDialog(std::filesystem::path memPath, ProfileStore& store, double yFactor,
                  QWidget* parent = nullptr, QSize pictureClient = {});
    ~OutlineDialog() override;

    // Draws the map and shows the facts the first time it is called (the
    // first paint calls it); later calls only report how that went. A DEM
    // that cannot be drawn has been reported and closes the dialog.
    bool ensureMap();

    // Where things stand, in client pixels of the picture: the map's
    // rectangle [x0, x1) x [y0, y1) and the selection; the selection in
    // samples; the drag mode (0 none, 1 move, 2 resize).
    struct State {
        int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
        int left = 0, top = 0, pxW = 0, pxH = 0;
        int sizeX = 0, sizeZ = 0;
        int startX = 0, startZ = 0;
        int demCols = 0, demRows = 0;
        int mode = 0;
        bool rectangleShown = false;
    };
    State state() const;

    // The map as drawn, bands included, without the rectangle.
    const QImage& map() const { return image_; }
    // The picture widget's position of client pixel (0, 0).
    QPoint clientOrigin() const;

    void done(int result) override;

private:
    friend class OutlinePicture;

    void paintPicture(QPainter& painter);
    void pressed(QPoint p);
    void moved(QPoint p);
    void released();
    void left();

    void findImage();
    void paintBands();
    void placeSelection();
    void showFacts();
    void showCursorHeight(QPoint p);
    void dragTo(QPoint p);
    void resizeTo(QPoint p);
    void keepInsideImage();
    bool interactive() const;
    void save();
    void releaseDraw();

    std::filesystem::path memPath_;
    ProfileStore& store_;
    OutlinePicture* picture_ = nullptr;
    QLabel* nwCorner_ = nullptr;
    QLabel* seCorner_ = nullptr;
    QLabel* title_ = nullptr;
    QLabel* ewMesh_ = nullptr;
    QLabel* nsMesh_ = nullptr;
    QLabel* northDistance_ = nullptr;
    QLabel* southDistance_ = nullptr;
    QLabel* nsDistance_ = nullptr;
    QLabel* maxHeight_ = nullptr;
    QLabel* minHeight_ = nullptr;
    QLabel* cursorHeight_ = nullptr;
    QLabel* fractal_ = nullptr;

    // The target outlives the drawing object that draws into it.
    std::unique_ptr<EglOffscreenTarget> target_;
    std::unique_ptr<CViewSettings> view_;
    std::unique_ptr<CDraw> draw_;
    QImage image_;

    bool drawn_ = false;
    bool mapReady_ = false;
    int x0_ = 0, y0_ = 0, x1_ = 0, y1_ = 0;
    int left_ = 0, top_ = 0;
    int sizeX_ = 0, sizeZ_ = 0;
    int pxW_ = 0, pxH_ = 0;
    int grabX_ = 0, grabY_ = 0;
    int startX_ = 0, startZ_ = 0;
    int mode_ = 0;
};

}  // namespace hg
