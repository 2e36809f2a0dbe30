#pragma once

#include <optional>
#include <string>
#include <vector>

namespace hg {

// What XScreenSaver asks of a hack on its command line (one or two dashes).
struct HackOptions {
    enum Target { Root, WindowId, Window };
    Target target = Root;
    unsigned long long windowId = 0;
    bool fps = false;
    // Microseconds between frames.
    long long delayMicros = 30000;
};

// nullopt when args are not XScreenSaver's options (the screen-saver
// switches are parsed elsewhere); an error text in *error for a malformed
// list. -root draws into $XSCREENSAVER_WINDOW when set, else the root
// window; -visual, -install and -pair are accepted and ignored.
std::optional<HackOptions> parseHackOptions(const std::vector<std::string>& args,
                                            std::string* error);

}  // namespace hg
