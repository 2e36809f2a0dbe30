// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "dem/mesh.h"
#include "dem/read_sdts.h"
#include "dem/sdts_info.h"
#include "dem/usgs75min.h"
#include "dem/view_settings.h"
#include "platform/file.h"
#include "platform/home.h"
#include "settings/settings.h"
#include "support/mesh_read.h"
#include "support/test_support.h"

// The module writer lives with the record reader's tests.
namespace hgtest {
struct Iso8211Field {
    std::string tag;
    std::string body;
};
std::string iso8211FieldDescription(const std::string& controls, const std::string& name,
                                    const std::string& descriptor, const std::string& formats);
std::string iso8211Descriptive(const std::vector<Iso8211Field>& fields, char level);
std::string iso8211Data(const std::vector<Iso8211Field>& fields, char identifier);
}  // namespace hgtest

namespace {

using hg::MessageId;

using hgtest::Iso8211Field;
using hgtest::messageOf;

const std::string UT(1, '\x1f');

std::string units(const std::vector<std::string>& values) {
    std::string s;
    for (const std::string& v : values) s += v + UT;
    return s;
}

// A synthetic transfer with upper-case module names, as USGS writes them.
struct Transfer {
    int nRows = 3;
    int nCols = 4;
    std::vector<std::int16_t> cells = std::vector<std::int16_t>(12, 100);
    int voidValue = -32767, fillValue = -32766, minValue = 100, maxValue = 400;
    std::string unit = "METERS";
    std::string titl = "TEST QUAD, ST-24000";
    std::string daid = "LAT:: 35.125 LONG:: -83.25";
    std::set<std::string> omit;

    static std::string vectorModule(const std::string& tag, const std::string& labels,
                                    const std::string& formats,
                                    const std::vector<std::vector<std::string>>& records) {
        std::string m = hgtest::iso8211Descriptive(
            {{"0001", hgtest::iso8211FieldDescription("0100;&", "RECORD ID", "", "")},
             {tag, hgtest::iso8211FieldDescription("1600;&", tag, labels, formats)}},
            '2');
        int id = 1;
        for (const auto& r : records) {
            m += hgtest::iso8211Data({{"0001", std::to_string(id++)}, {tag, units(r)}}, 'D');
        }
        return m;
    }

    std::string cel0() const {
        std::string m = hgtest::iso8211Descriptive(
            {{"0001", hgtest::iso8211FieldDescription("0100;&", "RECORD ID", "", "")},
             {"CELL", hgtest::iso8211FieldDescription("1600;&", "Cell", "MODN!RCID!ROWI!COLI",
                                                      "(A(4),3I(5))")},
             {"CVLS",
              hgtest::iso8211FieldDescription("2500;&", "Cell Values", "*ELEVATION", "(B(16))")}},
            '2');
        // A layer may promise more rows than the cells given; only those are
        // written.
        const int written = std::min<int>(nRows, static_cast<int>(cells.size()) / nCols);
        for (int r = 0; r < written; ++r) {
            std::string values;
            for (int c = 0; c < nCols; ++c) {
                const auto u = static_cast<std::uint16_t>(cells[r * nCols + c]);
                values += static_cast<char>(u >> 8);
                values += static_cast<char>(u & 0xff);
            }
            char address[32];
            std::snprintf(address, sizeof address, "CEL0%05d%05d%05d", r + 1, r + 1, 1);
            m += hgtest::iso8211Data(
                {{"0001", std::to_string(r + 1)}, {"CELL", address}, {"CVLS", values}}, 'D');
        }
        return m;
    }

