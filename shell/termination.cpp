// SPDX-License-Identifier: MIT
#include "shell/termination.h"

#include <fcntl.h>
#include <unistd.h>

#include <pthread.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <thread>

namespace hg {

namespace {

// What a signal handler may touch: a flag and a pipe whose other end the
// event loop watches. Both live as long as the process.
volatile std::sig_atomic_t gTerminate = 0;
int gWakeRead = -1;
int gWakeWrite = -1;

extern "C" void onTerminate(int) {
    const int saved = errno;
    gTerminate = 1;
    if (gWakeWrite >= 0) {
        const char byte = 1;
        // A full pipe already holds a wake-up.
        [[maybe_unused]] const ssize_t n = ::write(gWakeWrite, &byte, 1);
    }
    errno = saved;
}

}  // namespace

void installTerminationHandler() {
    if (gWakeWrite < 0) {
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) == 0) {
            gWakeRead = fds[0];
            gWakeWrite = fds[1];
        }
    }
    struct sigaction action {};
    action.sa_handler = onTerminate;
    sigemptyset(&action.sa_mask);
    // No SA_RESTART: a blocking wait comes back with EINTR and looks at
    // the flag.
    action.sa_flags = 0;
    ::sigaction(SIGTERM, &action, nullptr);
    // A parent that started us with SIGTERM blocked would otherwise leave
    // a saver nobody can end; a request already pending arrives here.
    sigset_t term;
    sigemptyset(&term);
    sigaddset(&term, SIGTERM);
    ::pthread_sigmask(SIG_UNBLOCK, &term, nullptr);
}

bool terminationRequested() {
    return gTerminate != 0;
}

bool pauseUnlessTerminated(std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!terminationRequested()) {
        const auto now = std::chrono::steady_clock::now();
        if (now >= end) return true;
        // Short slices: a signal that lands between the check and the sleep
        // is seen within one of them.
        std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(
            end - now, std::chrono::milliseconds(10)));
    }
    return false;
}

TerminationNotifier::TerminationNotifier(QObject* parent) : QObject(parent) {
    if (gWakeRead >= 0) {
        notifier_ = std::make_unique<QSocketNotifier>(gWakeRead, QSocketNotifier::Read);
        connect(notifier_.get(), &QSocketNotifier::activated, this, [this] {
            char buffer[16];
            while (::read(gWakeRead, buffer, sizeof buffer) > 0) {
            }
            emit requested();
        });
    }
    // Without the pipe, a request that came before the loop existed is
    // still acted on by the first turn of it; with it, its byte waits.
    if (gWakeRead < 0 && terminationRequested()) {
        QMetaObject::invokeMethod(
            this, [this] { emit requested(); }, Qt::QueuedConnection);
    }
}

}  // namespace hg
