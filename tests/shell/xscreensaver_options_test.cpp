#include <gtest/gtest.h>

#include "shell/xscreensaver_options.h"
#include "support/test_support.h"

using hg::HackOptions;
using hg::parseHackOptions;

TEST(HackOptions, ScreenSaverSwitchesAreNotHackOptions) {
    std::string error;
    EXPECT_FALSE(parseHackOptions({"/s"}, &error));
    EXPECT_FALSE(parseHackOptions({"-s"}, &error));
    EXPECT_FALSE(parseHackOptions({"-p", "12"}, &error));
    EXPECT_FALSE(parseHackOptions({}, &error));
    EXPECT_TRUE(error.empty());
}

TEST(HackOptions, RootWindowIdAndPlainWindow) {
    hgtest::ScopedEnv env("XSCREENSAVER_WINDOW", nullptr);
    std::string error;
    auto root = parseHackOptions({"-root"}, &error);
    ASSERT_TRUE(root);
    EXPECT_EQ(root->target, HackOptions::Root);
    auto id = parseHackOptions({"--root", "--window-id", "0x2a00003", "-fps"}, &error);
    ASSERT_TRUE(id);
    EXPECT_EQ(id->target, HackOptions::WindowId);
    EXPECT_EQ(id->windowId, 0x2a00003u);
    EXPECT_TRUE(id->fps);
    auto plain =
        parseHackOptions({"-window", "-delay", "20000", "-install", "-visual", "default"}, &error);
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->target, HackOptions::Window);
    EXPECT_EQ(plain->delayMicros, 20000);
    EXPECT_FALSE(plain->fps);
    EXPECT_EQ(root->delayMicros, 30000);
    hgtest::ScopedEnv xs("XSCREENSAVER_WINDOW", "0x400001");
    auto fromEnv = parseHackOptions({"-root"}, &error);
    ASSERT_TRUE(fromEnv);
    EXPECT_EQ(fromEnv->target, HackOptions::WindowId);
    EXPECT_EQ(fromEnv->windowId, 0x400001u);
}

TEST(HackOptions, MalformedListsAreRefusedWithAReason) {
    std::string error;
    EXPECT_FALSE(parseHackOptions({"-window-id"}, &error));
    EXPECT_NE(error, "");
    error.clear();
    EXPECT_FALSE(parseHackOptions({"-window-id", "abc"}, &error));
    EXPECT_NE(error, "");
    error.clear();
    EXPECT_FALSE(parseHackOptions({"-root", "-bogus"}, &error));
    EXPECT_NE(error, "");
    for (const char* delay : {"fast", "-1", "1e4", "99999999999"}) {
        error.clear();
        EXPECT_FALSE(parseHackOptions({"-root", "-delay", delay}, &error)) << delay;
        EXPECT_NE(error, "") << delay;
    }
}
