// SPDX-License-Identifier: MIT
#include "shell/command_line.h"

#include "platform/messages.h"
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
    // A switch is one letter, ended by a blank, a colon or the line's end.
    // A longer word is a mistyped option (-stlye), which read by its first
    // letter alone would start the full-screen saver.
    const std::size_t wordEnd = text.find_first_of(" \t:", at + 1);
    const std::string_view word = text.substr(
        at + 1, wordEnd == std::string_view::npos ? std::string_view::npos : wordEnd - at - 1);
    if (word.size() > 1) {
        cmd.mode = RunMode::Exit;
        cmd.error = formatMessage(MessageId::UnknownOption, {text.substr(at, word.size() + 1)});
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
            // Without its window a preview would cover the whole screen
            // of the user who is looking at a control panel.
            std::string_view rest = text.substr(at + 2);
            std::optional<unsigned long long> id;
            if (!rest.empty() && (rest.front() == ' ' || rest.front() == ':')) {
                rest = skipAsciiSpace(rest.substr(1));
                id = parseWindowId(rest.substr(0, rest.find(' ')));
            }
            if (!id) {
                cmd.mode = RunMode::Exit;
                cmd.error = loadMessage(MessageId::PreviewNeedsWindow);
                return cmd;
            }
            cmd.previewParent = static_cast<long long>(*id);
            return cmd;
        }
        default:
            cmd.mode = RunMode::Exit;
            return cmd;
    }
}

std::optional<unsigned long long> parseWindowId(std::string_view text) {
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    auto v = hex ? parseNumber<unsigned long long>(text.substr(2), 16)
                 : parseNumber<unsigned long long>(text);
    if (!v || *v == 0 || *v > 0xFFFFFFFFull) return std::nullopt;
    return v;
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