    void write(const std::filesystem::path& dir) const {
        auto put = [&](const std::string& name, const std::string& bytes) {
            if (!omit.count(name)) hgtest::writeFile(dir / ("TEST" + name + ".DDF"), bytes);
        };
        put("DDOM", vectorModule("DDOM", "MODN!RCID!ATLB!DVAL", "(A,I,A,I)",
                                 {{"DDOM", "1", "ELEVATION", std::to_string(voidValue)},
                                  {"DDOM", "2", "ELEVATION", std::to_string(fillValue)},
                                  {"DDOM", "3", "ELEVATION", std::to_string(minValue)},
                                  {"DDOM", "4", "ELEVATION", std::to_string(maxValue)}}));
        put("DDSH",
            vectorModule("DDSH", "MODN!RCID!UNIT!PREC", "(A,I,A,R)", {{"DDSH", "1", unit, "1.0"}}));
        put("IDEN", vectorModule("IDEN", "MODN!RCID!TITL!DAID!DCDT", "(A,I,3A)",
                                 {{"IDEN", "1", titl, daid, "20240101"}}));
        put("IREF", vectorModule("IREF", "MODN!RCID!XHRS!YHRS", "(A,I,2R)",
                                 {{"IREF", "1", "30.75", "10.0"}}));
        put("LDEF", vectorModule("LDEF", "MODN!RCID!NROW!NCOL", "(A,I,2I)",
                                 {{"LDEF", "1", std::to_string(nRows), std::to_string(nCols)}}));
        put("RSDF", vectorModule("RSDF", "MODN!RCID", "(A,I)", {{"RSDF", "1"}}));
        std::string spdm = hgtest::iso8211Descriptive(
            {{"0001", hgtest::iso8211FieldDescription("0100;&", "RECORD ID", "", "")},
             {"SPDM", hgtest::iso8211FieldDescription("1600;&", "Domain", "MODN!RCID", "(A,I)")},
             {"DMSA", hgtest::iso8211FieldDescription("1600;&", "Address", "*X!Y", "(2R)")}},
            '2');
        spdm += hgtest::iso8211Data({{"0001", "1"},
                                     {"SPDM", units({"SPDM", "1"})},
                                     {"DMSA", units({"1.5", "2.5", "3", "4", "5", "6", "7", "8"})}},
                                    'D');
        put("SPDM", spdm);
        put("XREF",
            vectorModule("XREF", "MODN!RCID!RSNM!ZONE", "(A,I,A,I)", {{"XREF", "1", "UTM", "17"}}));
        put("CEL0", cel0());
    }
};

std::filesystem::path cel0Of(const std::filesystem::path& dir) {
    return dir / "TESTCEL0.DDF";
}

std::vector<std::int16_t> littleEndian16(const std::string& bytes) {
    std::vector<std::int16_t> v(bytes.size() / 2);
    for (std::size_t i = 0; i < v.size(); ++i) {
        v[i] = static_cast<std::int16_t>(
            static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                       (static_cast<unsigned char>(bytes[2 * i + 1]) << 8)));
    }
    return v;
}

// Reads the working file through the factory at full resolution.
struct Loaded {
    hg::TerrainBuffers buffers;
    std::unique_ptr<hg::CViewSettings> settings = std::make_unique<hg::CViewSettings>();
    std::unique_ptr<hg::CMesh> mesh;

    explicit Loaded(const std::filesystem::path& mem) {
        settings->isPart = 1;
        settings->startX = settings->startZ = 0;
        settings->sizeMeshMaxX = settings->sizeMeshMaxZ = INT_MAX;
        settings->meshBlock = 1.0;
        settings->yFactor = 1.0;
        const hg::IniProfileStore store = hg::userSettings();
        mesh = hg::createMesh(buffers, *settings, hg::kDemSdts75, mem, &store);
        mesh->open();
        mesh->layout();
        mesh->read();
    }
};

TEST(SdtsImport, LayersOfMoreThan1700RowsAreRefused) {
    hgtest::TempDir dir;
    Transfer t;
    t.nRows = 1700;
    t.write(dir.path());
    hg::CSDTSInfo info;
    hg::CReadSDTS reader(hg::sdtsPrefix(cel0Of(dir.path())));
    EXPECT_EQ(messageOf([&] { reader.readModules(info); }), std::nullopt);
    EXPECT_EQ(info.nRows, 1700);

    t.nRows = 1701;
    t.write(dir.path());
    hg::CReadSDTS again(hg::sdtsPrefix(cel0Of(dir.path())));
    EXPECT_EQ(messageOf([&] { again.readModules(info); }), MessageId::SdtsTooManyRows);
}

