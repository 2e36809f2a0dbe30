// SPDX-License-Identifier: MIT
#include "shell/info_command.h"

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <new>
#include <optional>

#include "config/fractal_dimension.h"
#include "dem/corner_posts.h"
#include "dem/formats.h"
#include "dem/gdal_raster.h"
#include "dem/memory_grid.h"
#include "dem/mesh.h"
#include "platform/encoding.h"
#include "platform/file.h"
#include "platform/home.h"
#include "platform/messages.h"
#include "platform/profile_store.h"
#include "platform/text_number.h"
#include "render/saver_record.h"
#include "render/styles.h"
#include "settings/settings.h"

namespace hg {

int demTypeForExtension(const std::filesystem::path& file) {
    return demTypeOf(file);
}

std::string formatDms(double arcSeconds, bool latitude) {
    char hemi = latitude ? (arcSeconds < 0 ? 'S' : 'N') : (arcSeconds < 0 ? 'W' : 'E');
    double v = std::fabs(arcSeconds);
    // Round to hundredths first so 59.999 never prints as 60.00.
    long long hundredths = std::llround(v * 100.0);
    long long deg = hundredths / 360000;
    long long min = (hundredths / 6000) % 60;
    double sec = static_cast<double>(hundredths % 6000) / 100.0;
    return formatInteger(deg) + "\xC2\xB0" + formatInteger(min, 2) + "'" + formatFixed(sec, 2, 5) +
           "\"" + hemi;
}

namespace {

// The corners: the posts' geographic positions where the file's
// coordinates can be inverted, else the reader's own corner fields.
std::string cornerLines(const CMesh& mesh) {
    const CornerPosts posts = cornerPostsOf(mesh);
    using Status = CornerPosts::Status;
    std::string out;
    switch (posts.status) {
        case Status::StatePlane:
            return formatMessage(MessageId::InfoCorners,
                                 {loadMessage(MessageId::CornersStatePlane)}) +
                   "\n";
        case Status::OtherProjection:
            return formatMessage(MessageId::InfoCorners,
                                 {loadMessage(MessageId::CornersOtherProjection)}) +
                   "\n";
        case Status::Failed:
            return formatMessage(MessageId::InfoCorners, {loadMessage(MessageId::CornersFailed)}) +
                   "\n";
        case Status::Placed: {
            out = formatMessage(MessageId::InfoCorners,
                                {loadMessage(posts.datum.assumed ? MessageId::DatumAssumed
                                                                 : MessageId::DatumNamed) +
                                 " " + datumName(posts.datum.datum)}) +
                  "\n";
            auto post = [&](MessageId name, const GeoPosition& p) {
                out += loadMessage(name) + ": " + formatDms(p.latitude * 3600.0, true) + " " +
                       formatDms(p.longitude * 3600.0, false) + "\n";
            };
            post(MessageId::InfoSouthWest, posts.southWest);
            post(MessageId::InfoNorthWest, posts.northWest);
            post(MessageId::InfoNorthEast, posts.northEast);
            post(MessageId::InfoSouthEast, posts.southEast);
            return out;
        }
        case Status::AsStored:
            break;
    }
    auto corner = [&](MessageId name, double x, double y) {
        out += formatMessage(MessageId::InfoCornerArcSeconds,
                             {loadMessage(name), formatDms(y, true), formatDms(x, false),
                              formatFixed(x, 3), formatFixed(y, 3)}) +
               "\n";
    };
    corner(MessageId::InfoSouthWest, mesh.swX, mesh.swY);
    corner(MessageId::InfoNorthWest, mesh.nwX, mesh.nwY);
    corner(MessageId::InfoNorthEast, mesh.neX, mesh.neY);
    corner(MessageId::InfoSouthEast, mesh.seX, mesh.seY);
    return out;
}

int usage() {
    std::fputs(loadMessage(MessageId::InfoUsage).c_str(), stderr);
    return 2;
}

bool writeHeights(const std::filesystem::path& out, const std::vector<float>& heights) {
    return replaceFileAtomically(out, [&](int fd) {
        std::vector<unsigned char> bytes(heights.size() * 4);
        for (std::size_t i = 0; i < heights.size(); ++i) {
            std::uint32_t u;
            std::memcpy(&u, &heights[i], 4);
            bytes[i * 4] = static_cast<unsigned char>(u);
            bytes[i * 4 + 1] = static_cast<unsigned char>(u >> 8);
            bytes[i * 4 + 2] = static_cast<unsigned char>(u >> 16);
            bytes[i * 4 + 3] = static_cast<unsigned char>(u >> 24);
        }
        return writeAll(fd, bytes.data(), bytes.size());
    });
}

// The settings the part chooser starts from with a fresh settings folder:
// the whole DEM thinned to the default mesh limits, at the default
// altitude factor.
std::unique_ptr<CViewSettings> freshMapRecord() {
    SaverSettings fresh;
    fresh.yFactor = altitudeFactorAt(def::yFactor);
    std::unique_ptr<CViewSettings> record = createViewSettings(kDrawRelief);
    applyMapSettings(*record, fresh, fresh.yFactor);
    return record;
}

std::string fractalDimensionOf(const TerrainBuffers& buffers, const CViewSettings& record) {
    return formatFractalDimension(fractalDimension(buffers.vertices, record.numCols, record.numRows,
                                                   record.yFactor, record.yOffset));
}

// The figure the part chooser shows for this DEM. The samples already read
// stand in for the file: the chooser's reader would pick the same ones
// from it.
std::string mapFractalDimension(const CMesh& read, std::vector<float> samples) {
    std::unique_ptr<CViewSettings> record = freshMapRecord();
    TerrainBuffers buffers;
    CMemoryGrid grid(buffers, *record, read.demCols, read.demRows, std::move(samples),
                     read.ewSpacing, read.nsSpacing);
    grid.open();
    grid.layout();
    grid.read();
    grid.heightsToVertices();
    return fractalDimensionOf(buffers, *record);
}

// The same figure read from the file as the chooser reads it, for a DEM
// whose posts are not all in memory.
std::string mapFractalDimension(int type, const std::filesystem::path& file,
                                const ProfileStore& store) {
    std::unique_ptr<CViewSettings> record = freshMapRecord();
    TerrainBuffers buffers;
    std::unique_ptr<CMesh> mesh = createMesh(buffers, *record, type, file, &store);
    mesh->open();
    mesh->layout();
    mesh->read();
    mesh->heightsToVertices();
    return fractalDimensionOf(buffers, *record);
}

}  // namespace

int runInfoCommand(const std::vector<std::string>& args) {
    std::filesystem::path file;
    std::filesystem::path heightsOut;
    int type = -1;
    for (std::size_t i = 1; i < args.size(); ++i) {
        if (args[i] == "--type" && i + 1 < args.size()) {
            auto t = parseNumber<int>(args[++i]);
            // A number no reader has would be read as type 0 further on.
            if (!t || *t < 0 || *t > kDemGdal) return usage();
            type = *t;
        } else if (args[i] == "--heights" && i + 1 < args.size()) {
            heightsOut = args[++i];
        } else if (!args[i].empty() && args[i][0] == '-') {
            return usage();
        } else if (file.empty()) {
            file = args[i];
        } else {
            return usage();
        }
    }
    if (file.empty()) return usage();
    // The working file is whatever the settings say it is, whatever its
    // name; its type and the import's description are read under the lock
    // with the file, as the saver reads them.
    IniProfileStore store = userSettings();
    std::optional<ScopedStoreLock> reading;
    const std::filesystem::path workingFile = workingFilePath();
    std::error_code ec;
    if (type < 0 && !homeDirectory().empty() &&
        std::filesystem::equivalent(file, workingFile, ec)) {
        // Without its settings the working file's type would be a guess.
        if (std::optional<std::string> why = store.unreadable()) {
            std::fprintf(stderr, "hillglimmer: %s\n", why->c_str());
            return 1;
        }
        reading.emplace(store, StoreLockMode::Shared);
        type = readDemType(store);
    }
    if (type < 0) {
        type = demTypeForExtension(file);
        // These two are imported, not read: their readers take the working
        // file and the description the import stored.
        if (type == kDemSdts75 || type == kDemGsi10m) {
            std::fprintf(
                stderr, "hillglimmer: %s\n",
                formatMessage(MessageId::InfoImported, {file.string(), workingFile.string()})
                    .c_str());
            return 2;
        }
    }

    TerrainBuffers buffers;
    auto settings = std::make_unique<CViewSettings>();
    // The whole DEM at full resolution: a window as large as the DEM.
    settings->isPart = 1;
    settings->startX = 0;
    settings->startZ = 0;
    settings->sizeMeshMaxX = std::numeric_limits<int>::max();
    settings->sizeMeshMaxZ = std::numeric_limits<int>::max();
    settings->meshBlock = 1.0;
    settings->yFactor = 1.0;
    try {
        auto mesh = createMesh(buffers, *settings, type, file, &store);
        mesh->withVertices = false;
        mesh->open();

        float lo = FLT_MAX, hi = -FLT_MAX;
        std::size_t voids = 0;
        // A raster read through GDAL may be 20000 posts a side: its figures
        // are gathered a band of rows at a time unless every post is asked
        // for. The other formats are read whole.
        auto* raster = dynamic_cast<CGdalRaster*>(mesh.get());
        const bool streamed = raster != nullptr && heightsOut.empty();
        if (streamed) {
            const CGdalRaster::HeightSummary sum = raster->summarizeHeights();
            voids = sum.voids;
            if (sum.anyHeight) {
                lo = sum.lowest;
                hi = sum.highest;
            }
        } else {
            mesh->layout();
            mesh->read();
            for (float h : buffers.heights) {
                if (h == VOID_HEIGHT) {
                    ++voids;
                    continue;
                }
                lo = std::min(lo, h);
                hi = std::max(hi, h);
            }
        }
        auto line = [&](MessageId id, std::initializer_list<std::string_view> args) {
            return formatMessage(id, args) + "\n";
        };
        std::string out =
            line(MessageId::InfoFile, {file.string()}) +
            line(MessageId::InfoType, {formatInteger(type)}) +
            line(MessageId::InfoTitle, {sjisToUtf8(mesh->title)}) +
            line(MessageId::InfoSize, {formatInteger(mesh->demCols), formatInteger(mesh->demRows)});
        out += cornerLines(*mesh);
        auto spacing = [&](MessageId id, double north, double south, double mean) {
            out += line(id, {formatFixed(north, 4), formatFixed(south, 4), formatFixed(mean, 4)});
        };
        spacing(MessageId::InfoSpacingEastWest, mesh->ewSpacingN, mesh->ewSpacingS,
                mesh->ewSpacing);
        spacing(MessageId::InfoSpacingNorthSouth, mesh->nsSpacingN, mesh->nsSpacingS,
                mesh->nsSpacing);
        out += lo <= hi ? line(MessageId::InfoHeights, {formatFixed(lo, 2), formatFixed(hi, 2)})
                        : line(MessageId::InfoNoHeights, {});
        out += line(MessageId::InfoVoids, {formatInteger(static_cast<long long>(voids))});
        if (!heightsOut.empty() && !writeHeights(heightsOut, buffers.heights)) {
            std::fprintf(stderr, "hillglimmer: %s\n",
                         formatMessage(MessageId::CannotWriteFile, {heightsOut.string()}).c_str());
            return 1;
        }
        // A raster's thinned picture is read from its overviews (block
        // means), so its figure comes from that read, as the chooser's does.
        const std::string fractal = raster != nullptr
                                        ? mapFractalDimension(type, file, store)
                                        : mapFractalDimension(*mesh, std::move(buffers.heights));
        out += line(MessageId::InfoFractalDimension, {fractal});
        std::fputs(out.c_str(), stdout);
    } catch (const std::bad_alloc&) {
        // The library's own text for this means nothing to a user.
        std::fprintf(stderr, "hillglimmer: %s\n",
                     formatMessage(MessageId::NotEnoughMemoryToRead, {file.string()}).c_str());
        return 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "hillglimmer: %s: %s\n", file.string().c_str(), e.what());
        return 1;
    }
    return 0;
}

}  // namespace hg
