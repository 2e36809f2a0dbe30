// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

#include "platform/file.h"
#include "platform/profile_store.h"
#include "settings/dem_commit.h"
#include "settings/settings.h"
#include "support/test_support.h"

using namespace hg;
using hgtest::readFile;
using hgtest::ScopedHome;
using hgtest::writeFile;

namespace {

struct Home {
    ScopedHome home;
    std::filesystem::path mem = home.path() / "Hillglimmer.mem";
    std::filesystem::path ini = home.path() / "Hillglimmer.ini";
    IniProfileStore store{ini};

    Home() {
        writeFile(mem, "old grid");
        writeFile(ini, "[Hillglimmer]\ndemType=1\nisPart=1\n[SDTS]\nnRows=4\n");
    }
    std::vector<std::string> names() const {
        std::vector<std::string> out;
        for (const auto& e : std::filesystem::directory_iterator(home.path()))
            out.push_back(e.path().filename().string());
        std::sort(out.begin(), out.end());
        return out;
    }
};

const std::vector<std::string> kUntouched = {"Hillglimmer.ini", "Hillglimmer.ini.lock",
                                             "Hillglimmer.mem"};

DemBuilder writes(const std::string& grid, int demType) {
    return [=](const DemStaging& s) {
        writeFile(s.file, grid);
        s.settings.putStrings(kSectionSdts, {{"nRows", "9"}, {"swX", "1.5"}});
        writeDemType(s.settings, demType);
        return true;
    };
}

}  // namespace

TEST(DemCommit, ChangesFileAndSettingsTogetherAndLeavesNothingBehind) {
    Home h;
    ASSERT_TRUE(commitDemChange(h.mem, h.store, writes("new grid", 2)));
    EXPECT_EQ(readFile(h.mem), "new grid");
    EXPECT_EQ(readFile(h.ini),
              "[Hillglimmer]\ndemType=2\nisPart=0\nsizeMeshMaxX=201\nsizeMeshMaxZ=201\n"
              "[SDTS]\nnRows=9\nswX=1.5\n");
    EXPECT_EQ(h.names(), kUntouched);
}

TEST(DemCommit, FailedOrEmptyBuildAndUnwritableSettingsKeepThePreviousDem) {
    Home h;
    const std::string iniBefore = readFile(h.ini);
    EXPECT_THROW(commitDemChange(h.mem, h.store,
                                 [](const DemStaging& s) -> bool {
                                     writeFile(s.file, "half");
                                     throw std::runtime_error("broken transfer");
                                 }),
                 std::runtime_error);
    EXPECT_FALSE(commitDemChange(h.mem, h.store, [](const DemStaging&) { return false; }));
    EXPECT_EQ(readFile(h.mem), "old grid");
    EXPECT_EQ(readFile(h.ini), iniBefore);
    EXPECT_EQ(h.names(), kUntouched);

    // A settings file that cannot be replaced (a folder in its place works
    // even for root): the new grid never becomes the working file.
    std::filesystem::remove(h.ini);
    std::filesystem::create_directories(h.ini / "blocked");
    try {
        commitDemChange(h.mem, h.store, writes("new grid", 2));
        ADD_FAILURE() << "committed without settings";
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find("Cannot write the settings file"), std::string::npos)
            << e.what();
    }
    EXPECT_EQ(readFile(h.mem), "old grid");
    EXPECT_FALSE(std::filesystem::exists(stagedWorkingFile(h.mem)));
}

TEST(DemCommit, RecoveryFinishesACommittedChangeAndRemovesLeftOvers) {
    Home h;
    // Killed after the commit, before the rename.
    writeFile(stagedWorkingFile(h.mem), "new grid");
    h.store.putStrings(kSection,
                       {{"demType", "2"}, {kPendingWorkingFileKey, "Hillglimmer.mem.new"}});
    // Scratch files of writes that were killed half way.
    for (const char* name : {".Hillglimmer.mem.new.a1B2c3", ".Hillglimmer.mem.Zz9y8x",
                             ".Hillglimmer.ini.q1w2e3", "Hillglimmer.mem.import"})
        writeFile(h.home.path() / name, "scratch");
    writeFile(h.home.path() / ".Hillglimmer.mem.notmine", "user file");
    ASSERT_TRUE(recoverDemCommit(h.mem, h.store));
    EXPECT_EQ(readFile(h.mem), "new grid");
    EXPECT_EQ(h.store.getString(kSection, kPendingWorkingFileKey, "none", 64), "none");
    EXPECT_EQ(readDemType(h.store), 2);
    std::vector<std::string> expected = {".Hillglimmer.mem.notmine", "Hillglimmer.ini",
                                         "Hillglimmer.ini.lock", "Hillglimmer.mem"};
    EXPECT_EQ(h.names(), expected);

    // Killed after the rename: only the record is left to clear.
    h.store.putString(kSection, kPendingWorkingFileKey, "Hillglimmer.mem.new");
    ASSERT_TRUE(recoverDemCommit(h.mem, h.store));
    EXPECT_EQ(readFile(h.mem), "new grid");
    EXPECT_EQ(h.store.getString(kSection, kPendingWorkingFileKey, "none", 64), "none");

    // A staged file without a record was never committed; a record naming
    // any other file is not obeyed.
    writeFile(stagedWorkingFile(h.mem), "uncommitted");
    writeFile(h.home.path() / "elsewhere", "user file");
    h.store.putString(kSection, kPendingWorkingFileKey, "elsewhere");
    ASSERT_TRUE(recoverDemCommit(h.mem, h.store));
    EXPECT_EQ(readFile(h.mem), "new grid");
    EXPECT_EQ(readFile(h.home.path() / "elsewhere"), "user file");
    EXPECT_FALSE(std::filesystem::exists(stagedWorkingFile(h.mem)));
}

