// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <vector>

#include "dem/gsi10m.h"
#include "dem/gsi10m_info.h"
#include "dem/read_gsi10m.h"
#include "platform/home.h"
#include "platform/profile_store.h"
#include "settings/settings.h"
#include "support/gsi10m_maker.h"
#include "support/mesh_read.h"
#include "support/test_support.h"

namespace {

using hg::MessageId;

using hgtest::expectTenths;
using hgtest::messageOf;
using hgtest::readFile;
using hgtest::ScopedHome;
using hgtest::TempDir;
using hgtest::writeFile;

using hgtest::headerLines;
using hgtest::joinCsv;
using hgtest::kMin;
using hgtest::kSec;
using hgtest::makeDat;
using hgtest::sjis;

int ramp(int r, int c) {
    return (r * 131 + c * 17) % 65536;
}

std::optional<MessageId> headerMessage(const TempDir& dir, const std::string& bytes,
                                       hg::CGSI10mInfo* out = nullptr) {
    writeFile(dir / "h.csv", bytes);
    hg::CGSI10mInfo info;
    auto id = messageOf([&] { hg::CReadGSI10m(dir / "h.csv", info).readHeader(); });
    if (out) *out = info;
    return id;
}

TEST(Gsi10mHeader, ReadsEveryFieldWithLfOrCrLf) {
    TempDir dir;
    for (const char* eol : {"\r\n", "\n"}) {
        hg::CGSI10mInfo info;
        ASSERT_EQ(headerMessage(dir, joinCsv(headerLines(1125, 750), eol), &info), std::nullopt);
        EXPECT_EQ(info.nCols, 1125);
        EXPECT_EQ(info.nRows, 750);
        EXPECT_DOUBLE_EQ(info.swY, 31 * 3600 + 50 * 60 + 15);
        EXPECT_DOUBLE_EQ(info.swX, 130 * 3600 + 45 * 60 + 30);
        EXPECT_DOUBLE_EQ(info.neY, 31 * 3600 + 57 * 60 + 45);
        EXPECT_DOUBLE_EQ(info.neX, 130 * 3600 + 55 * 60);
        // The name field's own trailing comma is not part of the title.
        EXPECT_EQ(info.titl, sjis("霧島山"));
        EXPECT_EQ(info.zone, 2);
        EXPECT_DOUBLE_EQ(info.disLong, 12000.0);
        EXPECT_DOUBLE_EQ(info.disLat, 1470.0);
    }
}

TEST(Gsi10mHeader, MissingKeysAndWhereTheSearchStops) {
    TempDir dir;
    // Line index in headerLines -> message. Inner minute and second lines
    // are left out: the next group's line stands in for a missing one.
    const std::vector<std::pair<std::size_t, MessageId>> cases = {
        {1, MessageId::CsvNoColumns},
        {2, MessageId::CsvNoRows},
        {3, MessageId::CsvNoSouthWestLatitudeDegrees},
        {6, MessageId::CsvNoSouthWestLongitudeDegrees},
        {9, MessageId::CsvNoNorthEastLatitudeDegrees},
        {12, MessageId::CsvNoNorthEastLongitudeDegrees},
        {13, MessageId::CsvNoNorthEastLongitudeMinutes},
        {14, MessageId::CsvNoNorthEastLongitudeSeconds},
        {15, MessageId::CsvNoName},
        {16, MessageId::CsvNoZone},
        {17, MessageId::CsvNoSouthWestX},
        {18, MessageId::CsvNoSouthWestY},
        {19, MessageId::CsvNoNorthEastX},
        {20, MessageId::CsvNoNorthEastY}};
    for (auto [line, id] : cases) {
        auto lines = headerLines(3, 2);
        lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(line));
        EXPECT_EQ(headerMessage(dir, joinCsv(lines)), id) << "without line " << line;
    }
    // Without the south-west latitude's minutes, the longitude's minute and
    // second lines are taken for it, and the longitude's degrees go missing.
    auto lines = headerLines(3, 2);
    lines.erase(lines.begin() + 4);
    EXPECT_EQ(headerMessage(dir, joinCsv(lines)), MessageId::CsvNoSouthWestLongitudeDegrees);
    // A comment line ends the search though the name follows it.
    lines = headerLines(3, 2);
    lines.insert(lines.begin() + 15, "コメント,火口付近は補間,");
    EXPECT_EQ(headerMessage(dir, joinCsv(lines)), MessageId::CsvNoName);
    // 255 bytes and the LF make a line; one more byte does not.
    lines = headerLines(3, 2);
    lines.insert(lines.begin() + 1, std::string(255, 'x'));
    EXPECT_EQ(headerMessage(dir, joinCsv(lines, "\n")), std::nullopt);
    lines[1] += "x";
    EXPECT_EQ(headerMessage(dir, joinCsv(lines, "\n")), MessageId::CsvNoColumns);
}

