// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <functional>
#include <optional>
#include <set>
#include <vector>

#include "dem/fot_dhm25.h"
#include "dem/geodesy.h"
#include "support/mesh_read.h"
#include "support/test_support.h"

namespace {

using hg::MessageId;

using hgtest::TempDir;
using hgtest::writeFile;

struct Dhm25Layout {
    int cols = 3;
    int rows = 2;
    int recordLength = 12;
    std::string eol = "\n";
    double nwY = 600000, nwX = 200000, seY = 603000, seX = 198000;
    std::string modelName;  // no MODELLNAME line when empty
    std::function<int(int, int)> decimetres = [](int r, int c) { return r * 1000 + c * 10 - 5; };
};

std::string headerOf(const Dhm25Layout& s) {
    char buf[160];
    std::string h = "NEWHEADER" + s.eol + std::string(40, '-') + s.eol;
    if (!s.modelName.empty()) h += "MODELLNAME    " + s.modelName + "   " + s.eol;
    std::snprintf(buf, sizeof buf, "NORD-WEST ECKE     [M] %10.1f %10.1f", s.nwY, s.nwX);
    h += buf + s.eol;
    std::snprintf(buf, sizeof buf, "SUED-OST ECKE      [M] %10.1f %10.1f", s.seY, s.seX);
    h += buf + s.eol;
    h += "MASCHENWEITE WE/NS [M]      25.0      25.0" + s.eol;
    std::snprintf(buf, sizeof buf, "MATRIXDIMENSIONEN WE/NS %6d    %6d", s.cols, s.rows);
    h += buf + s.eol;
    h += "HOEHENBEREICH     [DM]     -50     43210" + s.eol;
    std::snprintf(buf, sizeof buf, "RECORDLAENGE(CHAR.)   %6d", s.recordLength);
    h += buf + s.eol;
    h += "ENDHEADER" + s.eol;
    return h;
}

// The heights in records of recordLength characters, each record followed
// by the line end; the last record holds what is left.
std::string dataOf(const Dhm25Layout& s) {
    std::string all;
    char buf[16];
    for (int r = 0; r < s.rows; ++r) {
        for (int c = 0; c < s.cols; ++c) {
            std::snprintf(buf, sizeof buf, "%6d", s.decimetres(r, c));
            all += buf;
        }
    }
    std::string out;
    for (std::size_t at = 0; at < all.size(); at += static_cast<std::size_t>(s.recordLength)) {
        out += all.substr(at, static_cast<std::size_t>(s.recordLength)) + s.eol;
    }
    return out;
}

std::string fileOf(const Dhm25Layout& s) {
    return headerOf(s) + dataOf(s);
}

using Dhm25Read = hgtest::MeshRead<hg::CFOTdhm25>;

// The message a file gives, none when it reads.
std::optional<MessageId> failureOf(const TempDir& dir, const std::string& bytes) {
    writeFile(dir / "m.mlt", bytes);
    return hgtest::messageOf([&] { Dhm25Read(dir / "m.mlt").run(); });
}

void expectGrid(const std::vector<float>& h, const Dhm25Layout& s) {
    hgtest::expectTenths(h, s.cols, s.rows, s.decimetres);
}

TEST(Dhm25Coordinates, SwissOriginAndDirections) {
    EXPECT_EQ(hg::swissNorthingToLatitude(200000.0), 169028.66);
    EXPECT_EQ(hg::swissEastingToLongitude(600000.0, 169028.66), 26782.5);
    // Far beyond any Swiss grid there is no answer, rather than a long walk.
    EXPECT_TRUE(std::isnan(hg::swissNorthingToLatitude(1e15)));
    // About a thousand arc-seconds of latitude north and south of the origin.
    const double step = 1000.0 * hg::metresPerArcSecNS(1, 169028.66);
    EXPECT_NEAR(hg::swissNorthingToLatitude(200000.0 + step), 170028.66, 2.0);
    EXPECT_NEAR(hg::swissNorthingToLatitude(200000.0 - step), 168028.66, 2.0);
    const double east = 1000.0 * hg::metresPerArcSecEW(1, 169028.66);
    EXPECT_NEAR(hg::swissEastingToLongitude(600000.0 + east, 169028.66), 27782.5, 1e-6);
}

TEST(Dhm25Header, CornersSpacingsRangeAndTitle) {
    TempDir dir;
    Dhm25Layout s;
    s.modelName = "TESTMODELL BERN";
    writeFile(dir / "m.mlt", fileOf(s));
    Dhm25Read r(dir / "m.mlt");
    r.run();
    EXPECT_EQ(r.mesh.title, "TESTMODELL BERN");
    EXPECT_EQ(hg::dhm25Title(dir / "m.mlt"), "TESTMODELL BERN");
    EXPECT_EQ(std::make_pair(r.mesh.nwX, r.mesh.nwY), std::make_pair(26782.5, 169028.66));
    EXPECT_EQ(std::make_pair(r.mesh.swX, r.mesh.neY), std::make_pair(r.mesh.nwX, r.mesh.nwY));
    EXPECT_EQ(r.mesh.swY, r.mesh.seY);
    EXPECT_LT(r.mesh.seY, r.mesh.nwY);
    EXPECT_GT(r.mesh.seX, r.mesh.nwX);
    EXPECT_DOUBLE_EQ(r.mesh.ewSpacingN, 25.0);
    EXPECT_DOUBLE_EQ(r.mesh.nsSpacingS, 25.0);
    EXPECT_FLOAT_EQ(r.mesh.minHeight, -5.0f);
    EXPECT_FLOAT_EQ(r.mesh.maxHeight, 4321.0f);
}

TEST(Dhm25Header, OptionalNameAndKeysBeforeNewHeader) {
    TempDir dir;
    Dhm25Layout s;
    EXPECT_EQ(failureOf(dir, fileOf(s)), std::nullopt);
    EXPECT_EQ(hg::dhm25Title(dir / "m.mlt"), "");
    EXPECT_EQ(hg::dhm25Title(dir / "missing.mlt"), "");
    writeFile(dir / "junk.mlt", std::string(1000, 'x'));
    EXPECT_EQ(hg::dhm25Title(dir / "junk.mlt"), "");

    // The corner search starts again at the top of the file.
    std::string h = headerOf(s);
    h.erase(0, 10);
    h.insert(h.find("MASCHENWEITE"), "NEWHEADER\n");
    writeFile(dir / "m.mlt", h + dataOf(s));
    Dhm25Read r(dir / "m.mlt");
    expectGrid(r.run(), s);
    EXPECT_EQ(r.mesh.nwY, 169028.66);
}

TEST(Dhm25Header, EachMissingKeyGivesItsMessage) {
    TempDir dir;
    Dhm25Layout s;
    const std::vector<std::pair<std::string, MessageId>> keys = {
        {"NEWHEADER", MessageId::Dhm25NoNewHeader},
        {"NORD-WEST", MessageId::Dhm25NoNorthWest},
        {"SUED-OST", MessageId::Dhm25NoSouthEast},
        {"MASCHENWEITE", MessageId::Dhm25NoMeshWidth},
        {"MATRIXDIMENSIONEN", MessageId::Dhm25NoDimensions},
        {"HOEHENBEREICH", MessageId::Dhm25NoHeightRange},
        {"RECORDLAENGE", MessageId::Dhm25NoRecordLength},
        {"ENDHEADER", MessageId::Dhm25NoEndHeader}};
    for (const auto& [key, id] : keys) {
        std::string h = headerOf(s);
        auto at = h.find(key);
        h.erase(at, h.find('\n', at) + 1 - at);
        EXPECT_EQ(failureOf(dir, h + dataOf(s)), id) << "without " << key;
    }
}

TEST(Dhm25Data, RecordLengthsAndLineEnds) {
    TempDir dir;
    for (const char* eol : {"\n", "\r\n"}) {
        // 3 x 2 heights: three records of 12, or two of 24 with a short
        // second one, or exactly full records of 18 and 36.
        for (int length : {12, 24, 18, 36}) {
            Dhm25Layout s;
            s.eol = eol;
            s.recordLength = length;
            if (length == 24) {
                EXPECT_EQ(dataOf(s), "    -5     5    15   995" + s.eol + "  1005  1015" + s.eol);
            }
            writeFile(dir / "m.mlt", fileOf(s));
            Dhm25Read r(dir / "m.mlt");
            expectGrid(r.run(), s);
        }
    }
}

TEST(Dhm25Data, BadLineEndsFieldsAndHeadersGiveTheirMessages) {
    TempDir dir;
    Dhm25Layout s;
    std::string data = dataOf(s);
    data[12] = 'X';
    EXPECT_EQ(failureOf(dir, headerOf(s) + data), MessageId::IllegalLineEnd);
    Dhm25Layout crlf = s;
    crlf.eol = "\r\n";
    data = dataOf(crlf);
    data[13] = ' ';  // a CR must be followed by its LF
    EXPECT_EQ(failureOf(dir, headerOf(crlf) + data), MessageId::IllegalLineEnd);
    data = dataOf(s);
    data[3] = '#';
    EXPECT_EQ(failureOf(dir, headerOf(s) + data), MessageId::IllegalMatrix);

    // Dimensions the file cannot hold are refused before any allocation; a
    // record must hold a height; a corner far outside any Swiss grid would
    // make the latitude walk endless.
    Dhm25Layout big = s, noRecord = s, far = s;
    big.cols = big.rows = 20000;
    noRecord.recordLength = 0;
    far.seX = 9.0e7;
    for (const Dhm25Layout& bad : {big, noRecord, far}) {
        EXPECT_EQ(failureOf(dir, headerOf(bad) + dataOf(s)), MessageId::IllegalMatrix);
    }
}

TEST(Dhm25Data, RecordsHoldingTooFewHeightsEndWith14) {
    // Record length 8 holds one height a record: the expected five records
    // bring five of the six heights, and the file then ends.
    TempDir dir;
    Dhm25Layout s;
    s.recordLength = 8;
    std::string data;
    char buf[16];
    for (int k = 0; k < 6; ++k) {
        std::snprintf(buf, sizeof buf, "%6d  \n", s.decimetres(k / 3, k % 3));
        data += buf;
    }
    EXPECT_EQ(failureOf(dir, headerOf(s) + data.substr(0, data.size() - 9)),
              MessageId::IllegalMatrix);
    EXPECT_EQ(failureOf(dir, headerOf(s) + data), std::nullopt);
}

TEST(Dhm25Data, CutShortAnywhereGivesAMessage) {
    TempDir dir;
    const std::set<MessageId> headerMessages = {
        MessageId::Dhm25NoNewHeader,    MessageId::Dhm25NoNorthWest,  MessageId::Dhm25NoSouthEast,
        MessageId::Dhm25NoMeshWidth,    MessageId::Dhm25NoDimensions, MessageId::Dhm25NoHeightRange,
        MessageId::Dhm25NoRecordLength, MessageId::Dhm25NoEndHeader,  MessageId::IllegalMatrix};
    for (const char* eol : {"\n", "\r\n"}) {
        Dhm25Layout s;
        s.cols = 5;
        s.rows = 4;
        s.recordLength = 24;
        s.eol = eol;
        const std::string header = headerOf(s);
        const std::string full = header + dataOf(s);
        const std::size_t lastHeight = full.size() - s.eol.size();
        for (std::size_t cut = 0; cut < full.size(); ++cut) {
            const std::optional<MessageId> id = failureOf(dir, full.substr(0, cut));
            if (cut < header.size()) {
                EXPECT_TRUE(id && headerMessages.contains(*id))
                    << "cut at " << cut << ": " << testing::PrintToString(id);
            } else {
                // Only a missing final line end is no fault.
                EXPECT_EQ(id,
                          cut < lastHeight ? std::optional(MessageId::IllegalMatrix) : std::nullopt)
                    << "cut at " << cut;
            }
        }
    }
}

TEST(Dhm25Data, ThinningAndWindowPutValuesInTheirTruePlaces) {
    TempDir dir;
    Dhm25Layout s;
    s.cols = 13;
    s.rows = 11;
    s.recordLength = 30;
    writeFile(dir / "m.mlt", fileOf(s));
    Dhm25Read thinned(dir / "m.mlt");
    thinned.settings.isPart = 0;
    thinned.settings.sizeMeshMaxX = thinned.settings.sizeMeshMaxZ = 5;
    const auto& t = thinned.run();
    ASSERT_EQ(thinned.mesh.thinStep, 3);
    hgtest::expectTenths(t, 4, 3, [&](int i, int j) { return s.decimetres(3 * i, 3 * j); });

    Dhm25Read window(dir / "m.mlt");
    window.settings.startX = 7;
    window.settings.startZ = 2;
    window.settings.sizeMeshMaxX = 4;
    window.settings.sizeMeshMaxZ = 3;
    hgtest::expectTenths(window.run(), 4, 3,
                         [&](int i, int j) { return s.decimetres(2 + i, 7 + j); });
}

TEST(Dhm25Real, Dhm1000MatchesTheReferenceGrid) {
    auto mlt = hgtest::sharedData("dhm25/dhm1000.mlt");
    auto ref = hgtest::sharedData("oracle/dhm1000.f32");
    HG_REQUIRE_SHARED(mlt);
    HG_REQUIRE_SHARED(ref);
    Dhm25Read r(mlt);
    const auto& h = r.run();
    EXPECT_EQ(r.mesh.demCols, 385);
    EXPECT_EQ(r.mesh.demRows, 240);
    EXPECT_EQ(r.mesh.title, "");
    EXPECT_DOUBLE_EQ(r.mesh.ewSpacing, 1000.0);
    // The file's height range line is in metres although it says
    // decimetres; the reader takes it as written.
    EXPECT_FLOAT_EQ(r.mesh.maxHeight, 442.8f);
    // Its north-west corner lies north-west of Bern, its south-east one
    // south-east of it.
    EXPECT_GT(r.mesh.nwY, 169028.66);
    EXPECT_LT(r.mesh.nwX, 26782.5);
    EXPECT_LT(r.mesh.seY, 169028.66);
    EXPECT_GT(r.mesh.seX, 26782.5);

    std::vector<float> want = hgtest::readFloats(ref);
    ASSERT_EQ(h.size(), want.size());
    std::size_t outside = 0;
    float top = 0.0f;
    for (std::size_t i = 0; i < h.size(); ++i) {
        // The reference marks the file's zeros outside the border as void.
        float expected = want[i] == -9999.0f ? 0.0f : want[i];
        if (want[i] == -9999.0f) ++outside;
        top = std::max(top, h[i]);
        ASSERT_NEAR(h[i], expected, 0.1f) << "sample " << i;
    }
    EXPECT_GT(outside, 0u);
    EXPECT_FLOAT_EQ(top, 4428.0f);
}

}  // namespace
