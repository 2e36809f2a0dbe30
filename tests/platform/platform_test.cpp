// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/encoding.h"
#include "platform/file.h"
#include "platform/home.h"
#include "platform/instance_lock.h"
#include "platform/message_error.h"
#include "platform/messages.h"
#include "platform/show_error.h"
#include "support/message_id_print.h"
#include "support/test_support.h"

using namespace hgtest;

TEST(Messages, EveryIdHasTextInBothLanguages) {
    using hg::Language;
    using hg::MessageId;
    auto text = [](int id, Language language) {
        return hg::messageText(static_cast<MessageId>(id), language);
    };
    for (int id = 1; id <= hg::kMessageCount; ++id) {
        EXPECT_STRNE(text(id, Language::English), "") << id;
        EXPECT_STRNE(text(id, Language::Japanese), "") << id;
    }
    EXPECT_STREQ(text(0, Language::English), "");
    EXPECT_STREQ(text(hg::kMessageCount + 1, Language::English), "");
    EXPECT_STREQ(hg::messageText(MessageId::IllegalDem, Language::English), "Illegal format .dem.");
    EXPECT_STREQ(hg::messageText(MessageId::SdtsTooManyRows, Language::English),
                 "Error rows execeed the 1700 limit of the program USGS7.5min.");
    EXPECT_STREQ(hg::messageText(MessageId::IllegalGsi10mDat, Language::English),
                 "Illegal format .dat.");
    // Ids the Japanese table does not change carry the English text.
    EXPECT_STREQ(hg::messageText(MessageId::IllegalDem, Language::Japanese),
                 "Illegal format .dem.");
    EXPECT_STREQ(hg::messageText(MessageId::CsvNoZone, Language::Japanese), "Not find 座標番号.");
}

TEST(Messages, EachTransferModuleHasItsOwnFourMessages) {
    const std::pair<hg::ModuleMessages, std::string> modules[] = {
        {hg::kCel0Messages, "CEL0"}, {hg::kDdomMessages, "DDOM"}, {hg::kDdshMessages, "DDSH"},
        {hg::kIdenMessages, "IDEN"}, {hg::kIrefMessages, "IREF"}, {hg::kLdefMessages, "LDEF"},
        {hg::kRsdfMessages, "RSDF"}, {hg::kSpdmMessages, "SPDM"}, {hg::kXrefMessages, "XREF"}};
    auto english = [](hg::MessageId id) {
        return std::string(hg::messageText(id, hg::Language::English));
    };
    for (const auto& [m, name] : modules) {
        EXPECT_EQ(english(m.open), "Can't open " + name + " file.");
        EXPECT_EQ(english(m.descriptiveRecord), "Error reading DDR (" + name + " module).");
        EXPECT_EQ(english(m.readSubfield),
                  "Error reading data record subfield (" + name + " module).");
        EXPECT_EQ(english(m.checkSubfield),
                  "Error checking data record subfield (" + name + " module).");
    }
}

TEST(Messages, LanguageFollowsTheEnvironment) {
    ScopedEnv own("HILLGLIMMER_LANG", nullptr);
    ScopedEnv all("LC_ALL", nullptr);
    ScopedEnv msgs("LC_MESSAGES", nullptr);
    {
        ScopedEnv lang("LANG", "ja_JP.UTF-8");
        EXPECT_EQ(hg::loadMessage(hg::MessageId::WorkingFileMissing), ".mem が見つかりません。");
        EXPECT_EQ(hg::MessageError(hg::MessageId::SpecifyDem).what(), std::string("DEM 選択."));
        ScopedEnv force("HILLGLIMMER_LANG", "en");
        EXPECT_EQ(hg::loadMessage(hg::MessageId::WorkingFileMissing), "Not find .mem.");
    }
    {
        ScopedEnv lang("LANG", "de_DE.UTF-8");
        EXPECT_EQ(hg::loadMessage(hg::MessageId::WorkingFileMissing), "Not find .mem.");
        ScopedEnv first("LC_ALL", "ja_JP.UTF-8");
        EXPECT_EQ(hg::loadMessage(hg::MessageId::IllegalSheetCount), "選択項目数が違います。");
    }
    hg::MessageError e(hg::MessageId::IllegalSheetCount);
    EXPECT_EQ(e.id(), hg::MessageId::IllegalSheetCount);
}

