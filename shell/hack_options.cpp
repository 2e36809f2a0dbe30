// SPDX-License-Identifier: MIT
#include "shell/hack_options.h"

#include <algorithm>
#include <array>

#include "platform/text_number.h"
#include "render/styles.h"
#include "settings/settings.h"

namespace hg {

namespace {

// The block sizes of the setup dialog's mesh list.
constexpr std::array<double, 4> kMeshBlocks = {1, 2, 4, 8};

constexpr double kNoRange = 0.0;

// The setting ranges are the ends of the setup dialog's lists, beyond which
// the styles were never meant to run; more than a minute between frames is
// no animation at all.
constexpr std::array<HackOptionRow, 14> kOptions{{
    {"root",
     HackOptionKind::Root,
     false,
     nullptr,
     kNoRange,
     kNoRange,
     {},
     false,
     0,
     nullptr,
     MessageId::HelpOptionRoot,
     MessageId::RangeValues},
    {"window",
     HackOptionKind::Window,
     false,
     nullptr,
     kNoRange,
     kNoRange,
     {},
     false,
     0,
     nullptr,
     MessageId::HelpOptionWindow,
     MessageId::RangeValues},
    {"window-id",
     HackOptionKind::WindowId,
     true,
     nullptr,
     kNoRange,
     kNoRange,
     {},
     false,
     0,
     nullptr,
     MessageId::HelpOptionWindowId,
     MessageId::RangeValues},
    {"delay",
     HackOptionKind::Delay,
     true,
     nullptr,
     0,
     60000000,
     {},
     true,
     30000,
     nullptr,
     MessageId::HelpOptionDelay,
     MessageId::RangeValues},
    {"fps",
     HackOptionKind::Fps,
     false,
     nullptr,
     kNoRange,
     kNoRange,
     {},
     false,
     0,
     nullptr,
     MessageId::HelpOptionFps,
     MessageId::RangeValues},
    {"style",
     HackOptionKind::Style,
     true,
     key::sel,
     kNoRange,
     kNoRange,
     {},
     false,
     0,
     nullptr,
     MessageId::HelpOptionStyle,
     MessageId::RangeValues},
    {"mesh", HackOptionKind::Number, true, key::numMesh, 1, 8, kMeshBlocks, true, 0,
     &SaverOverrides::meshBlock, MessageId::HelpOptionMesh, MessageId::MeshValues},
    {"altitude",
     HackOptionKind::Number,
     true,
     key::yFactor,
     0.1,
     100,
     {},
     false,
     0,
     &SaverOverrides::yFactor,
     MessageId::HelpOptionAltitude,
     MessageId::RangeValues},
    {"speed",
     HackOptionKind::Number,
     true,
     key::speed,
     0.05,
     10,
     {},
     false,
     0,
     &SaverOverrides::speed,
     MessageId::HelpOptionSpeed,
     MessageId::RangeValues},
    {"contour",
     HackOptionKind::Number,
     true,
     key::step,
     0.2,
     1000,
     {},
     false,
     0,
     &SaverOverrides::step,
     MessageId::HelpOptionContour,
     MessageId::ContourValues},
    // The working file and its type stand for the DEM in the settings.
    {"dem",
     HackOptionKind::Dem,
     true,
     key::demType,
     kNoRange,
     kNoRange,
     {},
     false,
     0,
     nullptr,
     MessageId::HelpOptionDem,
     MessageId::RangeValues},
    {"visual",
     HackOptionKind::Ignored,
     true,
     nullptr,
     kNoRange,
     kNoRange,
     {},
     false,
     0,
     nullptr,
     MessageId::HelpOptionVisual,
     MessageId::RangeValues},
    {"install",
     HackOptionKind::Ignored,
     false,
     nullptr,
     kNoRange,
     kNoRange,
     {},
     false,
     0,
     nullptr,
     MessageId::HelpOptionIgnored,
     MessageId::RangeValues},
    {"pair",
     HackOptionKind::Ignored,
     false,
     nullptr,
     kNoRange,
     kNoRange,
     {},
     false,
     0,
     nullptr,
     MessageId::HelpOptionIgnored,
     MessageId::RangeValues},
}};

// Columns a terminal gives a UTF-8 text: the Japanese placeholders take
// two each.
std::size_t columns(std::string_view text) {
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

}  // namespace

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

std::string hackOptionHelpLine(const HackOptionRow& row) {
    double low = row.low, high = row.high;
    if (row.kind == HackOptionKind::Style) {
        const auto [first, last] = offeredStyleNumbers();
        low = first;
        high = last;
    }
    std::string values;
    for (double v : row.values) values += (values.empty() ? "" : "|") + formatShortest(v);
    const std::string text = formatMessage(row.help, {formatShortest(low), formatShortest(high),
                                                      formatShortest(row.defaultValue), values});
    const auto tab = text.find('\t');
    std::string head = std::string("  -") + row.name;
    if (tab != std::string::npos && tab > 0) head += " " + text.substr(0, tab);
    const std::string description = tab == std::string::npos ? text : text.substr(tab + 1);
    // The descriptions start in one column, or two blanks after a long head.
    constexpr std::size_t kColumn = 21;
    const std::size_t used = columns(head);
    head += std::string(used + 2 <= kColumn ? kColumn - used : 2, ' ');
    return head + description + "\n";
}

}  // namespace hg
