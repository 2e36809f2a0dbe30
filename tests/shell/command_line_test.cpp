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
    // Leading blanks, a sign and trailing text around the number.
    EXPECT_EQ(parseCommandLine("/P    77abc").previewParent, 77);
    EXPECT_EQ(parseCommandLine("/p x 12").previewParent, 0);
    // No blank after the letter: full screen.
    EXPECT_EQ(parseCommandLine("/p").previewParent, 0);
    EXPECT_EQ(parseCommandLine("/p").mode, RunMode::Saver);
    EXPECT_EQ(parseCommandLine("/p:4660").previewParent, 0);
    // An absurdly long number does not overflow.
    EXPECT_GT(parseCommandLine("/p 99999999999999999999999999").previewParent, 0);
}

TEST(CommandLine, OtherSwitchesExit) {
    EXPECT_EQ(parseCommandLine("/a").mode, RunMode::Exit);
    EXPECT_EQ(parseCommandLine("/x").mode, RunMode::Exit);
    EXPECT_EQ(parseCommandLine("/").mode, RunMode::Exit);
    // Only the character right after the first '-' or '/' counts.
    EXPECT_EQ(parseCommandLine("x-y /s").mode, RunMode::Exit);
    EXPECT_EQ(parseCommandLine("/ s").mode, RunMode::Exit);
}
