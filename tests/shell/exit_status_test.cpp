// SPDX-License-Identifier: MIT
// The exit status of every saver and setup mode, however its run ends:
// 0 when it ended as asked, 1 once a failure was reported. Each step waits
// for the state it needs (a message on stderr, a window, a lock wait), so
// the status never depends on which event comes first.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/profile_store.h"
#include "shell/x_session.h"

namespace {

using namespace xtest;

// How a mode shows that it has reported a failure, and what ends it as
// its user would.
enum class Shows { Stderr, Box, Dialog };

struct Mode {
    const char* name;
    std::vector<std::string> args;  // "ID" stands for a window the test makes
    Shows failure;
    const char* closingInput;  // xdotool words, or null where input is ignored
};

// Names the mode in a failing test's message.
void PrintTo(const Mode& mode, std::ostream* out) {
    *out << mode.name;
}

const std::vector<Mode>& modes() {
    static const std::vector<Mode> table{
        {"full screen", {"/s"}, Shows::Stderr, "key a"},
        {"preview", {"/p", "ID"}, Shows::Stderr, nullptr},
        {"root", {"-root"}, Shows::Stderr, nullptr},
        {"window id", {"-window-id", "ID"}, Shows::Stderr, nullptr},
        // The box's own key closes it, which ends a plain window's run.
        {"plain window", {"-window"}, Shows::Box, "key Return"},
        // The failure box's key, then the dialog's Cancel.
        {"setup", {"/c"}, Shows::Dialog, "key Return"},
    };
    return table;
}

class ExitStatus : public ::testing::TestWithParam<Mode> {
protected:
    struct Run : SaverRun {
        std::optional<int> end(std::chrono::milliseconds limit = 30s) {
            int status = 0;
            if (!waitExit(pid, limit, &status)) return std::nullopt;
            pid = -1;
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        }
    };

    std::vector<std::string> argsFor(VirtualDisplay& d) const {
        std::vector<std::string> args = GetParam().args;
        for (auto& a : args) {
            if (a == "ID") a = std::to_string(d.makeWindow(100, 100, 300, 200));
        }
        return args;
    }

    // A run that reports a failure at start: a DEM no reader takes, or,
    // for the setup dialog, settings that cannot be saved on OK.
    static void breakIt(Run& run) {
        if (GetParam().failure == Shows::Dialog) {
            std::filesystem::create_directories(run.home.path() / "Hillglimmer.ini" / "in-the-way");
            hgtest::writeFile(run.home.path() / "Hillglimmer.mem", "a DEM");
        } else {
            run.breakTheDem();
        }
    }

    // Waits until the run has reported its failure.
    static bool failureShown(VirtualDisplay& d, Run& run) {
        switch (GetParam().failure) {
            case Shows::Stderr:
                return waitUntil(
                    [&] { return run.errors().find("Illegal format") != std::string::npos; });
            case Shows::Box:
                return waitUntil([&] { return windowShown(d, "Hillglimmer draw"); });
            case Shows::Dialog:
                // OK with settings that cannot be written.
                return waitUntil([&] { return keysTo(d, "Hillglimmer Setup", "key Return"); }) &&
                       waitUntil([&] { return windowShown(d, "Hillglimmer config"); });
        }
        return false;
    }

    // Waits until the run is up as its user sees it.
    static bool running(VirtualDisplay& d) {
        if (GetParam().failure == Shows::Dialog) {
            return waitUntil([&] { return windowShown(d, "Hillglimmer Setup"); });
        }
        return waitUntil([&] { return d.distinctColours(0, 0, 640, 480) > 16; });
    }
};

TEST_P(ExitStatus, FailureThenTerminateIsOne) {
    REQUIRE_X();
    Run run;
    breakIt(run);
    run.start(display, argsFor(display));
    ASSERT_TRUE(failureShown(display, run)) << run.errors();
    ::kill(run.pid, SIGTERM);
    EXPECT_EQ(run.end(), 1) << run.errors();
}

TEST_P(ExitStatus, FailureThenClosingInputIsOne) {
    if (GetParam().closingInput == nullptr) GTEST_SKIP() << "this mode takes no input";
    REQUIRE_X();
    Run run;
    breakIt(run);
    xdotool(display, "mousemove 320 240");
    run.start(display, argsFor(display));
    ASSERT_TRUE(failureShown(display, run)) << run.errors();
    switch (GetParam().failure) {
        case Shows::Stderr:
            xdotool(display, GetParam().closingInput);
            break;
        case Shows::Box:
            ASSERT_TRUE(keysTo(display, "Hillglimmer draw", GetParam().closingInput));
            break;
        case Shows::Dialog:
            ASSERT_TRUE(keysTo(display, "Hillglimmer config", GetParam().closingInput));
            ASSERT_TRUE(waitUntil([&] { return !windowShown(display, "Hillglimmer config"); }));
            ASSERT_TRUE(keysTo(display, "Hillglimmer Setup", "key Escape"));
            break;
    }
    EXPECT_EQ(run.end(), 1) << run.errors();
}

TEST_P(ExitStatus, TerminateWhileRunningIsZero) {
    REQUIRE_X();
    Run run;
    run.start(display, argsFor(display));
    ASSERT_TRUE(running(display)) << run.errors();
    ::kill(run.pid, SIGTERM);
    EXPECT_EQ(run.end(), 0) << run.errors();
}

TEST_P(ExitStatus, TerminateAtOnceIsZero) {
    REQUIRE_X();
    Run run;
    // Sent before the program runs a line; it arrives once the program
    // takes it, at the start-up pause or before.
    run.start(display, argsFor(display), true);
    ::kill(run.pid, SIGTERM);
    EXPECT_EQ(run.end(), 0) << run.errors();
}

TEST_P(ExitStatus, TerminateWhileWaitingForTheSettingsLockIsZero) {
    REQUIRE_X();
    Run run;
    // Stands for a change of DEM in flight, which holds the lock.
    hg::IniProfileStore change(run.home.path() / "Hillglimmer.ini");
    ASSERT_TRUE(change.lock());
    run.start(display, argsFor(display));
    ASSERT_TRUE(waitUntil([&] { return hasOpen(run.pid, change.lockPath()); }))
        << "the run never came to the lock: " << run.errors();
    ::kill(run.pid, SIGTERM);
    EXPECT_EQ(run.end(), 0) << run.errors();
    change.unlock();
}

INSTANTIATE_TEST_SUITE_P(EveryMode, ExitStatus, ::testing::ValuesIn(modes()), [](const auto& info) {
    std::string n;
    for (const char* c = info.param.name; *c; ++c)
        if (*c != ' ') n += *c;
    return n;
});

}  // namespace
