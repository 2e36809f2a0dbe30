// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <string>

namespace hg {

// Reports a failure to the user: a message box when a GUI has installed its
// hook, else one line "caption: text" on stderr. owner is the GUI's window
// (a QObject*: a QWidget or a QWindow) or null.
void showError(void* owner, const std::string& text, const std::string& caption);

// Whether showError has been called in this process: the saver and setup
// runs end with a failure status once anything was reported, however the
// run then ends (a key, SIGTERM, the box closed).
bool failureReported();

using ErrorSink =
    std::function<void(void* owner, const std::string& text, const std::string& caption)>;

// Installs sink for the guard's life and restores the previous one after;
// the GUI installs its message boxes this way and tests their recorders.
class ErrorSinkGuard {
public:
    explicit ErrorSinkGuard(ErrorSink sink);
    ~ErrorSinkGuard();
    ErrorSinkGuard(const ErrorSinkGuard&) = delete;
    ErrorSinkGuard& operator=(const ErrorSinkGuard&) = delete;

private:
    ErrorSink previous_;
};

// The text for the exception being handled: its message, "Not enough
// memory." for a failed allocation, "Unknown error." for anything that is
// not a std::exception. Call it only inside a catch handler.
std::string currentFailureText();

// Runs body; a MessageError or std::exception escaping it is shown with
// caption, anything else as "Unknown error.". Returns false after a failure.
bool runGuarded(void* owner, const std::string& caption, const std::function<void()>& body);

}  // namespace hg
