// SPDX-License-Identifier: MIT
#include "platform/show_error.h"

#include <cstdio>
#include <exception>
#include <new>

#include "platform/messages.h"

namespace hg {

namespace {
// The one hook the GUI installs; everything else reaches the user through it.
ErrorSink& currentSink() {
    static ErrorSink sink;
    return sink;
}

// Set once and never cleared; a plain flag, as showError runs on the GUI
// thread only.
bool& reportedFlag() {
    static bool reported = false;
    return reported;
}
}  // namespace

bool failureReported() {
    return reportedFlag();
}

void showError(void* owner, const std::string& text, const std::string& caption) {
    reportedFlag() = true;
    if (currentSink()) {
        currentSink()(owner, text, caption);
        return;
    }
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
}

ErrorSinkGuard::ErrorSinkGuard(ErrorSink sink) : previous_(std::move(currentSink())) {
    currentSink() = std::move(sink);
}

ErrorSinkGuard::~ErrorSinkGuard() {
    currentSink() = std::move(previous_);
}

std::string currentFailureText() {
    try {
        throw;
    } catch (const std::bad_alloc&) {
        return outOfMemoryText();
    } catch (const std::exception& e) {
        return e.what();
    } catch (...) {
        return unknownErrorText();
    }
}

bool runGuarded(void* owner, const std::string& caption, const std::function<void()>& body) {
    try {
        body();
        return true;
    } catch (...) {
        showError(owner, currentFailureText(), caption);
    }
    return false;
}

}  // namespace hg
