// SPDX-License-Identifier: MIT
#include "dem/usgs1deg.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "dem/geodesy.h"
#include "platform/message_error.h"
#include "support/message_id_print.h"
#include "support/test_support.h"

namespace {

using hg::MessageId;

using hg::VOID_HEIGHT;

// Builds files in the exchange layout so each case states only what it is
// about.
struct Profile {
    double x = 0.0, y = 0.0, datum = 0.0;
    std::vector<int> values;
};

struct DemFile {
    std::string title = "TEST QUAD";
    int zone = 0;
    int unitCode = 2;
    std::array<double, 8> corners{};  // SW, NW, NE, SE as x, y pairs
    double minH = 0.0, maxH = 0.0;
    double xRes = 3.0, yRes = 3.0, zRes = 1.0;
    std::string lineEnd;
    int declaredCols = -1;  // profiles.size() unless set
    std::vector<Profile> profiles;

    std::string bytes() const;
};

void put(std::string& block, std::size_t at, const std::string& text) {
    block.replace(at, text.size(), text);
}

std::string i6(int v) {
    char b[16];
    std::snprintf(b, sizeof b, "%6d", v);
    return b;
}

std::string d24(double v) {
    char b[40];
    std::snprintf(b, sizeof b, "%24.15E", v);
    std::string s = b;
    s[s.find('E')] = 'D';
    return s;
}

std::string e12(double v) {
    char b[24];
    std::snprintf(b, sizeof b, "%12.6E", v);
    return b;
}

std::string DemFile::bytes() const {
    std::string out;
    std::string a(1024, ' ');
    put(a, 0, title);
    put(a, 156, i6(zone == 0 ? 0 : 1));
    put(a, 162, i6(zone));
    put(a, 528, i6(zone == 0 ? 3 : 2));
    put(a, 534, i6(unitCode));
    put(a, 540, i6(4));
    for (std::size_t i = 0; i < 8; ++i) put(a, 546 + 24 * i, d24(corners[i]));
    put(a, 738, d24(minH));
    put(a, 762, d24(maxH));
    put(a, 816, e12(xRes) + e12(yRes) + e12(zRes));
    put(a, 852, i6(1));
    put(a, 858, i6(declaredCols >= 0 ? declaredCols : static_cast<int>(profiles.size())));
    out += a + lineEnd;
    for (std::size_t j = 0; j < profiles.size(); ++j) {
        const Profile& p = profiles[j];
        std::string block(1024, ' ');
        put(block, 0,
            i6(1) + i6(static_cast<int>(j) + 1) + i6(static_cast<int>(p.values.size())) + i6(1));
        put(block, 24, d24(p.x) + d24(p.y) + d24(p.datum) + d24(0.0) + d24(0.0));
        std::size_t at = 144;
        for (int v : p.values) {
            if (at + 6 > 1020) {
                out += block + lineEnd;
                block.assign(1024, ' ');
                at = 0;
            }
            put(block, at, i6(v));
            at += 6;
        }
        out += block + lineEnd;
    }
    return out;
}

// A geographic file of cols full profiles of rows posts, value f(col, row
// from the south), corners on the posts at 3 arc-seconds.
template <class F>
DemFile fullGrid(int cols, int rows, F f) {
    DemFile d;
    const double w = -309600.0, s = 129600.0;
    const double e = w + 3.0 * (cols - 1), n = s + 3.0 * (rows - 1);
    d.corners = {w, s, w, n, e, n, e, s};
    for (int c = 0; c < cols; ++c) {
        Profile p;
        p.x = w + 3.0 * c;
        p.y = s;
        for (int r = 0; r < rows; ++r) p.values.push_back(f(c, r));
        d.profiles.push_back(std::move(p));
    }
    return d;
}

struct Loaded {
    hg::TerrainBuffers buffers;
    hg::CViewSettings settings;
    std::unique_ptr<hg::CUSGS1deg> mesh;
    float at(int rowFromNorth, int col) const {
        return buffers.heights[static_cast<std::size_t>(rowFromNorth) * settings.usedCols + col];
    }
};

// The whole DEM at full resolution, as `hillglimmer info --heights` reads it.
void wholeWindow(hg::CViewSettings& s) {
    s.isPart = 1;
    s.startX = s.startZ = 0;
    s.sizeMeshMaxX = s.sizeMeshMaxZ = INT_MAX;
    s.meshBlock = 1.0;
}

std::unique_ptr<Loaded> load(const std::filesystem::path& path,
                             void (*configure)(hg::CViewSettings&) = wholeWindow) {
    auto l = std::make_unique<Loaded>();
    configure(l->settings);
    l->mesh = std::make_unique<hg::CUSGS1deg>(l->buffers, l->settings, path);
    l->mesh->open();
    l->mesh->layout();
    l->mesh->read();
    return l;
}

std::unique_ptr<Loaded> loadBytes(const hgtest::TempDir& dir, const std::string& bytes,
                                  void (*configure)(hg::CViewSettings&) = wholeWindow) {
    const auto path = dir / "test.dem";
    hgtest::writeFile(path, bytes);
    return load(path, configure);
}

std::optional<MessageId> illegalId(const hgtest::TempDir& dir, const std::string& bytes) {
    try {
        loadBytes(dir, bytes);
    } catch (const hg::MessageError& e) {
        return e.id();
    }
    return std::nullopt;
}

TEST(UsgsDem, OneDegreeGridOf1201ProfilesFillsNorthRowFirst) {
    hgtest::TempDir dir;
    auto f = [](int c, int r) { return (c * 7 + r * 13) % 2500 - 200; };
    const DemFile d = fullGrid(1201, 1201, f);
    const std::string bytes = d.bytes();
    // 146 + 6 x 170 = 1166 posts in seven blocks, the last 35 in an eighth.
    ASSERT_EQ(bytes.size(), 1024u + 1201u * 8u * 1024u);

    auto l = loadBytes(dir, bytes);
    ASSERT_EQ(l->mesh->demCols, 1201);
    ASSERT_EQ(l->mesh->demRows, 1201);
    EXPECT_FALSE(l->mesh->raggedProfiles());
    ASSERT_EQ(l->buffers.heights.size(), 1201u * 1201u);
    int wrong = 0;
    for (int r = 0; r < 1201; ++r) {
        for (int c = 0; c < 1201; ++c) {
            if (l->at(r, c) != static_cast<float>(f(c, 1200 - r))) ++wrong;
        }
    }
    EXPECT_EQ(wrong, 0);
}

TEST(UsgsDem, BlocksMayEndWithLineFeedOrCrLf) {
    // 317 posts cross both kinds of block boundary (146, then 170, then 1).
    auto f = [](int c, int r) { return c * 1000 + r; };
    for (const std::string end : {"", "\n", "\r\n"}) {
        SCOPED_TRACE(end.size());
        hgtest::TempDir dir;
        DemFile d = fullGrid(3, 317, f);
        d.lineEnd = end;
        auto l = loadBytes(dir, d.bytes());
        EXPECT_EQ(l->mesh->blockStride(), 1024u + end.size());
        ASSERT_EQ(l->mesh->demRows, 317);
        int wrong = 0;
        for (int r = 0; r < 317; ++r) {
            for (int c = 0; c < 3; ++c) wrong += l->at(r, c) != static_cast<float>(f(c, 316 - r));
        }
        EXPECT_EQ(wrong, 0);
    }
}

TEST(UsgsDem, HeightsApplyResolutionDatumAndUnitThenTruncateTowardZero) {
    hgtest::TempDir dir;
    // Feet: 1000 ft is 304.8 m, kept as 304; -42 ft is -12.8 m, kept as -12.
    DemFile feet = fullGrid(2, 4, [](int, int r) {
        const int v[] = {1000, -42, -32767, -32768};
        return v[r];
    });
    feet.unitCode = 1;
    feet.minH = -42.0;
    feet.maxH = 1000.0;
    auto l = loadBytes(dir, feet.bytes());
    EXPECT_EQ(l->at(3, 0), 304.0f);
    EXPECT_EQ(l->at(2, 1), -12.0f);
    // Void markers never become heights, in either unit.
    EXPECT_EQ(l->at(1, 0), VOID_HEIGHT);
    EXPECT_EQ(l->at(0, 1), VOID_HEIGHT);
    EXPECT_FLOAT_EQ(l->mesh->maxHeight, 304.8f);
    EXPECT_FLOAT_EQ(l->mesh->minHeight, static_cast<float>(-42.0 * 0.3048));

    // Decimetre posts over a datum: -129 x 0.1 = -12.9 m -> -12;
    // 100 x 0.1 + 50 = 60 m.
    DemFile dm = fullGrid(2, 2, [](int c, int) { return c == 0 ? -129 : 100; });
    dm.zRes = 0.1;
    dm.profiles[1].datum = 50.0;
    l = loadBytes(dir, dm.bytes());
    EXPECT_EQ(l->at(0, 0), -12.0f);
    EXPECT_EQ(l->at(1, 1), 60.0f);
}

TEST(UsgsDem, SpacingsFollowTheZone) {
    hgtest::TempDir dir;
    // Geographic: arc-seconds turned into metres at the edges' latitudes.
    DemFile geo = fullGrid(1201, 3, [](int, int) { return 0; });
    geo.corners = {-309600, 129600, -309600, 133200, -306000, 133200, -306000, 129600};
    auto l = loadBytes(dir, geo.bytes());
    const auto& m = *l->mesh;
    EXPECT_DOUBLE_EQ(m.ewSpacingN, hg::metresPerArcSecEW(0, 133200) * 3600 / 1200);
    EXPECT_DOUBLE_EQ(m.ewSpacingS, hg::metresPerArcSecEW(0, 129600) * 3600 / 1200);
    EXPECT_DOUBLE_EQ(m.nsSpacingN, hg::metresPerArcSecNS(0, 133200) * 3600 / 2);
    EXPECT_NEAR(m.ewSpacing, 74.66, 0.05);  // 3" of longitude near 36.5 degrees
    EXPECT_DOUBLE_EQ(m.nwY, 133200);

    // UTM zone 17: spacings straight from the metres; corners become
    // latitudes for display.
    DemFile utm = fullGrid(5, 3, [](int, int) { return 0; });
    utm.zone = 17;
    utm.corners = {500000, 4000000, 500000, 4000060, 500120, 4000060, 500120, 4000000};
    l = loadBytes(dir, utm.bytes());
    const auto& u = *l->mesh;
    EXPECT_DOUBLE_EQ(u.ewSpacingN, 30.0);
    EXPECT_DOUBLE_EQ(u.ewSpacing, 30.0);
    EXPECT_DOUBLE_EQ(u.nsSpacing, 30.0);
    EXPECT_DOUBLE_EQ(u.referenceLongitude, (180.0 - 16 * 6) * 3600);
    EXPECT_NEAR(u.nwY / 3600.0, 36.14, 0.02);  // 4000 km north of the equator
    EXPECT_GT(u.nwY, u.swY);
}

void window3x2(hg::CViewSettings& s) {
    s.isPart = 1;
    s.startX = 2;
    s.startZ = 0;
    s.sizeMeshMaxX = 3;
    s.sizeMeshMaxZ = 2;
    s.meshBlock = 1.0;
}

void thinToFive(hg::CViewSettings& s) {
    s.isPart = 0;
    s.sizeMeshMaxX = s.sizeMeshMaxZ = 5;
    s.meshBlock = 1.0;
}

TEST(UsgsDem, WindowAndThinningKeepPostsInTheirPlaces) {
    hgtest::TempDir dir;
    auto f = [](int c, int r) { return c * 100 + r; };
    const std::string bytes = fullGrid(9, 9, f).bytes();
    // startZ 0 is the northmost row, whatever order the file stores.
    auto w = loadBytes(dir, bytes, window3x2);
    ASSERT_EQ(w->buffers.heights.size(), 6u);
    EXPECT_EQ(w->at(0, 0), static_cast<float>(f(2, 8)));
    EXPECT_EQ(w->at(1, 2), static_cast<float>(f(4, 7)));

    auto t = loadBytes(dir, bytes, thinToFive);
    ASSERT_EQ(t->mesh->thinStep, 2);
    ASSERT_EQ(t->settings.usedCols, 4);
    ASSERT_EQ(t->settings.usedRows, 4);
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) EXPECT_EQ(t->at(r, c), static_cast<float>(f(2 * c, 8 - 2 * r)));
    }
}

