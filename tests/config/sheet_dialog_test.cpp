// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include "config/sheet_dialog.h"
#include "dem/gsi50m.h"
#include "platform/show_error.h"
#include "settings/settings.h"
#include "support/gsi50m_sheet_maker.h"
#include "support/test_support.h"

using namespace hg;
using hgtest::readFile;
using hgtest::ScopedEnv;
using hgtest::ScopedHome;
using hgtest::writeFile;

namespace {

// A square of four neighbouring sheets (codes 533900..533911) under an
// index whose names are Shift_JIS.
struct SheetFixture {
    ScopedEnv lang{"HILLGLIMMER_LANG", "en"};
    ScopedHome home;
    IniProfileStore store = userSettings();
    std::filesystem::path mem = home.path() / "Hillglimmer.mem";
    std::filesystem::path root = home.path() / "DEM";
    std::vector<std::pair<std::string, std::string>> shown;
    ErrorSinkGuard guard{[this](void*, const std::string& text, const std::string& caption) {
        shown.emplace_back(text, caption);
    }};

    SheetFixture() {
        const char* codes[4] = {"533900", "533901", "533910", "533911"};
        std::string index;
        for (int k = 0; k < 4; ++k) {
            int sr = k / 2, sc = k % 2;
            long west = 503550 + sc * 450, north = 126000 - sr * 300;
            std::filesystem::create_directories(root / "data" / "5339");
            writeFile(
                root / "data" / "5339" / (std::string(codes[k]) + ".mem"),
                hgtest::makeSheet(
                    200, 200, {north - 300, west, north, west + 450}, "SHEET" + std::to_string(k),
                    [=](int r, int c) { return (sr * 199 + r) * 3 + sc * 199 + c; }, ""));
            // "東京" followed by the sheet's number.
            index += std::string(codes[k]) + ",\x93\x8c\x8b\x9e" + std::to_string(k) + "\r\n";
        }
        writeFile(root / "zumei.csv", index);
        writeFile(mem, "previous working file");
    }

    void select(SheetDialog& d, std::initializer_list<int> rows) {
        auto* list = d.findChild<QListWidget*>("id1015");
        list->clearSelection();
        for (int r : rows) list->item(r)->setSelected(true);
    }

    int headerCount(int offset) {
        std::string h = readFile(mem).substr(0, 1011);
        return std::stoi(h.substr(static_cast<std::size_t>(offset), 3));
    }
};

}  // namespace

TEST(SheetDialog, ListsTheIndexWithJapaneseNames) {
    SheetFixture f;
    SheetDialog d(f.root / "zumei.csv", f.mem, f.store);
    ASSERT_TRUE(d.loadIndex());
    EXPECT_EQ(d.windowTitle(), "Specify GSI 50m-Mesh DEM");
    auto* list = d.findChild<QListWidget*>("id1015");
    ASSERT_EQ(list->count(), 4);
    EXPECT_EQ(list->item(2)->text(), QString::fromUtf8("東京2"));
    EXPECT_EQ(list->selectionMode(), QAbstractItemView::ExtendedSelection);
}

TEST(SheetDialog, OneSheetIsCopiedAndTwoOrFourAreJoined) {
    SheetFixture f;
    {
        SheetDialog d(f.root / "zumei.csv", f.mem, f.store);
        ASSERT_TRUE(d.loadIndex());
        f.select(d, {1});
        QTest::mouseClick(d.findChild<QPushButton*>("id1"), Qt::LeftButton);
        EXPECT_EQ(d.result(), 1);
        EXPECT_EQ(readFile(f.mem), readFile(f.root / "data" / "5339" / "533901.mem"));
        EXPECT_EQ(readDemType(f.store), 0);
    }
    {
        SheetDialog d(f.root / "zumei.csv", f.mem, f.store);
        ASSERT_TRUE(d.loadIndex());
        f.select(d, {3, 1});  // one above the other
        QTest::mouseClick(d.findChild<QPushButton*>("id1"), Qt::LeftButton);
        EXPECT_EQ(f.headerCount(23), 200);
        EXPECT_EQ(f.headerCount(26), 399);
    }
    {
        SheetDialog d(f.root / "zumei.csv", f.mem, f.store);
        ASSERT_TRUE(d.loadIndex());
        f.select(d, {3, 0, 2, 1});
        QTest::mouseClick(d.findChild<QPushButton*>("id1"), Qt::LeftButton);
        EXPECT_TRUE(d.changed());
        EXPECT_EQ(f.headerCount(23), 399);
        EXPECT_EQ(f.headerCount(26), 399);
    }
    EXPECT_TRUE(f.shown.empty());
}

TEST(SheetDialog, ThreeSheetsAreRefusedAndTheDialogStaysOpen) {
    SheetFixture f;
    SheetDialog d(f.root / "zumei.csv", f.mem, f.store);
    ASSERT_TRUE(d.loadIndex());
    f.select(d, {0, 1, 2});
    EXPECT_FALSE(d.accept(1));
    ASSERT_EQ(f.shown.size(), 1u);
    EXPECT_EQ(f.shown[0].first, "Illegal number of DEM.");
    EXPECT_EQ(f.shown[0].second, "Hillglimmer GSI-50m multiple select");
    EXPECT_EQ(readFile(f.mem), "previous working file");
    EXPECT_FALSE(d.changed());
}

TEST(SheetDialog, UnreadableIndexIsReportedAndNothingOpens) {
    SheetFixture f;
    EXPECT_FALSE(runSheetDialog(f.root / "missing.csv", f.mem, f.store, nullptr));
    ASSERT_EQ(f.shown.size(), 1u);
    EXPECT_EQ(f.shown[0].first, "Illegal format zumei.csv.");
    EXPECT_EQ(f.shown[0].second, "Hillglimmer GSI-50m zumei.csv");
}
