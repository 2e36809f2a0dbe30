// SPDX-License-Identifier: MIT
#pragma once

namespace hg {

// Shows the wait cursor for the guard's life, restored on every exit path.
// Does nothing when no GUI is running (the command-line paths).
class WaitCursor {
public:
    WaitCursor();
    ~WaitCursor();
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    bool active_ = false;
};

// Shows failures as critical message boxes while a QApplication runs.
void installMessageBoxSink();

}  // namespace hg
