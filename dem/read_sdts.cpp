// SPDX-License-Identifier: MIT
#include "dem/read_sdts.h"

#include <cmath>
#include <limits>
#include <string>
#include <system_error>
#include <utility>

#include "dem/iso8211/iso8211_reader.h"
#include "dem/mesh.h"
#include "platform/file.h"
#include "platform/message_error.h"
#include "platform/text_number.h"
#include "settings/settings.h"

namespace hg {

namespace {

// The first of each module's four messages: open, descriptive record,
// reading a subfield, checking a subfield.

// The program's grids are sized for quadrangles of at most this many rows.
constexpr int kMaxRows = 1700;

// Subfields are free text: leading blanks, a sign and digits, whatever
// follows ignored. An integer beyond int is clamped; a real that is not a
// number reads as 0.
int subfieldInt(const std::string& value) {
    return clampedLeadingInteger<int>(value);
}

double subfieldReal(const std::string& value) {
    return leadingNumber(std::string_view(value), 0.0);
}

// Opens a module, reads its descriptive record, then hands every subfield
// with its label to act, up to the one that ends the file.
template <class Act>
void readModule(const std::filesystem::path& path, const ModuleMessages& msg, Act&& act) {
    Iso8211Reader reader;
    Iso8211Leader leader;
    if (!reader.openModule(path, "r", leader)) throw MessageError(msg.open);
    std::string ddr;
    int status = kIsoFailure;
    if (!reader.readDescriptiveRecord(ddr, status)) throw MessageError(msg.descriptiveRecord);
    Iso8211Subfield subfield;
    Iso8211SubfieldInfo info;
    if (!reader.readSubfield(subfield)) throw MessageError(msg.readSubfield);
    for (;;) {
        if (!reader.checkSubfield(subfield.tag, info)) throw MessageError(msg.checkSubfield);
        act(subfield, info);
        if (subfield.status == kIsoEndOfFile) break;
        if (!reader.readSubfield(subfield)) throw MessageError(msg.readSubfield);
    }
}

// A spatial address: text, or a big-endian 32-bit integer where the
// transfer stores it in binary ("B(32)").
double spatialAddress(const std::string& value, const std::string& format) {
    if (!format.empty() && format[0] == 'B') {
        if (value.size() != 4) return std::numeric_limits<double>::quiet_NaN();
        std::uint32_t u = 0;
        for (char c : value) u = (u << 8) | static_cast<unsigned char>(c);
        return static_cast<double>(static_cast<std::int32_t>(u));
    }
    return leadingNumber(std::string_view(value), std::numeric_limits<double>::quiet_NaN());
}

std::int16_t bigEndian16(const char* bytes) {
    const auto hi = static_cast<unsigned char>(bytes[0]);
    const auto lo = static_cast<unsigned char>(bytes[1]);
    return static_cast<std::int16_t>(static_cast<std::uint16_t>((hi << 8) | lo));
}

}  // namespace

CReadSDTS::CReadSDTS(std::filesystem::path prefix) : prefix_(std::move(prefix)) {}

std::filesystem::path CReadSDTS::modulePath(const char* lowerName) const {
    std::filesystem::path dir = prefix_.parent_path();
    std::string name = prefix_.filename().string() + lowerName;
    // Transfers are usually written with upper-case names; the names built
    // here are lower case.
    auto found = findIgnoringCase(dir, name);
    return found ? *found : dir / name;
}

void CReadSDTS::readModules(CSDTSInfo& info) {
    info_ = &info;

    int record = 0;
    readModule(modulePath("ddom.ddf"), kDdomMessages,
               [&](const Iso8211Subfield& s, const Iso8211SubfieldInfo& i) {
                   if (i.label == "RCID") {
                       record = subfieldInt(s.value);
                   } else if (i.label == "DVAL") {
                       const int v = subfieldInt(s.value);
                       if (record == 1) info.voidValue = v;
                       if (record == 2) info.fillValue = v;
                       if (record == 3) info.minValue = v;
                       if (record == 4) info.maxValue = v;
                   }
               });

    readModule(modulePath("ddsh.ddf"), kDdshMessages,
               [&](const Iso8211Subfield& s, const Iso8211SubfieldInfo& i) {
                   if (s.tag == "DDSH" && i.label == "UNIT") info.unit = s.value;
               });

    readModule(modulePath("iden.ddf"), kIdenMessages,
               [&](const Iso8211Subfield& s, const Iso8211SubfieldInfo& i) {
                   if (s.tag != "IDEN") return;
                   if (i.label == "TITL") info.titl = s.value;
                   if (i.label == "DAID") info.daid = s.value;
                   if (i.label == "DCDT") info.dcdt = s.value;
               });

    // Spatial addresses are stored scaled: ground = scale * stored + origin.
    double scaleX = 1.0, scaleY = 1.0, originX = 0.0, originY = 0.0;
    readModule(modulePath("iref.ddf"), kIrefMessages,
               [&](const Iso8211Subfield& s, const Iso8211SubfieldInfo& i) {
                   if (s.tag != "IREF") return;
                   if (i.label == "XHRS") info.xhrs = subfieldReal(s.value);
                   if (i.label == "YHRS") info.yhrs = subfieldReal(s.value);
                   if (i.label == "SFAX") scaleX = subfieldReal(s.value);
                   if (i.label == "SFAY") scaleY = subfieldReal(s.value);
                   if (i.label == "XORG") originX = subfieldReal(s.value);
                   if (i.label == "YORG") originY = subfieldReal(s.value);
               });

    readModule(modulePath("ldef.ddf"), kLdefMessages,
               [&](const Iso8211Subfield& s, const Iso8211SubfieldInfo& i) {
                   if (s.tag != "LDEF") return;
                   if (i.label == "NROW") info.nRows = subfieldInt(s.value);
                   if (i.label == "NCOL") info.nCols = subfieldInt(s.value);
               });
    if (info.nRows > kMaxRows) throw MessageError(MessageId::SdtsTooManyRows);

    // The raster definition gives where its first (north-west) cell is; the
    // import moves that to the trimmed grid's first post.
    double cellX = std::numeric_limits<double>::quiet_NaN();
    double cellY = cellX;
    readModule(modulePath("rsdf.ddf"), kRsdfMessages,
               [&](const Iso8211Subfield& s, const Iso8211SubfieldInfo& i) {
                   if (s.tag != "SADR") return;
                   if (i.label == "X") cellX = spatialAddress(s.value, i.format);
                   if (i.label == "Y") cellY = spatialAddress(s.value, i.format);
               });
    info.postX = cellX * scaleX + originX;
    info.postY = cellY * scaleY + originY;

    // The corners of the domain, SW, NW, NE, SE. The descriptor is "*X!Y"
    // in some transfers and a plain "X!Y" repeated in others (the USGS
    // sample among them), so both label forms are taken.
    std::vector<std::pair<double, double>> pairs;
    bool haveX = false;
    double x = 0.0;
    readModule(modulePath("spdm.ddf"), kSpdmMessages,
               [&](const Iso8211Subfield& s, const Iso8211SubfieldInfo& i) {
                   if (s.tag != "DMSA") return;
                   if (i.label == "!X" || i.label == "X") {
                       x = subfieldReal(s.value);
                       haveX = true;
                   } else if ((i.label == "!Y" || i.label == "Y") && haveX) {
                       pairs.emplace_back(x, subfieldReal(s.value));
                       haveX = false;
                   }
               });
    double* corners[4][2] = {{&info.swX, &info.swY},
                             {&info.nwX, &info.nwY},
                             {&info.neX, &info.neY},
                             {&info.seX, &info.seY}};
    for (std::size_t k = 0; k < 4 && k < pairs.size(); ++k) {
        *corners[k][0] = pairs[k].first;
        *corners[k][1] = pairs[k].second;
    }

    readModule(modulePath("xref.ddf"), kXrefMessages,
               [&](const Iso8211Subfield& s, const Iso8211SubfieldInfo& i) {
                   if (s.tag != "XREF") return;
                   if (i.label == "RSNM") info.rsnm = s.value;
                   if (i.label == "HDAT") info.hdat = s.value;
                   if (i.label == "ZONE") info.zone = subfieldInt(s.value);
               });
}

void CReadSDTS::readCells() {
    if (!info_) throw MessageError(kCel0Messages.open);
    const std::filesystem::path path = modulePath("cel0.ddf");
    Iso8211Reader reader;
    Iso8211Leader leader;
    if (!reader.openModule(path, "r", leader)) throw MessageError(kCel0Messages.open);
    // Two bytes a cell at the least: a layer definition that promises more
    // cells than the module can hold is refused before the grid is made.
    std::error_code ec;
    const auto fileSize = std::filesystem::file_size(path, ec);
    if (ec || !plausibleGrid(info_->nCols, info_->nRows, fileSize, 2.0)) {
        throw MessageError(kCel0Messages.readSubfield);
    }
    const int nCols = info_->nCols;
    cells_.assign(static_cast<std::size_t>(info_->nRows) * static_cast<std::size_t>(nCols), 0);

    std::string ddr;
    int status = kIsoFailure;
    if (!reader.readDescriptiveRecord(ddr, status))
        throw MessageError(kCel0Messages.descriptiveRecord);

    // Subfields in file order, k counting the cells of the current row.
    // Only the first cell of a row is checked; record identifiers and cell
    // addresses before it are passed over.
    std::int16_t* const cells = cells_.data();
    const std::size_t cellCount = cells_.size();
    std::size_t p = 0;
    int k = 0;
    auto store = [&](const char* bytes) {
        // Cells beyond the layer's size have nowhere to go.
        if (p < cellCount) cells[p] = bigEndian16(bytes);
        ++p;
        if (++k >= nCols) k = 0;
    };
    Iso8211Run run;
    Iso8211SubfieldView subfield;
    for (;;) {
        if (reader.readRun(run)) {
            // The cells of a row come as one field of two-byte values: taken
            // straight from the record, with the checks of the one-by-one
            // path below applied to the run's common format.
            const bool cell = run.width == 2 && run.format.find('B') != std::string_view::npos;
            const std::size_t n = run.count();
            for (std::size_t i = 0; i < n; ++i) {
                if (k == 0 && !cell) continue;
                if (run.width != 2) throw MessageError(kCel0Messages.checkSubfield);
                store(run.bytes.data() + i * 2);
            }
            continue;
        }
        if (!reader.readSubfieldView(subfield)) throw MessageError(kCel0Messages.readSubfield);
        const bool two = subfield.value.size() == 2;
        if (k == 0) {
            if (subfield.format.find('B') != std::string_view::npos && two)
                store(subfield.value.data());
        } else {
            if (!two) throw MessageError(kCel0Messages.checkSubfield);
            store(subfield.value.data());
        }
        if (subfield.status == kIsoEndOfFile) break;
    }
}

CReadSDTS::Rect CReadSDTS::trimmed() const {
    if (!info_) throw MessageError(MessageId::SdtsVoidOrFill);
    const int nRows = info_->nRows;
    const int nCols = info_->nCols;
    if (nRows < 1 || nCols < 1 ||
        cells_.size() != static_cast<std::size_t>(nRows) * static_cast<std::size_t>(nCols)) {
        throw MessageError(MessageId::SdtsVoidOrFill);
    }
    const int fill = info_->fillValue;
    auto bad = [&](int r, int c) {
        return cells_[static_cast<std::size_t>(r) * static_cast<std::size_t>(nCols) +
                      static_cast<std::size_t>(c)] <= fill;
    };
    Rect t{0, 0, nRows - 1, nCols - 1};
    bool changed = true;
    while (changed) {
        bool topBad = false, leftBad = false, bottomBad = false, rightBad = false;
        for (int c = t.left; c <= t.right && !topBad; ++c) topBad = bad(t.top, c);
        for (int r = t.top; r <= t.bottom && !leftBad; ++r) leftBad = bad(r, t.left);
        if (topBad) ++t.top;
        if (leftBad) ++t.left;
        if (t.left == nCols || t.top == nRows) throw MessageError(MessageId::SdtsVoidOrFill);
        for (int c = t.right; c >= t.left && !bottomBad; --c) bottomBad = bad(t.bottom, c);
        for (int r = t.bottom; r >= t.top && !rightBad; --r) rightBad = bad(r, t.right);
        if (bottomBad) --t.bottom;
        if (rightBad) --t.right;
        if (t.right < 0 || t.bottom < 0) throw MessageError(MessageId::SdtsVoidOrFill);
        changed = topBad || leftBad || bottomBad || rightBad;
    }
    // The edges can cross without any of them reaching the grid's side;
    // an empty rectangle is as useless as none.
    if (t.rows() < 1 || t.cols() < 1) throw MessageError(MessageId::SdtsVoidOrFill);
    return t;
}

bool CReadSDTS::writeGrid(const std::filesystem::path& path, const Rect& rect,
                          const std::function<void()>& written) const {
    if (!info_ || rect.rows() < 1 || rect.cols() < 1) return false;
    const std::size_t nCols = static_cast<std::size_t>(info_->nCols);
    return replaceFileAtomically(path, [&](int fd) {
        std::vector<unsigned char> row(static_cast<std::size_t>(rect.cols()) * 2);
        std::size_t sinceBlock = 0;
        for (int r = rect.top; r <= rect.bottom; ++r) {
            const std::int16_t* src =
                &cells_[static_cast<std::size_t>(r) * nCols + static_cast<std::size_t>(rect.left)];
            for (int c = 0; c < rect.cols(); ++c) {
                const auto u = static_cast<std::uint16_t>(src[c]);
                row[static_cast<std::size_t>(c) * 2] = static_cast<unsigned char>(u & 0xff);
                row[static_cast<std::size_t>(c) * 2 + 1] = static_cast<unsigned char>(u >> 8);
            }
            if (!writeAll(fd, row.data(), row.size())) return false;
            sinceBlock += row.size();
            if (written && sinceBlock >= (1u << 16)) {
                sinceBlock = 0;
                written();
            }
        }
        return true;
    });
}

void CReadSDTS::writeWorkingGrid(const std::filesystem::path& path, ProfileStore& store) {
    const Rect rect = trimmed();
    if (!writeGrid(path, rect)) throw MessageError(MessageId::SdtsWrite);
    info_->sizeZ = rect.rows();
    info_->sizeX = rect.cols();
    if (!saveSdtsGridSize(store, info_->sizeZ, info_->sizeX))
        throw MessageError(MessageId::SdtsWrite);
}

std::filesystem::path sdtsPrefix(const std::filesystem::path& cel0Path) {
    const std::string name = cel0Path.filename().string();
    if (name.size() < 8) throw MessageError(kCel0Messages.open);
    return cel0Path.parent_path() / name.substr(0, name.size() - 8);
}

void importSdtsTransfer(const std::filesystem::path& cel0Path, const std::filesystem::path& memPath,
                        ProfileStore& store, const std::function<void()>& written) {
    // Nothing is saved until every module has been read and the grid
    // trimmed, so a broken transfer leaves the previous DEM usable.
    CSDTSInfo info;
    CReadSDTS reader(sdtsPrefix(cel0Path));
    reader.readModules(info);
    reader.readCells();
    const CReadSDTS::Rect rect = reader.trimmed();
    if (!reader.writeGrid(memPath, rect, written)) throw MessageError(MessageId::SdtsWrite);
    info.sizeZ = rect.rows();
    info.sizeX = rect.cols();
    // Posts are cell centres in these transfers, one spacing apart.
    info.postX += rect.left * info.xhrs;
    info.postY -= rect.top * info.yhrs;
    bool ok = info.saveToSettings(store);
    ok = saveSdtsGridSize(store, info.sizeZ, info.sizeX) && ok;
    ok = ok && writeDemType(store, kDemSdts75);
    if (!ok) throw MessageError(MessageId::SdtsWrite);
}

}  // namespace hg
