// SPDX-License-Identifier: MIT
#include "shell/hack_options.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "platform/text_number.h"
#include "render/styles.h"
#include "settings/settings.h"

namespace hg {

namespace {

// The block sizes of the setup dialog's mesh list.
constexpr std::array<double, 4> kMeshBlocks = {1, 2, 4, 8};

using K = HackOptionKind;
using M = MessageId;

// The setting ranges are the ends of the setup dialog's lists, beyond which
// the styles were never meant to run; more than a minute between frames is
// no animation at all.
constexpr auto kOptions = std::to_array<HackOptionRow>({
    {.name = "root", .kind = K::Root, .help = M::HelpOptionRoot},
    {.name = "window", .kind = K::Window, .help = M::HelpOptionWindow},
    {.name = "window-id", .kind = K::WindowId, .help = M::HelpOptionWindowId, .takesValue = true},
    {.name = "delay",
     .kind = K::Delay,
     .help = M::HelpOptionDelay,
     .takesValue = true,
     .high = 60000000,
     .integer = true,
     .defaultValue = 30000},
    {.name = "fps", .kind = K::Fps, .help = M::HelpOptionFps},
    {.name = "style",
     .kind = K::Style,
     .help = M::HelpOptionStyle,
     .takesValue = true,
     .settingKey = key::sel},
    {.name = "mesh",
     .kind = K::Number,
     .help = M::HelpOptionMesh,
     .takesValue = true,
     .settingKey = key::numMesh,
     .low = 1,
     .high = 8,
     .values = kMeshBlocks,
     .integer = true,
     .field = &SaverOverrides::meshBlock,
     .refusal = M::MeshValues},
    {.name = "altitude",
     .kind = K::Number,
     .help = M::HelpOptionAltitude,
     .takesValue = true,
     .settingKey = key::yFactor,
     .low = 0.1,
     .high = 100,
     .field = &SaverOverrides::yFactor},
    {.name = "speed",
     .kind = K::Number,
     .help = M::HelpOptionSpeed,
     .takesValue = true,
     .settingKey = key::speed,
     .low = 0.05,
     .high = 10,
     .field = &SaverOverrides::speed},
    {.name = "contour",
     .kind = K::Number,
     .help = M::HelpOptionContour,
     .takesValue = true,
     .settingKey = key::step,
     .low = 0.2,
     .high = 1000,
     .field = &SaverOverrides::step,
     .refusal = M::ContourValues},
    // The working file and its type stand for the DEM in the settings.
    {.name = "dem",
     .kind = K::Dem,
     .help = M::HelpOptionDem,
     .takesValue = true,
     .settingKey = key::demType},
    {.name = "visual", .kind = K::Ignored, .help = M::HelpOptionVisual, .takesValue = true},
    {.name = "install", .kind = K::Ignored, .help = M::HelpOptionIgnored},
    {.name = "pair", .kind = K::Ignored, .help = M::HelpOptionIgnored},
});

}  // namespace

std::size_t textColumns(std::string_view text) {
    std::size_t n = 0;
    for (unsigned char b : text) {
        if (b < 0x80) {
            ++n;
        } else if (b >= 0xE0) {
            n += 2;
        } else if (b >= 0xC0) {
            ++n;
        }
    }
    return n;
}

std::string formatFigure(double value) {
    if (value == std::floor(value) && std::fabs(value) < 1e15) {
        return formatInteger(static_cast<long long>(value));
    }
    return formatShortest(value);
}

std::span<const HackOptionRow> hackOptionTable() {
    return kOptions;
}

const HackOptionRow* findHackOption(std::string_view arg) {
    if (arg.starts_with("--")) {
        arg.remove_prefix(2);
    } else if (arg.starts_with("-")) {
        arg.remove_prefix(1);
    } else {
        return nullptr;
    }
    for (const HackOptionRow& row : kOptions) {
        if (arg == row.name) return &row;
    }
    return nullptr;
}

std::pair<int, int> offeredStyleNumbers() {
    int low = -1, high = -1;
    for (const StyleRow& row : styleTable()) {
        if (!row.offered) continue;
        if (low < 0) low = row.drawType;
        high = row.drawType;
    }
    return {low, high};
}

namespace {

// The row's argument and description, its figures filled in.
std::pair<std::string, std::string> argumentAndDescription(const HackOptionRow& row) {
    double low = row.low, high = row.high;
    if (row.kind == HackOptionKind::Style) {
        const auto [first, last] = offeredStyleNumbers();
        low = first;
        high = last;
    }
    std::string values;
    for (double v : row.values) {
        if (!values.empty()) values += '|';
        values += formatFigure(v);
    }
    const std::string text = formatMessage(
        row.help, {formatFigure(low), formatFigure(high), formatFigure(row.defaultValue), values});
    const auto tab = text.find('\t');
    if (tab == std::string::npos) return {"", text};
    return {text.substr(0, tab), text.substr(tab + 1)};
}

// One option as the synopsis writes it: "-name" or "-name ARGUMENT".
std::string synopsisWord(const HackOptionRow& row) {
    const std::string argument = argumentAndDescription(row).first;
    std::string word = "-";
    word += row.name;
    if (!argument.empty()) {
        word += ' ';
        word += argument;
    }
    return word;
}

// Appended piece by piece rather than joined with +: GCC 12 at -O3 warns
// falsely (-Wrestrict) on a literal put before a temporary string, and
// warnings are errors in the developer build.
std::string bracketed(const std::string& group) {
    std::string out = "[";
    out += group;
    out += ']';
    return out;
}

bool choosesWhere(HackOptionKind kind) {
    return kind == HackOptionKind::Root || kind == HackOptionKind::Window ||
           kind == HackOptionKind::WindowId;
}

}  // namespace

std::string hackOptionSynopsis(std::size_t startColumn, std::size_t width) {
    // Where the picture goes is one choice of three, so one bracket.
    std::vector<std::string> groups;
    std::string where;
    for (const HackOptionRow& row : kOptions) {
        if (row.kind == HackOptionKind::Ignored) continue;
        if (choosesWhere(row.kind)) {
            if (!where.empty()) where += " | ";
            where += synopsisWord(row);
        } else {
            groups.push_back(bracketed(synopsisWord(row)));
        }
    }
    if (!where.empty()) groups.insert(groups.begin(), bracketed(where));
    std::string out;
    std::size_t column = startColumn;
    for (const std::string& g : groups) {
        const std::size_t w = textColumns(g);
        if (!out.empty() && column + 1 + w > width) {
            out += '\n';
            out.append(startColumn, ' ');
            column = startColumn;
        } else if (!out.empty()) {
            out += ' ';
            ++column;
        }
        out += g;
        column += w;
    }
    return out;
}

std::string hackOptionHelpLine(const HackOptionRow& row) {
    const auto [argument, description] = argumentAndDescription(row);
    std::string head = std::string("  -") + row.name;
    if (!argument.empty()) head += " " + argument;
    // The descriptions start in one column, or two blanks after a long head.
    constexpr std::size_t kColumn = 21;
    const std::size_t used = textColumns(head);
    head += std::string(used + 2 <= kColumn ? kColumn - used : 2, ' ');
    return head + description + "\n";
}

}  // namespace hg
