// SPDX-License-Identifier: MIT
#include "shell/saver_screens.h"

#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QScreen>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <optional>

#include "platform/gui/wait_cursor.h"
#include "platform/messages.h"
#include "platform/show_error.h"
#include "shell/exit_status.h"

namespace hg {

SaverScreens::SaverScreens(SaverPlacement placement, std::filesystem::path memPath,
                           SaverOverrides overrides)
    : placement_(placement), memPath_(std::move(memPath)), overrides_(std::move(overrides)) {
    // SIGTERM is looked at apart from the frame timers, so that it ends the
    // saver in every state: before the first frame, after a failure, while
    // a message box is open.
    connect(&terminateWatch_, &TerminationNotifier::requested, this, [this] { end(); });
}

SaverScreens::~SaverScreens() {
    // The windows go while the application, and their contexts' display,
    // are still there.
    for (auto& window : windows_) window->closeDown();
}

SaverWindow* SaverScreens::addWindow(QScreen* screen) {
    auto window = std::make_unique<SaverWindow>(placement_, memPath_, overrides_);
    window->onEndRequest([this] { end(); });
    window->onFailure([this] { windowFailed(); });
    if (!failureText_.empty()) window->noteFailure(failureText_, failureCaption_);
    SaverWindow* shown = window.get();
    windows_.push_back(std::move(window));
    if (!shown->start(screen, startCursor_)) return nullptr;
    return shown;
}

bool SaverScreens::start() {
    // One start position for every screen: a move counts from where the
    // cursor stood when the run began, whichever window sees it.
    startCursor_ = QCursor::pos();
    if (placement_.kind != SaverPlacement::FullScreen) return addWindow(nullptr) != nullptr;
    const QList<QScreen*> screens = QGuiApplication::screens();
    if (screens.isEmpty()) return addWindow(nullptr) != nullptr;
    for (QScreen* screen : screens) {
        if (addWindow(screen) == nullptr) return false;
    }
    connect(qGuiApp, &QGuiApplication::screenAdded, this,
            [this](QScreen* screen) { screenAdded(screen); });
    connect(qGuiApp, &QGuiApplication::screenRemoved, this,
            [this](QScreen* screen) { screenRemoved(screen); });
    return true;
}

void SaverScreens::end() {
    if (ended_) return;
    ended_ = true;
    for (auto& window : windows_) window->closeDown();
    if (QCoreApplication::instance() != nullptr) QCoreApplication::exit(runExitStatus());
}

void SaverScreens::noteFailure(const std::string& text, const std::string& caption) {
    // Every screen reads the same terrain: its failure is told once.
    if (text == failureText_ && caption == failureCaption_) return;
    if (caption == "hillglimmer") {
        std::fprintf(stderr, "hillglimmer: %s\n", text.c_str());
    } else {
        std::fprintf(stderr, "hillglimmer: %s: %s\n", caption.c_str(), text.c_str());
    }
    if (!failureText_.empty()) return;
    failureText_ = text;
    failureCaption_ = caption;
    for (auto& window : windows_) window->noteFailure(text, caption);
}

void SaverScreens::windowFailed() {
    failed_ = true;
    // A screen left drawing beside one showing the failure would hide it
    // from a user looking at the wrong monitor.
    for (auto& window : windows_) window->showFailureOf(failureText_, failureCaption_);
}

void SaverScreens::screenAdded(QScreen* screen) {
    if (ended_) return;
    SaverWindow* window = addWindow(screen);
    if (window != nullptr && failed_) window->showFailureOf(failureText_, failureCaption_);
}

void SaverScreens::screenRemoved(QScreen* screen) {
    if (ended_) return;
    // A monitor that sleeps or is unplugged is no sign of the user coming
    // back: its window is dropped and the others go on.
    auto it = std::find_if(windows_.begin(), windows_.end(),
                           [screen](const auto& window) { return window->screen() == screen; });
    if (it == windows_.end()) return;
    (*it)->closeDown();
    // Qt may still be delivering this window's events from the screen
    // change: the window, now without GL or grabs, lives on until the run
    // is over.
    dropped_.push_back(std::move(*it));
    windows_.erase(it);
    if (windows_.empty()) end();
}

int runSaver(const SaverPlacement& placement, const std::filesystem::path& memPath,
             const SaverOverrides& overrides) {
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || *display == '\0') {
        return failRun(loadMessage(MessageId::SaverNeedsDisplay));
    }
    if (!displayAnswers(display))
        return failRun(formatMessage(MessageId::CannotOpenDisplay, {display}));
    // A foreign X11 window can only be joined through Qt's X11 platform,
    // so it is used even inside a Wayland session.
    qputenv("QT_QPA_PLATFORM", "xcb");
    int argc = 1;
    char name[] = "hillglimmer";
    char* argv[] = {name, nullptr};
    QApplication app(argc, argv);
    SaverScreens run(placement, memPath, overrides);
    // A message box would open under a window that covers the screen, or
    // over the screen of an XScreenSaver that is blanking it: there the
    // failure goes to stderr, which XScreenSaver collects, and is drawn in
    // the saver's own windows. Only an ordinary window can leave a box to
    // the user.
    std::optional<ErrorSinkGuard> quietErrors;
    if (placement.kind == SaverPlacement::Plain) {
        installMessageBoxSink();
    } else {
        quietErrors.emplace([&run](void*, const std::string& text, const std::string& caption) {
            run.noteFailure(text, caption);
        });
    }
    if (!run.start()) {
        run.end();
        return runExitStatus();
    }
    // The status is the run's, whatever ended the loop.
    QApplication::exec();
    return runExitStatus();
}

}  // namespace hg
