// SPDX-License-Identifier: MIT
#pragma once

#include <string>

namespace hg {

// The program's exit statuses. A run ended as asked (the closing input,
// SIGTERM, the preview's parent gone, a second instance, a quiet unknown
// switch) is 0; a run in which a failure was reported is 1 however it then
// ended; a command line that cannot be run is 2.
inline constexpr int kExitEnded = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;

// The status of a saver or setup run as it ends now: decided from what was
// reported, never from which event happened to come first.
int runExitStatus();

// Reports a failure the run cannot go on from (no display, no window to
// draw in) the way every other failure is reported, and gives the status.
int failRun(const std::string& text);

}  // namespace hg
