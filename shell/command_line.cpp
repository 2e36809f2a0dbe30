#include "shell/command_line.h"

#include <climits>

namespace hg {

namespace {
long long parseWindowId(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    long long v = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        if (v > (LLONG_MAX - 9) / 10) break;  // nothing real is that large
        v = v * 10 + (text[i] - '0');
    }
    return negative ? -v : v;
}
}  // namespace

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
                cmd.previewParent = parseWindowId(text.substr(blank));
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
