#include "shell/entry.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>

#include "platform/home.h"
#include "platform/instance_lock.h"
#include "platform/profile_store.h"
#include "render/styles.h"
#include "shell/bundled_terrain.h"
#include "shell/command_line.h"
#include "shell/extra_commands.h"
#include "shell/saver_window.h"
#include "shell/xscreensaver_options.h"

namespace hg {

namespace {

void printHelp(std::FILE* out) {
    std::fprintf(
        out,
        "Usage: hillglimmer [/s | /p ID | /c | /a]\n"
        "       hillglimmer info FILE [--type N] [--heights OUT.f32]\n"
        "       hillglimmer select FILE | select INDEX CODE [CODE...]\n"
        "       hillglimmer render [--style NAME|N] [--size WxH] [--frames N] [--out DIR]\n"
        "       hillglimmer -root | -window-id ID | -window [-fps] [-delay MICROSECONDS]\n"
        "\n"
        "  /s          run the saver full screen\n"
        "  /p ID       run the saver inside the X11 window ID (decimal or 0x hex)\n"
        "  /c, none    open the setup dialog\n"
        "  info        describe a DEM file; --heights writes its heights as float32\n"
        "  select      make FILE the DEM the saver shows\n"
        "  render      draw the current DEM offscreen into PNG frames\n"
        "              styles: %s\n"
        "  -root ...   run as an XScreenSaver hack\n"
        "  --help, --version\n",
        availableStyleNames().c_str());
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
// As an XScreenSaver hack: no start-up wait and no instance lock (several
// screens may each run one), input ignored, ended by SIGTERM.
int runHack(const HackOptions& hack) {
    std::filesystem::path home = homeDirectory();
    if (home.empty()) return 1;
    const std::filesystem::path memPath = home / kWorkingFileName;
    {
        IniProfileStore store = userSettings();
        installBundledTerrainIfFirstRun(memPath, store);
    }
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
            return 0;
        }
        if (first == "--version") {
            std::puts("Hillglimmer " HG_VERSION);
            return 0;
        }
        if (auto code = runExtraCommand(args)) return *code;
        std::string error;
        if (auto hack = parseHackOptions(args, &error)) return runHack(*hack);
        if (!error.empty()) {
            std::fprintf(stderr, "hillglimmer: %s\n", error.c_str());
            return 2;
        }
        if (!isSwitchLine(args)) {
            std::fprintf(stderr, "hillglimmer: unknown command or option '%s'\n\n", first.c_str());
            printHelp(stderr);
            return 2;
        }
    }
    SaverCommand cmd = parseCommandLine(joinArguments(args));
    if (!cmd.error.empty()) {
        std::fprintf(stderr, "hillglimmer: %s\n", cmd.error.c_str());
        return 2;
    }

    // The screen-saver start-up: the wait lets a previous instance finish
    // closing before the lock is tried.
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    std::filesystem::path home = homeDirectory();
    if (home.empty()) return 0;
    InstanceLock lock(home / kLockFileName);
    if (!lock.held()) return 0;  // another saver or setup is running
    const std::filesystem::path memPath = home / kWorkingFileName;

    if (cmd.mode != RunMode::Exit) {
        IniProfileStore store = userSettings();
        installBundledTerrainIfFirstRun(memPath, store);
    }
    switch (cmd.mode) {
        case RunMode::Exit:
            return 0;
        case RunMode::Saver:
            return runSaverMode(cmd, memPath);
        case RunMode::Setup:
            return runSetupMode(memPath);
    }
    return 0;
}

}  // namespace hg
