// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <cmath>

#include "settings/settings.h"
#include "support/test_support.h"

using namespace hg;
using hgtest::ScopedHome;
using hgtest::writeFile;

TEST(Settings, FreshInstallationGivesTheDocumentedStart) {
    ScopedHome home;
    IniProfileStore store = userSettings();
    SaverSettings s = readSaverSettings(store);
    EXPECT_EQ(s.drawType, 0);            // Mesh
    EXPECT_DOUBLE_EQ(s.yFactor, 1.4);    // altitude factor " 1.4"
    EXPECT_DOUBLE_EQ(s.step, 100.0);     // contour " 100m"
    EXPECT_DOUBLE_EQ(s.meshBlock, 4.0);  // mesh "1/4"
    EXPECT_DOUBLE_EQ(s.speed, 2.0);
    EXPECT_EQ(s.isPart, 0);
    EXPECT_EQ(s.startX, 0);
    EXPECT_EQ(s.startZ, 0);
    EXPECT_EQ(s.sizeMeshMaxX, 201);
    EXPECT_EQ(s.sizeMeshMaxZ, 201);
    EXPECT_FALSE(s.xAngle.has_value());
    EXPECT_FALSE(s.yAngle.has_value());
    EXPECT_EQ(readDemType(store), 0);
    // Reading never creates the file.
    EXPECT_FALSE(std::filesystem::exists(home.path() / "Hillglimmer.ini"));
}

TEST(Settings, ListTextsAndConversions) {
    // Every text reads as a number, and the lists rise as the dialog shows
    // them: a mistyped entry (" 1,4", "O.5") breaks the order.
    for (std::size_t n = 1; n < kAltitudeFactorTexts.size(); ++n) {
        EXPECT_GE(altitudeFactorAt(static_cast<int>(n)), altitudeFactorAt(static_cast<int>(n) - 1))
            << kAltitudeFactorTexts[n];
    }
    for (std::size_t n = 1; n < kContourTexts.size(); ++n) {
        EXPECT_GT(contourIntervalAt(static_cast<int>(n)),
                  contourIntervalAt(static_cast<int>(n) - 1))
            << kContourTexts[n];
    }
    EXPECT_STREQ(kAltitudeFactorTexts[2], kAltitudeFactorTexts[3]);
    EXPECT_DOUBLE_EQ(altitudeFactorAt(0), 0.10);
    EXPECT_DOUBLE_EQ(altitudeFactorAt(24), 100.0);
    EXPECT_DOUBLE_EQ(contourIntervalAt(0), 0.2);
    EXPECT_DOUBLE_EQ(contourIntervalAt(5), 10.0);
    EXPECT_DOUBLE_EQ(contourIntervalAt(11), 1000.0);
    EXPECT_DOUBLE_EQ(meshBlockFor(0), 1.0);
    EXPECT_DOUBLE_EQ(meshBlockFor(3), 8.0);
    EXPECT_DOUBLE_EQ(speedAt(0), 0.05);
    EXPECT_DOUBLE_EQ(speedAt(7), 10.0);
}

TEST(Settings, PositionsOutsideAListGiveTheKeysDefault) {
    EXPECT_DOUBLE_EQ(altitudeFactorAt(25), 1.4);
    EXPECT_DOUBLE_EQ(altitudeFactorAt(-1), 1.4);
    EXPECT_DOUBLE_EQ(contourIntervalAt(12), 100.0);
    EXPECT_DOUBLE_EQ(meshBlockFor(4), 4.0);
    EXPECT_DOUBLE_EQ(meshBlockFor(-3), 4.0);
    EXPECT_DOUBLE_EQ(speedAt(8), 2.0);
    EXPECT_DOUBLE_EQ(speedAt(-100), 2.0);
}

TEST(Settings, StoredValuesAnglesAndZeroLimits) {
    ScopedHome home;
    writeFile(home.path() / "Hillglimmer.ini",
              "[Hillglimmer]\nsel=7\nstep=5\nnumMesh=3\nspeed=0\nsizeMeshMaxX=0\n"
              "sizeMeshMaxZ=150\nxAngle=-45\nyAngle=Nothing\nisPart=1\nstartX=12\n");
    SaverSettings s = readSaverSettings(userSettings());
    EXPECT_EQ(s.drawType, 7);
    EXPECT_DOUBLE_EQ(s.step, 10.0);
    EXPECT_DOUBLE_EQ(s.meshBlock, 8.0);
    EXPECT_DOUBLE_EQ(s.speed, 0.05);
    EXPECT_EQ(s.sizeMeshMaxX, 201);  // a stored 0 keeps 201
    EXPECT_EQ(s.sizeMeshMaxZ, 150);
    EXPECT_EQ(s.isPart, 1);
    EXPECT_EQ(s.startX, 12);
    ASSERT_TRUE(s.xAngle.has_value());
    EXPECT_DOUBLE_EQ(*s.xAngle, -45.0);
    EXPECT_FALSE(s.yAngle.has_value());
}

