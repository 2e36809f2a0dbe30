// SPDX-License-Identifier: MIT
#include "shell/xscreensaver_options.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "dem/mesh.h"
#include "platform/messages.h"
#include "platform/text_number.h"
#include "render/styles.h"
#include "shell/command_line.h"
#include "shell/hack_options.h"
#include "shell/info_command.h"

namespace hg {

namespace {

// A number the row takes: within its range, and in its list when it has one.
std::optional<double> numberFor(const HackOptionRow& row, const std::string& text) {
    std::optional<double> v;
    if (row.integer) {
        if (auto n = parseNumber<long long>(text)) v = static_cast<double>(*n);
    } else {
        v = parseNumber<double>(text);
    }
    if (!v || *v < row.low || *v > row.high) return std::nullopt;
    if (!row.values.empty() &&
        std::find(row.values.begin(), row.values.end(), *v) == row.values.end()) {
        return std::nullopt;
    }
    return v;
}

// What a refused number is told: the values or the range it must fall in.
std::string refusalFor(const HackOptionRow& row) {
    if (!row.values.empty()) {
        std::string list;
        for (double v : row.values) list += (list.empty() ? "" : ", ") + formatFigure(v);
        return formatMessage(row.refusal, {list});
    }
    return formatMessage(row.refusal, {formatFigure(row.low), formatFigure(row.high)});
}

// Sets the override a setting option names; false with a reason in *error.
bool setOverride(const HackOptionRow& row, const std::string& text, SaverOverrides& o,
                 std::string* error) {
    auto refuse = [&](const std::string& why) {
        if (error) *error = formatMessage(MessageId::OptionRefused, {row.name, text, why});
        return false;
    };
    switch (row.kind) {
        case HackOptionKind::Style: {
            auto type = drawTypeFromName(text);
            if (!type || !offeredStyle(*type))
                return refuse(formatMessage(MessageId::StylesAre, {availableStyleNames()}));
            o.drawType = type;
            return true;
        }
        case HackOptionKind::Number: {
            auto v = numberFor(row, text);
            if (!v) return refuse(refusalFor(row));
            o.*row.field = v;
            return true;
        }
        case HackOptionKind::Dem: {
            std::error_code ec;
            if (!std::filesystem::is_regular_file(text, ec))
                return refuse(loadMessage(MessageId::NoSuchFile));
            // A run must not import: that would replace the user's working file.
            const int type = demTypeForExtension(text);
            if (type == kDemSdts75 || type == kDemGsi10m) {
                return refuse(loadMessage(MessageId::ImportedNotInPlace));
            }
            o.dem = std::filesystem::path(text);
            return true;
        }
        default:
            return true;
    }
}

}  // namespace

std::optional<HackOptions> parseHackOptions(const std::vector<std::string>& args,
                                            std::string* error) {
    if (args.empty() || findHackOption(args[0]) == nullptr) return std::nullopt;
    auto fail = [&](const std::string& why) -> std::optional<HackOptions> {
        if (error) *error = why;
        return std::nullopt;
    };
    HackOptions o;
    o.delayMicros = static_cast<long long>(findHackOption("-delay")->defaultValue);
    bool chosen = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const HackOptionRow* row = findHackOption(args[i]);
        if (row == nullptr) return fail(formatMessage(MessageId::UnknownOption, {args[i]}));
        const std::string* value = nullptr;
        if (row->takesValue) {
            if (i + 1 < args.size()) value = &args[++i];
        }
        switch (row->kind) {
            case HackOptionKind::Root:
                if (!chosen) o.target = HackOptions::Root;
                break;
            case HackOptionKind::WindowId: {
                auto id = value ? parseWindowId(*value) : std::nullopt;
                if (!id) return fail(loadMessage(MessageId::WindowIdNeeded));
                o.target = HackOptions::WindowId;
                o.windowId = *id;
                chosen = true;
                break;
            }
            case HackOptionKind::Window:
                o.target = HackOptions::Window;
                chosen = true;
                break;
            case HackOptionKind::Fps:
                o.fps = true;
                break;
            case HackOptionKind::Delay: {
                auto us = value ? numberFor(*row, *value) : std::nullopt;
                if (!us) return fail(loadMessage(MessageId::DelayNeedsMicroseconds));
                o.delayMicros = static_cast<long long>(*us);
                break;
            }
            case HackOptionKind::Style:
            case HackOptionKind::Number:
            case HackOptionKind::Dem:
                if (!value) return fail(formatMessage(MessageId::OptionNeedsValue, {row->name}));
                if (!setOverride(*row, *value, o.overrides, error)) return std::nullopt;
                break;
            case HackOptionKind::Ignored:
                // Accepted for XScreenSaver's sake; a value it names is dropped too.
                if (row->takesValue && !value)
                    return fail(formatMessage(MessageId::OptionNeedsValue, {row->name}));
                break;
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
