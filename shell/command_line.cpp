#include "shell/command_line.h"

#include "platform/text_number.h"

namespace hg {

SaverCommand parseCommandLine(std::string_view text) {
    SaverCommand cmd;
    std::size_t at = text.find_first_of("-/");
    if (at == std::string_view::npos) return cmd;  // setup
    if (at + 1 >= text.size()) {
        cmd.mode = RunMode::Exit;
        return cmd;
    }
    switch (text[at + 1]) {
        case 'c':
        case 'C':
            cmd.mode = RunMode::Setup;
            return cmd;
        case 's':
        case 'S':
            cmd.mode = RunMode::Saver;
            return cmd;
        case 'p':
        case 'P': {
            cmd.mode = RunMode::Saver;
            std::size_t blank = text.find(' ', at + 2);
            if (blank != std::string_view::npos)
                cmd.previewParent = clampedLeadingInteger<long long>(text.substr(blank));
            return cmd;
        }
        default:
            cmd.mode = RunMode::Exit;
            return cmd;
    }
}

std::string joinArguments(const std::vector<std::string>& args) {
    std::string out;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (i > 0) out += ' ';
        out += args[i];
    }
    return out;
}

}  // namespace hg