TEST(UsgsDem, RaggedProfilesFillVoid) {
    hgtest::TempDir dir;
    DemFile d;
    d.zone = 10;
    d.xRes = d.yRes = 30.0;
    // Corners between posts: rows 100 (3000 m) to 106 (3180 m).
    d.corners = {1000, 3010, 1000, 3170, 1060, 3175, 1060, 3005};
    d.profiles = {{1000, 3030, 0, {1, 2, 3}},
                  {1030, 3000, 0, {10, 11, 12, 13, 14, 15, 16}},
                  {1060, 3120, 0, {20, 21, 22, 23}}};
    auto l = loadBytes(dir, d.bytes());
    ASSERT_TRUE(l->mesh->raggedProfiles());
    ASSERT_EQ(l->mesh->demCols, 3);
    ASSERT_EQ(l->mesh->demRows, 7);
    EXPECT_DOUBLE_EQ(l->mesh->ewSpacing, 30.0);
    EXPECT_DOUBLE_EQ(l->mesh->nsSpacing, 30.0);
    // Column 0 covers rows 1..3 from the south: rows 5..3 from the north.
    // Column 2 starts at row 4 and runs one post beyond the grid's top.
    const float V = VOID_HEIGHT;
    const std::vector<std::vector<float>> expect = {
        {V, 16, 22}, {V, 15, 21}, {V, 14, 20}, {3, 13, V}, {2, 12, V}, {1, 11, V}, {V, 10, V}};
    for (int r = 0; r < 7; ++r) {
        for (int c = 0; c < 3; ++c) EXPECT_EQ(l->at(r, c), expect[r][c]) << r << "," << c;
    }
}

