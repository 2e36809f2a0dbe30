// SPDX-License-Identifier: MIT
#pragma once

#include <cstdio>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "platform/messages.h"
#include "shell/saver_overrides.h"

namespace hg {

// What an option does once parsed; the parser acts on this, never on a name.
enum class HackOptionKind {
    Root,      // draw into XScreenSaver's window or the root window
    Window,    // a plain window of its own
    WindowId,  // into the X11 window given
    Delay,     // microseconds between frames
    Fps,       // the frame rate in a corner
    Style,     // a stored setting: the style, by name or number
    Number,    // a stored setting that is a number within the row's range
    Dem,       // the DEM file shown for this run
    Ignored,   // taken for XScreenSaver's sake and dropped
};

// One option a hack takes: the parser, --help and the checks of the manual
// page and XScreenSaver's description all read these rows.
struct HackOptionRow {
    // Without its dash or dashes.
    const char* name;
    HackOptionKind kind;
    // Its --help line: "ARGUMENT\tdescription", the argument empty for a
    // switch; {1} {2} {3} stand for low, high and the default, {4} for the
    // value list joined by "|".
    MessageId help;
    bool takesValue = false;
    // The key of [Hillglimmer] it stands in for during one run; null when it
    // only says where or how the picture is shown.
    const char* settingKey = nullptr;
    // Numbers outside [low, high] are refused, and with a value list, any
    // number not in it.
    double low = 0.0;
    double high = 0.0;
    std::span<const double> values = {};
    bool integer = false;
    // Used when the option is not given; a setting left out keeps the
    // stored value instead.
    double defaultValue = 0.0;
    // Where a Number lands.
    std::optional<double> SaverOverrides::*field = nullptr;
    // Why a number outside the range is refused.
    MessageId refusal = MessageId::RangeValues;
};

std::span<const HackOptionRow> hackOptionTable();

// The row of an option written "-name" or "--name"; null for any other.
const HackOptionRow* findHackOption(std::string_view arg);

// The option's help line as --help prints it, with its range filled in
// and the description aligned in a column.
std::string hackOptionHelpLine(const HackOptionRow& row);

// The hack options as the usage's one form shows them, "[-root | -window
// | -window-id ID] [-delay US] ...", wrapped before `width` columns with
// every further line starting at `startColumn`, where the first starts.
std::string hackOptionSynopsis(std::size_t startColumn, std::size_t width = 79);

// Columns a terminal gives a UTF-8 text: the Japanese placeholders take
// two each.
std::size_t textColumns(std::string_view text);

// A figure of the table as a user reads it: whole numbers in full
// ("60000000", not "6e+07"), others in their shortest form.
std::string formatFigure(double value);

// The styles -style takes by number: the lowest and highest the setup
// dialog offers.
std::pair<int, int> offeredStyleNumbers();

}  // namespace hg
