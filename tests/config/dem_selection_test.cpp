// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <QApplication>
#include <QProgressDialog>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "config/dem_selection.h"
#include "platform/show_error.h"
#include "settings/settings.h"
#include "support/gsi50m_sheet_maker.h"
#include "support/gtiff_copy.h"
#include "support/rimini_grid.h"
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
// A small GSI 50 m sheet and a RIMINI grid: files each reader accepts.
std::string gsiSheet() {
    return hgtest::makeSheet(
        80, 60, {125700, 503550, 126000, 504000}, "SMALL",
        [](int r, int c) { return 1000 + r * 40 + c * 25; }, "");
}

std::string usgsDem() {
    return readFile(HG_SOURCE_DIR "/data/jacksboro.dem");
}
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

// Under a name no rule knows, our own reader's check comes before GDAL's,
// which also identifies GSI 50 m files and would import them as rasters.
TEST(DemSelection, AnyOtherNameIsTriedByOurReaderThenByGdal) {
    const std::filesystem::path mesh = hgtest::sharedData("jdem/fakejdem.mem");
    HG_REQUIRE_SHARED(mesh);
    hgtest::TempDir gsi, tiff;
    std::filesystem::copy_file(mesh, gsi / "readme.txt");
    EXPECT_EQ(classifyDemFile(gsi / "readme.txt").demType, hg::kDemGsi50m);
    EXPECT_EQ(classifyDemFile(gsi / "readme.txt").action, DemAction::Copy);
    ASSERT_TRUE(hgtest::writeGeoTiffCopy(HG_SOURCE_DIR "/data/jacksboro.dem", tiff / "readme.txt"));
    EXPECT_EQ(classifyDemFile(tiff / "readme.txt").demType, hg::kDemGdal);
    EXPECT_EQ(classifyDemFile(tiff / "readme.txt").action, DemAction::GdalImport);
}

TEST(DemSelection, CopyStoresTheTypeAndAlwaysResetsThePart) {
    Fixture f;
    Recorder r;
    writeFile(f.home.path() / "Hillglimmer.ini",
              "[Hillglimmer]\nisPart=1\nsizeMeshMaxX=50\nsizeMeshMaxZ=40\nsel=4\n");
    for (auto [name, type, body] :
         std::vector<std::tuple<std::string, int, std::string>>{{"A.DEM", 1, usgsDem()},
                                                                {"x.dat", 5, hgtest::riminiGrid()},
                                                                {"readme.txt", 0, gsiSheet()},
                                                                {"s.MEM", 0, gsiSheet()}}) {
        auto file = f.pick(name, body);
        ASSERT_EQ(selectDemFile(file, f.mem, f.store, nullptr, {}), SelectOutcome::Changed) << name;
        EXPECT_EQ(readFile(f.mem), body);
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
    auto outcome =
        selectDemFile(index, f.mem, f.store, nullptr, [&](const std::filesystem::path& p) {
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

TEST(DemSelection, FileItsReaderRefusesLeavesThePreviousDem) {
    Fixture f;
    writeFile(f.mem, gsiSheet());
    writeFile(f.home.path() / "Hillglimmer.ini", "[Hillglimmer]\ndemType=0\nisPart=1\n");
    std::string noise(5000, '\0');
    for (std::size_t i = 0; i < noise.size(); ++i) noise[i] = static_cast<char>((i * 7919) % 251);
    for (const char* name : {"A.DEM", "a.mlt", "t.ntf", "x.dat", "s.mem", "notes.txt"}) {
        for (const std::string& body : {noise, std::string("just some text\non two lines\n")}) {
            Recorder r;
            auto file = f.pick(name, body);
            EXPECT_EQ(selectDemFile(file, f.mem, f.store, nullptr, {}), SelectOutcome::Failed)
                << name;
            ASSERT_EQ(r.shown.size(), 1u) << name;
            // The reader's own words, and which file they are about.
            EXPECT_EQ(r.shown[0].first.rfind(file.string() + ": ", 0), 0u) << r.shown[0].first;
            EXPECT_GT(r.shown[0].first.size(), file.string().size() + 30) << r.shown[0].first;
            EXPECT_EQ(readFile(f.mem), gsiSheet()) << name;
            EXPECT_EQ(readDemType(f.store), 0);
            EXPECT_EQ(f.store.getInt(kSection, key::isPart, -1), 1);
        }
    }
}

// Cancel in the progress dialog, pressed as soon as the dialog shows, for
// a copy and for an import: the DEM chosen before stays, and nothing staged
// is left beside it.
TEST(DemSelection, CancelInTheProgressDialogKeepsThePreviousDem) {
    hgtest::TempDir source;
    const auto tif = source / "bay.tif";
    ASSERT_TRUE(hgtest::writeGeoTiffCopy(HG_SOURCE_DIR "/data/jacksboro.dem", tif));
    writeFile(source / "big.dat", hgtest::riminiGrid(4u << 20));
    for (const char* name : {"big.dat", "bay.tif"}) {
        Fixture f;
        Recorder r;
        ASSERT_EQ(selectDemFile(f.pick("first.mem", gsiSheet()), f.mem, f.store, nullptr, {}),
                  SelectOutcome::Changed);
        const std::string before = readFile(f.mem);
        int pressed = 0;
        QTimer presser;
        QObject::connect(&presser, &QTimer::timeout, [&] {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                auto* dialog = qobject_cast<QProgressDialog*>(w);
                if (!dialog || dialog->objectName() != "importProgress" || !dialog->isVisible())
                    continue;
                if (auto* cancel = dialog->findChild<QPushButton*>()) {
                    QTest::mouseClick(cancel, Qt::LeftButton);
                    ++pressed;
                }
            }
        });
        presser.start(0);
        EXPECT_EQ(
            selectDemFile(source / name, f.mem, f.store, nullptr, {}, std::chrono::milliseconds(0)),
            SelectOutcome::Cancelled)
            << name;
        presser.stop();
        EXPECT_EQ(pressed, 1) << name;
        EXPECT_EQ(readFile(f.mem), before) << name;
        EXPECT_EQ(readDemType(f.store), kDemGsi50m) << name;
        for (const auto& e : std::filesystem::directory_iterator(f.home.path()))
            EXPECT_EQ(e.path().filename().string().find("staging"), std::string::npos) << name;
        EXPECT_TRUE(r.shown.empty()) << name;
    }
}
