// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>
#include <QPoint>
#include <QTimer>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "shell/saver_overrides.h"
#include "shell/saver_window.h"
#include "shell/termination.h"

class QScreen;

namespace hg {

// The windows of one saver run and its one ending. The full-screen saver
// puts a window on every screen, each with its own drawing object and GL
// context (a terrain grid is small; sharing it would tie the windows'
// lifetimes together for little gain); the other placements have one.
// Whatever ends one window ends them all: the closing input on any
// screen, SIGTERM, a lost parent. A failure on one screen is drawn on
// every screen, and the run exits 1 once.
class SaverScreens : public QObject {
    Q_OBJECT

public:
    SaverScreens(SaverPlacement placement, std::filesystem::path memPath, SaverOverrides overrides);
    ~SaverScreens() override;

    // Makes and shows the windows; false when there is nowhere to draw.
    bool start();

    // The close-down of every window, then the exit status: at most once.
    void end();

    // A failure reported through the error sink, kept to be drawn.
    void noteFailure(const std::string& text, const std::string& caption);

    std::size_t windowCount() const { return windows_.size(); }

private:
    SaverWindow* addWindow(QScreen* screen);
    void windowFailed();
    void screenAdded(QScreen* screen);
    void screenRemoved(QScreen* screen);

    SaverPlacement placement_;
    std::filesystem::path memPath_;
    SaverOverrides overrides_;
    QPoint startCursor_;
    std::vector<std::unique_ptr<SaverWindow>> windows_;
    std::vector<std::unique_ptr<SaverWindow>> dropped_;
    TerminationNotifier terminateWatch_;
    std::string failureText_;
    std::string failureCaption_;
    bool ended_ = false;
    bool failed_ = false;
};

}  // namespace hg
