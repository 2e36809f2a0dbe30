// SPDX-License-Identifier: MIT
#include "shell/xscreensaver_options.h"

#include <cstdlib>
#include <filesystem>

#include "dem/mesh.h"
#include "platform/messages.h"
#include "platform/text_number.h"
#include "render/styles.h"
#include "shell/command_line.h"
#include "shell/info_command.h"

namespace hg {

namespace {

// "--root" and "-root" are the same option.
std::string optionName(const std::string& arg) {
    if (arg.rfind("--", 0) == 0) return arg.substr(2);
    if (arg.rfind("-", 0) == 0) return arg.substr(1);
    return {};
}

// Options that stand in for a stored setting for one run.
bool isSettingOption(const std::string& name) {
    return name == "style" || name == "mesh" || name == "altitude" || name == "speed" ||
           name == "contour" || name == "dem";
}

// A real within [low, high]; the bounds are the ends of the setup dialog's
// lists, beyond which the styles were never meant to run.
std::optional<double> realWithin(const std::string& text, double low, double high) {
    auto v = parseNumber<double>(text);
    if (!v || *v < low || *v > high) return std::nullopt;
    return v;
}

// What a refused value is told: the range it must fall in.
std::string range(double low, double high, MessageId id = MessageId::RangeValues) {
    return formatMessage(id, {formatShortest(low), formatShortest(high)});
}

// Sets one override from its option; false with a reason in *error.
bool setOverride(const std::string& name, const std::string& text, SaverOverrides& o,
                 std::string* error) {
    auto refuse = [&](const std::string& why) {
        if (error) *error = formatMessage(MessageId::OptionRefused, {name, text, why});
        return false;
    };
    if (name == "style") {
        auto type = drawTypeFromName(text);
        if (!type || !offeredStyle(*type))
            return refuse(formatMessage(MessageId::StylesAre, {availableStyleNames()}));
        o.drawType = type;
    } else if (name == "mesh") {
        auto n = parseNumber<int>(text);
        if (!n || (*n != 1 && *n != 2 && *n != 4 && *n != 8))
            return refuse(loadMessage(MessageId::MeshValues));
        o.meshBlock = *n;
    } else if (name == "altitude") {
        if (!(o.yFactor = realWithin(text, 0.1, 100.0))) return refuse(range(0.1, 100.0));
    } else if (name == "speed") {
        if (!(o.speed = realWithin(text, 0.05, 10.0))) return refuse(range(0.05, 10.0));
    } else if (name == "contour") {
        if (!(o.step = realWithin(text, 0.2, 1000.0)))
            return refuse(range(0.2, 1000.0, MessageId::ContourValues));
    } else if (name == "dem") {
        std::error_code ec;
        if (!std::filesystem::is_regular_file(text, ec))
            return refuse(loadMessage(MessageId::NoSuchFile));
        // A run must not import: that would replace the user's working file.
        const int type = demTypeForExtension(text);
        if (type == kDemSdts75 || type == kDemGsi10m) {
            return refuse(loadMessage(MessageId::ImportedNotInPlace));
        }
        o.dem = std::filesystem::path(text);
    }
    return true;
}

bool isHackOption(const std::string& name) {
    return name == "root" || name == "window-id" || name == "window" || name == "fps" ||
           name == "delay" || name == "visual" || name == "install" || name == "pair" ||
           isSettingOption(name);
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
                if (error) *error = loadMessage(MessageId::WindowIdNeeded);
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
                if (error) *error = loadMessage(MessageId::DelayNeedsMicroseconds);
                return std::nullopt;
            }
            o.delayMicros = *us;
        } else if (name == "visual") {
            if (!value()) {
                if (error) *error = formatMessage(MessageId::OptionNeedsValue, {name});
                return std::nullopt;
            }
        } else if (isSettingOption(name)) {
            const std::string* v = value();
            if (!v) {
                if (error) *error = formatMessage(MessageId::OptionNeedsValue, {name});
                return std::nullopt;
            }
            if (!setOverride(name, *v, o.overrides, error)) return std::nullopt;
        } else if (name == "install" || name == "pair") {
            // Accepted for XScreenSaver's sake; nothing to do.
        } else {
            if (error) *error = formatMessage(MessageId::UnknownOption, {args[i]});
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
