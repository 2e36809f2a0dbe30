// SPDX-License-Identifier: MIT
// The saver end to end on a virtual X server: what it draws and which input
// ends it. Skipped, visibly, where Xvfb or xdotool is missing.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <set>
#include <string>
#include <thread>

#include "platform/profile_store.h"
#include "render/styles.h"
#include "shell/x_session.h"
#include "support/test_support.h"

namespace {

using namespace xtest;

}  // namespace

TEST(SaverOnX, FullScreenDrawsAndIgnoresAOneAxisMove) {
    REQUIRE_X();
    SaverRun run;
    xdotool(display, "mousemove 320 240");
    run.start(display, {"/s"});
    ASSERT_TRUE(waitForTerrain(display, 0, 0, 640, 480)) << "no terrain appeared";
    // Corners stay background; the terrain stands in the middle.
    EXPECT_EQ(display.pixel(2, 2), 0x000000u);
    xdotool(display, "mousemove_relative -- 100 0");
    EXPECT_FALSE(waitExit(run.pid, 700ms)) << "a move along one axis ended the saver";
    xdotool(display, "mousemove 320 240");
    xdotool(display, "mousemove_relative -- 5 5");
    int status = 0;
    ASSERT_TRUE(waitExit(run.pid, 30s, &status)) << "a 5 x 5 move did not end the saver";
    run.pid = -1;
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

TEST(SaverOnX, FullScreenEndsOnAKey) {
    REQUIRE_X();
    SaverRun run;
    xdotool(display, "mousemove 320 240");
    run.start(display, {"/s"});
    ASSERT_TRUE(waitForTerrain(display, 0, 0, 640, 480));
    xdotool(display, "key a");
    int status = 0;
    ASSERT_TRUE(waitExit(run.pid, 30s, &status)) << "a key did not end the saver";
    run.pid = -1;
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

TEST(SaverOnX, PreviewDrawsInsideItsWindowAndIgnoresInput) {
    REQUIRE_X();
    xcb_window_t parent = display.makeWindow(100, 100, 200, 150);
    SaverRun run;
    run.start(display, {"/p", std::to_string(parent)});
    ASSERT_TRUE(waitForTerrain(display, 100, 100, 300, 250)) << "nothing drawn in the preview";
    // Outside the parent window the root stays untouched.
    EXPECT_EQ(display.pixel(20, 20), display.pixel(600, 400));
    EXPECT_EQ(display.pointsNot(display.pixel(20, 20), 0, 0, 90, 90), 0);
    xdotool(display, "mousemove 150 150");
    xdotool(display, "mousemove_relative -- 40 40");
    xdotool(display, "click 1");
    xdotool(display, "key a");
    EXPECT_FALSE(waitExit(run.pid, 800ms)) << "input ended the preview";
    // The preview ends when its window goes away.
    xcb_destroy_window(display.conn(), parent);
    xcb_flush(display.conn());
    int status = 0;
    ASSERT_TRUE(waitExit(run.pid, 30s, &status)) << "the preview outlived its window";
    run.pid = -1;
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status << ": " << run.errors();
}

namespace {
// Waits until text shows on a dark ground in the rectangle.
bool waitForText(VirtualDisplay& d, int x, int y, int w, int h, int screen = 0) {
    return waitUntil([&] { return d.lightPixels(x, y, w, h, screen) > 20; });
}

bool failedExit(int status) {
    return WIFEXITED(status) && WEXITSTATUS(status) != 0;
}
}  // namespace

TEST(SaverOnX, FullScreenFailureIsShownAsTextUntilTheClosingInput) {
    REQUIRE_X();
    for (const char* ending : {"key a", "click 1", "move", "SIGTERM"}) {
        SCOPED_TRACE(ending);
        SaverRun run;
        run.breakTheDem();
        xdotool(display, "mousemove 320 240");
        run.start(display, {"/s"});
        ASSERT_TRUE(waitUntil([&] {
            return run.errors().find("Hillglimmer draw: Illegal format .dem.") != std::string::npos;
        })) << run.errors();
        ASSERT_TRUE(waitForText(display, 0, 0, 640, 480)) << "no message drawn: " << run.errors();
        // A nudge along one axis is not the user coming back.
        xdotool(display, "mousemove_relative -- 100 0");
        EXPECT_FALSE(waitExit(run.pid, 700ms)) << "the message went away by itself";
        if (std::string(ending) == "SIGTERM") {
            ::kill(run.pid, SIGTERM);
        } else if (std::string(ending) == "move") {
            xdotool(display, "mousemove 330 250");
        } else {
            xdotool(display, ending);
        }
        int status = 0;
        ASSERT_TRUE(waitExit(run.pid, 30s, &status)) << "the message outlived its ending";
        run.pid = -1;
        EXPECT_TRUE(failedExit(status)) << status;
        // The screen is the desktop again.
        EXPECT_EQ(display.pointsNot(display.pixel(320, 240), 0, 0, 640, 480), 0);
    }
}

TEST(SaverOnX, HackFailureIsShownInItsWindowUntilTerminated) {
    REQUIRE_X();
    xcb_window_t parent = display.makeWindow(100, 100, 300, 200);
    SaverRun run;
    run.breakTheDem();
    run.start(display, {"-window-id", std::to_string(parent)});
    // The parent is white: text is looked for once the saver has failed.
    ASSERT_TRUE(waitUntil([&] { return run.errors().find("Illegal format") != std::string::npos; }))
        << run.errors();
    ASSERT_TRUE(waitUntil([&] { return display.pixel(110, 110) == 0x000000u; }))
        << "the failure is not drawn in the window";
    ASSERT_TRUE(waitForText(display, 100, 100, 300, 200)) << "no message drawn: " << run.errors();
    // Input belongs to the program that owns the window.
    xdotool(display, "mousemove 150 150");
    xdotool(display, "mousemove_relative -- 40 40");
    xdotool(display, "click 1");
    xdotool(display, "key a");
    EXPECT_FALSE(waitExit(run.pid, 800ms)) << "input ended the hack";
    ::kill(run.pid, SIGTERM);
    int status = 0;
    ASSERT_TRUE(waitExit(run.pid, 30s, &status)) << "SIGTERM did not end the hack";
    run.pid = -1;
    EXPECT_TRUE(failedExit(status)) << status;
}

TEST(SaverOnX, HackDrawsTheFrameRateOnlyWhenAsked) {
    REQUIRE_X();
    for (bool fps : {true, false}) {
        SCOPED_TRACE(fps);
        SaverRun run;
        std::vector<std::string> args{"-root", "-delay", "20000"};
        if (fps) args.push_back("-fps");
        run.start(display, args);
        ASSERT_TRUE(waitForTerrain(display, 0, 0, 640, 480)) << run.errors();
        // The bottom-left corner is background but for the counter, which
        // shows from the second frame: wait for the terrain to turn.
        const std::uint32_t before = display.pixel(320, 240);
        if (fps) {
            EXPECT_TRUE(waitUntil([&] { return display.lightPixels(0, 440, 120, 40) > 10; }));
        } else {
            ASSERT_TRUE(waitUntil([&] {
                return display.distinctColours(0, 0, 640, 480) > 24 &&
                       display.pixel(320, 240) != before;
            })) << "the terrain did not turn";
            EXPECT_EQ(display.lightPixels(0, 440, 120, 40), 0);
        }
        ::kill(run.pid, SIGTERM);
        int status = 0;
        ASSERT_TRUE(waitExit(run.pid, 30s, &status));
        run.pid = -1;
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << run.errors();
    }
}

TEST(SaverOnX, TerminateEndsTheSaverWhileDrawingAndWhileAnErrorIsShown) {
    REQUIRE_X();
    {
        SaverRun run;
        run.start(display, {"/s"});
        ASSERT_TRUE(waitForTerrain(display, 0, 0, 640, 480));
        ::kill(run.pid, SIGTERM);
        int status = 0;
        ASSERT_TRUE(waitExit(run.pid, 30s, &status)) << "SIGTERM did not end the saver";
        run.pid = -1;
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    {
        // A plain window may show its failure in a box; SIGTERM still ends it.
        SaverRun run;
        run.breakTheDem();
        run.start(display, {"-window"});
        ASSERT_TRUE(waitUntil([&] { return windowShown(display, "Hillglimmer draw"); }))
            << "the box was not left to the user";
        ::kill(run.pid, SIGTERM);
        ASSERT_TRUE(waitExit(run.pid, 30s)) << "SIGTERM did not end the saver under its box";
        run.pid = -1;
    }
}

namespace {
bool hasChildWindow(const VirtualDisplay& d, xcb_window_t parent) {
    xcb_query_tree_reply_t* tree =
        xcb_query_tree_reply(d.conn(), xcb_query_tree(d.conn(), parent), nullptr);
    if (tree == nullptr) return false;
    const bool any = xcb_query_tree_children_length(tree) > 0;
    std::free(tree);
    return any;
}
}  // namespace

TEST(SaverOnX, TerminateEndsASaverWaitingForAChangeOfDemInFlight) {
    REQUIRE_X();
    // Past its first run the saver takes the settings lock twice: for its
    // first-run check, before it has a window, and when its window reads
    // the DEM. This test holds the lock (standing for a select importing a
    // large file) for the second only. Should the saver get through both
    // between two of the test's looks, it draws, and the round is run again.
    for (int round = 0; round < 5; ++round) {
        SCOPED_TRACE(round);
        xcb_window_t parent = display.makeWindow(100, 100, 200, 150);
        SaverRun run;
        run.installTheBundledTerrain();
        hg::IniProfileStore change(run.home.path() / "Hillglimmer.ini");
        change.setLockWait([] { return false; });
        ASSERT_TRUE(change.lock());
        const std::filesystem::path lockFile = change.lockPath();
        run.start(display, {"-window-id", std::to_string(parent)});
        ASSERT_TRUE(waitUntil([&] { return hasOpen(run.pid, lockFile); })) << run.errors();
        change.unlock();
        ASSERT_TRUE(waitUntil([&] { return !hasOpen(run.pid, lockFile); })) << run.errors();
        if (!change.lock()) continue;  // the saver is reading already
        bool drew = false;
        ASSERT_TRUE(waitUntil([&] {
            drew = display.distinctColours(100, 100, 300, 250) > 16;
            return drew || (hasChildWindow(display, parent) && hasOpen(run.pid, lockFile));
        })) << "the saver made no window: "
            << run.errors();
        if (drew) continue;
        ::kill(run.pid, SIGTERM);
        int status = 0;
        ASSERT_TRUE(waitExit(run.pid, 30s, &status))
            << "SIGTERM did not end a saver waiting for the settings lock";
        run.pid = -1;
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
            << status << ": " << run.errors();
        // Ended, not failed: nothing was reported.
        EXPECT_EQ(run.errors().find("hillglimmer:"), std::string::npos) << run.errors();
        change.unlock();
        return;
    }
    FAIL() << "the saver never waited for the lock in five rounds";
}

TEST(SaverOnX, EveryStyleDrawsFullScreenAndEndsOnAKey) {
    REQUIRE_X();
    for (const hg::StyleRow& row : hg::styleTable()) {
        if (!row.offered) continue;
        SCOPED_TRACE(row.name);
        SaverRun run;
        hgtest::writeFile(run.home.path() / "Hillglimmer.ini",
                          "[Hillglimmer]\nsel=" + std::to_string(row.drawType) + "\n");
        xdotool(display, "mousemove 320 240");
        run.start(display, {"/s"});
        ASSERT_TRUE(waitForTerrain(display, 0, 0, 640, 480, 8))
            << "nothing drawn: " << run.errors();
        xdotool(display, "key a");
        int status = 0;
        ASSERT_TRUE(waitExit(run.pid, 30s, &status)) << "a key did not end the saver";
        run.pid = -1;
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << run.errors();
    }
}

namespace {
// How often needle occurs in text.
int occurrences(const std::string& text, const std::string& needle) {
    int n = 0;
    for (auto at = text.find(needle); at != std::string::npos; at = text.find(needle, at + 1)) ++n;
    return n;
}

// Both screens back to one plain colour each: no window of the saver left.
void expectBothScreensClear(VirtualDisplay& d) {
    for (int screen = 0; screen < 2; ++screen) {
        EXPECT_EQ(d.pointsNot(d.pixel(320, 240, screen), 0, 0, 640, 480, screen), 0)
            << "a window is left on screen " << screen;
    }
}
}  // namespace

TEST(SaverOnTwoScreens, EachScreenDrawsAndAnyEndingEndsBoth) {
    REQUIRE_X_SCREENS(2);
    // The second screen's input: the pointer goes over at the same place,
    // which is no move from where the run began, then clicks there.
    for (const char* ending : {"key a", "click on the second screen", "SIGTERM"}) {
        SCOPED_TRACE(ending);
        SaverRun run;
        xdotool(display, "mousemove --screen 0 320 240");
        run.start(display, {"/s"});
        ASSERT_TRUE(waitForTerrain(display, 0, 0, 640, 480, 24, 0)) << run.errors();
        ASSERT_TRUE(waitForTerrain(display, 0, 0, 640, 480, 24, 1))
            << "the second screen was not covered: " << run.errors();
        if (std::string(ending) == "SIGTERM") {
            ::kill(run.pid, SIGTERM);
        } else if (std::string(ending) == "key a") {
            xdotool(display, ending);
        } else {
            xdotool(display, "mousemove --screen 1 320 240");
            EXPECT_FALSE(waitExit(run.pid, 500ms)) << "crossing to the other screen ended it";
            xdotool(display, "click 1");
        }
        int status = 0;
        ASSERT_TRUE(waitExit(run.pid, 30s, &status)) << "the saver outlived its ending";
        run.pid = -1;
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status << run.errors();
        expectBothScreensClear(display);
    }
}

TEST(SaverOnTwoScreens, AFailureIsShownOnBothAndReportedOnce) {
    REQUIRE_X_SCREENS(2);
    SaverRun run;
    run.breakTheDem();
    xdotool(display, "mousemove --screen 0 320 240");
    run.start(display, {"/s"});
    ASSERT_TRUE(waitForText(display, 0, 0, 640, 480, 0)) << run.errors();
    ASSERT_TRUE(waitForText(display, 0, 0, 640, 480, 1)) << "no message on the second screen";
    EXPECT_EQ(occurrences(run.errors(), "Illegal format"), 1) << run.errors();
    xdotool(display, "key a");
    int status = 0;
    ASSERT_TRUE(waitExit(run.pid, 30s, &status)) << "the message outlived the key";
    run.pid = -1;
    EXPECT_TRUE(failedExit(status)) << status;
    expectBothScreensClear(display);
}