TEST(Gsi10mHeader, UnreadableOrCutShortDescriptionsGiveMessages) {
    TempDir dir;
    hg::CGSI10mInfo info;
    EXPECT_EQ(messageOf([&] { hg::CReadGSI10m(dir / "missing.csv", info).readHeader(); }),
              MessageId::IllegalCsv);
    std::string full = joinCsv(headerLines(3, 2));
    // Every cut before the last key's line end loses a key.
    const std::size_t lastKeyEnd = full.find(sjis("コメント,")) - 1;
    for (std::size_t cut = 0; cut < lastKeyEnd; cut += 7) {
        // A missing key's own message, never the unreadable file's.
        const std::optional<MessageId> id = headerMessage(dir, full.substr(0, cut));
        EXPECT_TRUE(id && *id != MessageId::IllegalCsv)
            << "cut at " << cut << ": " << testing::PrintToString(id);
    }
}

TEST(Gsi10mInfo, SettingsRoundTripInFixedPointText) {
    ScopedHome home;
    hg::CGSI10mInfo info;
    info.titl = sjis("霧島山,火山");
    info.nCols = 1201;
    info.nRows = 801;
    info.zone = 2;
    info.swX = 470730.25;
    info.neY = 115065.0;
    info.disLat = -8000.125;
    hg::IniProfileStore store = hg::userSettings();
    ASSERT_TRUE(info.saveToSettings(store));
    EXPECT_EQ(store.getString("GSI10m", "swX", "", 64), "470730.2500000");
    EXPECT_EQ(store.getString("GSI10m", "disLat", "", 64), "-8000.1250000");
    hg::CGSI10mInfo back;
    back.loadFromSettings(store);
    EXPECT_EQ(back.titl, info.titl);
    EXPECT_EQ(back.nRows, 801);
    EXPECT_EQ(back.zone, 2);
    EXPECT_DOUBLE_EQ(back.swX, info.swX);
    EXPECT_DOUBLE_EQ(back.disLat, info.disLat);
    // The title shown stops at the first comma, and a long one is cut to
    // 255 bytes without halving a character.
    EXPECT_EQ(hg::gsi10mTitle(store), sjis("霧島山"));
    std::string longTitle;
    for (int i = 0; i < 200; ++i) longTitle += sjis("山");
    store.putString("GSI10m", "titl", longTitle);
    EXPECT_EQ(hg::gsi10mTitle(store), longTitle.substr(0, 254));
}

hg::CGSI10mInfo gridInfo(int cols, int rows) {
    hg::CGSI10mInfo info;
    info.nCols = cols;
    info.nRows = rows;
    info.disLong = 10.0 * (cols - 1);
    info.disLat = 10.0 * (rows - 1);
    return info;
}

// Reads a height file under a description given directly, or (without
// one) from the user's settings as the saver does.
struct Gsi10mRead : hgtest::MeshRead<hg::CGSI10m> {
    using MeshRead::MeshRead;
    const std::vector<float>& run(const hg::CGSI10mInfo* info = nullptr) {
        if (!info) return MeshRead::run();
        mesh.describe(*info);
        mesh.layout();
        mesh.read();
        return buffers.heights;
    }
};

