// SPDX-License-Identifier: MIT
#include "dem/os_dtm.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "dem/geodesy.h"
#include "platform/message_error.h"
#include "support/message_id_print.h"
#include "support/test_support.h"

namespace {

using hg::MessageId;

using hg::COSdtm;
using hg::MessageError;

// The test grid's height at column c, row r counted from the north: every
// post differs, so any mix-up of rows and columns shows.
int height(int c, int r) {
    return 100 * c + 7 * r - 40;
}

std::string num(double v, int width) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%*g", width, v);
    return buf;
}

std::string text(const std::string& s, std::size_t width) {
    return s.size() >= width ? s.substr(0, width) : s + std::string(width - s.size(), ' ');
}

struct Options {
    bool profile = false;
    std::string eol = "\r\n";
    std::string database;  // empty: the product's own name
    int widthField = -1;   // the section's height width; -1: the width written
    int width = 0;         // characters per height; 0: the product's default
    double zMultiplier = 1000;
    double xOrigin = 420000, yOrigin = 310000;
    std::size_t sectionLength = 0;  // pads the section header to this many characters
    std::string gridRecordBefore;   // puts a stray "51" before this header
};

// Offsets just past the "%" of each header and of the last height record.
struct Ends {
    std::map<std::string, std::size_t> header;
    std::size_t data = 0;
};

// An NTF height grid as the format lays it out: each record ends in a
// continuation flag and "%", then the line end; columns run west to east,
// heights within a column south to north.
std::string ntf(int cols, int rows, const Options& o, Ends* ends = nullptr) {
    const int width = o.width ? o.width : (o.profile ? 5 : 4);
    std::string out;
    auto record = [&](const std::string& content, char flag) {
        out += content + flag + "%" + o.eol;
        return out.size() - o.eol.size();
    };
    auto header = [&](const std::string& type, const std::string& content) {
        if (o.gridRecordBefore == type) record("51", '0');
        std::size_t end = record(content, '0');
        if (ends) ends->header[type] = end;
    };
    const std::string db = !o.database.empty() ? o.database
                           : o.profile         ? "L-F_PROFILE_DTM"
                                               : "OS_LANDRANGER_DTM";
    header("01", "01" + text("OS", 20) + text("CUSTOMER", 20) + "19980315");
    header("02", "02" + text(db, 20) + "NTF2.0");
    std::string section = "07" + text("SK20", 10) + text("", 8) + num(1000, 10) +
                          num(o.widthField >= 0 ? o.widthField : width, 5) + " " +
                          num(o.zMultiplier, 10) + num(o.xOrigin, 10) + num(o.yOrigin, 10);
    if (o.sectionLength > section.size() + 1) section = text(section, o.sectionLength - 1);
    header("07", section);
    // Profile: no offsets, 10 m east-west, 20 m north-south.
    header("50", "50" + text("GRID", 10) +
                     (o.profile ? num(0, 5) + num(0, 5) + num(cols, 8) + num(rows, 8) + num(10, 4) +
                                      num(20, 4)
                                : num(cols, 4) + num(rows, 4)));
    for (int c = 0; c < cols; ++c) {
        int r = rows - 1;
        auto take = [&](int n, std::string content) {
            for (; n > 0 && r >= 0; --n, --r) content += num(height(c, r), width);
            std::size_t end = record(content, r >= 0 ? '1' : '0');
            if (ends) ends->data = end;
        };
        if (o.profile) {
            take(12, "51" + text("COL" + std::to_string(c), 16));
        } else {
            record("51" + text("COL" + std::to_string(c), 20), '1');
            record("00" + text("", 20), '1');
            take(19, "00");
        }
        while (r >= 0) take(o.profile ? 15 : 19, "00");
    }
    record("99", '0');
    return out;
}