TEST(Home, EnvironmentChoosesTheDirectoryAndCreatesIt) {
    TempDir dir;
    {
        ScopedEnv h("HILLGLIMMER_HOME", (dir.path() / "a" / "b").c_str());
        EXPECT_EQ(hg::homeDirectory(), dir.path() / "a" / "b");
        EXPECT_TRUE(std::filesystem::is_directory(dir.path() / "a" / "b"));
        EXPECT_EQ(hg::workingFilePath(), dir.path() / "a" / "b" / "Hillglimmer.mem");
    }
    ScopedEnv h("HILLGLIMMER_HOME", nullptr);
    ScopedEnv x("XDG_CONFIG_HOME", dir.path().c_str());
    EXPECT_EQ(hg::settingsPath(), dir.path() / "hillglimmer" / "Hillglimmer.ini");
}

TEST(InstanceLock, SecondHolderIsRefusedUntilTheFirstEnds) {
    TempDir dir;
    auto lockFile = dir / "Hillglimmer.lock";
    {
        hg::InstanceLock first(lockFile);
        ASSERT_TRUE(first.held());
        // flock is per open file description: another process must fail.
        pid_t pid = ::fork();
        if (pid == 0) {
            hg::InstanceLock second(lockFile);
            ::_exit(second.held() ? 1 : 0);
        }
        int status = 0;
        ::waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    hg::InstanceLock again(lockFile);
    EXPECT_TRUE(again.held());
}

TEST(Files, FindIgnoringCasePrefersExactAndRefusesAmbiguity) {
    TempDir dir;
    writeFile(dir / "8821CEL0.DDF", "x");
    EXPECT_EQ(hg::findIgnoringCase(dir.path(), "8821cel0.ddf"), dir / "8821CEL0.DDF");
    EXPECT_FALSE(hg::findIgnoringCase(dir.path(), "8821cel1.ddf"));
    writeFile(dir / "a.mem", "1");
    writeFile(dir / "A.MEM", "2");
    EXPECT_EQ(hg::findIgnoringCase(dir.path(), "a.mem"), dir / "a.mem");
    EXPECT_FALSE(hg::findIgnoringCase(dir.path(), "A.Mem"));
    std::filesystem::create_directories(dir.path() / "Data" / "5239");
    writeFile(dir.path() / "Data" / "5239" / "523940.MEM", "m");
    EXPECT_EQ(hg::resolveIgnoringCase(dir.path(), "data/5239/523940.mem"),
              dir.path() / "Data" / "5239" / "523940.MEM");
}

TEST(Files, AtomicCopyKeepsTargetOnFailureAndSelfCopyIsHarmless) {
    TempDir dir;
    writeFile(dir / "old.mem", "previous");
    EXPECT_FALSE(hg::copyFileAtomically(dir / "missing", dir / "old.mem"));
    EXPECT_EQ(readFile(dir / "old.mem"), "previous");
    EXPECT_TRUE(hg::copyFileAtomically(dir / "old.mem", dir / "old.mem"));
    EXPECT_EQ(readFile(dir / "old.mem"), "previous");
    writeFile(dir / "new.dem", std::string(200000, 'z'));
    EXPECT_TRUE(hg::copyFileAtomically(dir / "new.dem", dir / "old.mem"));
    EXPECT_EQ(readFile(dir / "old.mem"), std::string(200000, 'z'));
}

std::size_t openDescriptors() {
    std::size_t n = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator("/proc/self/fd")) ++n;
    return n;
}

