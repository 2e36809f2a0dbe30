#pragma once

#include <QOpenGLContext>
#include <QPoint>
#include <QTimer>
#include <QWindow>
#include <filesystem>
#include <memory>

#include "render/gl_target.h"

namespace hg {

class CDraw;
struct CViewSettings;

// The saver's window: full screen, or a child of a foreign X11 window (the
// preview, or XScreenSaver's window). Runs the drawing object on a 100 ms
// timer and ends the run on the closing input of a full-screen saver.
class SaverWindow : public QWindow, public GlTarget {
    Q_OBJECT

public:
    // parent 0 runs full screen; otherwise the window lives inside the X11
    // window parent and ignores input.
    SaverWindow(unsigned long long parent, std::filesystem::path memPath);
    ~SaverWindow() override;

    // Shows the window; the run starts with its first exposure.
    bool start();

    bool makeCurrent() override;
    bool doneCurrent() override;
    bool swapBuffers() override;
    int width() const override;
    int height() const override;

    bool preview() const { return parent_ != 0; }
    // Frames drawn so far (for tests and the frame counter).
    long long frames() const { return frames_; }

    // Ends the run as the closing input does: at most once.
    void closeDown();

protected:
    void exposeEvent(QExposeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void startUp();
    void tick();
    void closingInput();
    bool followParent();

    unsigned long long parent_;
    std::filesystem::path memPath_;
    QWindow* foreign_ = nullptr;
    std::unique_ptr<QOpenGLContext> context_;
    std::unique_ptr<CDraw> draw_;
    std::unique_ptr<CViewSettings> settings_;
    QTimer timer_;
    QPoint startCursor_;
    bool started_ = false;
    bool closed_ = false;
    long long frames_ = 0;
};

// The saver mode: a QApplication on X11 and one SaverWindow until it ends.
int runSaver(unsigned long long parent, const std::filesystem::path& memPath);

}  // namespace hg
