// SPDX-License-Identifier: MIT
// Files handed to the raster path by a stranger: each is made here, chosen
// as "Specify DEM" would, and must be refused with our message (or read
// with its tricks ignored) while the previous DEM, the settings and the
// network stay untouched.
#include <arpa/inet.h>
#include <cpl_vsi.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <ogr_srs_api.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "dem/dem_selection.h"
#include "dem/gdal_open.h"
#include "dem/gdal_raster.h"
#include "platform/messages.h"
#include "platform/show_error.h"
#include "settings/dem_commit.h"
#include "settings/settings.h"
#include "support/mesh_read.h"
#include "support/test_support.h"

namespace {

using hgtest::readFile;
using hgtest::writeFile;

// A TCP listener on the loopback that only counts who came: the kernel
// completes a connection into the backlog whether or not we accept, so
// after a command has ended every attempt it made is waiting there.
class ConnectionCounter {
public:
    ConnectionCounter() {
        fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof a;
        EXPECT_EQ(::bind(fd_, reinterpret_cast<sockaddr*>(&a), len), 0);
        EXPECT_EQ(::listen(fd_, 64), 0);
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &len);
        port_ = ntohs(a.sin_port);
    }
    ~ConnectionCounter() { ::close(fd_); }
    ConnectionCounter(const ConnectionCounter&) = delete;
    ConnectionCounter& operator=(const ConnectionCounter&) = delete;
    std::string url(const std::string& file) const {
        return "http://127.0.0.1:" + std::to_string(port_) + "/" + file;
    }
    int accepted() {
        for (int c; (c = ::accept(fd_, nullptr, nullptr)) >= 0;) {
            ::close(c);
            ++count_;
        }
        return count_;
    }

private:
    int fd_ = -1;
    int port_ = 0;
    int count_ = 0;
};

// A north-up geographic raster of h(row, column) through an allowed writer.
std::filesystem::path raster(const std::filesystem::path& path, int cols, int rows, double cell,
                             const std::function<double(int, int)>& h, const char* driver = "GTiff",
                             GDALDataType type = GDT_Float32, double west = 7.0,
                             double north = 47.0) {
    const bool direct = std::string(driver) == "GTiff";
    std::filesystem::path scratch = path;
    scratch += ".src.tif";
    hg::GdalDataset ds = hg::createGdalRaster("GTiff", direct ? path : scratch, cols, rows, type);
    EXPECT_TRUE(ds);
    double gt[6] = {west - cell / 2, cell, 0, north + cell / 2, 0, -cell};
    GDALSetGeoTransform(ds.get(), gt);
    OGRSpatialReferenceH srs = OSRNewSpatialReference(nullptr);
    OSRImportFromEPSG(srs, 4326);
    GDALSetSpatialRef(ds.get(), srs);
    OSRDestroySpatialReference(srs);
    std::vector<double> v(static_cast<std::size_t>(cols) * rows);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c) v[static_cast<std::size_t>(r) * cols + c] = h(r, c);
    EXPECT_EQ(GDALRasterIO(GDALGetRasterBand(ds.get(), 1), GF_Write, 0, 0, cols, rows, v.data(),
                           cols, rows, GDT_Float64, 0, 0),
              CE_None);
    if (!direct) {
        EXPECT_TRUE(hg::copyGdalRaster(driver, path, ds.get()));
        ds.reset();
        std::filesystem::remove(scratch);
    }
    return path;
}

double hill(int r, int c) {
    return 300.0 + 2.0 * c + 1.5 * r;
}

std::string vrt(const std::string& source, bool raw) {
    const std::string band =
        raw ? "<VRTRasterBand dataType=\"Byte\" band=\"1\" subClass=\"VRTRawRasterBand\">"
              "<SourceFilename relativeToVRT=\"0\">" +
                  source +
                  "</SourceFilename><ImageOffset>0</ImageOffset><PixelOffset>1</PixelOffset>"
                  "<LineOffset>64</LineOffset></VRTRasterBand>"
            : "<VRTRasterBand dataType=\"Byte\" band=\"1\"><SimpleSource><SourceFilename>" +
                  source +
                  "</SourceFilename><SourceBand>1</SourceBand></SimpleSource></VRTRasterBand>";
    return "<VRTDataset rasterXSize=\"64\" rasterYSize=\"64\"><SRS>EPSG:4326</SRS>"
           "<GeoTransform>7, 0.001, 0, 47, 0, -0.001</GeoTransform>" +
           band + "</VRTDataset>\n";
}