TEST(Files, ReplaceLeavesNoDescriptorOrTemporaryWhenTheWriterThrows) {
    TempDir dir;
    writeFile(dir / "a.mem", "previous");
    const std::size_t before = openDescriptors();
    for (int round = 0; round < 3; ++round) {
        EXPECT_THROW(hg::replaceFileAtomically(dir / "a.mem",
                                               [](int fd) -> bool {
                                                   EXPECT_TRUE(hg::writeAll(fd, "half", 4));
                                                   throw std::runtime_error("disk went away");
                                               }),
                     std::runtime_error);
    }
    EXPECT_EQ(openDescriptors(), before);
    EXPECT_EQ(readFile(dir / "a.mem"), "previous");
    std::size_t entries = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.path()))
        ++entries;
    EXPECT_EQ(entries, 1u);
    // And a writer that succeeds still replaces the file.
    EXPECT_TRUE(hg::replaceFileAtomically(dir / "a.mem",
                                          [](int fd) { return hg::writeAll(fd, "new", 3); }));
    EXPECT_EQ(readFile(dir / "a.mem"), "new");
    EXPECT_EQ(openDescriptors(), before);
}

TEST(Files, InputFileReportsShortReadsAndFailures) {
    TempDir dir;
    writeFile(dir / "f", "abcde");
    hg::InputFile f(dir / "f");
    ASSERT_TRUE(f.isOpen());
    char buf[8];
    EXPECT_EQ(f.read(buf, 3), 3u);
    EXPECT_EQ(f.read(buf, 8), 2u);
    EXPECT_EQ(f.read(buf, 8), 0u);
    hg::InputFile none(dir / "nothing");
    EXPECT_FALSE(none.isOpen());
    EXPECT_FALSE(none.read(buf, 1).has_value());
    hg::InputFile directory(dir.path());
    EXPECT_FALSE(directory.isOpen());
}

TEST(ShowError, GuardShowsMessageStdAndUnknownFailures) {
    std::vector<std::pair<std::string, std::string>> shown;
    hg::ErrorSinkGuard guard([&](void*, const std::string& text, const std::string& caption) {
        shown.emplace_back(text, caption);
    });
    ScopedEnv lang("HILLGLIMMER_LANG", "en");
    EXPECT_TRUE(hg::runGuarded(nullptr, "cap", [] {}));
    EXPECT_FALSE(hg::runGuarded(nullptr, "Hillglimmer draw",
                                [] { throw hg::MessageError(hg::MessageId::IllegalDem); }));
    EXPECT_FALSE(hg::runGuarded(nullptr, "c2", [] { throw std::runtime_error("plain"); }));
    EXPECT_FALSE(hg::runGuarded(nullptr, "c3", [] { throw 42; }));
    EXPECT_FALSE(hg::runGuarded(nullptr, "c4", [] { throw std::bad_alloc(); }));
    ASSERT_EQ(shown.size(), 4u);
    EXPECT_EQ(shown[0],
              std::make_pair(std::string("Illegal format .dem."), std::string("Hillglimmer draw")));
    EXPECT_EQ(shown[1].first, "plain");
    EXPECT_EQ(shown[2].first, "Unknown error.");
    EXPECT_EQ(shown[3].first, "Not enough memory.");
}

TEST(Encoding, ShiftJisBecomesUtf8AndBadBytesDoNotStopIt) {
    // "東京" in Shift_JIS, then a full-width stop.
    EXPECT_EQ(hg::sjisToUtf8("\x93\x8c\x8b\x9e\x81\x44"), "東京．");
    EXPECT_EQ(hg::sjisToUtf8("ab"), "ab");
    std::string broken = hg::sjisToUtf8(std::string("a\x81", 2));
    EXPECT_EQ(broken.substr(0, 1), "a");
    EXPECT_GT(broken.size(), 1u);
}
