// SPDX-License-Identifier: MIT
#include "shell/entry.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "dem/formats.h"
#include "platform/home.h"
#include "platform/instance_lock.h"
#include "platform/messages.h"
#include "platform/profile_store.h"
#include "platform/text_number.h"
#include "render/styles.h"
#include "shell/bundled_terrain.h"
#include "shell/command_line.h"
#include "shell/exit_status.h"
#include "shell/extra_commands.h"
#include "shell/hack_options.h"
#include "shell/saver_window.h"
#include "shell/termination.h"
#include "shell/xscreensaver_options.h"

namespace hg {

namespace {

// The forms of the command line: all a mistaken one is answered with.
void printSynopsis(std::FILE* out) {
    // The hack options continue under where their line starts, which the
    // language's "Usage:" decides.
    const std::string form = loadMessage(MessageId::Usage);
    const std::size_t at = form.find("{1}");
    const std::size_t lineStart = at == std::string::npos ? 0 : form.rfind('\n', at) + 1;
    const std::size_t column =
        at == std::string::npos
            ? 0
            : textColumns(std::string_view(form).substr(lineStart, at - lineStart));
    std::fputs(formatMessage(MessageId::Usage, {hackOptionSynopsis(column)}).c_str(), out);
}

void printHelp(std::FILE* out) {
    printSynopsis(out);
    std::fputs(loadMessage(MessageId::Help).c_str(), out);
    for (const HackOptionRow& row : hackOptionTable()) {
        std::fputs(hackOptionHelpLine(row).c_str(), out);
    }
    std::string mapNames, mapNumbers;
    for (const StyleRow& row : styleTable()) {
        if (row.offered) continue;
        mapNames += (mapNames.empty() ? "" : ", ") + std::string(row.name);
        mapNumbers += (mapNumbers.empty() ? "" : ", ") + formatInteger(row.drawType);
    }
    std::fputs(
        formatMessage(MessageId::HelpAfterOptions, {availableStyleNames(), mapNames, mapNumbers})
            .c_str(),
        out);
    for (const DemFormat& f : demFormats()) {
        std::string extensions;
        for (const char* e : f.extensions) {
            if (e != nullptr) extensions += (extensions.empty() ? "" : ", ") + std::string(e);
        }
        const bool imported = f.action == DemAction::SdtsImport ||
                              f.action == DemAction::Gsi10mImport ||
                              f.action == DemAction::GdalImport;
        std::fprintf(out, "  %d  %s (%s)%s\n", f.type, loadMessage(f.name).c_str(),
                     extensions.c_str(),
                     imported ? loadMessage(MessageId::HelpImported).c_str() : "");
    }
    std::fputs(loadMessage(MessageId::HelpOtherNames).c_str(), out);
}

// Whether args are the screen-saver switches: a first argument in the
// switch form, or a whole command line passed as one argument, which the
// switch rules read as they find it. A lone word or a --option is none of
// these and would otherwise pass silently as "nothing to do".
bool isSwitchLine(const std::vector<std::string>& args) {
    const std::string& first = args[0];
    if (first.rfind("--", 0) == 0) return false;
    if (!first.empty() && (first[0] == '-' || first[0] == '/')) return true;
    return first.find(' ') != std::string::npos;
}

}  // namespace

namespace {

// The first-run check waits for the settings lock, which a change of DEM
// in flight holds: SIGTERM must still end the run there. False when it did.
bool prepareFirstRun(const std::filesystem::path& memPath) {
    IniProfileStore store = userSettings();
    store.setLockWait([] { return !terminationRequested(); });
    installBundledTerrainIfFirstRun(memPath, store);
    return !terminationRequested();
}

// The usage error: the reason, the forms of the command line, status 2.
int usageError(const std::string& reason) {
    std::fprintf(stderr, "hillglimmer: %s\n\n", reason.c_str());
    printSynopsis(stderr);
    std::fputs((loadMessage(MessageId::SeeHelp) + "\n").c_str(), stderr);
    return kExitUsage;
}

// As an XScreenSaver hack: no start-up wait and no instance lock (several
// screens may each run one), input ignored, ended by SIGTERM.
int runHack(const HackOptions& hack) {
    installTerminationHandler();
    std::filesystem::path home = homeDirectory();
    if (home.empty()) return failRun(loadMessage(MessageId::NoHomeDirectory));
    const std::filesystem::path memPath = home / kWorkingFileName;
    if (!prepareFirstRun(memPath)) return runExitStatus();
    SaverPlacement placement;
    placement.kind =
        hack.target == HackOptions::Window ? SaverPlacement::Plain : SaverPlacement::Child;
    placement.window = hack.windowId;
    placement.rootWindow = hack.target == HackOptions::Root;
    // A timer of 0 ms would spin; a frame every millisecond is as fast.
    placement.frameMicros = std::max<long long>(hack.delayMicros, 1000);
    placement.showFps = hack.fps;
    return runSaver(placement, memPath, hack.overrides);
}
}  // namespace

int runHillglimmer(const std::vector<std::string>& args) {
    if (!args.empty()) {
        const std::string& first = args[0];
        if (first == "--help" || first == "-h" || first == "help") {
            printHelp(stdout);
            return kExitEnded;
        }
        if (first == "--version") {
            std::puts("Hillglimmer " HG_VERSION);
            return kExitEnded;
        }
        if (auto code = runExtraCommand(args)) return *code;
        std::string error;
        if (auto hack = parseHackOptions(args, &error)) return runHack(*hack);
        if (!error.empty()) return usageError(error);
        if (!isSwitchLine(args))
            return usageError(formatMessage(MessageId::UnknownCommand, {first}));
    }
    SaverCommand cmd = parseCommandLine(joinArguments(args));
    if (!cmd.error.empty()) return usageError(cmd.error);

    // Before anything that can wait: SIGTERM during the pause or a lock
    // wait ends the run as asked.
    installTerminationHandler();
    // The screen-saver start-up: the wait lets a previous instance finish
    // closing before the lock is tried.
    if (!pauseUnlessTerminated(std::chrono::milliseconds(200))) return runExitStatus();
    std::filesystem::path home = homeDirectory();
    if (home.empty()) return kExitEnded;
    InstanceLock lock(home / kLockFileName);
    if (!lock.held()) return kExitEnded;  // another saver or setup is running
    const std::filesystem::path memPath = home / kWorkingFileName;

    if (cmd.mode == RunMode::Exit) return kExitEnded;
    if (!prepareFirstRun(memPath)) return runExitStatus();
    switch (cmd.mode) {
        case RunMode::Exit:
            return kExitEnded;
        case RunMode::Saver:
            return runSaverMode(cmd, memPath);
        case RunMode::Setup:
            return runSetupMode(memPath);
    }
    return kExitEnded;
}

}  // namespace hg
