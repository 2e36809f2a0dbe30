// SPDX-License-Identifier: MIT
// Our entry in XScreenSaver's list of programs: the text edits, the file
// they are written to, and the real daemon reading what they wrote.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdlib>

#include "shell/xscreensaver_list.h"
#include "support/test_support.h"

namespace fs = std::filesystem;

namespace {

struct EditCase {
    const char* name;
    std::string before;
    std::string afterOn;
    // Whether off after on gives back the text byte for byte.
    bool roundTrip = true;
};

// The forms the list takes: as XScreenSaver's settings tool writes it, hand
// edits that end it differently, and files that lack it.
const EditCase kEditCases[] = {
    {"NoFile", "", "programs:\t\\\n\t\tGL: hillglimmer -root \\n\\\n\n"},
    {"AsTheSettingsToolWritesIt",
     "mode:\t\tone\nselected:\t1\n\nprograms:\t\t\t\t\t\t\t\t      \\\n"
     "\t\t\t\tmaze --root\t\t\t\t    \\n\\\n"
     "-\t\t\t\tqix --root\t\t\t\t    \\n\\\n\n\npointerPollTime:\t0:00:05\n",
     "mode:\t\tone\nselected:\t1\n\nprograms:\t\t\t\t\t\t\t\t      \\\n"
     "\t\t\t\tmaze --root\t\t\t\t    \\n\\\n"
     "-\t\t\t\tqix --root\t\t\t\t    \\n\\\n"
     "\t\tGL: hillglimmer -root \\n\\\n\n\npointerPollTime:\t0:00:05\n"},
    {"LastEntryEndsWithoutContinuation",
     "! mine\nprograms: \\\n   \"Fancy\" qix -root \\n\\\n   GL: gears -root \\n\n# after\nlock: "
     "False\n",
     "! mine\nprograms: \\\n   \"Fancy\" qix -root \\n\\\n   GL: gears -root \\n\\\n"
     "   GL: hillglimmer -root \\n\n# after\nlock: False\n"},
    {"LastEntryWithoutSeparator", "programs: bsod -root\n",
     "programs: bsod -root\\n\\\n\t\tGL: hillglimmer -root\n"},
    {"CarriageReturns", "programs: \\\r\n  maze -root \\n\\\r\n\r\n",
     "programs: \\\r\n  maze -root \\n\\\r\n  GL: hillglimmer -root \\n\\\r\n\r\n"},
    {"LastLineWithoutLineEnd", "programs: \\\n  maze -root \\n",
     "programs: \\\n  maze -root \\n\\\n  GL: hillglimmer -root \\n"},
    {"OnlyOurExactEntryCounts",
     "programs: \\\n  hillglimmer -root -fps \\n\\\n  /opt/hillglimmer -root \\n\\\n\n",
     "programs: \\\n  hillglimmer -root -fps \\n\\\n  /opt/hillglimmer -root \\n\\\n"
     "  GL: hillglimmer -root \\n\\\n\n"},
    {"NoProgramsResource", "timeout: 0:10:00\n",
     "timeout: 0:10:00\nprograms:\t\\\n\t\tGL: hillglimmer -root \\n\\\n\n"},
    // A newline had to be added before the resource adding made.
    {"NoProgramsNoFinalLineEnd", "timeout: 0:10:00",
     "timeout: 0:10:00\nprograms:\t\\\n\t\tGL: hillglimmer -root \\n\\\n\n", false},
    // The user's disabled entry of ours is enabled, not doubled; off then
    // takes the line away.
    {"DisabledOursIsEnabled", "programs: \\\n  - GL: hillglimmer --root \\n\\\n\n",
     "programs: \\\n   GL: hillglimmer --root \\n\\\n\n", false},
};

void PrintTo(const EditCase& c, std::ostream* os) {
    *os << c.name;
}

class ProgramsEditTest : public ::testing::TestWithParam<EditCase> {};

TEST_P(ProgramsEditTest, OnAddsOneLineAndOffTakesItBack) {
    const EditCase& c = GetParam();
    // Nothing in the files below is our entry: not a disabled one, nor
    // "hillglimmer -root -fps" or a path to it.
    EXPECT_FALSE(hg::listsOurProgram(c.before));
    const hg::ProgramsEdit on = hg::withOurProgram(c.before);
    EXPECT_TRUE(on.changed);
    EXPECT_EQ(on.text, c.afterOn);
    EXPECT_TRUE(hg::listsOurProgram(on.text));
    // A second on changes nothing.
    const hg::ProgramsEdit again = hg::withOurProgram(on.text);
    EXPECT_FALSE(again.changed);
    EXPECT_EQ(again.text, on.text);

    const hg::ProgramsEdit off = hg::withoutOurProgram(on.text);
    EXPECT_TRUE(off.changed);
    EXPECT_FALSE(hg::listsOurProgram(off.text));
    if (c.roundTrip) {
        EXPECT_EQ(off.text, c.before);
    }
    EXPECT_FALSE(hg::withoutOurProgram(off.text).changed);
}

INSTANTIATE_TEST_SUITE_P(Files, ProgramsEditTest, ::testing::ValuesIn(kEditCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Reads and writes go to the file a link names, which keeps its mode; the
// file on wrote for nobody else goes away with off, but not once the user's
// settings tool has saved over it.
TEST(XScreenSaverFile, FollowsLinksKeepsModeAndRemovesOnlyItsOwnFile) {
    hgtest::TempDir dir;
    hgtest::ScopedEnv env("HOME", dir.path().c_str());
    const fs::path real = dir / "xscreensaver.real";
    hgtest::writeFile(real, "programs: \\\n  maze -root \\n\\\n\n");
    ::chmod(real.c_str(), 0600);
    fs::create_symlink("xscreensaver.real", dir / ".xscreensaver");
    const fs::path file = hg::xscreenSaverFilePath();
    EXPECT_EQ(fs::canonical(file), fs::canonical(real));
    EXPECT_EQ(hg::setOurProgramListed(file, true), hg::ListChange::Added);
    EXPECT_TRUE(fs::is_symlink(dir / ".xscreensaver"));
    EXPECT_EQ(hg::ourProgramListedIn(dir / ".xscreensaver"), true);
    struct stat st {};
    EXPECT_EQ(::stat(real.c_str(), &st) == 0 ? st.st_mode & 0777 : 0u, 0600u);
    EXPECT_EQ(hg::setOurProgramListed(file, false), hg::ListChange::Removed);
    EXPECT_EQ(hgtest::readFile(real), "programs: \\\n  maze -root \\n\\\n\n");

    const fs::path fresh = dir / "fresh";
    EXPECT_EQ(hg::setOurProgramListed(fresh, true), hg::ListChange::Added);
    EXPECT_EQ(hg::setOurProgramListed(fresh, false), hg::ListChange::RemovedFile);
    EXPECT_FALSE(fs::exists(fresh));
    EXPECT_EQ(hg::setOurProgramListed(fresh, true), hg::ListChange::Added);
    hgtest::writeFile(fresh, "mode: one\n" + hgtest::readFile(fresh));
    EXPECT_EQ(hg::setOurProgramListed(fresh, false), hg::ListChange::Removed);
    EXPECT_EQ(hgtest::readFile(fresh), "mode: one\n");
}

TEST(XScreenSaverDaemon, RunsWhatOnListedAndOffLeavesNoTrace) {
    const std::string command = std::string("bash '") + HG_SOURCE_DIR +
                                "/tests/shell/xscreensaver_list_daemon.sh' '" HG_EXECUTABLE "'";
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 77) GTEST_SKIP() << "xscreensaver or Xvfb is not installed";
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

}  // namespace
