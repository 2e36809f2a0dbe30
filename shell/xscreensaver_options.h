// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "shell/saver_overrides.h"

namespace hg {

// What XScreenSaver asks of a hack on its command line (one or two dashes).
struct HackOptions {
    enum Target { Root, WindowId, Window };
    Target target = Root;
    unsigned long long windowId = 0;
    bool fps = false;
    // -style NAME, -mesh N, -altitude X, -speed X, -contour X, -dem FILE.
    SaverOverrides overrides;
    // Microseconds between frames; the parser starts it at the delay row's
    // default.
    long long delayMicros = 0;
};

// nullopt when args are not XScreenSaver's options (the screen-saver
// switches are parsed elsewhere); an error text in *error for a malformed
// list. The options, their ranges and defaults are the rows of
// hackOptionTable(). -root draws into $XSCREENSAVER_WINDOW when set, else
// the root window.
std::optional<HackOptions> parseHackOptions(const std::vector<std::string>& args,
                                            std::string* error);

}  // namespace hg