TEST(UsgsDem, BrokenFilesAreIllegalFormat) {
    hgtest::TempDir dir;
    auto ok = [] { return fullGrid(3, 200, [](int c, int r) { return c + r; }); };
    const std::string good = ok().bytes();
    ASSERT_EQ(illegalId(dir, good), std::nullopt);

    std::vector<std::pair<const char*, std::string>> cases;
    cases.emplace_back("empty", "");
    cases.emplace_back("record A cut", good.substr(0, 1000));
    cases.emplace_back("no profiles", good.substr(0, 1024));
    cases.emplace_back("last profile cut in its last block", good.substr(0, good.size() - 5));
    cases.emplace_back("last profile cut at a block edge", good.substr(0, good.size() - 1024));
    DemFile d = ok();
    d.declaredCols = 0;
    cases.emplace_back("zero profiles", d.bytes());
    d.declaredCols = 999999;
    cases.emplace_back("more profiles than the file holds", d.bytes());
    d = ok();
    d.profiles[1].values.clear();
    cases.emplace_back("empty profile", d.bytes());
    d = ok();
    d.zRes = -1.0;
    cases.emplace_back("negative z resolution", d.bytes());
    d = ok();
    d.profiles[2].y += 3.0;
    d.yRes = 0.0;
    cases.emplace_back("ragged without y resolution", d.bytes());
    d = ok();
    d.profiles[2].y += 3.0;
    d.corners[3] = d.corners[5] = 1e9;
    cases.emplace_back("corners far beyond the profiles", d.bytes());
    // One long profile lets the corners claim rows it could reach, but the
    // other 49 hold one post each: the grid would be 95% void.
    d = DemFile{};
    d.corners = {0, 0, 0, 3.0 * 1999, 3.0 * 49, 3.0 * 1999, 3.0 * 49, 0};
    for (int c = 0; c < 50; ++c) {
        d.profiles.push_back({3.0 * c, 3.0 * (c * 7 % 1000), 0.0, {c}});
    }
    d.profiles[0].values.assign(1000, 5);
    cases.emplace_back("corners far beyond what the profiles hold", d.bytes());
    d = ok();
    d.zone = 10;
    d.corners = {0, 1e12, 0, 1e12, 1, 1e12, 1, 1e12};
    cases.emplace_back("northing beyond the pole", d.bytes());
    std::string hugeCount = good;
    hugeCount.replace(1024 + 12, 6, i6(30000));
    cases.emplace_back("profile longer than any grid", hugeCount);

    for (const auto& [what, bytes] : cases)
        EXPECT_EQ(illegalId(dir, bytes), MessageId::IllegalDem) << what;
    EXPECT_THROW(load(dir / "absent.dem"), hg::MessageError);
}

