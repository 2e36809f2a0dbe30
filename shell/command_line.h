#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace hg {

enum class RunMode { Setup, Saver, Exit };

struct SaverCommand {
    RunMode mode = RunMode::Setup;
    // The preview's parent window; 0 runs full screen.
    long long previewParent = 0;
};

// The screen-saver switches: the first '-' or '/' and the letter right
// after it decide. No switch at all opens the setup dialog.
SaverCommand parseCommandLine(std::string_view commandLine);

// The arguments after the program name joined by single blanks, the
// command-line text the switch parser reads.
std::string joinArguments(const std::vector<std::string>& args);

}  // namespace hg