TEST(Gsi10mData, BigEndianTenthsAndSpacing) {
    TempDir dir;
    writeFile(dir / "h.dat", std::string("\x01\x2C\xFF\xFF\x00\x00\x00\x07", 8));
    Gsi10mRead r(dir / "h.dat");
    hg::CGSI10mInfo info = gridInfo(2, 2);
    const auto& h = r.run(&info);
    expectTenths(h, 2, 2, [](int i, int j) { return i == 0 ? (j == 0 ? 300 : 65535) : j * 7; });

    info = gridInfo(1201, 801);
    info.disLong = 12000.0;
    info.swX = 10;
    info.swY = 20;
    info.neX = 30;
    info.neY = 40;
    r.mesh.describe(info);
    EXPECT_DOUBLE_EQ(r.mesh.ewSpacingN, 10.0);
    EXPECT_DOUBLE_EQ(r.mesh.nsSpacing, 10.0);
    EXPECT_EQ(std::make_pair(r.mesh.nwX, r.mesh.nwY), std::make_pair(10.0, 40.0));
    EXPECT_EQ(std::make_pair(r.mesh.seX, r.mesh.seY), std::make_pair(30.0, 20.0));
}

TEST(Gsi10mData, ThinningAndWindowPutValuesInTheirTruePlaces) {
    TempDir dir;
    writeFile(dir / "h.dat", makeDat(23, 17, ramp));
    const hg::CGSI10mInfo info = gridInfo(23, 17);
    Gsi10mRead thinned(dir / "h.dat");
    thinned.settings.isPart = 0;
    thinned.settings.sizeMeshMaxX = thinned.settings.sizeMeshMaxZ = 10;
    const auto& t = thinned.run(&info);
    ASSERT_EQ(thinned.mesh.thinStep, 3);
    expectTenths(t, 7, 5, [](int i, int j) { return ramp(3 * i, 3 * j); });

    Gsi10mRead window(dir / "h.dat");
    window.settings.startX = 4;
    window.settings.startZ = 9;
    window.settings.sizeMeshMaxX = 6;
    window.settings.sizeMeshMaxZ = 8;
    expectTenths(window.run(&info), 6, 8, [](int i, int j) { return ramp(9 + i, 4 + j); });
}

TEST(Gsi10mData, ShortFileGives92AtEveryLength) {
    ScopedHome home;
    TempDir dir;
    const std::string full = makeDat(5, 4, ramp);
    const hg::CGSI10mInfo info = gridInfo(5, 4);
    hg::IniProfileStore store = hg::userSettings();
    ASSERT_TRUE(info.saveToSettings(store));
    for (std::size_t len = 0; len < full.size(); ++len) {
        writeFile(dir / "h.dat", full.substr(0, len));
        // Refused when the settings are taken, and by the read itself.
        EXPECT_EQ(messageOf([&] { Gsi10mRead(dir / "h.dat").run(); }), MessageId::IllegalGsi10mDat)
            << len;
        EXPECT_EQ(messageOf([&] { Gsi10mRead(dir / "h.dat").run(&info); }),
                  MessageId::IllegalGsi10mDat)
            << len;
    }
}

// A description folder and its dat folder side by side, as the product
// ships them.
struct Product {
    TempDir root;
    std::filesystem::path csv;

    Product(const std::string& csvText, const std::string& datDir, const std::string& datName,
            const std::string& datBytes) {
        std::filesystem::create_directories(root / "csv");
        std::filesystem::create_directories(root / datDir);
        csv = root / "csv" / "kirishima.csv";
        writeFile(csv, csvText);
        writeFile(root / datDir / datName, datBytes);
    }
};

TEST(Gsi10mImport, ImportsAndReadsBackTheGrid) {
    for (const char* eol : {"\r\n", "\n"}) {
        ScopedHome home;
        Product p(joinCsv(headerLines(9, 6), eol), "dat", "kirishima.dat", makeDat(9, 6, ramp));
        hg::IniProfileStore store = hg::userSettings();
        hg::importGsi10mDescription(p.csv, hg::workingFilePath(), store);
        EXPECT_EQ(hg::readDemType(store), hg::kDemGsi10m);
        EXPECT_EQ(hg::gsi10mTitle(store), sjis("霧島山"));

        hg::TerrainBuffers buffers;
        hg::CViewSettings settings;
        settings.isPart = 1;
        settings.meshBlock = 1.0;
        auto mesh =
            hg::createMesh(buffers, settings, hg::kDemGsi10m, hg::workingFilePath(), &store);
        mesh->open();
        mesh->layout();
        mesh->read();
        EXPECT_DOUBLE_EQ(mesh->ewSpacing, 12000.0 / 8);
        expectTenths(buffers.heights, 9, 6, ramp);
    }
}