TEST(UsgsDemTitle, NameInFirstColumnIsCutAt24Characters) {
    hgtest::TempDir dir;
    const auto path = dir / "t.dem";
    DemFile d = fullGrid(2, 2, [](int, int) { return 0; });
    d.title = "SAN FRANCISCO NORTH, CA-24000  LAT:: 37 45";
    hgtest::writeFile(path, d.bytes());
    EXPECT_EQ(hg::usgsDemTitle(path), "SAN FRANCISCO NORTH, CA-");

    d.title = "   DENVER W 1:250000     MORE TEXT    ";
    hgtest::writeFile(path, d.bytes());
    EXPECT_EQ(hg::usgsDemTitle(path), "DENVER W 1:250000     MORE TEXT");
    // The reader's own title keeps the whole 64 characters.
    EXPECT_EQ(load(path)->mesh->title, "DENVER W 1:250000     MORE TEXT");

    hgtest::writeFile(path, std::string(63, 'x'));
    try {
        hg::usgsDemTitle(path);
        FAIL() << "a 63-character file has no title";
    } catch (const hg::MessageError& e) {
        EXPECT_EQ(e.id(), MessageId::IllegalDem);
    }
}

// The real samples: 7.5-minute quadrangles with ragged profiles, one in
// metres and one in feet, against a grid read by an independent library.
struct Sample {
    const char* name;
    double unit;
};

