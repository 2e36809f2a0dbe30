// SPDX-License-Identifier: MIT
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/file.h"
#include "platform/profile_store.h"
#include "support/test_support.h"

using hg::IniProfileStore;
using hg::ScopedStoreLock;
using hg::StoreLockMode;
using hgtest::readFile;
using hgtest::TempDir;
using hgtest::writeFile;

TEST(IniProfileStore, MissingFileAndKeyGiveDefaults) {
    TempDir dir;
    IniProfileStore store(dir / "none.ini");
    EXPECT_EQ(store.getInt("Hillglimmer", "sel", 7), 7);
    EXPECT_EQ(store.getString("Hillglimmer", "xAngle", "Nothing", 128), "Nothing");
    writeFile(dir / "a.ini", "[Hillglimmer]\nsel=3\n");
    IniProfileStore a(dir / "a.ini");
    EXPECT_EQ(a.getInt("Hillglimmer", "step", 8), 8);
    EXPECT_EQ(a.getInt("Other", "sel", 5), 5);
}

TEST(IniProfileStore, SectionsAndKeysIgnoreCaseAndIntegersReadLeadingDigits) {
    TempDir dir;
    writeFile(dir / "a.ini",
              "[HILLGLIMMER]\r\nSel =  -12abc\r\nspeed= 7\r\nname = \"quoted text\"\r\n");
    IniProfileStore s(dir / "a.ini");
    EXPECT_EQ(s.getInt("Hillglimmer", "sel", 0), -12);
    EXPECT_EQ(s.getInt("hillglimmer", "SPEED", 0), 7);
    EXPECT_EQ(s.getString("Hillglimmer", "name", "", 128), "quoted text");
    // The buffer size counts the terminator, as a fixed C buffer would.
    EXPECT_EQ(s.getString("Hillglimmer", "name", "", 7), "quoted");
}

TEST(IniProfileStore, WriteKeepsOtherSectionsKeysCommentsAndOrder) {
    TempDir dir;
    const std::string before =
        "; settings of the saver\n"
        "[GSI10m]\n"
        "titl=abc\n"
        "\n"
        "[Hillglimmer]\n"
        "# tilt by hand\n"
        "xAngle=-45\n"
        "sel=2\n"
        "\n"
        "[SDTS]\n"
        "zone=12\n";
    writeFile(dir / "a.ini", before);
    IniProfileStore s(dir / "a.ini");
    ASSERT_TRUE(s.putString("hillglimmer", "SEL", "4"));
    ASSERT_TRUE(s.putString("Hillglimmer", "speed", "6"));
    ASSERT_TRUE(s.putString("New", "k", "v"));
    ASSERT_TRUE(s.flush());
    EXPECT_EQ(readFile(dir / "a.ini"),
              "; settings of the saver\n"
              "[GSI10m]\n"
              "titl=abc\n"
              "\n"
              "[Hillglimmer]\n"
              "# tilt by hand\n"
              "xAngle=-45\n"
              "sel=4\n"
              "speed=6\n"
              "\n"
              "[SDTS]\n"
              "zone=12\n"
              "\n"
              "[New]\n"
              "k=v\n");
    EXPECT_EQ(s.getInt("Hillglimmer", "sel", 0), 4);
}

TEST(IniProfileStore, ValueWithLineBreakCannotInjectAKey) {
    TempDir dir;
    IniProfileStore s(dir / "a.ini");
    ASSERT_TRUE(s.putString("Hillglimmer", "titl", "one\nsel=9"));
    EXPECT_EQ(s.getInt("Hillglimmer", "sel", 0), 0);
    EXPECT_EQ(s.getString("Hillglimmer", "titl", "", 4096), "one sel=9");
}

TEST(IniProfileStore, FailedWriteLeavesPreviousFileIntact) {
    if (::geteuid() == 0) {
        // Root ignores directory permissions; use a full device instead.
        if (::access("/dev/full", W_OK) != 0) GTEST_SKIP() << "no /dev/full";
    }
    TempDir dir;
    const std::string original = "[Hillglimmer]\nsel=1\n";
    writeFile(dir / "a.ini", original);
    IniProfileStore s(dir / "a.ini");
    bool ok;
    if (::geteuid() == 0) {
        // A writer that fails before the rename, as a full disk would.
        ok = hg::replaceFileAtomically(dir / "a.ini", [](int) { return false; });
    } else {
        ::chmod(dir.path().c_str(), 0500);
        ok = s.putString("Hillglimmer", "sel", "5");
        ::chmod(dir.path().c_str(), 0700);
    }
    EXPECT_FALSE(ok);
    EXPECT_EQ(readFile(dir / "a.ini"), original);
    // No temporary is left behind either.
    int entries = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.path()))
        ++entries;
    EXPECT_EQ(entries, 1);
}

