// What the readers keep for placing a DEM's corner posts, and the inverse
// that places them.
#include "dem/corner_posts.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>

#include "dem/read_sdts.h"
#include "dem/usgs1deg.h"
#include "dem/usgs75min.h"
#include "platform/home.h"
#include "platform/profile_store.h"
#include "settings/settings.h"
#include "support/test_support.h"

namespace {

TEST(Datums, EachFormatsCodesAndTheDefault) {
    struct Case {
        hg::NamedDatum got;
        hg::Datum datum;
        bool assumed;
    };
    const Case cases[] = {
        {hg::usgsDemDatum(1), hg::Datum::Nad27, false},
        {hg::usgsDemDatum(3), hg::Datum::Wgs84, false},
        {hg::usgsDemDatum(4), hg::Datum::Nad83, false},
        {hg::usgsDemDatum(6), hg::Datum::PuertoRico, false},
        {hg::usgsDemDatum(0), hg::Datum::Nad27, true},
        {hg::usgsDemDatum(9), hg::Datum::Nad27, true},
        {hg::sdtsDatum("NAS"), hg::Datum::Nad27, false},
        {hg::sdtsDatum("NAX "), hg::Datum::Nad83, false},
        {hg::sdtsDatum("WGE"), hg::Datum::Wgs84, false},
        {hg::sdtsDatum(""), hg::Datum::Nad27, true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.got.datum, c.datum) << hg::datumName(c.datum);
        EXPECT_EQ(c.got.assumed, c.assumed) << hg::datumName(c.datum);
    }
}

TEST(UtmInverse, ZoneCentresOnTheEquatorAndTheDatumMatters) {
    std::array<hg::GeoPosition, 2> p{};
    // The central meridian at the equator, north and south of it.
    ASSERT_TRUE(hg::utmToGeographic(31, false, hg::Datum::Wgs84, std::array{500000.0, 500000.0},
                                    std::array{0.0, 1000000.0}, p));
    EXPECT_NEAR(p[0].longitude, 3.0, 1e-9);
    EXPECT_NEAR(p[0].latitude, 0.0, 1e-9);
    EXPECT_NEAR(p[1].longitude, 3.0, 1e-9);
    EXPECT_GT(p[1].latitude, 9.0);
    ASSERT_TRUE(hg::utmToGeographic(1, true, hg::Datum::Wgs84, std::array{500000.0},
                                    std::array{10000000.0}, std::span(p).first(1)));
    EXPECT_NEAR(p[0].longitude, -177.0, 1e-9);
    EXPECT_NEAR(p[0].latitude, 0.0, 1e-9);
    // The same metres on Clarke 1866 and on GRS 80 are not the same place.
    std::array<hg::GeoPosition, 1> nad27{}, nad83{};
    ASSERT_TRUE(hg::utmToGeographic(10, false, hg::Datum::Nad27, std::array{550000.0},
                                    std::array{4180000.0}, nad27));
    ASSERT_TRUE(hg::utmToGeographic(10, false, hg::Datum::Nad83, std::array{550000.0},
                                    std::array{4180000.0}, nad83));
    EXPECT_GT(std::fabs(nad27[0].latitude - nad83[0].latitude) * 3600, 0.1);
    EXPECT_FALSE(hg::utmToGeographic(0, false, hg::Datum::Nad27, std::array{1.0}, std::array{1.0},
                                     std::span(p).first(1)));
}

// Record A's reference system and datum, and the posts, from the reader.
TEST(UsgsDemPosts, RecordAFieldsAndTheRaggedGridsPosts) {
    const auto file = hgtest::sharedData("usgsdem/San_Fran_North.dem");
    HG_REQUIRE_SHARED(file);
    hg::TerrainBuffers buffers;
    hg::CViewSettings settings;
    hg::CUSGS1deg dem(buffers, settings, file);
    dem.open();
    EXPECT_EQ(dem.referenceSystem, 1);
    EXPECT_EQ(dem.zone, 10);
    EXPECT_EQ(dem.groundUnit, 2);
    EXPECT_EQ(dem.datumCode, 1);
    // GDAL's outer edges of this grid, half a post inside.
    EXPECT_DOUBLE_EQ(dem.westPost, 543975.0 + 15);
    EXPECT_DOUBLE_EQ(dem.eastPost, 555075.0 - 15);
    EXPECT_DOUBLE_EQ(dem.northPost, 4191945.0 - 15);
    EXPECT_DOUBLE_EQ(dem.southPost, 4177965.0 + 15);
    EXPECT_EQ(hg::cornerPostsOf(dem).status, hg::CornerPosts::Status::Placed);
}

// The import keeps the datum and the trimmed grid's first post; a working
// file imported before they were kept shows the corners it always showed,
// and State Plane is not inverted.
TEST(SdtsPosts, ImportKeepsThemAndOlderImportsFallBack) {
    const auto cel0 = hgtest::sharedData("sdts/8821/8821CEL0.DDF");
    HG_REQUIRE_SHARED(cel0);
    hgtest::ScopedHome home;
    hg::IniProfileStore store = hg::userSettings();
    hg::importSdtsTransfer(cel0, hg::workingFilePath(), store);
    const char* s = hg::kSectionSdts;
    EXPECT_EQ(store.getString(s, "hdat", "", 64), "NAS");
    // The first cell's centre (659010, 4929360) moved by the 11 rows and
    // 11 columns trimming took off.
    EXPECT_EQ(store.getString(s, "postX", "", 64), "659340.0000000");
    EXPECT_EQ(store.getString(s, "postY", "", 64), "4929030.0000000");

    auto postsWith = [&](const char* key, const char* value) {
        if (key != nullptr) store.putString(s, key, value);
        hg::TerrainBuffers buffers;
        hg::CViewSettings settings;
        hg::CUSGS75min dem(buffers, settings, hg::workingFilePath());
        dem.openFrom(store);
        return hg::cornerPostsOf(dem);
    };
    const hg::CornerPosts imported = postsWith(nullptr, nullptr);
    EXPECT_EQ(imported.status, hg::CornerPosts::Status::Placed);
    EXPECT_FALSE(imported.datum.assumed);
    EXPECT_LT(imported.northWest.longitude, imported.northEast.longitude);
    EXPECT_GT(imported.northWest.latitude, imported.southWest.latitude);

    const hg::CornerPosts older = (postsWith("hdat", ""), postsWith("postX", ""));
    EXPECT_EQ(older.status, hg::CornerPosts::Status::AsStored);
    EXPECT_TRUE(older.datum.assumed);
    EXPECT_EQ(postsWith("rsnm", "SPCS").status, hg::CornerPosts::Status::StatePlane);
}

}  // namespace
