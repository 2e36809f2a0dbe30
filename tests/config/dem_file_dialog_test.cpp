// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <QRegularExpression>
#include <algorithm>

#include "config/dem_file_dialog.h"
#include "support/test_support.h"

TEST(DemFileDialog, FiltersInOrderMatchingWithoutCase) {
    hgtest::ScopedEnv lang("HILLGLIMMER_LANG", "en");
    QStringList f = hg::demNameFilters();
    ASSERT_EQ(f.size(), 8);
    EXPECT_TRUE(f[0].startsWith("GSI 50m-mesh DEM (Zumei.csv)(*.mem) ("));
    EXPECT_TRUE(f[3].startsWith("USGS 7.5-minute DEM (*cel0.ddf) ("));
    EXPECT_TRUE(f[5].startsWith("OS Panorama, Profile DTM (*.ntf) ("));
    // The pattern group of the first filter, as Qt will read it.
    QString patterns = f[0].mid(f[0].lastIndexOf('(') + 1).chopped(1);
    QStringList list = patterns.split(' ');
    ASSERT_EQ(list.size(), 2);
    auto matches = [](const QString& glob, const QString& name) {
        return QRegularExpression(QRegularExpression::wildcardToRegularExpression(glob))
            .match(name)
            .hasMatch();
    };
    EXPECT_TRUE(matches(list[0], "ZUMEI.CSV"));
    EXPECT_TRUE(matches(list[1], "523940.MEM"));
    EXPECT_FALSE(matches(list[1], "523940.dem"));
    QString sdts = f[3].mid(f[3].lastIndexOf('(') + 1).chopped(1);
    EXPECT_TRUE(matches(sdts, "8821CEL0.DDF"));
    EXPECT_FALSE(matches(sdts, "821CEL0.DDF"));
    // The rasters GDAL reads, then everything.
    const QStringList rasters = f[6].mid(f[6].lastIndexOf('(') + 1).chopped(1).split(' ');
    for (const char* name : {"N46E007.HGT", "dtm.tif", "grid.asc", "n45.dt2"})
        EXPECT_TRUE(std::any_of(rasters.begin(), rasters.end(), [&](const QString& g) {
            return matches(g, name);
        })) << name;
    EXPECT_TRUE(f[7].startsWith("All files (*) ("));

    hgtest::ScopedEnv ja("HILLGLIMMER_LANG", "ja");
    const QStringList j = hg::demNameFilters();
    EXPECT_EQ(j[0], f[0]);  // the formats' own names stay
    EXPECT_TRUE(j[7].startsWith(QString::fromUtf8("すべてのファイル (*) ("))) << j[7].toStdString();
    EXPECT_EQ(j[7].mid(j[7].lastIndexOf('(')), f[7].mid(f[7].lastIndexOf('(')));
}

TEST(DemFileDialog, InitialFilterFollowsTheDemType) {
    EXPECT_EQ(hg::initialFilterIndex(0), 0);
    EXPECT_EQ(hg::initialFilterIndex(1), 2);
    EXPECT_EQ(hg::initialFilterIndex(2), 3);
    EXPECT_EQ(hg::initialFilterIndex(3), 4);
    EXPECT_EQ(hg::initialFilterIndex(4), 5);
    EXPECT_EQ(hg::initialFilterIndex(5), 0);  // RIMINI has no filter of its own
    EXPECT_EQ(hg::initialFilterIndex(6), 1);
    EXPECT_EQ(hg::initialFilterIndex(7), 6);
    EXPECT_EQ(hg::initialFilterIndex(-4), 0);
}
