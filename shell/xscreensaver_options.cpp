#include "shell/xscreensaver_options.h"

#include "platform/text_number.h"
#include "shell/command_line.h"

namespace hg {

namespace {

// "--root" and "-root" are the same option.
std::string optionName(const std::string& arg) {
    if (arg.rfind("--", 0) == 0) return arg.substr(2);
    if (arg.rfind("-", 0) == 0) return arg.substr(1);
    return {};
}

bool isHackOption(const std::string& name) {
    return name == "root" || name == "window-id" || name == "window" || name == "fps" ||
           name == "delay" || name == "visual" || name == "install" || name == "pair";
}

}  // namespace

std::optional<HackOptions> parseHackOptions(const std::vector<std::string>& args,
                                            std::string* error) {
    if (args.empty() || !isHackOption(optionName(args[0]))) return std::nullopt;
    HackOptions o;
    bool chosen = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string name = optionName(args[i]);
        auto value = [&]() -> const std::string* {
            return i + 1 < args.size() ? &args[++i] : nullptr;
        };
        if (name == "root") {
            if (!chosen) o.target = HackOptions::Root;
        } else if (name == "window-id") {
            const std::string* v = value();
            auto id = v ? parseWindowId(*v) : std::nullopt;
            if (!id) {
                if (error) *error = "-window-id needs a window id";
                return std::nullopt;
            }
            o.target = HackOptions::WindowId;
            o.windowId = *id;
            chosen = true;
        } else if (name == "window") {
            o.target = HackOptions::Window;
            chosen = true;
        } else if (name == "fps") {
            o.fps = true;
        } else if (name == "delay") {
            const std::string* v = value();
            auto us = v ? parseNumber<long long>(*v) : std::nullopt;
            // More than a minute between frames is no animation at all.
            if (!us || *us < 0 || *us > 60000000) {
                if (error) *error = "-delay needs a number of microseconds";
                return std::nullopt;
            }
            o.delayMicros = *us;
        } else if (name == "visual") {
            if (!value()) {
                if (error) *error = "-" + name + " needs a value";
                return std::nullopt;
            }
        } else if (name == "install" || name == "pair") {
            // Accepted for XScreenSaver's sake; nothing to do.
        } else {
            if (error) *error = "unknown option " + args[i];
            return std::nullopt;
        }
    }
    if (o.target == HackOptions::Root) {
        // XScreenSaver names the window it wants drawn in.
        if (const char* env = std::getenv("XSCREENSAVER_WINDOW")) {
            if (auto id = parseWindowId(env)) {
                o.target = HackOptions::WindowId;
                o.windowId = *id;
            }
        }
    }
    return o;
}

}  // namespace hg