struct Home {
    hgtest::ScopedHome home;
    hg::IniProfileStore store = hg::userSettings();
    std::filesystem::path mem = home.path() / "Hillglimmer.mem";
    std::filesystem::path dir = home.path() / "picked";
};

// Makes the file a case hands over, given the listener's address for files
// that point at the network.
using Maker = std::function<void(const std::filesystem::path& file, const ConnectionCounter&)>;

struct Case {
    const char* name;
    const char* file;
    Maker make;
    // A part of the message shown; empty when the file must be accepted.
    std::string refusal;
    int voids = 0;
};

Maker vrtOver(const std::string& source, bool raw) {
    return [=](const auto& file, const auto&) { writeFile(file, vrt(source, raw)); };
}
Maker vrtOverNetwork() {
    return [](const auto& file, const auto& n) {
        writeFile(file, vrt("/vsicurl/" + n.url("x.tif"), false));
    };
}
Maker grid(int cols, int rows, double cell, std::function<double(int, int)> h = hill) {
    return [=](const auto& file, const auto&) { raster(file, cols, rows, cell, h); };
}
// A good GeoTIFF of 500 x 500 (thinned through its overviews, had it any)
// beside an overview sidecar of the given text.
Maker withOverviewSidecar(std::function<std::string(const ConnectionCounter&)> text) {
    return [=](const auto& file, const auto& n) {
        std::filesystem::path ovr = file;
        ovr += ".ovr";
        writeFile(ovr, text(n));
        raster(file, 500, 500, 0.001, hill);
    };
}