void PrintTo(const Sample& s, std::ostream* os) {
    *os << s.name;
}

class UsgsDemSample : public ::testing::TestWithParam<Sample> {};

int jsonInt(const std::string& json, const std::string& key) {
    auto at = json.find("\"" + key + "\":");
    if (at == std::string::npos) return -1;
    return std::atoi(json.c_str() + at + key.size() + 3);
}

TEST_P(UsgsDemSample, EqualsTheReferenceGridAtEveryPost) {
    const Sample s = GetParam();
    const auto dem = hgtest::sharedData(std::string("usgsdem/") + s.name + ".dem");
    HG_REQUIRE_SHARED(dem);
    const auto ref =
        hgtest::readFloats(hgtest::sharedData(std::string("oracle/") + s.name + ".f32"));
    const std::string json =
        hgtest::readFile(hgtest::sharedData(std::string("oracle/") + s.name + ".json"));
    const int cols = jsonInt(json, "columns"), rows = jsonInt(json, "rows");
    ASSERT_EQ(ref.size(), static_cast<std::size_t>(cols) * rows);

    // Through the factory, as the info command reads it.
    hg::TerrainBuffers buffers;
    hg::CViewSettings settings;
    wholeWindow(settings);
    auto mesh = hg::createMesh(buffers, settings, hg::kDemUsgs, dem, nullptr);
    mesh->open();
    mesh->layout();
    mesh->read();
    ASSERT_EQ(mesh->demCols, cols);
    ASSERT_EQ(mesh->demRows, rows);
    ASSERT_EQ(buffers.heights.size(), ref.size());
    std::size_t wrong = 0, voids = 0;
    for (std::size_t i = 0; i < ref.size(); ++i) {
        float want =
            ref[i] == -32767.0f ? VOID_HEIGHT : std::trunc(static_cast<float>(ref[i] * s.unit));
        voids += want == VOID_HEIGHT;
        if (buffers.heights[i] != want && ++wrong < 5) {
            ADD_FAILURE() << "post " << i % cols << "," << i / cols << ": " << buffers.heights[i]
                          << " != " << want;
        }
    }
    EXPECT_EQ(wrong, 0u);
    EXPECT_GT(voids, 0u);  // the quadrangle's slanted edges
    EXPECT_LT(voids, ref.size() / 20);
}

TEST_P(UsgsDemSample, CutShortAnywhereIsIllegalFormat) {
    const Sample s = GetParam();
    const auto dem = hgtest::sharedData(std::string("usgsdem/") + s.name + ".dem");
    HG_REQUIRE_SHARED(dem);
    const std::string whole = hgtest::readFile(dem);
    // Both samples end with one block of accuracy statistics that the
    // reader does not need; every cut before it loses part of a profile.
    const std::size_t dataEnd = whole.size() - 1024;
    hgtest::TempDir dir;
    const auto path = dir / "cut.dem";
    hgtest::writeFile(path, whole);
    ASSERT_NO_THROW(load(path));

    std::vector<std::size_t> cuts;
    for (std::size_t at = 0; at < dataEnd; at += 997) cuts.push_back(at);
    for (std::size_t edge : {1u, 2u, 3u, 4u, 100u, 1000u}) {
        for (std::size_t at : {std::size_t{1024}, std::size_t{2048}, dataEnd}) {
            cuts.push_back(at - edge);
            if (at + edge < dataEnd) cuts.push_back(at + edge);
        }
    }
    // Shrinking one file in place keeps the test from writing gigabytes.
    std::sort(cuts.rbegin(), cuts.rend());
    cuts.erase(std::unique(cuts.begin(), cuts.end()), cuts.end());
    for (std::size_t at : cuts) {
        std::filesystem::resize_file(path, at);
        try {
            load(path);
            ADD_FAILURE() << "cut at " << at << " was read";
        } catch (const hg::MessageError& e) {
            EXPECT_EQ(e.id(), MessageId::IllegalDem) << at;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Real, UsgsDemSample,
                         ::testing::Values(Sample{"San_Fran_North", 1.0},
                                           Sample{"sanfranciscos", 0.3048}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
