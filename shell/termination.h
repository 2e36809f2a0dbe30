// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <chrono>
#include <memory>

namespace hg {

// SIGTERM is how XScreenSaver, session managers and service managers end
// the program. The handler is put in place before anything that can wait
// (the start-up pause, the instance lock, the settings lock), so a request
// that comes early ends the run through its close-down like a late one.
// Safe to call more than once.
void installTerminationHandler();

// Whether SIGTERM has come since the handler was installed.
bool terminationRequested();

// Waits for up to `limit`; false when SIGTERM came first.
bool pauseUnlessTerminated(std::chrono::milliseconds limit);

// Calls its slot from whatever event loop is running when SIGTERM comes
// (a modal box's as well as the main one), at once rather than on a poll.
class TerminationNotifier : public QObject {
    Q_OBJECT

public:
    explicit TerminationNotifier(QObject* parent = nullptr);

signals:
    void requested();

private:
    std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace hg