std::vector<std::string> listing(const std::filesystem::path& dir) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(GdalSafety, StrangersFilesAreRefusedOrDefusedAndThePreviousDemStays) {
    using hg::MessageId;
    const auto text = [](MessageId id) { return hg::loadMessage(id); };
    const auto nan = std::numeric_limits<double>::quiet_NaN();
    const std::vector<Case> cases = {
        {"vrt_over_network", "remote.vrt", vrtOverNetwork(), text(MessageId::RasterFormatRefused)},
        {"vrt_over_network_named_tif", "remote.tif", vrtOverNetwork(),
         text(MessageId::RasterFormatRefused)},
        {"raw_band_over_passwd", "passwd.vrt", vrtOver("/etc/passwd", true),
         text(MessageId::RasterFormatRefused)},
        {"raw_band_over_environment", "env.tif", vrtOver("/proc/self/environ", true),
         text(MessageId::RasterFormatRefused)},
        {"raw_band_over_dev_zero", "zero.vrt", vrtOver("/dev/zero", true),
         text(MessageId::RasterFormatRefused)},
        {"two_by_two", "tiny.tif", grid(2, 2, 0.001), "too small to draw"},
        {"all_nan", "nan.tif", grid(40, 30, 0.001, [=](int, int) { return nan; }),
         text(MessageId::DemNoHeights)},
        {"spacing_1e-300", "needle.tif", grid(40, 30, 1e-300), text(MessageId::DemSpacing)},
        {"float_limits_only", "limits.tif",
         grid(40, 30, 0.001, [](int r, int c) { return (r + c) % 2 ? 3.4e38 : -3.4e38; }),
         text(MessageId::DemNoHeights)},
        {"ascii_grid_without_its_prj", "bare.asc",
         [](const auto& file, const auto&) {
             raster(file, 40, 30, 0.001, hill, "AAIGrid");
             std::filesystem::remove(file.parent_path() / "bare.prj");
         },
         text(MessageId::RasterNotPlaceable)},
        {"settings_of_18_mb", "good.tif",
         [](const auto& file, const auto&) {
             const auto ini = file.parent_path().parent_path() / "Hillglimmer.ini";
             writeFile(ini, readFile(ini) + "[Other]\n" + std::string(18u << 20, ';') + "\n");
             raster(file, 40, 30, 0.001, hill);
         },
         text(MessageId::SettingsNotReadWhole)},
        // Accepted with the trick ignored: the sidecar is never opened, and
        // heights at the float limits become voids.
        {"tif_with_network_ovr_sidecar", "big.tif", withOverviewSidecar([](const auto& n) {
             return vrt("/vsicurl/" + n.url("o.tif"), false);
         }),
         ""},
        {"tif_with_map_server_ovr_sidecar", "wms.tif", withOverviewSidecar([](const auto& n) {
             return "<GDAL_WMS><Service name=\"WMS\"><ServerUrl>" + n.url("wms?") +
                    "</ServerUrl><Layers>x</Layers></Service><DataWindow><UpperLeftX>-180"
                    "</UpperLeftX><UpperLeftY>90</UpperLeftY><LowerRightX>180</LowerRightX>"
                    "<LowerRightY>-90</LowerRightY><SizeX>250</SizeX><SizeY>250</SizeY>"
                    "</DataWindow></GDAL_WMS>\n";
         }),
         ""},
        {"float_limits_among_heights", "mixed.tif",
         grid(40, 30, 0.001, [](int r, int c) { return (r + c) % 2 ? -3.4e38 : 500.0; }), "", 600},
    };

    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ConnectionCounter network;
        Home h;
        std::filesystem::create_directories(h.dir);
        ASSERT_EQ(
            hg::selectDemFile(HG_SOURCE_DIR "/data/jacksboro.dem", h.mem, h.store, nullptr, {}, {}),
            hg::SelectOutcome::Changed);
        const std::filesystem::path file = h.dir / c.file;
        c.make(file, network);
        const std::string memBefore = readFile(h.mem), iniBefore = readFile(h.store.path());
        const std::vector<std::string> homeBefore = listing(h.home.path());

        std::vector<std::string> shown;
        hg::ErrorSinkGuard sink(
            [&](void*, const std::string& t, const std::string&) { shown.push_back(t); });
        const hg::SelectOutcome got = hg::selectDemFile(file, h.mem, h.store, nullptr, {}, {});

        EXPECT_EQ(network.accepted(), 0);
        EXPECT_FALSE(std::filesystem::exists(hg::stagedWorkingFile(h.mem)));
        if (!c.refusal.empty()) {
            EXPECT_EQ(got, hg::SelectOutcome::Failed);
            ASSERT_EQ(shown.size(), 1u);
            EXPECT_NE(shown[0].find(c.refusal), std::string::npos) << shown[0];
            EXPECT_TRUE(readFile(h.mem) == memBefore);
            EXPECT_TRUE(readFile(h.store.path()) == iniBefore);
            EXPECT_EQ(listing(h.home.path()), homeBefore);
            continue;
        }
        ASSERT_EQ(got, hg::SelectOutcome::Changed) << (shown.empty() ? "" : shown[0]);
        EXPECT_EQ(hg::readDemType(h.store), hg::kDemGdal);
        hgtest::MeshRead<hg::CGdalRaster> original(file), working(h.mem);
        const std::vector<float>& a = original.run();
        const std::vector<float>& b = working.run();
        EXPECT_EQ(a, b);
        EXPECT_LT(*std::max_element(b.begin(), b.end()), 1e30f);
        EXPECT_EQ(std::count(b.begin(), b.end(), hg::VOID_HEIGHT), c.voids);
        EXPECT_EQ(GDALGetOverviewCount(GDALGetRasterBand(hg::openGdalRaster(file).get(), 1)), 0);
    }
}

