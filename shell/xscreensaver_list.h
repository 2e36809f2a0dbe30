// SPDX-License-Identifier: MIT
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace hg {

// The entry this program puts in XScreenSaver's list of display modes.
inline constexpr std::string_view kOurProgramEntry = "GL: hillglimmer -root";

// The text of ~/.xscreensaver that `on` writes when the user has none: our
// entry alone. XScreenSaver merges the system-wide list of programs and
// every other setting with the user's file, so nothing else is needed.
std::string minimalXScreenSaverFile();

// The pure edits of a ~/.xscreensaver text. Every byte outside the lines
// they name is kept.
struct ProgramsEdit {
    std::string text;
    // False when the text already was as asked.
    bool changed = false;
};

// Our entry enabled in the programs resource: appended after its last
// entry (so the numbers of the user's own entries, which "selected" refers
// to, stay as they are), or a disabled one of ours enabled. A text without
// a programs resource gets one holding our entry.
ProgramsEdit withOurProgram(std::string_view file);

// Every line of the programs resource that holds our entry, enabled or
// disabled, removed, undoing what withOurProgram did to the line before it.
ProgramsEdit withoutOurProgram(std::string_view file);

// True when the programs resource holds our entry, enabled.
bool listsOurProgram(std::string_view file);

// What `on` and `off` did.
enum class ListChange {
    Added,
    AlreadyListed,
    Removed,
    RemovedFile,
    NotListed,
    ReadFailed,
    WriteFailed
};

// ~/.xscreensaver after following symbolic links to the file they name
// (which need not exist yet); empty when there is no home.
std::filesystem::path xscreenSaverFilePath();

// Reads, edits and atomically replaces the file (through a temporary in the
// real file's directory, synced, renamed, keeping the file's permissions).
// on without a file writes the minimal one; off removes a file that is
// exactly the minimal one, since then nothing but our entry was ever in it.
ListChange setOurProgramListed(const std::filesystem::path& file, bool listed);

// Whether the file lists our entry enabled; nullopt when it cannot be read
// (a missing file lists nothing).
std::optional<bool> ourProgramListedIn(const std::filesystem::path& file);

// True when the XScreenSaver daemon is on the PATH.
bool xscreenSaverInstalled();

// `hillglimmer xscreensaver on|off`.
int runXScreenSaverCommand(const std::vector<std::string>& args);

}  // namespace hg
