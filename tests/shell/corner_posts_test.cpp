// SPDX-License-Identifier: MIT
// The corners of UTM DEMs as info and the Outline/Part dialog show them:
// the corner posts' geographic positions in the file's own datum.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <cmath>
#include <cstdio>
#include <regex>

#include "config/outline_dialog.h"
#include "config/setup_dialog.h"
#include "platform/text_number.h"
#include "render/output/egl_offscreen_target.h"
#include "settings/settings.h"
#include "support/qt_app.h"
#include "support/test_support.h"

namespace {

std::string runHillglimmer(const std::string& args, const std::filesystem::path& home) {
    const std::string cmd = "env -u DISPLAY HILLGLIMMER_LANG=en HILLGLIMMER_HOME='" +
                            home.string() + "' '" HG_EXECUTABLE "' " + args + " 2>&1";
    std::string out;
    FILE* p = ::popen(cmd.c_str(), "r");
    if (p == nullptr) return out;
    char buf[512];
    while (std::fgets(buf, sizeof buf, p)) out += buf;
    ::pclose(p);
    return out;
}

// Longitude and latitude from one corner line of info:
// "37°44'59.68"N 122°30'02.39"W".
std::pair<double, double> cornerOf(const std::string& info, const std::string& name) {
    const std::regex line(name +
                          ": ([0-9]+)\xC2\xB0([0-9]+)'([0-9.]+)\"([NS]) "
                          "([0-9]+)\xC2\xB0([0-9]+)'([0-9.]+)\"([EW])\n");
    std::smatch m;
    if (!std::regex_search(info, m, line)) return {NAN, NAN};
    // Locale-free: this process runs Qt, which sets the C locale.
    auto number = [&](int at) { return hg::parseNumber<double>(m[at].str()).value_or(NAN); };
    auto degrees = [&](int at) {
        const double v = number(at) + number(at + 1) / 60 + number(at + 2) / 3600;
        const std::string h = m[at + 3];
        return h == "S" || h == "W" ? -v : v;
    };
    return {degrees(5), degrees(1)};
}

struct CornerCase {
    const char* name;
    const char* file;  // below the shared data; a transfer is selected first
    const char* datumNote;
    // South-west, north-west, north-east, south-east: longitude, latitude.
    double expected[4][2];
};

// The reference: GDAL 3.6.2 opening the same file (its USGSDEM and SDTS
// drivers), the centre of each corner post from its geotransform (GDAL's
// corners are the cells' outer edges, half a post further out), turned into
// degrees by OGRCoordinateTransformation from the dataset's own spatial
// reference to that reference's geographic system (NAD27 for all three):
// no datum shift. The transfer's posts are those of the grid left after
// trimming, rows 11 to 460 and columns 11 to 331 of GDAL's 471 x 343.
// clang-format off
const CornerCase kCornerCases[] = {
    {"SanFranciscoNorth", "usgsdem/San_Fran_North.dem", "in the datum the file names: NAD27",
     {{-122.500664710, 37.749910990}, {-122.499817221, 37.875642917},
      {-122.373953390, 37.875040873}, {-122.375014107, 37.749311651}}},
    // Record A leaves the datum blank: NAD27 is assumed.
    {"SanFranciscoSouth", "usgsdem/sanfranciscos.dem", "in the datum assumed where a file names none",
     {{-122.500821627, 37.624984654}, {-122.499978209, 37.750719285},
      {-122.373985740, 37.750117394}, {-122.375041646, 37.624385470}}},
    {"OregonBasinTransfer", "sdts/8821/8821CEL0.DDF", "in the datum the file names: NAD27",
     {{-108.999908834, 44.377759126}, {-108.995768671, 44.498953998},
      {-108.875096993, 44.496771734}, {-108.879485987, 44.375586013}}},
};
// clang-format on

void PrintTo(const CornerCase& c, std::ostream* os) {
    *os << c.name;
}

class InfoCorners : public ::testing::TestWithParam<CornerCase> {};

TEST_P(InfoCorners, EachPostLiesWhereGdalPutsIt) {
    const CornerCase& c = GetParam();
    const auto file = hgtest::sharedData(c.file);
    HG_REQUIRE_SHARED(file);
    hgtest::TempDir home;
    std::filesystem::path described = file;
    if (file.extension() == ".DDF") {
        runHillglimmer("select '" + file.string() + "'", home.path());
        described = home / "Hillglimmer.mem";
    }
    const std::string info = runHillglimmer("info '" + described.string() + "'", home.path());
    EXPECT_NE(info.find(c.datumNote), std::string::npos) << info;
    const char* names[4] = {"South-west", "North-west", "North-east", "South-east"};
    for (int k = 0; k < 4; ++k) {
        const auto [longitude, latitude] = cornerOf(info, names[k]);
        // Well inside the second of arc asked for: info prints hundredths,
        // and half a post (15 m) off would be half a second.
        EXPECT_NEAR(longitude, c.expected[k][0], 0.02 / 3600) << names[k] << "\n" << info;
        EXPECT_NEAR(latitude, c.expected[k][1], 0.02 / 3600) << names[k] << "\n" << info;
    }
}

INSTANTIATE_TEST_SUITE_P(SharedData, InfoCorners, ::testing::ValuesIn(kCornerCases),
                         [](const auto& info) { return std::string(info.param.name); });

// A State Plane file says so instead of being inverted as if it were UTM;
// a transfer imported before its first post was kept shows the corners it
// always showed.
TEST(InfoCorners, StatePlaneSaysSoAndOlderImportsFallBack) {
    const auto sample = hgtest::sharedData("usgsdem/San_Fran_North.dem");
    const auto cel0 = hgtest::sharedData("sdts/8821/8821CEL0.DDF");
    HG_REQUIRE_SHARED(sample);
    HG_REQUIRE_SHARED(cel0);
    hgtest::TempDir home;
    std::string bytes = hgtest::readFile(sample);
    bytes.replace(156, 6, "     2");
    hgtest::writeFile(home / "stateplane.dem", bytes);
    std::string info = runHillglimmer("info " + (home / "stateplane.dem").string(), home.path());
    EXPECT_NE(info.find("Corners: The corners cannot be placed on the map: the file is in State "
                        "Plane coordinates.\n"),
              std::string::npos)
        << info;
    EXPECT_EQ(info.find("South-west:"), std::string::npos) << info;

    runHillglimmer("select " + cel0.string(), home.path());
    const std::string keys = hgtest::readFile(home / "Hillglimmer.ini");
    hgtest::writeFile(home / "Hillglimmer.ini",
                      std::regex_replace(keys, std::regex("\n(postX|postY|hdat)=[^\n]*"), ""));
    info = runHillglimmer("info " + (home / "Hillglimmer.mem").string(), home.path());
    EXPECT_NE(info.find("W (-391950.000, 159750.000 arc-seconds)"), std::string::npos) << info;
}

// The dialog shows the same posts to the second, with hemisphere letters,
// and the datum in the corners' tool tip.
TEST(OutlineCorners, UtmQuadShowsItsPostsInDegrees) {
    const auto sample = hgtest::sharedData("usgsdem/San_Fran_North.dem");
    HG_REQUIRE_SHARED(sample);
    hgtest::ScopedEnv lang("HILLGLIMMER_LANG", "en");
    hgtest::ScopedHome home;
    hgtest::qtApp();
    try {
        hg::EglOffscreenTarget probe(8, 8);
    } catch (const std::exception& e) {
        GTEST_SKIP() << "no offscreen OpenGL here: " << e.what();
    }
    const std::filesystem::path mem = home.path() / "Hillglimmer.mem";
    std::filesystem::copy_file(sample, mem);
    hgtest::writeFile(home.path() / "Hillglimmer.ini", "[Hillglimmer]\ndemType=1\n");
    hg::IniProfileStore store = hg::userSettings();
    hg::OutlineDialog dialog(mem, store, 1.4);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    ASSERT_TRUE(dialog.ensureMap());
    auto* nw = hgtest::control<QLabel>(dialog, 1022);
    auto* se = hgtest::control<QLabel>(dialog, 1021);
    EXPECT_EQ(nw->text().toStdString(), "122 29 59 W /  37 52 32 N");
    EXPECT_EQ(se->text().toStdString(), "122 22 30 W /  37 44 58 N");
    EXPECT_TRUE(nw->toolTip().endsWith("NAD27")) << nw->toolTip().toStdString();
    dialog.reject();
}

// The XScreenSaver box: shown only where XScreenSaver is installed, and OK
// changes the list only when the box was changed.
TEST(SetupSaverBox, ShownWhereInstalledAndAppliedOnOk) {
    hgtest::ScopedEnv lang("HILLGLIMMER_LANG", "en");
    hgtest::ScopedHome home;
    hgtest::qtApp();
    hg::IniProfileStore store = hg::userSettings();
    const std::filesystem::path mem = home.path() / "Hillglimmer.mem";
    for (const bool installed : {false, true}) {
        std::vector<bool> calls;
        auto record = [&](bool on) { return calls.push_back(on), true; };
        hg::SetupDialog dialog(
            mem, store, nullptr,
            {[&] { return installed; }, [] { return std::optional(false); }, record});
        auto* box = dialog.findChild<QCheckBox*>("id1040");
        ASSERT_EQ(box != nullptr, installed);
        if (box != nullptr) {
            EXPECT_EQ(box->text().toStdString(), "Use as my XScreenSaver display mode");
            QTest::mouseClick(box, Qt::LeftButton);
        }
        QTest::mouseClick(hgtest::control<QPushButton>(dialog, 1), Qt::LeftButton);
        EXPECT_EQ(calls, installed ? std::vector<bool>{true} : std::vector<bool>{});
    }
}

}  // namespace
