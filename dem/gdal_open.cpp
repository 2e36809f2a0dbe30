// SPDX-License-Identifier: MIT
#include "dem/gdal_open.h"

#include <cpl_conv.h>
#include <cpl_error.h>
#include <cpl_http.h>
#include <cpl_string.h>
#include <cpl_vsi.h>
#include <cpl_vsi_virtual.h>
#include <gdal_frmts.h>
#include <ogr_srs_api.h>
#include <sys/stat.h>

#include <array>
#include <cstdint>
#include <mutex>
#include <system_error>

#include "platform/file.h"
#include "platform/message_error.h"

namespace hg {

namespace {

// Local formats whose reader looks at nothing but the named file and its
// own plain companions (.prj, .hdr, an Imagine .ige in the same folder, a
// zipped .hgt through the archive of the named file itself). Kept out on
// purpose: VRT and every other format whose file names other files or
// services (WMS, WCS, MBTiles, SDTS catalogues, ...), anything that reaches
// the network, and MEM, whose "file names" point into memory.
struct AllowedDriver {
    const char* name;
    void (*registerIt)();
};
constexpr std::array<AllowedDriver, 11> kAllowed = {{
    {"GTiff", GDALRegister_GTiff},
    {"SRTMHGT", GDALRegister_SRTMHGT},
    {"AAIGrid", GDALRegister_AAIGrid},
    {"DTED", GDALRegister_DTED},
    {"HFA", GDALRegister_HFA},
    {"USGSDEM", GDALRegister_USGSDEM},
    {"GSBG", GDALRegister_GSBG},
    {"GS7BG", GDALRegister_GS7BG},
    {"GSAG", GDALRegister_GSAG},
    {"EHdr", GDALRegister_EHdr},
    // Reads GSI 50 m mesh files under any name, as before; whether it
    // stays is a question of the dispatch order, not of safety.
    {"JDEM", GDALRegister_JDEM},
}};

// The names, with the null GDAL's lists end in.
constexpr std::array<const char*, kAllowed.size() + 1> allowedNames() {
    std::array<const char*, kAllowed.size() + 1> names{};
    for (std::size_t i = 0; i < kAllowed.size(); ++i) names[i] = kAllowed[i].name;
    return names;
}
constexpr std::array<const char*, kAllowed.size() + 1> kAllowedNames = allowedNames();

// Every virtual file system of GDAL that reaches a server, reads standard
// input, or takes its data from files a description names. Installing a
// handler of our own over a prefix replaces GDAL's: every open, stat and
// listing below it fails, whatever a driver or a file asks for. /vsizip/
// stays for zipped SRTM tiles, /vsimem/ and /vsisubfile/ for the drivers'
// own use of the file they were given.
constexpr std::array<const char*, 21> kRefusedPrefixes = {
    "/vsicurl/",
    "/vsicurl_streaming/",
    "/vsis3/",
    "/vsis3_streaming/",
    "/vsigs/",
    "/vsigs_streaming/",
    "/vsiaz/",
    "/vsiaz_streaming/",
    "/vsiadls/",
    "/vsioss/",
    "/vsioss_streaming/",
    "/vsiswift/",
    "/vsiswift_streaming/",
    "/vsiwebhdfs/",
    "/vsihdfs/",
    "/vsistdin/",
    "/vsisparse/",
    "/vsicrypt/",
    "/vsitar/",
    "/vsigzip/",
    "/vsi7z/",
};

int refuseStat(void*, const char*, VSIStatBufL*, int) {
    return -1;
}
int refuseName(void*, const char*) {
    return -1;
}
int refuseRename(void*, const char*, const char*) {
    return -1;
}
int refuseMkdir(void*, const char*, long) {
    return -1;
}
char** refuseList(void*, const char*, int) {
    return nullptr;
}
char** refuseSiblings(void*, const char*) {
    return nullptr;
}
void* refuseOpen(void*, const char*, const char*) {
    return nullptr;
}
vsi_l_offset noTell(void*) {
    return 0;
}
int noSeek(void*, vsi_l_offset, int) {
    return -1;
}
size_t noRead(void*, void*, size_t, size_t) {
    return 0;
}
int atEof(void*) {
    return 1;
}
int noClose(void*) {
    return 0;
}

// Every HTTP request GDAL itself makes (map servers, PROJ grids fetched on
// GDAL's behalf) fails here before a socket is opened.
CPLHTTPResult* refuseFetch(const char*, CSLConstList, GDALProgressFunc, void*,
                           CPLHTTPFetchWriteFunc, void*, void*) {
    auto* result = static_cast<CPLHTTPResult*>(CPLCalloc(1, sizeof(CPLHTTPResult)));
    result->nStatus = 1;
    result->pszErrBuf = CPLStrdup("network access is switched off");
    return result;
}

void switchNetworkOff() {
    // Belt and braces beside the handlers below: no PAM .aux.xml is read
    // or written, no directory is listed to find sidecars (the opener hands
    // its own list), and a curl handle, should one ever be made, gives up
    // at once on a name no server has.
    CPLSetConfigOption("GDAL_PAM_ENABLED", "NO");
    CPLSetConfigOption("GDAL_DISABLE_READDIR_ON_OPEN", "TRUE");
    CPLSetConfigOption("CPL_VSIL_CURL_ALLOWED_EXTENSIONS", ".hillglimmer-offline");
    CPLSetConfigOption("GDAL_HTTP_MAX_RETRY", "0");
    CPLSetConfigOption("GDAL_HTTP_TIMEOUT", "1");
    CPLSetConfigOption("GDAL_HTTP_CONNECTTIMEOUT", "1");
    CPLSetConfigOption("PROJ_NETWORK", "OFF");
    OSRSetPROJEnableNetwork(FALSE);
    CPLHTTPSetFetchCallback(refuseFetch, nullptr);

    // The callbacks live as long as the process: GDAL keeps the pointer.
    static const std::unique_ptr<VSIFilesystemPluginCallbacksStruct,
                                 void (*)(VSIFilesystemPluginCallbacksStruct*)>
        callbacks(VSIAllocFilesystemPluginCallbacksStruct(),
                  VSIFreeFilesystemPluginCallbacksStruct);
    VSIFilesystemPluginCallbacksStruct& cb = *callbacks;
    cb.stat = refuseStat;
    cb.unlink = refuseName;
    cb.rename = refuseRename;
    cb.mkdir = refuseMkdir;
    cb.rmdir = refuseName;
    cb.read_dir = refuseList;
    cb.open = refuseOpen;
    cb.tell = noTell;
    cb.seek = noSeek;
    cb.read = noRead;
    cb.eof = atEof;
    cb.close = noClose;
    cb.sibling_files = refuseSiblings;
    // GDAL forgets a handler it replaces without freeing it; holding the
    // old ones keeps them reachable, so leak checkers stay quiet. A plain
    // array, not a vector: it must outlive the static destructors, as the
    // handlers do.
    static std::array<VSIFilesystemHandler*, kRefusedPrefixes.size()> replaced{};
    VSIFilesystemHandler* const fallback = VSIFileManager::GetHandler("/hillglimmer-none/");
    for (std::size_t i = 0; i < kRefusedPrefixes.size(); ++i) {
        VSIFilesystemHandler* old = VSIFileManager::GetHandler(kRefusedPrefixes[i]);
        if (old != fallback) replaced[i] = old;
        VSIInstallPluginHandler(kRefusedPrefixes[i], &cb);
    }
}

bool startsWithIgnoringCase(std::string_view s, std::string_view prefix) {
    return s.size() >= prefix.size() && equalsIgnoringAsciiCase(s.substr(0, prefix.size()), prefix);
}

// The absolute, lexically normal form of a name that denotes a plain local
// regular file, or a MessageError. GDAL reads more than file names: prefixes
// like "/vsicurl/", URLs, and "DRIVER:…" connection or subdataset strings.
std::filesystem::path plainLocalFile(const std::filesystem::path& file) {
    const std::string raw = file.string();
    if (raw.empty()) throw MessageError(MessageId::RasterNotRegularFile);
    const std::size_t colon = raw.find(':'), slash = raw.find('/');
    if (startsWithIgnoringCase(raw, "/vsi") || raw.find("://") != std::string::npos ||
        (colon != std::string::npos && (slash == std::string::npos || colon < slash))) {
        throw MessageError(MessageId::RasterNotPlainFile);
    }
    std::error_code ec;
    const std::filesystem::path abs = std::filesystem::absolute(file, ec).lexically_normal();
    if (ec) throw MessageError(MessageId::RasterNotRegularFile);
    if (startsWithIgnoringCase(abs.string(), "/vsi")) {
        throw MessageError(MessageId::RasterNotPlainFile);
    }
    struct stat st {};
    // Devices, pipes and folders never: /dev/zero is endless, a pipe blocks.
    if (::stat(abs.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
        throw MessageError(MessageId::RasterNotRegularFile);
    }
    return abs;
}

// The format's own plain companions that lie beside the file: GDAL looks
// only at the names in this list, so an .ovr, .aux, .aux.xml or .msk
// sidecar (which it would open with any driver it has) is never seen.
// A companion that is a link or not a regular file is left out too: it
// could lead anywhere.
class SiblingList {
public:
    explicit SiblingList(const std::filesystem::path& file) {
        const std::filesystem::path dir = file.parent_path();
        const std::string stem = file.stem().string();
        add(file.filename().string());
        for (const char* ext : {".prj", ".PRJ", ".hdr", ".HDR", ".ige", ".IGE", ".tfw", ".TFW",
                                ".tifw", ".TIFW", ".wld", ".WLD"}) {
            const std::string name = stem + ext;
            struct stat st {};
            if (::lstat((dir / name).c_str(), &st) == 0 && S_ISREG(st.st_mode)) add(name);
        }
        pointers_.push_back(nullptr);
    }
    char** get() { return pointers_.data(); }

private:
    void add(std::string name) {
        names_.push_back(std::make_unique<std::string>(std::move(name)));
        pointers_.push_back(names_.back()->data());
    }
    std::vector<std::unique_ptr<std::string>> names_;
    std::vector<char*> pointers_;
};

GdalDataset openChecked(const std::filesystem::path& abs, unsigned flags) {
    SiblingList siblings(abs);
    return GdalDataset(
        GDALOpenEx(abs.c_str(), flags, kAllowedNames.data(), nullptr, siblings.get()));
}

}  // namespace

void GdalDatasetCloser::operator()(void* h) const {
    if (h != nullptr) GDALClose(static_cast<GDALDatasetH>(h));
}

std::span<const char* const> allowedGdalDrivers() {
    return std::span<const char* const>(kAllowedNames.data(), kAllowed.size());
}

void prepareGdal() {
    static std::once_flag once;
    std::call_once(once, [] {
        switchNetworkOff();
        // GDAL keeps decoded blocks up to 5 % of the machine's memory by
        // default: on a large machine, an import of a 20000 x 20000 raster
        // and its overviews held more than a gigabyte of them. The copy
        // and the readers go through the file in bands of rows, so the
        // cache needs to hold one band of tiles of the widest raster taken
        // (20000 posts x 256 rows of floats is 20 MB) for the source and
        // for the copy, with room to spare; beyond that it only holds
        // blocks that are never read again.
        GDALSetCacheMax64(std::int64_t{64} << 20);
        for (const AllowedDriver& d : kAllowed) d.registerIt();
    });
}

QuietGdal::QuietGdal() {
    CPLPushErrorHandler(CPLQuietErrorHandler);
}

QuietGdal::~QuietGdal() {
    CPLPopErrorHandler();
}

GdalDataset openGdalRaster(const std::filesystem::path& file) {
    prepareGdal();
    const std::filesystem::path abs = plainLocalFile(file);
    QuietGdal quiet;
    GdalDataset ds = openChecked(abs, GDAL_OF_RASTER | GDAL_OF_READONLY);
    if (!ds) throw MessageError(MessageId::RasterFormatRefused);
    return ds;
}

bool gdalIdentifiesRaster(const std::filesystem::path& file) {
    prepareGdal();
    try {
        const std::filesystem::path abs = plainLocalFile(file);
        QuietGdal quiet;
        SiblingList siblings(abs);
        return GDALIdentifyDriverEx(abs.c_str(), GDAL_OF_RASTER, kAllowedNames.data(),
                                    siblings.get()) != nullptr;
    } catch (const MessageError&) {
        return false;
    }
}

namespace {

struct OptionList {
    std::vector<std::string> text;
    std::vector<char*> pointers;
    explicit OptionList(const std::vector<std::string>& options) : text(options) {
        for (auto& o : text) pointers.push_back(o.data());
        pointers.push_back(nullptr);
    }
};

GDALDriverH writer(const char* driver) {
    prepareGdal();
    for (const AllowedDriver& d : kAllowed) {
        if (std::string_view(d.name) == driver) return GDALGetDriverByName(d.name);
    }
    return nullptr;
}

}  // namespace

GdalDataset createGdalRaster(const char* driver, const std::filesystem::path& file, int cols,
                             int rows, GDALDataType type, const std::vector<std::string>& options) {
    GDALDriverH d = writer(driver);
    if (d == nullptr) return nullptr;
    OptionList list(options);
    return GdalDataset(GDALCreate(d, file.c_str(), cols, rows, 1, type, list.pointers.data()));
}

GdalDataset copyGdalRaster(const char* driver, const std::filesystem::path& file,
                           GDALDatasetH source, const std::vector<std::string>& options) {
    GDALDriverH d = writer(driver);
    if (d == nullptr) return nullptr;
    OptionList list(options);
    return GdalDataset(
        GDALCreateCopy(d, file.c_str(), source, FALSE, list.pointers.data(), nullptr, nullptr));
}

}  // namespace hg