TEST(SdtsImport, TrimsFillCornersAndSavesEverything) {
    hgtest::ScopedHome home;
    hgtest::TempDir dir;
    Transfer t;
    t.nRows = 6;
    t.nCols = 7;
    t.cells.assign(42, 0);
    for (int i = 0; i < 42; ++i) t.cells[i] = static_cast<std::int16_t>(1000 + i);
    const std::int16_t F = -32766;
    // Triangles of fill in the north-west and south-east corners; a void
    // inside stays as it is.
    for (int i : {0, 1, 7, 41, 40, 34}) t.cells[i] = F;
    t.cells[3 * 7 + 3] = -32767;
    t.cells[2 * 7 + 2] = 300;
    t.cells[2 * 7 + 3] = -100;
    t.write(dir.path());
    // Cells are stored big-endian.
    EXPECT_NE(hgtest::readFile(cel0Of(dir.path())).find(std::string("\x01\x2C\xFF\x9C", 4)),
              std::string::npos);

    hg::IniProfileStore store = hg::userSettings();
    hg::importSdtsTransfer(cel0Of(dir.path()), hg::workingFilePath(), store);

    std::vector<std::int16_t> expected;
    for (int r = 1; r <= 4; ++r) {
        for (int c = 1; c <= 5; ++c) expected.push_back(t.cells[r * 7 + c]);
    }
    EXPECT_EQ(littleEndian16(hgtest::readFile(hg::workingFilePath())), expected);
    EXPECT_EQ(hg::readDemType(store), hg::kDemSdts75);
    const char* s = hg::kSectionSdts;
    EXPECT_EQ(store.getInt(s, "sizeZ", 0), 4);
    EXPECT_EQ(store.getInt(s, "sizeX", 0), 5);
    EXPECT_EQ(store.getString(s, "xhrs", "", 64), "30");  // 30.75, truncated
    EXPECT_EQ(store.getString(s, "seY", "", 64), "8.0000000");
    EXPECT_EQ(store.getString(s, "swX", "", 64), "1.5000000");

    hg::CSDTSInfo info;
    info.loadFromSettings(store);
    EXPECT_EQ(info.titl, "TEST QUAD, ST-24000");
    EXPECT_EQ(info.daid, t.daid);
    EXPECT_EQ(info.unit, "METERS");
    EXPECT_EQ(info.rsnm, "UTM");
    EXPECT_EQ(info.zone, 17);
    EXPECT_EQ(info.nRows, 6);
    EXPECT_EQ(info.nCols, 7);
    EXPECT_EQ(info.fillValue, F);
    EXPECT_EQ(info.voidValue, -32767);
    EXPECT_EQ(info.maxValue, 400);
    EXPECT_DOUBLE_EQ(info.swY, 2.5);
    EXPECT_DOUBLE_EQ(info.neX, 5.0);

    Loaded grid(hg::workingFilePath());
    ASSERT_EQ(grid.buffers.heights.size(), 20u);
    EXPECT_EQ(grid.buffers.heights[0], 1008.0f);
    EXPECT_EQ(grid.buffers.heights[1 * 5 + 1], 300.0f);
    EXPECT_EQ(grid.buffers.heights[1 * 5 + 2], -100.0f);
    EXPECT_EQ(grid.buffers.heights[2 * 5 + 2], hg::VOID_HEIGHT);

    // Without fill nothing is trimmed.
    Transfer whole;
    whole.write(dir.path());
    hg::importSdtsTransfer(cel0Of(dir.path()), hg::workingFilePath(), store);
    EXPECT_EQ(littleEndian16(hgtest::readFile(hg::workingFilePath())), whole.cells);
}

TEST(SdtsImport, ACommaLocaleNeitherReadsNorWritesCommas) {
    hgtest::ScopedHome home;
    hgtest::TempDir dir;
    Transfer t;
    t.titl = "TEST QUAD";
    t.write(dir.path());
    hg::IniProfileStore store = hg::userSettings();
    {
        hgtest::ScopedCommaLocale comma;
        HG_REQUIRE_COMMA_LOCALE(comma);
        hg::importSdtsTransfer(cel0Of(dir.path()), hg::workingFilePath(), store);
    }
    const std::string ini = hgtest::readFile(store.path());
    EXPECT_EQ(ini.find(','), std::string::npos) << ini;
    EXPECT_EQ(store.getString(hg::kSectionSdts, "swX", "", 64), "1.5000000");
    // Written under the comma locale, read back under the C one.
    hg::CSDTSInfo info;
    info.loadFromSettings(store);
    EXPECT_EQ(info.xhrs, 30.0);
    EXPECT_EQ(info.swX, 1.5);
    EXPECT_EQ(info.swY, 2.5);
    EXPECT_EQ(info.seY, 8.0);
}

TEST(SdtsImport, NoRectangleLeftRaisesVoidOrFill) {
    hgtest::TempDir dir;
    auto trimOf = [&](Transfer t) {
        t.write(dir.path());
        hg::CSDTSInfo info;
        hg::CReadSDTS reader(hg::sdtsPrefix(cel0Of(dir.path())));
        reader.readModules(info);
        reader.readCells();
        return messageOf([&] { reader.trimmed(); });
    };
    Transfer all;
    all.cells.assign(12, -32766);
    EXPECT_EQ(trimOf(all), MessageId::SdtsVoidOrFill);
    // Values below the fill value count as fill.
    all.cells.assign(12, -32767);
    EXPECT_EQ(trimOf(all), MessageId::SdtsVoidOrFill);
    // Edges that cross without reaching the side: nothing is left either.
    Transfer crossed;
    crossed.nRows = 2;
    crossed.nCols = 3;
    crossed.cells = {-32766, 5, 5, 5, 5, -32766};
    EXPECT_EQ(trimOf(crossed), MessageId::SdtsVoidOrFill);
}

