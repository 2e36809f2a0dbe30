// SPDX-License-Identifier: MIT
#include "dem/gsi50m.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>

#include "support/gsi50m_sheet_maker.h"
#include "support/mesh_read.h"
#include "support/test_support.h"

namespace {

using hg::MessageId;

using hgtest::makeSheet;
using hgtest::messageOf;
using hgtest::TempDir;
using hgtest::writeFile;

// A 5' x 7.5' sheet with its north edge at 35 degrees.
constexpr std::array<long, 4> kEdges = {125700, 503550, 126000, 504000};

int ramp(int r, int c) {
    return r * 7 + c - 300;
}
float rampAt(int r, int c) {
    return static_cast<float>(ramp(r, c) * 0.1);
}

struct Reader : hgtest::MeshRead<hg::CGSI50m> {
    // Whole file at full resolution unless told otherwise.
    explicit Reader(const std::filesystem::path& path, int isPart = 1, int startX = 0,
                    int startZ = 0, int sizeX = 999, int sizeZ = 999)
        : MeshRead(path) {
        settings.isPart = isPart;
        settings.startX = startX;
        settings.startZ = startZ;
        settings.sizeMeshMaxX = sizeX;
        settings.sizeMeshMaxZ = sizeZ;
    }
};

TEST(Gsi50mReader, SamplesLandInTheirPlacesWholeWindowedAndThinned) {
    TempDir dir;
    writeFile(dir / "s.mem", makeSheet(200, 200, kEdges, "NAME", ramp, ""));
    Reader whole(dir / "s.mem", 0, 0, 0, 201, 201);
    const auto& h = whole.run();
    ASSERT_EQ(h.size(), 40000u);
    EXPECT_EQ(h[0], rampAt(0, 0));
    EXPECT_EQ(h[1 * 200 + 150], rampAt(1, 150));
    EXPECT_EQ(h[39999], rampAt(199, 199));
    EXPECT_EQ(whole.mesh.nwX, 503550.0);
    EXPECT_EQ(whole.mesh.nwY, 126000.0);
    EXPECT_EQ(whole.mesh.seX, 504000.0);
    EXPECT_EQ(whole.mesh.seY, 125700.0);
    // 25.3548 and 30.8136 m per arc-second at 35 degrees on Bessel 1841.
    EXPECT_NEAR(whole.mesh.ewSpacingN, 25.3548 * 450 / 199, 1e-3);
    EXPECT_NEAR(whole.mesh.nsSpacingN, 30.8136 * 300 / 199, 1e-3);

    Reader window(dir / "s.mem", 1, 3, 10, 50, 40);
    const auto& w = window.run();
    EXPECT_EQ(w[0], rampAt(10, 3));
    EXPECT_EQ(w[39 * 50 + 49], rampAt(49, 52));

    Reader thinned(dir / "s.mem", 0, 0, 0, 60, 60);
    const auto& t = thinned.run();
    ASSERT_EQ(thinned.mesh.thinStep, 4);
    EXPECT_EQ(t[7 * 50 + 11], rampAt(28, 44));
}

TEST(Gsi50mReader, HeightFieldsVoidsBlanksAndLeadingZeros) {
    TempDir dir;
    std::string bytes = makeSheet(
        4, 2, kEdges, "X", [](int, int) { return 10; }, "");
    bytes.replace(1011 + 9, 20, "-9999  123-000512 34");
    writeFile(dir / "s.mem", bytes);
    Reader rd(dir / "s.mem");
    rd.settings.seaHeight = -3.0;
    const auto& h = rd.run();
    EXPECT_EQ(h[0], -3.0f);  // a void takes the sea height
    EXPECT_EQ(h[1], 12.3f);
    EXPECT_EQ(h[2], -0.5f);
    EXPECT_EQ(h[3], 1.2f);  // a number ends at its first blank
}

TEST(Gsi50mReader, WhichRowsHaveRecords) {
    TempDir dir;
    // Rows 1 and 3 are absent; the record count leaves row 5 undescribed.
    writeFile(dir / "s.mem", makeSheet(3, 6, kEdges, "N", ramp, "10101"));
    Reader rd(dir / "s.mem");
    rd.settings.seaHeight = -1.0;
    const auto& h = rd.run();
    for (int r = 0; r < 6; ++r) {
        float want = r % 2 == 0 && r < 5 ? rampAt(r, 2) : -1.0f;
        EXPECT_EQ(h[static_cast<std::size_t>(r) * 3 + 2], want) << r;
    }

    // Some writers leave the count and the flags blank; a file of exactly
    // one record per row can only mean every row is there.
    std::string bytes = makeSheet(3, 4, kEdges, "N", ramp, "");
    bytes.replace(142, 3, "   ");
    bytes.replace(225, 4, "    ");
    writeFile(dir / "s.mem", bytes);
    Reader blank(dir / "s.mem");
    EXPECT_EQ(blank.run()[11], rampAt(3, 2));
}

TEST(Gsi50mReader, SharedSampleMatchesTheReference) {
    auto mem = hgtest::sharedData("jdem/fakejdem.mem");
    auto ref = hgtest::sharedData("oracle/fakejdem.f32");
    HG_REQUIRE_SHARED(mem);
    HG_REQUIRE_SHARED(ref);
    Reader rd(mem);
    EXPECT_EQ(rd.run(), hgtest::readFloats(ref));
    EXPECT_EQ(rd.mesh.nwX, 3600.0);
    EXPECT_EQ(rd.mesh.nwY, 50 * 3600.0);
    EXPECT_EQ(rd.mesh.seY, 49 * 3600.0);
    // Not compared: this sample's east field is "020000 ", six digits set
    // one place left. Read as degrees, minutes and seconds it says 20
    // degrees; the reference reads all seven bytes as one number and gets 2.
}

TEST(Gsi50mReader, MissingShortCutAndImplausibleFilesGiveTheirMessages) {
    TempDir dir;
    auto loading = [&](const std::string& bytes) {
        writeFile(dir / "x.mem", bytes);
        return messageOf([&] { Reader(dir / "x.mem").run(); });
    };
    EXPECT_EQ(messageOf([&] { Reader(dir / "absent.mem").run(); }), MessageId::WorkingFileMissing);
    EXPECT_EQ(messageOf([&] { Reader(dir.path()).run(); }), MessageId::WorkingFileMissing);

    const std::string good = makeSheet(20, 10, kEdges, "N", ramp, "1101111111");
    EXPECT_EQ(loading(good.substr(0, 1010)), MessageId::IllegalWorkingFile);
    for (std::size_t cut = 0; cut < good.size(); cut += 7) {
        EXPECT_EQ(loading(good.substr(0, cut)), MessageId::IllegalWorkingFile) << "cut at " << cut;
    }
    // Counts that cannot describe this file: no columns, negative rows,
    // more columns than the file holds, flags that would run past the header.
    for (auto [at, text] : {std::pair{23, "  0"}, {26, " -5"}, {23, "999"}, {142, "900"}}) {
        std::string bad = good;
        bad.replace(static_cast<std::size_t>(at), 3, text);
        if (at == 142) bad.replace(26, 3, "900");
        EXPECT_EQ(loading(bad), MessageId::IllegalWorkingFile) << at << " " << text;
    }

    // Row 2 is absent, so only the count and the flags say which records
    // the file holds; a count that is no number must not read as "none".
    std::string cutHeader = good;
    cutHeader.replace(140, 1011 - 140, std::string(1011 - 140, ' '));
    EXPECT_EQ(loading(cutHeader), MessageId::IllegalWorkingFile) << "header blank from 140";
    for (const std::string& count : {std::string("   "), std::string("x10"), std::string("1 0"),
                                     std::string("10x"), std::string("\0\0\0", 3)}) {
        std::string bad = good;
        bad.replace(142, 3, count);
        EXPECT_EQ(loading(bad), MessageId::IllegalWorkingFile) << "count '" << count << "'";
    }
    for (const char* count : {" 10", "10 ", "010"}) {
        std::string fine = good;
        fine.replace(142, 3, count);
        EXPECT_EQ(loading(fine), std::nullopt) << "count '" << count << "'";
    }
}

TEST(Gsi50mTitle, TrimmedNamesCompositionMarkAndInfoText) {
    TempDir dir;
    std::string bytes = makeSheet(3, 3, kEdges, "ABCDE", ramp, "");
    bytes.replace(79, 10, "FGHIJ     ");
    writeFile(dir / "s.mem", bytes);
    Reader plain(dir / "s.mem");
    plain.mesh.open();
    // Each trim covers the title so far; the last name goes in untrimmed.
    EXPECT_EQ(plain.mesh.title, "ABCDE  FGHIJ" + std::string(12, ' '));
    EXPECT_EQ(hg::gsi50mTitle(dir / "s.mem"), "ABCDE");

    bytes.replace(58, 10, "\x81\x40\x93\x8C\x8B\x9E    ");
    bytes.replace(145, 37, "Composed by Orogenist for Hillglimmer");
    writeFile(dir / "c.mem", bytes);
    const std::string stops = "\x81\x44\x81\x44\x81\x44";
    EXPECT_EQ(hg::gsi50mTitle(dir / "c.mem"), "\x93\x8C\x8B\x9E" + stops);
    Reader composed(dir / "c.mem");
    composed.mesh.open();
    EXPECT_EQ(composed.mesh.title.rfind("Composed" + stops + "  \x81\x40\x93\x8C", 0), 0u);

    EXPECT_EQ(hg::gsi50mTitle(dir / "absent.mem"), "");
    writeFile(dir / "short.mem", bytes.substr(0, 1010));
    EXPECT_EQ(hg::gsi50mTitle(dir / "short.mem"), "");

    using hg::gsi50m::trimBlanks;
    EXPECT_EQ(trimBlanks("\x81\x40 a b\x81\x40  "), "a b");
    // 0x88 0x81 is one character; the '@' after it is no full-width blank.
    EXPECT_EQ(trimBlanks("\x88\x81@ "), "\x88\x81@");
}

}  // namespace
