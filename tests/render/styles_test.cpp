// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>

#include "platform/profile_store.h"
#include "render/draw_iroiro.h"
#include "render/draw_mesh.h"
#include "render/draw_relief.h"
#include "render/styles.h"

namespace {

TEST(StyleTable, EveryRowMakesItsStyleAndNothingOutsideIt) {
    const hg::IniProfileStore store = hg::userSettings();
    for (const hg::StyleRow& row : hg::styleTable()) {
        SCOPED_TRACE(row.name);
        auto draw = hg::createDraw(row.drawType, store);
        ASSERT_NE(draw, nullptr);
        // Cyan is the single-colour surface; the others have a class each.
        if (row.drawType == hg::kDrawCyan) {
            EXPECT_NE(dynamic_cast<hg::CDrawIroiro*>(draw.get()), nullptr);
        } else if (row.drawType == hg::kDrawRelief) {
            EXPECT_NE(dynamic_cast<hg::CDrawRelief*>(draw.get()), nullptr);
        } else if (row.drawType == hg::kDrawMesh) {
            EXPECT_NE(dynamic_cast<hg::CDrawMesh*>(draw.get()), nullptr);
        }
    }
    EXPECT_EQ(hg::createDraw(-1, store), nullptr);
    EXPECT_EQ(hg::createDraw(static_cast<int>(hg::kStyleCount), store), nullptr);
    EXPECT_EQ(hg::createViewSettings(static_cast<int>(hg::kStyleCount)), nullptr);
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
    // Numbers of any length: "09" is Relief, past the table is nothing.
    const std::pair<const char*, std::optional<int>> numbers[] = {
        {"9", hg::kDrawRelief}, {"09", hg::kDrawRelief},       {"0", hg::kDrawMesh},
        {"-1", std::nullopt},   {"99999999999", std::nullopt}, {"7a", std::nullopt},
        {" 7", std::nullopt}};
    for (const auto& [text, type] : numbers) EXPECT_EQ(hg::drawTypeFromName(text), type) << text;
    EXPECT_EQ(hg::drawTypeFromName(std::to_string(hg::kStyleCount)), std::nullopt);
    EXPECT_EQ(hg::drawTypeFromName("mesh "), std::nullopt);
    EXPECT_EQ(hg::drawTypeFromName(""), std::nullopt);
    EXPECT_STREQ(hg::drawTypeName(static_cast<int>(hg::kStyleCount)), "");
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