class OsDtm : public ::testing::Test {
protected:
    void SetUp() override {
        // The whole grid at full resolution.
        settings_.isPart = 1;
        settings_.sizeMeshMaxX = settings_.sizeMeshMaxZ = 20000;
        settings_.meshBlock = 1.0;
    }
    std::unique_ptr<COSdtm> load(const std::string& bytes) {
        hgtest::writeFile(path_, bytes);
        auto mesh = std::make_unique<COSdtm>(draw_, settings_, path_);
        mesh->open();
        mesh->layout();
        mesh->read();
        return mesh;
    }
    // The message a file fails with, or none when it reads.
    std::optional<MessageId> failure(const std::string& bytes) {
        try {
            load(bytes);
        } catch (const MessageError& e) {
            return e.id();
        }
        return std::nullopt;
    }
    std::optional<MessageId> titleFailure() {
        try {
            hg::ntfTitle(path_);
        } catch (const MessageError& e) {
            return e.id();
        }
        return std::nullopt;
    }
    void expectGrid(int cols, int rows, const COSdtm& mesh, double factor = 1.0) {
        ASSERT_EQ(mesh.demCols, cols);
        ASSERT_EQ(mesh.demRows, rows);
        ASSERT_EQ(draw_.heights.size(), static_cast<std::size_t>(cols * rows));
        for (int r = 0; r < rows; ++r) {
            for (int c = 0; c < cols; ++c) {
                ASSERT_EQ(draw_.heights[static_cast<std::size_t>(r * cols + c)],
                          static_cast<float>(height(c, r) * factor))
                    << "column " << c << ", row " << r << " from the north";
            }
        }
    }

    hgtest::TempDir dir_;
    std::filesystem::path path_ = dir_ / "hillglimmer.mem";
    hg::TerrainBuffers draw_;
    hg::CViewSettings settings_;
};

TEST_F(OsDtm, PanoramaAndProfileReadBackWithAnyLineEnds) {
    const std::pair<int, int> shapes[] = {{5, 3}, {3, 5}, {4, 30}, {2, 41}};
    for (bool profile : {false, true}) {
        for (const char* eol : {"\r\n", "\n", ""}) {
            for (auto [cols, rows] : shapes) {
                SCOPED_TRACE(std::to_string(profile) + " " + std::to_string(cols) + "x" +
                             std::to_string(rows) + " line end of " +
                             std::to_string(std::string(eol).size()));
                Options o;
                o.profile = profile;
                o.eol = eol;
                auto mesh = load(ntf(cols, rows, o));
                expectGrid(cols, rows, *mesh);
                EXPECT_EQ(mesh->title,
                          std::string(profile ? "L-F_PROFILE_DTM" : "OS_LANDRANGER_DTM") +
                              "  19980315  SK20");
                // Only the profile product's contours go below the sea.
                EXPECT_EQ(mesh->contoursBelowSea, profile);
                EXPECT_EQ(hg::ntfTitle(path_), "SK20");
            }
        }
    }
}

TEST_F(OsDtm, HeightWidthAndMultiplier) {
    Options pan, prof, wide;
    pan.widthField = prof.widthField = 0;
    prof.profile = true;
    wide.width = 6;
    wide.zMultiplier = 100;
    expectGrid(3, 4, *load(ntf(3, 4, pan)));
    expectGrid(3, 4, *load(ntf(3, 4, prof)));
    expectGrid(3, 4, *load(ntf(3, 4, wide)), 100 * 0.001);
}

TEST_F(OsDtm, SpacingsAndCornersFollowTheGridHeader) {
    Options o;
    o.profile = true;
    auto profile = load(ntf(5, 3, o));
    EXPECT_EQ(profile->ewSpacing, 10.0);
    EXPECT_EQ(profile->nsSpacing, 20.0);

    // A full Panorama tile on the grid's true origin: 20 km a side at 50 m.
    Options p;
    p.xOrigin = 400000;
    p.yOrigin = -100000;
    auto tile = load(ntf(401, 401, p));
    EXPECT_EQ(tile->ewSpacing, 50.0);
    EXPECT_EQ(tile->nsSpacing, 50.0);
    EXPECT_EQ(tile->swY, 176400.0);
    EXPECT_EQ(tile->swX, -7200.0);
    EXPECT_DOUBLE_EQ(tile->neX, 20000.0 / hg::metresPerArcSecEW(0, tile->neY) - 7200.0);
    EXPECT_NEAR(tile->neY - tile->swY, 20000.0 / hg::metresPerArcSecNS(0, 176400.0), 0.1);
}