// Names GDAL would read as something other than a local file.
TEST(GdalSafety, OnlyPlainLocalRegularFilesAreOpened) {
    ConnectionCounter network;
    hgtest::TempDir dir;
    const auto good = raster(dir / "good.tif", 20, 20, 0.001, hill);
    using hg::MessageId;
    const std::vector<std::pair<std::string, MessageId>> names = {
        {"/vsicurl/" + network.url("x.tif"), MessageId::RasterNotPlainFile},
        {network.url("x.tif"), MessageId::RasterNotPlainFile},
        {"/vsizip/" + (dir / "a.zip").string() + "/x.tif", MessageId::RasterNotPlainFile},
        {"/tmp/../vsicurl/" + network.url("y.tif"), MessageId::RasterNotPlainFile},
        {"GTIFF_DIR:1:" + good.string(), MessageId::RasterNotPlainFile},
        {"MEM:::DATAPOINTER=0,PIXELS=1,LINES=1", MessageId::RasterNotPlainFile},
        {"/dev/zero", MessageId::RasterNotRegularFile},
        {dir.path().string(), MessageId::RasterNotRegularFile},
        {(dir / "missing.tif").string(), MessageId::RasterNotRegularFile},
    };
    for (const auto& [name, why] : names) {
        const std::string& path = name;  // clang before 16 cannot capture a structured binding
        EXPECT_EQ(hgtest::messageOf([&] { hg::openGdalRaster(path); }), why) << name;
        EXPECT_FALSE(hg::gdalIdentifiesRaster(name)) << name;
    }
    EXPECT_EQ(hgtest::messageOf([&] { hg::openGdalRaster(good); }), std::nullopt);
    // Even a driver asking for a network file directly is answered locally.
    VSIStatBufL st;
    EXPECT_NE(VSIStatL(("/vsicurl/" + network.url("z.tif")).c_str(), &st), 0);
    EXPECT_EQ(network.accepted(), 0);
    // Nothing but the allowed drivers exists in the process.
    EXPECT_EQ(GDALGetDriverCount(), static_cast<int>(hg::allowedGdalDrivers().size()));
    EXPECT_EQ(GDALGetDriverByName("VRT"), nullptr);
}

// The formats users hold still select, each with its own companions.
TEST(GdalSafety, CommonRasterFormatsStillSelect) {
    Home h;
    std::filesystem::create_directories(h.dir);
    const auto tile = [](int r, int c) { return 800.0 + (r * 7 + c * 3) % 50; };
    raster(h.dir / "N46E007.hgt", 1201, 1201, 1.0 / 1200, tile, "SRTMHGT", GDT_Int16);
    {
        // The same tile zipped, as it is downloaded.
        const std::string bytes = readFile(h.dir / "N46E007.hgt");
        VSILFILE* z = VSIFOpenL(
            ("/vsizip/" + (h.dir / "N45E007.hgt.zip").string() + "/N45E007.hgt").c_str(), "wb");
        ASSERT_NE(z, nullptr);
        EXPECT_EQ(VSIFWriteL(bytes.data(), 1, bytes.size(), z), bytes.size());
        VSIFCloseL(z);
    }
    const std::vector<std::filesystem::path> files = {
        raster(h.dir / "alps.tif", 300, 200, 0.001, hill),
        h.dir / "N46E007.hgt",
        h.dir / "N45E007.hgt.zip",
        raster(h.dir / "valley.asc", 90, 70, 0.001, hill, "AAIGrid"),
        raster(h.dir / "n46.dt0", 121, 121, 1.0 / 120, tile, "DTED", GDT_Int16, 7.0, 47.0),
        raster(h.dir / "lake.img", 60, 50, 0.001, hill, "HFA"),
    };
    EXPECT_TRUE(std::filesystem::exists(h.dir / "valley.prj"));
    for (const auto& file : files) {
        SCOPED_TRACE(file.filename().string());
        std::vector<std::string> shown;
        hg::ErrorSinkGuard sink(
            [&](void*, const std::string& t, const std::string&) { shown.push_back(t); });
        ASSERT_EQ(hg::selectDemFile(file, h.mem, h.store, nullptr, {}, {}),
                  hg::SelectOutcome::Changed)
            << (shown.empty() ? "" : shown[0]);
        EXPECT_EQ(hg::readDemType(h.store), hg::kDemGdal);
        hgtest::MeshRead<hg::CGdalRaster> original(file), working(h.mem);
        EXPECT_EQ(original.run(), working.run());
        EXPECT_NEAR(working.mesh.nwY / 3600.0, file.filename().string()[2] == '5' ? 46.0 : 47.0,
                    0.01);
    }
}

}  // namespace