TEST(SdtsImport, AFailedImportLeavesThePreviousDemAlone) {
    hgtest::ScopedHome home;
    hgtest::TempDir dir;
    hg::IniProfileStore store = hg::userSettings();
    hgtest::writeFile(hg::workingFilePath(), "previous working file");
    store.putString(hg::kSectionSdts, "titl", "PREVIOUS");
    store.putString(hg::kSectionSdts, "sizeX", "99");
    store.putString(hg::kSection, hg::key::demType, "1");
    const std::string settingsBefore = hgtest::readFile(hg::settingsPath());

    auto attempt = [&](Transfer t) {
        std::filesystem::remove_all(dir.path());
        std::filesystem::create_directories(dir.path());
        t.write(dir.path());
        auto id = messageOf(
            [&] { hg::importSdtsTransfer(cel0Of(dir.path()), hg::workingFilePath(), store); });
        EXPECT_EQ(hgtest::readFile(hg::workingFilePath()), "previous working file");
        EXPECT_EQ(hgtest::readFile(hg::settingsPath()), settingsBefore);
        return id;
    };
    Transfer t;
    t.omit = {"CEL0"};
    EXPECT_EQ(attempt(t), MessageId::Cel0Open);
    t.omit = {"XREF"};
    EXPECT_EQ(attempt(t), MessageId::XrefOpen);
    t.omit = {"DDOM"};
    EXPECT_EQ(attempt(t), MessageId::DdomOpen);
    t.omit = {};
    t.cells.assign(12, -32766);
    EXPECT_EQ(attempt(t), MessageId::SdtsVoidOrFill);
    // More rows promised than the cell module holds.
    Transfer big;
    big.nRows = 1700;
    EXPECT_EQ(attempt(big), MessageId::Cel0ReadSubfield);
    EXPECT_EQ(
        messageOf([&] { hg::importSdtsTransfer(dir / "CEL.DDF", hg::workingFilePath(), store); }),
        MessageId::Cel0Open);
}

TEST(Usgs75min, CornersUnitsAndVoidsComeFromTheSettings) {
    hgtest::ScopedHome home;
    hg::IniProfileStore store = hg::userSettings();
    const char* s = hg::kSectionSdts;
    store.putString(s, "titl", "TEST QUAD, NC, 1990");
    store.putString(s, "daid", "LAT:: 35.125 LONG:: -83.25");
    store.putString(s, "unit", "FEET");
    store.putString(s, "xhrs", "10");
    store.putString(s, "yhrs", "10");
    store.putString(s, "sizeX", "3");
    store.putString(s, "sizeZ", "2");
    store.putString(s, "voidValue", "-9999");
    store.putString(s, "fillValue", "-9998");
    // 100, -9999 (void), -9998 (fill), -32767, 0, -32768, little-endian.
    hgtest::writeFile(hg::workingFilePath(),
                      std::string("\x64\x00\xF1\xD8\xF2\xD8\x01\x80\x00\x00\x00\x80", 12));

    Loaded feet(hg::workingFilePath());
    const hg::CMesh& m = *feet.mesh;
    EXPECT_DOUBLE_EQ(m.seY, 126450.0);
    EXPECT_DOUBLE_EQ(m.seX, -299700.0);
    EXPECT_DOUBLE_EQ(m.nwY, 126900.0);
    EXPECT_DOUBLE_EQ(m.nwX, -300150.0);
    EXPECT_DOUBLE_EQ(m.swY, 126450.0);
    EXPECT_DOUBLE_EQ(m.neX, -299700.0);
    EXPECT_EQ(m.title, "TEST QUAD, NC, 1990");
    EXPECT_DOUBLE_EQ(m.ewSpacing, 10.0);
    const float V = hg::VOID_HEIGHT;
    EXPECT_EQ(feet.buffers.heights,
              (std::vector<float>{static_cast<float>(100 * 0.3048), V, V, V, 0.0f, V}));

    store.putString(s, "unit", "feet");
    Loaded lower(hg::workingFilePath());
    EXPECT_EQ(lower.buffers.heights[0], 100.0f);

    double lat = 0, lon = 0;
    EXPECT_FALSE(hg::sdtsSouthEastCorner("LAT:: north LONG:: west", lat, lon));

    EXPECT_EQ(hg::sdtsTitle(store), "TEST QUAD");
    store.putString(s, "titl", "NO COMMA HERE");
    EXPECT_EQ(hg::sdtsTitle(store), "NO COMMA HERE");

    // A working file shorter than the settings say.
    store.putString(s, "sizeZ", "3");
    EXPECT_EQ(messageOf([&] { Loaded shorter(hg::workingFilePath()); }), MessageId::IllegalDdf);
}