TEST_F(OsDtm, ThinningAndWindowKeepTheSamePostsAsEveryReader) {
    const std::string bytes = ntf(5, 5, Options{});
    settings_.isPart = 0;
    settings_.sizeMeshMaxX = settings_.sizeMeshMaxZ = 3;
    load(bytes);
    EXPECT_EQ(draw_.heights, (std::vector<float>{float(height(0, 0)), float(height(2, 0)),
                                                 float(height(0, 2)), float(height(2, 2))}));
    settings_.isPart = 1;
    settings_.startX = 1;
    settings_.startZ = 2;
    settings_.sizeMeshMaxX = 3;
    settings_.sizeMeshMaxZ = 2;
    load(bytes);
    ASSERT_EQ(draw_.heights.size(), 6u);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(draw_.heights[i], height(i % 3 + 1, i / 3 + 2));
}

TEST_F(OsDtm, RecordsPastTheLimitCountAsMissing) {
    Options o;
    o.eol = "";
    o.sectionLength = 257;
    EXPECT_EQ(failure(ntf(3, 3, o)), std::nullopt);
    o.sectionLength = 258;
    EXPECT_EQ(failure(ntf(3, 3, o)), MessageId::NtfNoSectionHeader);
    EXPECT_EQ(titleFailure(), MessageId::NtfNoSectionHeader);
    // Line breaks count towards the limit though they are dropped.
    o.eol = "\r\n";
    o.sectionLength = 256;
    EXPECT_EQ(failure(ntf(3, 3, o)), MessageId::NtfNoSectionHeader);
}

TEST_F(OsDtm, MisplacedMissingOrForeignHeadersGiveTheirMessages) {
    for (auto [header, message] : {std::pair{"02", MessageId::NtfNoDatabaseHeader},
                                   {"07", MessageId::NtfNoSectionHeader},
                                   {"50", MessageId::NtfNoGridHeader}}) {
        Options o;
        o.gridRecordBefore = header;
        EXPECT_EQ(failure(ntf(3, 3, o)), message) << header;
    }
    const std::string good = ntf(3, 3, Options{});
    EXPECT_EQ(failure(good.substr(good.find('%') + 3)), MessageId::NtfNoVolumeHeader);
    // Another NTF product holds no height grid: refused rather than drawn.
    Options other;
    other.database = "OS_STRATEGI";
    EXPECT_EQ(failure(ntf(3, 3, other)), MessageId::IllegalNtf);
    std::filesystem::remove(path_);
    EXPECT_THROW(COSdtm(draw_, settings_, path_).open(), MessageError);
    EXPECT_EQ(titleFailure(), MessageId::NtfRecordData);
}

TEST_F(OsDtm, FilesCutShortGiveTheMessageOfWhatIsMissing) {
    for (bool profile : {false, true}) {
        Options o;
        o.profile = profile;
        o.eol = profile ? "" : "\r\n";
        Ends e;
        const std::string whole = ntf(3, 20, o, &e);
        for (std::size_t cut = 0; cut < whole.size(); ++cut) {
            std::optional<MessageId> expected;
            if (cut < e.header["01"]) {
                expected = MessageId::NtfNoVolumeHeader;
            } else if (cut < e.header["02"]) {
                expected = MessageId::NtfNoDatabaseHeader;
            } else if (cut < e.header["07"]) {
                expected = MessageId::NtfNoSectionHeader;
            } else if (cut < e.header["50"]) {
                expected = MessageId::NtfNoGridHeader;
            } else if (cut < e.data) {
                expected = MessageId::NtfGridData;
            }
            ASSERT_EQ(failure(whole.substr(0, cut)), expected) << "cut at " << cut;
            ASSERT_EQ(titleFailure(), cut < e.header["07"]
                                          ? std::optional(MessageId::NtfNoSectionHeader)
                                          : std::nullopt)
                << "cut at " << cut;
        }
    }
}

}  // namespace
