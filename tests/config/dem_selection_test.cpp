#include <gtest/gtest.h>

#include "config/dem_selection.h"
#include "platform/show_error.h"
#include "settings/settings.h"
#include "support/test_support.h"

using namespace hg;
using hgtest::readFile;
using hgtest::ScopedHome;
using hgtest::writeFile;

namespace {
struct Recorder {
    std::vector<std::pair<std::string, std::string>> shown;
    ErrorSinkGuard guard{[this](void*, const std::string& text, const std::string& caption) {
        shown.emplace_back(text, caption);
    }};
};

struct Fixture {
    ScopedHome home;
    IniProfileStore store = userSettings();
    std::filesystem::path mem = home.path() / "Hillglimmer.mem";
    std::filesystem::path pick(const std::string& name, const std::string& body = "data") {
        auto p = home.path() / "picked";
        std::filesystem::create_directories(p);
        writeFile(p / name, body);
        return p / name;
    }
};
}  // namespace

TEST(DemSelection, NamesAndExtensionsChooseTheFormat) {
    EXPECT_EQ(classifyDemFile("/x/ZUMEI.CSV").action, DemAction::SheetIndex);
    EXPECT_EQ(classifyDemFile("/x/Zumei.csv").action, DemAction::SheetIndex);
    EXPECT_EQ(classifyDemFile("/x/zumei.csv.bak").action, DemAction::Copy);
    EXPECT_EQ(classifyDemFile("/x/5339.CSV").action, DemAction::Gsi10mImport);
    EXPECT_EQ(classifyDemFile("/x/8821CEL0.DDF").action, DemAction::SdtsImport);
    EXPECT_EQ(classifyDemFile("/x/A.DEM").demType, 1);
    EXPECT_EQ(classifyDemFile("/x/a.Mat").demType, 3);
    EXPECT_EQ(classifyDemFile("/x/a.mlt").demType, 3);
    EXPECT_EQ(classifyDemFile("/x/t.NTF").demType, 4);
    EXPECT_EQ(classifyDemFile("/x/x.dat").demType, 5);
    EXPECT_EQ(classifyDemFile("/x/s.mem").demType, 0);
    EXPECT_EQ(classifyDemFile("/x/readme.txt").demType, 0);
    EXPECT_EQ(classifyDemFile("/x/noext").demType, 0);
}

TEST(DemSelection, CopyStoresTheTypeAndAlwaysResetsThePart) {
    Fixture f;
    Recorder r;
    writeFile(f.home.path() / "Hillglimmer.ini",
              "[Hillglimmer]\nisPart=1\nsizeMeshMaxX=50\nsizeMeshMaxZ=40\nsel=4\n");
    for (auto [name, type] : std::vector<std::pair<std::string, int>>{
             {"A.DEM", 1}, {"a.Mat", 3}, {"x.dat", 5}, {"readme.txt", 0}, {"t.ntf", 4}}) {
        auto file = f.pick(name, "contents of " + name);
        ASSERT_EQ(selectDemFile(file, f.mem, f.store, nullptr, {}), SelectOutcome::Changed) << name;
        EXPECT_EQ(readFile(f.mem), "contents of " + name);
        EXPECT_EQ(readDemType(f.store), type) << name;
        EXPECT_EQ(f.store.getInt(kSection, key::isPart, -1), 0);
        EXPECT_EQ(f.store.getInt(kSection, key::sizeMeshMaxX, -1), 201);
        EXPECT_EQ(f.store.getInt(kSection, key::sizeMeshMaxZ, -1), 201);
        f.store.putString(kSection, key::isPart, "1");
    }
    EXPECT_EQ(f.store.getInt(kSection, key::sel, -1), 4);
    EXPECT_TRUE(r.shown.empty());
}

TEST(DemSelection, MissingFileOrWorkingFileItselfChangesNothing) {
    Fixture f;
    Recorder r;
    writeFile(f.mem, "current");
    writeFile(f.home.path() / "Hillglimmer.ini", "[Hillglimmer]\ndemType=1\nisPart=1\n");
    EXPECT_EQ(selectDemFile(f.home.path() / "gone.dem", f.mem, f.store, nullptr, {}),
              SelectOutcome::Failed);
    EXPECT_EQ(r.shown.size(), 1u);
    EXPECT_EQ(selectDemFile(f.mem, f.mem, f.store, nullptr, {}), SelectOutcome::Unchanged);
    EXPECT_EQ(readFile(f.mem), "current");
    EXPECT_EQ(readDemType(f.store), 1);
    EXPECT_EQ(f.store.getInt(kSection, key::isPart, -1), 1);
}

TEST(DemSelection, SheetIndexGoesToItsHandlerNeverToTheCsvImport) {
    Fixture f;
    Recorder r;
    auto index = f.pick("ZUMEI.CSV", "523940,NAME\n");
    std::filesystem::path seen;
    auto outcome = selectDemFile(index, f.mem, f.store, nullptr, [&](const std::filesystem::path& p) {
        seen = p;
        return SelectOutcome::Unchanged;
    });
    EXPECT_EQ(outcome, SelectOutcome::Unchanged);
    EXPECT_EQ(seen, index);
    EXPECT_FALSE(std::filesystem::exists(f.mem));
    // Without a way to choose sheets the index is refused, not imported.
    EXPECT_EQ(selectDemFile(index, f.mem, f.store, nullptr, {}), SelectOutcome::Failed);
    EXPECT_FALSE(f.store.getString(kSection, key::demType, "", 32).size());
}
