// SPDX-License-Identifier: MIT
#include "dem/gsi50m_sheets.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>

#include "dem/gsi50m.h"
#include "settings/settings.h"
#include "support/gsi50m_sheet_maker.h"
#include "support/mesh_read.h"
#include "support/test_support.h"

namespace {

using hg::MessageId;

namespace fs = std::filesystem;
using hgtest::messageOf;
using hgtest::readFile;
using hgtest::writeFile;

// One height field over the whole square of sheets, so neighbours agree on
// their shared edges as real sheets do.
int field(int R, int C) {
    return (R * 13 + C * 3) % 20000 - 500;
}

// A sheet's title, "N" and its number. Appended, not "N" + to_string(k):
// GCC 12 at -O3 warns falsely (-Wrestrict) on a literal put before a
// temporary string, and warnings are errors in the developer build.
std::string sheetTitle(int k) {
    std::string title = "N";
    title += std::to_string(k);
    return title;
}

// A settings home holding an index folder with its sheets.
struct Folder {
    hgtest::ScopedHome home;
    fs::path root = home.path() / "Dem";
    fs::path mem = home.path() / "Hillglimmer.mem";
    hg::IniProfileStore store{home.path() / "Hillglimmer.ini"};
    hg::CGSI50mSheets sheets;

    // Sheet (sr, sc) of the square, 5' x 7.5', the north-west one at
    // 35 N 139 52' 30" E.
    std::string sheet(int sr, int sc, int cols = 200, int rows = 200,
                      const std::string& flags = "") const {
        long west = 503550 + sc * 450, north = 126000 - sr * 300;
        return hgtest::makeSheet(
            cols, rows, {north - 300, west, north, west + 450}, sheetTitle(sr * 2 + sc),
            [=](int r, int c) { return field(sr * (rows - 1) + r, sc * (cols - 1) + c); }, flags);
    }
    void put(const std::string& code, const std::string& bytes) const {
        fs::create_directories(root / "data" / code.substr(0, 4));
        writeFile(root / "data" / code.substr(0, 4) / (code + ".mem"), bytes);
    }
    void index(const std::vector<std::string>& codes) {
        std::string text;
        for (const auto& c : codes) text += c + ",Sheet " + c + "\r\n";
        writeFile(root / "zumei.csv", text);
        sheets.loadIndex(root / "zumei.csv");
    }
    std::optional<MessageId> compose(const std::vector<std::string>& codes,
                                     const fs::path& target = {}) {
        std::vector<int> picked;
        for (const auto& c : codes) picked.push_back(sheets.indexOfCode(c).value_or(99));
        return messageOf(
            [&] { sheets.composeSheets(picked, target.empty() ? mem : target, store); });
    }
};

// Reads the working file back and compares every sample with field(); the
// first voidCols samples of voidRow must be the sea height instead.
void expectField(const fs::path& path, int cols, int rows, int voidRow = -1, int voidCols = 0) {
    hgtest::MeshRead<hg::CGSI50m> read(path);
    const std::vector<float>& heights = read.run();
    ASSERT_EQ(read.mesh.demCols, cols);
    ASSERT_EQ(read.mesh.demRows, rows);
    int wrong = 0;
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < cols; ++c) {
            float want =
                r == voidRow && c < voidCols ? 0.0f : static_cast<float>(field(r, c) * 0.1);
            if (heights[static_cast<std::size_t>(r) * cols + c] != want) ++wrong;
        }
    }
    EXPECT_EQ(wrong, 0);
}

