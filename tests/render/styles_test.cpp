// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "platform/profile_store.h"
#include "render/draw_mesh.h"
#include "render/styles.h"

namespace {

// The styles this build must draw. A style joins this list in the change
// that writes it; a row whose maker goes missing fails here.
const std::set<int> kWrittenStyles = {
    hg::kDrawMesh,  hg::kDrawShading,  hg::kDrawWine,    hg::kDrawCyan, hg::kDrawFlower,
    hg::kDrawCheck, hg::kDrawSkeleton, hg::kDrawContour, hg::kDrawStep, hg::kDrawRelief};

TEST(StyleTable, EveryWrittenStyleHasAMakerAndTheOthersSayWhichTheyAre) {
    ASSERT_EQ(hg::styleTable().size(), 10u);
    for (const hg::StyleRow& row : hg::styleTable()) {
        SCOPED_TRACE(row.name);
        if (kWrittenStyles.count(row.drawType) != 0) {
            ASSERT_NE(row.make, nullptr);
            EXPECT_NE(hg::createDraw(row.drawType, hg::userSettings()), nullptr);
        } else {
            EXPECT_EQ(row.make, nullptr) << "a new style must join kWrittenStyles";
            try {
                hg::createDraw(row.drawType, hg::userSettings());
                ADD_FAILURE() << "a style without a maker was made";
            } catch (const std::runtime_error& e) {
                EXPECT_NE(std::string(e.what()).find(row.name), std::string::npos) << e.what();
            }
        }
    }
    EXPECT_NE(dynamic_cast<hg::CDrawMesh*>(hg::createDraw(hg::kDrawMesh, hg::userSettings()).get()),
              nullptr);
    EXPECT_EQ(hg::createDraw(-1, hg::userSettings()), nullptr);
    EXPECT_EQ(hg::createDraw(10, hg::userSettings()), nullptr);
    EXPECT_EQ(hg::createViewSettings(10), nullptr);
}

TEST(StyleTable, RowsAreInDrawTypeOrderAndFoundByTheirNames) {
    int expected = 0;
    for (const hg::StyleRow& row : hg::styleTable()) {
        EXPECT_EQ(row.drawType, expected++);
        EXPECT_EQ(hg::drawTypeFromName(row.name), row.drawType) << row.name;
        EXPECT_STREQ(hg::drawTypeName(row.drawType), row.name);
    }
    EXPECT_EQ(hg::drawTypeFromName("3d-CONTOUR"), hg::kDrawContour);
    EXPECT_EQ(hg::drawTypeFromName("contour"), hg::kDrawContour);
    EXPECT_EQ(hg::drawTypeFromName("9"), hg::kDrawRelief);
    EXPECT_EQ(hg::drawTypeFromName("10"), std::nullopt);
    EXPECT_EQ(hg::drawTypeFromName("mesh "), std::nullopt);
    EXPECT_EQ(hg::drawTypeFromName(""), std::nullopt);
    EXPECT_STREQ(hg::drawTypeName(10), "");
    // The map is not a saver style, but `render` draws it like one.
    EXPECT_NE(hg::availableStyleNames().find("Step, Relief"), std::string::npos);
}

TEST(StyleTable, RecordsStartWithTheirStylesDefaults) {
    // The dialog offers every style but the map renderer, and enables the
    // contour list exactly for the styles that draw contours, which are
    // the ones whose records carry an interval.
    for (const hg::StyleRow& row : hg::styleTable()) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(hg::offeredStyle(row.drawType), row.drawType != hg::kDrawRelief);
        auto record = hg::createViewSettings(row.drawType);
        ASSERT_NE(record, nullptr);
        EXPECT_EQ(record->drawType, row.drawType);
        EXPECT_EQ(row.usesContour, record->step > 0.0);
        EXPECT_GT(record->normalWeight, 0.0);
    }
    EXPECT_FALSE(hg::offeredStyle(-1));
    auto wine = hg::createViewSettings(hg::kDrawWine);
    EXPECT_EQ(wine->normalWeight, 1.0);
    EXPECT_TRUE(wine->perspective);
    auto relief = hg::createViewSettings(hg::kDrawRelief);
    EXPECT_EQ(relief->xAngle, -90.0);
    EXPECT_EQ(relief->yAngle, 0.0);
    EXPECT_EQ(relief->distanceFactor, 1.1);
    EXPECT_FALSE(relief->perspective);
    auto step = hg::createViewSettings(hg::kDrawStep);
    EXPECT_EQ(step->step, 50.0);
    EXPECT_EQ(step->xAngle, -20.0);
}

}  // namespace
