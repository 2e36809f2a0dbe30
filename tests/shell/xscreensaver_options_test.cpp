// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <cstdio>

#include "render/styles.h"
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

TEST(HackOptions, SettingOptionsOverrideForTheRun) {
    hgtest::ScopedEnv env("XSCREENSAVER_WINDOW", nullptr);
    const std::string dem = std::string(HG_SOURCE_DIR) + "/data/jacksboro.dem";
    std::string error;
    auto o = parseHackOptions({"-root", "-style", "3d-contour", "--mesh", "4", "-altitude", "2.4",
                               "-speed", "0.5", "-contour", "20", "--dem", dem, "-fps"},
                              &error);
    ASSERT_TRUE(o) << error;
    EXPECT_EQ(o->target, HackOptions::Root);
    EXPECT_TRUE(o->fps);
    EXPECT_EQ(o->overrides.drawType, hg::kDrawContour);
    EXPECT_EQ(o->overrides.meshBlock, 4.0);
    EXPECT_EQ(o->overrides.yFactor, 2.4);
    EXPECT_EQ(o->overrides.speed, 0.5);
    EXPECT_EQ(o->overrides.step, 20.0);
    EXPECT_EQ(o->overrides.dem, std::filesystem::path(dem));

    // XScreenSaver may put a setting first; nothing unset is overridden.
    auto first = parseHackOptions({"-style", "7"}, &error);
    ASSERT_TRUE(first) << error;
    EXPECT_EQ(first->overrides.drawType, hg::kDrawContour);
    EXPECT_FALSE(first->overrides.meshBlock || first->overrides.yFactor || first->overrides.speed ||
                 first->overrides.step || first->overrides.dem);
}

TEST(HackOptions, SettingValuesOutsideTheDialogsRangeAreRefused) {
    hgtest::TempDir dir;
    const auto sdts = dir / "transfer.DDF";
    std::FILE* f = std::fopen(sdts.c_str(), "w");
    ASSERT_NE(f, nullptr);
    std::fclose(f);
    const std::vector<std::vector<std::string>> bad = {
        {"-root", "-style", "relief"},  // the Outline/Part map, not a saver style
        {"-root", "-style", "nosuch"},
        {"-root", "-style"},
        {"-root", "-mesh", "3"},
        {"-root", "-mesh", "0"},
        {"-root", "-altitude", "0"},
        {"-root", "-altitude", "1,5"},
        {"-root", "-speed", "11"},
        {"-root", "-contour", "0.1"},
        {"-root", "-contour", "abc"},
        {"-root", "-dem", (dir / "missing.dem").string()},
        {"-root", "-dem", dir.path().string()},
        // Imported types would need the working file replaced.
        {"-root", "-dem", sdts.string()},
    };
    for (const auto& args : bad) {
        std::string error;
        EXPECT_FALSE(parseHackOptions(args, &error)) << args.back();
        EXPECT_NE(error, "") << args.back();
    }
}

TEST(HackOptions, OverridesReplaceOnlyWhatTheyName) {
    hg::SaverSettings saved;
    saved.drawType = 1;
    saved.yFactor = 1.4;
    saved.step = 50;
    saved.meshBlock = 2;
    saved.speed = 1;
    saved.isPart = 1;
    saved.startX = 30;
    saved.startZ = 40;
    hg::SaverOverrides o;
    o.speed = 5.0;
    hg::SaverSettings a = saved;
    hg::applySaverOverrides(o, a);
    EXPECT_EQ(a.speed, 5.0);
    EXPECT_EQ(a.drawType, 1);
    EXPECT_EQ(a.yFactor, 1.4);
    EXPECT_EQ(a.isPart, 1);
    EXPECT_EQ(a.startX, 30);

    // A part chosen on the working DEM means nothing on another file.
    o.dem = "other.dem";
    hg::SaverSettings b = saved;
    hg::applySaverOverrides(o, b);
    EXPECT_EQ(b.isPart, 0);
    EXPECT_EQ(b.startX, 0);
    EXPECT_EQ(b.startZ, 0);
    EXPECT_EQ(b.sizeMeshMaxX, saved.sizeMeshMaxX);
}