TEST(Gsi50mIndex, EntriesNamesCodesAndPaths) {
    Folder f;
    fs::create_directories(f.root / "DATA" / "5239");
    writeFile(f.root / "DATA" / "5239" / "523940.MEM", "x");
    const std::string line62 = "523940," + std::string(55, 'n');
    writeFile(f.root / "zumei.csv", line62 + "\r\n\n12345\n1234567\n523942," +
                                        std::string(93, 'L') + "\n523941,A\rB\nlast,no LF");
    f.sheets.loadIndex(f.root / "zumei.csv");
    ASSERT_EQ(f.sheets.entryCount(), 6);
    EXPECT_EQ(f.sheets.shownName(0), std::string(55, 'n'));
    EXPECT_EQ(f.sheets.shownName(1), "");
    EXPECT_EQ(f.sheets.shownName(3), "");
    EXPECT_EQ(f.sheets.shownName(4), std::string(93, 'L'));  // longer lines are kept whole
    EXPECT_EQ(f.sheets.shownName(5), "A");
    EXPECT_EQ(f.sheets.indexOfCode("123456"), 3);
    EXPECT_EQ(f.sheets.indexOfCode("523941"), 5);
    EXPECT_FALSE(f.sheets.indexOfCode("12345"));

    // Each name is matched ignoring case; the index's own folder keeps its case.
    EXPECT_EQ(f.sheets.sheetPath(0), f.root / "DATA" / "5239" / "523940.MEM");
    EXPECT_EQ(f.sheets.sheetPath(5), f.root / "data" / "5239" / "523941.mem");
    // A line too short to hold a code names no file.
    EXPECT_EQ(messageOf([&] { f.sheets.sheetPath(2); }), MessageId::IllegalSheetIndex);

    writeFile(f.root / "zumei.csv", "");
    f.sheets.loadIndex(f.root / "zumei.csv");
    EXPECT_EQ(f.sheets.entryCount(), 0);
    EXPECT_EQ(messageOf([&] { f.sheets.loadIndex(f.root / "absent.csv"); }),
              MessageId::IllegalSheetIndex);
    EXPECT_EQ(messageOf([&] { f.sheets.loadIndex(f.root); }), MessageId::IllegalSheetIndex);
}

TEST(Gsi50mSheets, OneSheetIsCopiedAndMissingOrBrokenOnesChangeNothing) {
    Folder f;
    f.put("523940", f.sheet(0, 0));
    f.put("523941", "too short");
    f.index({"523940", "523941", "523942"});
    f.store.putString(hg::kSection, hg::key::sizeMeshMaxX, "50");
    f.sheets.copyOneSheet(0, f.mem, f.store);
    EXPECT_EQ(readFile(f.mem), f.sheet(0, 0));
    EXPECT_EQ(hg::readDemType(f.store), 0);
    EXPECT_EQ(f.store.getInt(hg::kSection, hg::key::sizeMeshMaxX, 0), 201);

    writeFile(f.mem, "OLD");
    f.store.putString(hg::kSection, hg::key::demType, "3");
    EXPECT_EQ(messageOf([&] { f.sheets.copyOneSheet(2, f.mem, f.store); }),
              MessageId::WorkingFileMissing);
    EXPECT_EQ(messageOf([&] { f.sheets.copyOneSheet(1, f.mem, f.store); }),
              MessageId::IllegalWorkingFile);
    EXPECT_EQ(readFile(f.mem), "OLD");
    EXPECT_EQ(hg::readDemType(f.store), 3);
}

TEST(Gsi50mSheets, TwoSheetsSideBySideOrOneAboveTheOther) {
    Folder f;
    std::string flags(200, '1');
    flags[5] = '0';
    f.put("533900", f.sheet(0, 0, 200, 200, flags));
    f.put("533901", f.sheet(0, 1));
    f.put("523900", f.sheet(1, 0));
    f.store.putString(hg::kSection, hg::key::sizeMeshMaxX, "50");

    for (auto order : {std::vector<std::string>{"533901", "533900"}, {"533900", "533901"}}) {
        f.index(order);
        ASSERT_EQ(f.compose(order), std::nullopt);
        std::string out = readFile(f.mem);
        ASSERT_EQ(out.size(), 1011u + 200u * 2006u);
        EXPECT_EQ(out.substr(23, 6), "399200");
        EXPECT_EQ(out.substr(142, 3), "200");
        EXPECT_EQ(out.substr(50, 7), "1400730");
        EXPECT_EQ(out.substr(145, 37), "Composed by Orogenist for Hillglimmer");
        EXPECT_EQ(out.substr(58, 42), "N0" + std::string(19, ' ') + "N1" + std::string(19, ' '));
        EXPECT_EQ(out.substr(100, 31), std::string(31, ' '));
        // The western sheet's absent row 5 is written as voids.
        EXPECT_EQ(out.substr(1011 + 5 * 2006 + 9, 10), "-9999-9999");
        expectField(f.mem, 399, 200, 5, 200);
    }
    EXPECT_EQ(hg::readDemType(f.store), 0);
    EXPECT_EQ(f.store.getInt(hg::kSection, hg::key::isPart, 9), 0);
    // Unlike a single sheet, a composition leaves the window size alone.
    EXPECT_EQ(f.store.getInt(hg::kSection, hg::key::sizeMeshMaxX, 0), 50);

    f.index({"523900", "533900"});
    ASSERT_EQ(f.compose({"523900", "533900"}), std::nullopt);
    std::string out = readFile(f.mem);
    ASSERT_EQ(out.size(), 1011u + 399u * 1011u);
    EXPECT_EQ(out.substr(23, 6), "200399");
    EXPECT_EQ(out.substr(142, 3), "399");
    EXPECT_EQ(out.substr(29, 7), "0345000");  // the southern sheet's south edge
    expectField(f.mem, 200, 399, 5, 200);
}