TEST(IniProfileStore, SeveralKeysChangeInOneReplaceKeepingTheRest) {
    TempDir dir;
    writeFile(dir / "a.ini", "; mine\r\n[Other]\nx=1\n[Hillglimmer]\nstartX=7\nsel=2\n");
    IniProfileStore s(dir / "a.ini");
    ASSERT_TRUE(s.putStrings("hillglimmer", {{"startX", "12"}, {"isPart", "1"}, {"startZ", "3"}}));
    EXPECT_EQ(s.getInt("Hillglimmer", "startX", 0), 12);
    EXPECT_EQ(s.getInt("Hillglimmer", "isPart", 0), 1);
    EXPECT_EQ(s.getInt("Hillglimmer", "startZ", 0), 3);
    EXPECT_EQ(s.getInt("Hillglimmer", "sel", 0), 2);
    EXPECT_EQ(s.getInt("Other", "x", 0), 1);
    // A missing section is made once, with every key in it.
    ASSERT_TRUE(s.putStrings("New", {{"a", "1"}, {"b", "2"}}));
    const std::string text = readFile(dir / "a.ini");
    EXPECT_EQ(text.find("[New]"), text.rfind("[New]"));
    EXPECT_EQ(s.getInt("New", "b", 0), 2);
}

TEST(IniProfileStore, Utf8ByteOrderMarkIsReadPastAndKept) {
    TempDir dir;
    writeFile(dir / "a.ini", "\xEF\xBB\xBF[Hillglimmer]\r\nsel=3\r\n");
    IniProfileStore s(dir / "a.ini");
    EXPECT_EQ(s.getInt("Hillglimmer", "sel", 0), 3);
    ASSERT_TRUE(s.putStrings("Hillglimmer", {{"sel", "4"}, {"step", "2"}}));
    // Still one section, mark and line ends as the editor left them.
    EXPECT_EQ(readFile(dir / "a.ini"), "\xEF\xBB\xBF[Hillglimmer]\r\nsel=4\r\nstep=2\r\n");
}

TEST(IniProfileStore, ApplySpansSectionsAndRemovesKeysUnderOneLock) {
    TempDir dir;
    writeFile(dir / "a.ini", "[A]\nx=1\ny=2\n[B]\nz=3\n");
    IniProfileStore s(dir / "a.ini");
    ASSERT_TRUE(s.lock());
    // Writes nest inside a held lock instead of waiting for themselves.
    ASSERT_TRUE(s.apply({{"A", "x", std::nullopt}, {"B", "z", "4"}, {"C", "w", "5"}}));
    // Another process cannot take the lock meanwhile.
    pid_t child = ::fork();
    if (child == 0) {
        IniProfileStore other(dir / "a.ini");
        int fd = ::open(other.lockPath().c_str(), O_RDWR);
        ::_exit(fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) != 0 ? 0 : 1);
    }
    int status = -1;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    s.unlock();
    EXPECT_EQ(readFile(dir / "a.ini"), "[A]\ny=2\n[B]\nz=4\n\n[C]\nw=5\n");
}

TEST(IniProfileStore, AWaitForTheLockEndsWhenItsCallerGivesUp) {
    TempDir dir;
    IniProfileStore holder(dir / "a.ini");
    ASSERT_TRUE(holder.lock());
    IniProfileStore waiter(dir / "a.ini");
    int asked = 0;
    waiter.setLockWait([&asked] { return ++asked < 3; });
    EXPECT_FALSE(waiter.lock());
    EXPECT_EQ(asked, 3);
    // Given up, it holds nothing: the holder's writes go on.
    EXPECT_TRUE(holder.putString("A", "x", "1"));
    holder.unlock();
    // A free lock is taken without asking.
    EXPECT_TRUE(waiter.lock());
    EXPECT_EQ(asked, 3);
    waiter.unlock();
}

TEST(IniProfileStore, ReadersShareTheLockAndAWriterHasItAlone) {
    const struct {
        StoreLockMode held, asked;
        bool granted;
    } cases[] = {
        {StoreLockMode::Shared, StoreLockMode::Shared, true},
        {StoreLockMode::Shared, StoreLockMode::Exclusive, false},
        {StoreLockMode::Exclusive, StoreLockMode::Shared, false},
        {StoreLockMode::Exclusive, StoreLockMode::Exclusive, false},
    };
    TempDir dir;
    for (const auto& c : cases) {
        IniProfileStore holder(dir / "a.ini");
        IniProfileStore other(dir / "a.ini");
        other.setLockWait([] { return false; });
        ScopedStoreLock held(holder, c.held);
        ASSERT_TRUE(held.held());
        ScopedStoreLock asked(other, c.asked);
        EXPECT_EQ(asked.held(), c.granted);
    }
    // A write while only reading would have to give up the lock first.
    IniProfileStore reader(dir / "a.ini");
    ScopedStoreLock reading(reader, StoreLockMode::Shared);
    EXPECT_FALSE(reader.putString("A", "x", "1"));
}
