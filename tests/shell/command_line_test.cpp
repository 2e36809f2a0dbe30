// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "shell/command_line.h"

using hg::parseCommandLine;
using hg::RunMode;

TEST(CommandLine, NoSwitchOrCOpensSetup) {
    for (const char* text : {"", "hello", "/c", "-C", "/c:1234", "  /C 99"}) {
        auto cmd = parseCommandLine(text);
        EXPECT_EQ(cmd.mode, RunMode::Setup) << text;
        EXPECT_EQ(cmd.previewParent, 0) << text;
    }
}

TEST(CommandLine, SaverAndPreview) {
    EXPECT_EQ(parseCommandLine("/s").mode, RunMode::Saver);
    EXPECT_EQ(parseCommandLine("/S").mode, RunMode::Saver);
    EXPECT_EQ(parseCommandLine("-s").previewParent, 0);
    auto p = parseCommandLine("/p 4660");
    EXPECT_EQ(p.mode, RunMode::Saver);
    EXPECT_EQ(p.previewParent, 4660);
    EXPECT_EQ(p.error, "");
    // Ids as the X tools print them, after blanks or a colon.
    EXPECT_EQ(parseCommandLine("/P    0x1a00003").previewParent, 0x1a00003);
    EXPECT_EQ(parseCommandLine("-p 0X2A extra").previewParent, 0x2a);
    EXPECT_EQ(parseCommandLine("/p:4660").previewParent, 4660);
}

TEST(CommandLine, PreviewWithoutAUsableIdIsAnError) {
    for (const char* text : {"/p", "/p ", "/p x 12", "/P 77abc", "/p 0x", "/p 0xzz", "/p 0",
                             "/p -5", "/p 99999999999999999999999999", "/p 0x100000000"}) {
        auto cmd = parseCommandLine(text);
        EXPECT_NE(cmd.error, "") << text;
        EXPECT_EQ(cmd.previewParent, 0) << text;
        EXPECT_NE(cmd.mode, RunMode::Saver) << text;
    }
}

TEST(CommandLine, OtherSwitchesExit) {
    EXPECT_EQ(parseCommandLine("/a").mode, RunMode::Exit);
    EXPECT_EQ(parseCommandLine("/x").mode, RunMode::Exit);
    EXPECT_EQ(parseCommandLine("/").mode, RunMode::Exit);
    // Only the character right after the first '-' or '/' counts.
    EXPECT_EQ(parseCommandLine("x-y /s").mode, RunMode::Exit);
    EXPECT_EQ(parseCommandLine("/ s").mode, RunMode::Exit);
}

TEST(CommandLine, OneLetterSwitchesKeepTheirRuleAndLongerWordsAreErrors) {
    struct Case {
        const char* text;
        RunMode mode;
        bool error;
    };
    for (const Case& c : std::initializer_list<Case>{
             {"/s", RunMode::Saver, false},
             {"-S", RunMode::Saver, false},
             {"/p 123", RunMode::Saver, false},
             {"/c:456", RunMode::Setup, false},
             {"/a", RunMode::Exit, false},
             {"-stlye mesh", RunMode::Exit, true},
             {"-sx", RunMode::Exit, true},
             {"/sfoo", RunMode::Exit, true},
             {"/p123", RunMode::Exit, true},
         }) {
        auto cmd = parseCommandLine(c.text);
        EXPECT_EQ(cmd.mode, c.mode) << c.text;
        EXPECT_EQ(!cmd.error.empty(), c.error) << c.text << ": " << cmd.error;
    }
}