TEST(Gsi50mSheets, FourSheetsFindTheirCornersFromAnyListOrder) {
    Folder f;
    std::vector<std::string> codes = {"533900", "533901", "523900", "523901"};
    for (int k = 0; k < 4; ++k) f.put(codes[static_cast<std::size_t>(k)], f.sheet(k / 2, k % 2));
    f.index(codes);
    ASSERT_EQ(f.compose(codes), std::nullopt);
    const std::string first = readFile(f.mem);
    EXPECT_EQ(first.substr(23, 6), "399399");
    EXPECT_EQ(first.substr(29, 7), "0345000");
    EXPECT_EQ(first.substr(50, 7), "1400730");
    for (int k = 0; k < 4; ++k) EXPECT_EQ(first.substr(58 + 21 * k, 2), sheetTitle(k));
    expectField(f.mem, 399, 399);

    std::sort(codes.begin(), codes.end());
    do {
        f.index(codes);
        ASSERT_EQ(f.compose({codes[3], codes[1], codes[0], codes[2]}), std::nullopt);
        EXPECT_EQ(readFile(f.mem), first);
    } while (std::next_permutation(codes.begin(), codes.end()));
}

TEST(Gsi50mSheets, RefusalsLeaveTheWorkingFileAndSettingsAlone) {
    Folder f;
    f.put("533900", f.sheet(0, 0));
    f.put("523901", f.sheet(1, 1));            // meets 533900 only at a corner
    f.put("523899", f.sheet(1, -1));           // likewise
    f.put("533901", f.sheet(0, 1, 200, 150));  // east of 533900 but shorter
    f.put("533910", f.sheet(0, 0, 600, 3));
    f.put("533911", f.sheet(0, 1, 600, 3));
    f.index({"533900", "523901", "523899", "533901", "533910", "533911", "533902", "533903"});
    writeFile(f.mem, "OLD");
    f.store.putString(hg::kSection, hg::key::demType, "3");

    EXPECT_EQ(f.compose({"533900", "523901"}), MessageId::SheetsNotJoinedNorthSouth);
    EXPECT_EQ(f.compose({"533900", "523899"}), MessageId::SheetsNotJoinedEastWest);
    EXPECT_EQ(f.compose({"533900", "533901"}), MessageId::SheetsNotJoinedEastWest);
    // 1199 columns do not fit.
    EXPECT_EQ(f.compose({"533910", "533911"}), MessageId::IllegalWorkingFile);
    EXPECT_EQ(f.compose({"533900", "533903"}), MessageId::WorkingFileMissing);
    // The count is refused before any sheet is looked at.
    EXPECT_EQ(f.compose({"533903", "533902", "533900"}), MessageId::IllegalSheetCount);
    EXPECT_EQ(f.compose({"533900"}), MessageId::IllegalSheetCount);
    EXPECT_EQ(f.compose({"533900", "523901", "523899", "533901", "533910"}),
              MessageId::IllegalSheetCount);

    const std::string west = f.sheet(0, 0, 20, 10, "1101111111");
    f.put("533903", f.sheet(0, 1, 20, 10));
    for (std::size_t cut = 0; cut < west.size(); cut += 37) {
        f.put("533902", west.substr(0, cut));
        EXPECT_EQ(f.compose({"533902", "533903"}), MessageId::IllegalWorkingFile)
            << "cut at " << cut;
    }
    f.put("533902", west);
    EXPECT_EQ(f.compose({"533902", "533903"}, f.root / "no" / "such.mem"),
              MessageId::WorkingFileWrite);

    EXPECT_EQ(readFile(f.mem), "OLD");
    EXPECT_EQ(hg::readDemType(f.store), 3);
}

}  // namespace