TEST(DemCommit, StagedSettingsReadThroughAndKeepTheLastValueOfAKey) {
    Home h;
    StagedSettings staged(h.store);
    EXPECT_EQ(staged.getInt(kSection, "demType", 0), 1);
    staged.putString(kSection, "demType", "5");
    staged.putString(kSection, "sel", "2");
    staged.putString(kSection, "demType", "6");
    EXPECT_EQ(staged.getInt(kSection, "demType", 0), 6);
    EXPECT_EQ(readDemType(h.store), 1);
    auto changes = staged.changes();
    ASSERT_EQ(changes.size(), 2u);
    EXPECT_EQ(changes[0].key, "sel");
    EXPECT_EQ(changes[1].value, std::optional<std::string>("6"));
}

TEST(DemCommit, RecoveryLeavesLiveStagesAndTheLaterOfTwoCommitsStays) {
    Home h;
    {
        DemStage first(h.mem, h.store);
        writeFile(first.file(), "first grid");
        writeDemType(first.settings(), 2);
        // A stage whose change died: its folder is no longer locked.
        const auto dead = h.home.path() / "Hillglimmer.mem.staging.Dead01";
        std::filesystem::create_directories(dead);
        writeFile(dead / "Hillglimmer.mem", "died half way");
        // Staging a second change recovers, as every change does first.
        DemStage second(h.mem, h.store);
        EXPECT_FALSE(std::filesystem::exists(dead));
        EXPECT_EQ(readFile(first.file()), "first grid");
        writeFile(second.file(), "second grid");
        writeDemType(second.settings(), 5);
        ASSERT_TRUE(commitStagedDem(h.mem, h.store, second));
        ASSERT_TRUE(commitStagedDem(h.mem, h.store, first));
    }
    EXPECT_EQ(readFile(h.mem), "first grid");
    EXPECT_EQ(readDemType(h.store), 2);
    EXPECT_EQ(h.names(), kUntouched);
}

TEST(DemCommit, ARecordIsObeyedOnlyWhenItNamesAStagedWorkingFile) {
    const struct {
        const char* record;
        bool renamed;
    } cases[] = {
        {"Hillglimmer.mem.staging.Ab12Cd/Hillglimmer.mem", true},
        {"Hillglimmer.mem.staging.Ab12Cd/other", false},
        {"Hillglimmer.mem.staging.Ab12/Hillglimmer.mem", false},
        {"Hillglimmer.mem.staging.Ab.2Cd/Hillglimmer.mem", false},
        {"elsewhere.staging.Ab12Cd/Hillglimmer.mem", false},
    };
    for (const auto& c : cases) {
        Home h;
        const auto staged = h.home.path() / c.record;
        std::filesystem::create_directories(staged.parent_path());
        writeFile(staged, "new grid");
        h.store.putString(kSection, kPendingWorkingFileKey, c.record);
        ASSERT_TRUE(recoverDemCommit(h.mem, h.store)) << c.record;
        EXPECT_EQ(readFile(h.mem), c.renamed ? "new grid" : "old grid") << c.record;
        EXPECT_EQ(h.store.getString(kSection, kPendingWorkingFileKey, "none", 64), "none");
    }
}

TEST(DemCommit, AFirstRunCommitGivesWayToADemChosenWhileItWasStaged) {
    Home h;
    std::filesystem::remove(h.mem);
    ASSERT_TRUE(h.store.apply({{kSection, "demType", std::nullopt}}));
    {
        DemStage bundled(h.mem, h.store);
        writeFile(bundled.file(), "bundled grid");
        writeDemType(bundled.settings(), 1);
        ASSERT_TRUE(commitDemChange(h.mem, h.store, writes("chosen grid", 2)));
        EXPECT_FALSE(commitStagedDem(h.mem, h.store, bundled, CommitWhen::FirstRun));
    }
    EXPECT_EQ(readFile(h.mem), "chosen grid");
    EXPECT_EQ(readDemType(h.store), 2);
    EXPECT_EQ(h.names(), kUntouched);
}