TEST(Gsi10mImport, FindsTheHeightFileIgnoringCase) {
    ScopedHome home;
    Product p(joinCsv(headerLines(2, 2)), "DAT", "Kirishima.DAT", makeDat(2, 2, ramp));
    hg::IniProfileStore store = hg::userSettings();
    hg::importGsi10mDescription(p.csv, hg::workingFilePath(), store);
    EXPECT_EQ(readFile(hg::workingFilePath()), makeDat(2, 2, ramp));
}

TEST(Gsi10mImport, FailedImportLeavesWorkingFileAndSettingsAlone) {
    ScopedHome home;
    hg::IniProfileStore store = hg::userSettings();
    Product good(joinCsv(headerLines(2, 2)), "dat", "kirishima.dat", makeDat(2, 2, ramp));
    hg::importGsi10mDescription(good.csv, hg::workingFilePath(), store);
    store.putString("Hillglimmer", "isPart", "1");
    const std::string memBefore = readFile(hg::workingFilePath());
    const std::string iniBefore = readFile(hg::settingsPath());
    auto importOf = [&](const Product& p) {
        return messageOf([&] { hg::importGsi10mDescription(p.csv, hg::workingFilePath(), store); });
    };

    auto noZone = headerLines(4, 4);
    noZone.erase(noZone.begin() + 16);
    EXPECT_EQ(importOf(Product(joinCsv(noZone), "dat", "kirishima.dat", makeDat(4, 4, ramp))),
              MessageId::CsvNoZone);
    EXPECT_EQ(
        importOf(Product(joinCsv(headerLines(4, 4)), "dat", "kirishima.dat", makeDat(4, 3, ramp))),
        MessageId::IllegalGsi10mDat);
    try {
        importOf(Product(joinCsv(headerLines(4, 4)), "dat", "other.dat", makeDat(4, 4, ramp)));
        ADD_FAILURE() << "imported without a height file";
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find("kirishima.dat"), std::string::npos) << e.what();
    }
    EXPECT_EQ(readFile(hg::workingFilePath()), memBefore);
    EXPECT_EQ(readFile(hg::settingsPath()), iniBefore);
    EXPECT_FALSE(std::filesystem::exists(hg::workingFilePath().string() + ".import"));
}

TEST(Gsi10mImport, WorkingFileOrDescriptionThatDoNotMatchAreRefused) {
    ScopedHome home;
    hg::IniProfileStore store = hg::userSettings();
    // A height file with bytes after the grid: only the grid is kept.
    Product p(joinCsv(headerLines(9, 6)), "dat", "kirishima.dat", makeDat(9, 6, ramp) + "tail");
    hg::importGsi10mDescription(p.csv, hg::workingFilePath(), store);
    EXPECT_EQ(readFile(hg::workingFilePath()), makeDat(9, 6, ramp));
    auto openMessage = [&] {
        hg::TerrainBuffers buffers;
        hg::CViewSettings settings;
        return messageOf([&] {
            hg::createMesh(buffers, settings, hg::kDemGsi10m, hg::workingFilePath(), &store)
                ->open();
        });
    };
    EXPECT_EQ(openMessage(), std::nullopt);
    // Another format's file under a stale demType has no signature to fail
    // on; its size gives it away, larger or smaller.
    for (std::size_t size : {9u * 6u * 2u + 2u, 9u * 6u * 2u - 2u}) {
        writeFile(hg::workingFilePath(), std::string(size, 'x'));
        EXPECT_EQ(openMessage(), MessageId::IllegalGsi10mDat) << size;
    }
    writeFile(hg::workingFilePath(), makeDat(9, 6, ramp));
    // A description with a corner missing would draw at zero corners.
    writeFile(hg::settingsPath(), "[Hillglimmer]\ndemType=6\n[GSI10m]\nnRows=6\nnCols=9\n");
    EXPECT_EQ(openMessage(), MessageId::IllegalGsi10mDat);
}

}  // namespace
