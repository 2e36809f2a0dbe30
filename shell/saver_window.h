// SPDX-License-Identifier: MIT
#pragma once

#include <QBackingStore>
#include <QElapsedTimer>
#include <QImage>
#include <QOpenGLContext>
#include <QPoint>
#include <QTimer>
#include <QWindow>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "render/gl_target.h"
#include "shell/saver_overrides.h"

class QScreen;

namespace hg {

class CDraw;
struct CViewSettings;

// Where the saver draws.
struct SaverPlacement {
    enum Kind {
        FullScreen,  // the screen saver proper: ends on the closing input
        Child,       // inside a foreign X11 window (a preview, XScreenSaver)
        Plain,       // an ordinary top-level window
    };
    Kind kind = FullScreen;
    unsigned long long window = 0;  // for Child
    bool rootWindow = false;        // for Child: the screen's root window
    // Microseconds between frames, the turn scaled to keep its speed per
    // second; 0 keeps the saver's own 100 ms tick.
    long long frameMicros = 0;
    // The frame rate drawn in a corner.
    bool showFps = false;
};

// The saver's window. Runs the drawing object on a 100 ms timer; a
// full-screen saver ends on the closing input, the others ignore input and
// end when their window goes away (or on SIGTERM). A failure in a window
// that covers the screen or belongs to another program is drawn as text
// in it until that same ending comes; the process then exits 1.
//
// A window never ends the run by itself: several may share one (a
// full-screen saver covers every monitor), so it asks through its hooks
// and the run closes every window down and sets the one exit status.
class SaverWindow : public QWindow, public GlTarget {
    Q_OBJECT

public:
    SaverWindow(SaverPlacement placement, std::filesystem::path memPath,
                SaverOverrides overrides = {});
    ~SaverWindow() override;

    // Called for the closing input, a lost parent window, a closed plain
    // window or a failure that ends the run at once.
    void onEndRequest(std::function<void()> hook) { endRequest_ = std::move(hook); }
    // Called once when this window starts showing a failure.
    void onFailure(std::function<void()> hook) { failureHook_ = std::move(hook); }

    // Shows the window; the run starts with its first exposure. A
    // full-screen window covers screen (the primary one when null), and
    // a mouse move counts from startCursor, where the run began.
    bool start(QScreen* screen = nullptr, std::optional<QPoint> startCursor = std::nullopt);

    bool makeCurrent() override;
    bool doneCurrent() override;
    bool swapBuffers() override;
    int width() const override;
    int height() const override;

    // Every placement but full screen ignores input.
    bool preview() const { return placement_.kind != SaverPlacement::FullScreen; }
    // Frames drawn so far (for tests and the frame counter).
    long long frames() const { return frames_; }

    // Stops drawing, gives back the GL resources and the grabs, and hides
    // the window: at most once. The run's ending calls it on every window.
    void closeDown();
    bool closed() const { return closed_; }
    // Whether a failure ended or is ending this window's drawing.
    bool failed() const { return failed_; }

    // Keeps the first failure reported during the run, to be drawn.
    void noteFailure(const std::string& text, const std::string& caption);
    // Stops drawing and shows the failure noted, as if this window had
    // failed itself, without telling the run again.
    void showFailureOf(const std::string& text, const std::string& caption);

protected:
    bool event(QEvent* event) override;
    void exposeEvent(QExposeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void startUp();
    void tick();
    void closingInput();
    // After a failure that has been reported: an ordinary window ends at
    // once, the others show the failure until the run's own ending. The
    // process then exits non-zero.
    void fail();
    void failHere();
    void requestEnd();
    void showFailure();
    void paintFailure();
    void releaseGl();
    void drawFrameRate();
    bool followParent();

    SaverPlacement placement_;
    std::filesystem::path memPath_;
    SaverOverrides overrides_;
    std::function<void()> endRequest_;
    std::function<void()> failureHook_;
    QWindow* foreign_ = nullptr;
    std::unique_ptr<QOpenGLContext> context_;
    std::unique_ptr<CDraw> draw_;
    std::unique_ptr<CViewSettings> settings_;
    QTimer timer_;
    QElapsedTimer sinceFrame_;
    QElapsedTimer runClock_;
    std::deque<qint64> frameTimes_;
    QString fpsText_;
    QImage fpsImage_;
    QPoint startCursor_;
    std::unique_ptr<QBackingStore> failureStore_;
    std::string failureCaption_;
    std::string failureText_;
    bool started_ = false;
    bool closed_ = false;
    bool failed_ = false;
    bool showingFailure_ = false;
    long long frames_ = 0;
};

// Whether the X server named by display accepts a connection. Qt aborts the
// whole process when it cannot reach its display, so callers ask first.
bool displayAnswers(const char* display);

// The saver mode: a QApplication on X11 and its windows until the run ends
// (one SaverWindow per screen for the full-screen saver, else one). Made in
// saver_screens.cpp, which holds the set of windows.
int runSaver(const SaverPlacement& placement, const std::filesystem::path& memPath,
             const SaverOverrides& overrides = {});

}  // namespace hg
