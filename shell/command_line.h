// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace hg {

enum class RunMode { Setup, Saver, Exit };

struct SaverCommand {
    RunMode mode = RunMode::Setup;
    // The preview's parent window; 0 runs full screen.
    long long previewParent = 0;
    // Why the line cannot be run; the caller says so and exits 2.
    std::string error;
};

// The screen-saver switches: the first '-' or '/' and the letter right
// after it decide, when that letter stands alone (a blank, a colon or the
// end follows); a longer word there is an error. No switch at all opens the setup dialog. A preview
// runs only with a window to draw in: /p needs an id after a blank or a colon.
SaverCommand parseCommandLine(std::string_view commandLine);

// An X11 window id as the X tools print them: decimal or 0x hex, the whole
// text, not 0 and within the protocol's 32 bits.
std::optional<unsigned long long> parseWindowId(std::string_view text);

// The arguments after the program name joined by single blanks, the
// command-line text the switch parser reads.
std::string joinArguments(const std::vector<std::string>& args);

}  // namespace hg