// The trimming rule applied to the reference grid, for comparison.
struct Bounds {
    int top, left, bottom, right;
};
Bounds trimReference(const std::vector<float>& g, int rows, int cols, float fill) {
    auto bad = [&](int r, int c) { return g[static_cast<std::size_t>(r) * cols + c] <= fill; };
    Bounds b{0, 0, rows - 1, cols - 1};
    for (bool again = true; again;) {
        bool t = false, l = false, bo = false, ri = false;
        for (int c = b.left; c <= b.right; ++c) t = t || bad(b.top, c);
        for (int r = b.top; r <= b.bottom; ++r) l = l || bad(r, b.left);
        b.top += t;
        b.left += l;
        for (int c = b.left; c <= b.right; ++c) bo = bo || bad(b.bottom, c);
        for (int r = b.top; r <= b.bottom; ++r) ri = ri || bad(r, b.right);
        b.bottom -= bo;
        b.right -= ri;
        again = t || l || bo || ri;
    }
    return b;
}

TEST(SdtsSample, ImportMatchesTheReferenceGridInsideTheTrimmedRectangle) {
    auto cel0 = hgtest::sharedData("sdts/8821/8821CEL0.DDF");
    auto ref = hgtest::sharedData("oracle/8821.f32");
    HG_REQUIRE_SHARED(cel0);
    HG_REQUIRE_SHARED(ref);
    hgtest::ScopedHome home;
    hg::IniProfileStore store = hg::userSettings();
    hg::importSdtsTransfer(cel0, hg::workingFilePath(), store);

    const int rows = 471, cols = 343;
    const std::vector<float> reference = hgtest::readFloats(ref);
    ASSERT_EQ(reference.size(), static_cast<std::size_t>(rows) * cols);
    const Bounds b = trimReference(reference, rows, cols, -32766.0f);
    const int sizeZ = b.bottom - b.top + 1, sizeX = b.right - b.left + 1;
    const char* s = hg::kSectionSdts;
    EXPECT_EQ(store.getInt(s, "sizeZ", 0), sizeZ);
    EXPECT_EQ(store.getInt(s, "sizeX", 0), sizeX);
    EXPECT_EQ(store.getInt(s, "nRows", 0), rows);
    EXPECT_EQ(store.getInt(s, "nCols", 0), cols);
    EXPECT_EQ(store.getInt(s, "fillValue", 0), -32766);
    EXPECT_EQ(store.getInt(s, "voidValue", 0), -32767);
    EXPECT_EQ(store.getInt(s, "zone", 0), 12);
    EXPECT_EQ(store.getString(s, "swX", "", 64), "659340.2218930");
    EXPECT_EQ(store.getString(s, "seY", "", 64), "4915504.1728050");
    EXPECT_GT(b.top, 0);
    EXPECT_GT(b.left, 0);

    Loaded grid(hg::workingFilePath());
    const hg::CMesh& m = *grid.mesh;
    EXPECT_EQ(m.demCols, sizeX);
    EXPECT_EQ(m.demRows, sizeZ);
    EXPECT_EQ(m.title, "OREGON BASIN, WY-24000");
    EXPECT_DOUBLE_EQ(m.seY, 159750.0);
    EXPECT_DOUBLE_EQ(m.seX, -391950.0);
    EXPECT_DOUBLE_EQ(m.nsSpacing, 30.0);
    EXPECT_FLOAT_EQ(m.minHeight, 1520.0f);
    EXPECT_FLOAT_EQ(m.maxHeight, 1826.0f);
    ASSERT_EQ(grid.buffers.heights.size(), static_cast<std::size_t>(sizeX) * sizeZ);
    int mismatches = 0;
    for (int r = 0; r < sizeZ; ++r) {
        for (int c = 0; c < sizeX; ++c) {
            const float want = reference[static_cast<std::size_t>(b.top + r) * cols + b.left + c];
            const float got = grid.buffers.heights[static_cast<std::size_t>(r) * sizeX + c];
            const float expect = want <= -32766.0f ? hg::VOID_HEIGHT : want;
            if (got != expect && ++mismatches <= 5) {
                ADD_FAILURE() << "row " << r << " col " << c << ": " << got << " != " << want;
            }
        }
    }
    EXPECT_EQ(mismatches, 0);
    EXPECT_EQ(hg::sdtsTitle(store), "OREGON BASIN");
}

}  // namespace