TEST(Settings, AnglesAreClamped) {
    EXPECT_DOUBLE_EQ(clampTilt(-45), -45);
    EXPECT_DOUBLE_EQ(clampTilt(10), 0);
    EXPECT_DOUBLE_EQ(clampTilt(-120), -90);
    EXPECT_DOUBLE_EQ(clampTilt(-20), -20);  // the style default stays
    EXPECT_DOUBLE_EQ(clampTurn(200), 180);
    EXPECT_DOUBLE_EQ(clampTurn(-181), -180);
    EXPECT_DOUBLE_EQ(clampTurn(std::nan("")), 0);
    // Only the exact text "Nothing" means unset; anything else is a number.
    ScopedHome home;
    writeFile(home.path() / "Hillglimmer.ini", "[Hillglimmer]\nxAngle=nothing\n");
    SaverSettings s = readSaverSettings(userSettings());
    ASSERT_TRUE(s.xAngle.has_value());
    EXPECT_DOUBLE_EQ(*s.xAngle, 0.0);
}

TEST(Settings, ChoosingADemReturnsToTheWholeDem) {
    ScopedHome home;
    writeFile(home.path() / "Hillglimmer.ini",
              "[Hillglimmer]\nsel=2\nisPart=1\nsizeMeshMaxX=80\nsizeMeshMaxZ=60\nstartX=5\n");
    IniProfileStore store = userSettings();
    ASSERT_TRUE(writeDemType(store, 3));
    EXPECT_EQ(readDemType(store), 3);
    EXPECT_EQ(store.getInt(kSection, key::isPart, -1), 0);
    EXPECT_EQ(store.getString(kSection, key::sizeMeshMaxX, "", 32), "201");
    EXPECT_EQ(store.getString(kSection, key::sizeMeshMaxZ, "", 32), "201");
    // Keys the DEM choice does not own stay as they were.
    EXPECT_EQ(store.getInt(kSection, key::sel, -1), 2);
    EXPECT_EQ(store.getInt(kSection, key::startX, -1), 5);
}

TEST(Settings, ACommaLocaleReadsTheSameNumbers) {
    std::vector<double> factors, contours;
    for (int i = 0; i < static_cast<int>(kAltitudeFactorTexts.size()); ++i) {
        factors.push_back(altitudeFactorAt(i));
    }
    for (int i = 0; i < static_cast<int>(kContourTexts.size()); ++i) {
        contours.push_back(contourIntervalAt(i));
    }
    ScopedHome home;
    writeFile(home.path() / "Hillglimmer.ini",
              "[Hillglimmer]\nyFactor=0\nstep=1\nxAngle=-12.5\nyAngle=30.25\n");

    hgtest::ScopedCommaLocale comma;
    HG_REQUIRE_COMMA_LOCALE(comma);
    EXPECT_EQ(leadingDouble(" 1.4"), 1.4);
    for (int i = 0; i < static_cast<int>(factors.size()); ++i) {
        EXPECT_EQ(altitudeFactorAt(i), factors[static_cast<std::size_t>(i)]) << i;
    }
    for (int i = 0; i < static_cast<int>(contours.size()); ++i) {
        EXPECT_EQ(contourIntervalAt(i), contours[static_cast<std::size_t>(i)]) << i;
    }
    SaverSettings s = readSaverSettings(userSettings());
    EXPECT_EQ(s.yFactor, 0.10);
    EXPECT_EQ(s.step, 0.5);
    EXPECT_EQ(s.xAngle, -12.5);
    EXPECT_EQ(s.yAngle, 30.25);
}

TEST(Settings, ColourKeysReadAsHexadecimal) {
    EXPECT_EQ(hexColour("0x3C83A5"), 0x3C83A5);
    EXPECT_EQ(hexColour("3c83a5"), 0x3C83A5);
    EXPECT_EQ(hexColour("zz"), 0);
    // Nothing but a digit starts the number, not even a blank.
    EXPECT_EQ(hexColour(" 0x12"), 0);
    EXPECT_EQ(hexColour("0x12 34"), 0x12);
    EXPECT_EQ(hexColour("FFFFFFFFFF"), 0x7FFFFFFF);

    ScopedHome home;
    EXPECT_EQ(readColourKey(userSettings(), key::seaColor, def::seaColor), 0x84BDF6);
    // The text is cut to 31 characters before it is read: the digits past
    // that are never seen.
    writeFile(home.path() / "Hillglimmer.ini",
              "[Hillglimmer]\nseaColor=0000000000000000000000000000012345\nfirstColor=red\n");
    EXPECT_EQ(readColourKey(userSettings(), key::seaColor, def::seaColor), 0x12);
    EXPECT_EQ(readColourKey(userSettings(), key::firstColor, def::firstColor), 0);
}
