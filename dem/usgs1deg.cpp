// SPDX-License-Identifier: MIT
#include "dem/usgs1deg.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string_view>

#include "dem/geodesy.h"
#include "platform/file.h"
#include "platform/message_error.h"
#include "platform/text_number.h"

namespace hg {

namespace {

constexpr std::size_t kBlock = 1024;
// A profile's first block spends 144 characters on its header.
constexpr std::size_t kProfileHeader = 144;
constexpr int kFirstBlockValues = 146;
constexpr int kBlockValues = 170;
constexpr int kVoidMarker = -32767;
constexpr int kFillMarker = -32768;
// A ragged grid may hold at most this many posts for every post its
// profiles carry.
constexpr long long kRaggedGridPerPost = 4;

[[noreturn]] void illegal() {
    throw MessageError(MessageId::IllegalDem);
}

// Fortran I-format: blanks, an optional sign, digits; anything else ends
// the number, and a blank field reads as 0. The bound keeps the block
// arithmetic on a hostile count clear of overflow.
int parseInt(std::string_view field) {
    return std::clamp(clampedLeadingInteger<int>(field), -2000000000, 2000000000);
}

// Fortran E- and D-format reals ("0.544050000000000D+06",
// "3.00000e+001"). The D exponent has to be honoured: stopping at it would
// read every corner a million times too small.
double parseReal(std::string_view field) {
    std::array<char, 40> buf{};
    const std::size_t n = std::min(field.size(), buf.size());
    std::transform(field.begin(), field.begin() + static_cast<std::ptrdiff_t>(n), buf.begin(),
                   [](char c) { return c == 'D' || c == 'd' ? 'E' : c; });
    return leadingNumber(std::string_view(buf.data(), n), 0.0);
}

std::string trimBlanks(std::string_view s) {
    std::size_t b = s.find_first_not_of(' ');
    if (b == std::string_view::npos) return {};
    std::size_t e = s.find_last_not_of(' ');
    return std::string(s.substr(b, e - b + 1));
}

// An elevation: a 6-character I-format field, read as parseInt reads it.
// Six characters cannot overflow, so no clamping is needed.
int elevationField(const char* field) {
    std::size_t i = 0;
    while (i < 6 && isAsciiSpace(field[i])) ++i;
    bool negative = false;
    if (i < 6 && (field[i] == '+' || field[i] == '-')) {
        negative = field[i] == '-';
        ++i;
    }
    int v = 0;
    for (; i < 6 && field[i] >= '0' && field[i] <= '9'; ++i) v = v * 10 + (field[i] - '0');
    return negative ? -v : v;
}

// A file read forward through a large buffer: profiles that follow one
// another then cost one read call for many of them, not a seek and a read
// each.
class ForwardWindow {
public:
    ForwardWindow(InputFile& file, std::size_t chunk) : file_(file), chunk_(chunk) {}

    // n bytes at offset, or nullptr when the file cannot give them all.
    const char* at(std::uint64_t offset, std::size_t n) {
        if (offset >= start_ && n <= size_ && offset - start_ <= size_ - n) {
            return buf_.data() + (offset - start_);
        }
        const std::size_t want = std::max(n, chunk_);
        if (buf_.size() < want) buf_.resize(want);
        size_ = 0;
        if (!file_.seek(offset)) return nullptr;
        auto got = file_.read(buf_.data(), want);
        if (!got || *got < n) return nullptr;
        start_ = offset;
        size_ = *got;
        return buf_.data();
    }

private:
    InputFile& file_;
    std::size_t chunk_;
    std::vector<char> buf_;
    std::uint64_t start_ = 0;
    std::size_t size_ = 0;
};

constexpr std::size_t kWindowChunk = std::size_t{1} << 18;

int blocksForProfile(int count) {
    if (count <= kFirstBlockValues) return 1;
    return 1 + (count - kFirstBlockValues + kBlockValues - 1) / kBlockValues;
}

}  // namespace

CUSGS1deg::CUSGS1deg(TerrainBuffers& d, CViewSettings& s, std::filesystem::path path)
    : CMesh(d, s, std::move(path)) {}

void CUSGS1deg::open() {
    InputFile file;
    if (!file.open(fileName)) illegal();
    auto fileSize = file.size();
    if (!fileSize) illegal();

    // Record A plus the two characters after it, which tell whether the
    // blocks carry line ends.
    std::array<char, kBlock + 2> head{};
    auto got = file.read(head.data(), head.size());
    if (!got || *got < kBlock) illegal();
    const std::string_view a(head.data(), kBlock);

    title = trimBlanks(a.substr(0, 64));
    referenceSystem = parseInt(a.substr(156, 6));
    zone = parseInt(a.substr(162, 6));
    groundUnit = parseInt(a.substr(528, 6));
    datumCode = parseInt(a.substr(890, 2));
    unitFactor = parseInt(a.substr(534, 6)) == 2 ? 1.0 : 0.3048;

    std::array<double, 8> c{};
    for (std::size_t i = 0; i < c.size(); ++i) {
        c[i] = parseReal(a.substr(546 + 24 * i, 24));
        if (!std::isfinite(c[i])) illegal();
    }
    swX = c[0];
    swY = c[1];
    nwX = c[2];
    nwY = c[3];
    neX = c[4];
    neY = c[5];
    seX = c[6];
    seY = c[7];

    double lo = parseReal(a.substr(738, 24)) * unitFactor;
    double hi = parseReal(a.substr(762, 24)) * unitFactor;
    // A range no float can hold is no range; the base then measures the
    // heights itself.
    if (std::isfinite(lo) && std::isfinite(hi) && std::fabs(lo) < 1e30 && std::fabs(hi) < 1e30) {
        minHeight = static_cast<float>(lo);
        maxHeight = static_cast<float>(hi);
    } else {
        minHeight = maxHeight = 0.0f;
    }

    const double yResolution = parseReal(a.substr(828, 12));
    // The products have square posts; a blank x resolution borrows y's.
    double xResolution = parseReal(a.substr(816, 12));
    if (!(xResolution > 0.0)) xResolution = yResolution;
    const double zResolution = parseReal(a.substr(840, 12));
    // A blank z resolution means whole units, so a file that leaves it
    // out still reads.
    if (zResolution == 0.0) {
        zResolution_ = 1.0;
    } else if (std::isfinite(zResolution) && zResolution > 0.0 && zResolution <= 1e4) {
        zResolution_ = zResolution;
    } else {
        illegal();
    }

    demCols = parseInt(a.substr(858, 6));

    // Some converters end each 1024-character block with LF or CR LF. Record
    // B never starts with either, so the two characters after record A tell
    // the layout of the whole file.
    stride_ = kBlock;
    if (*got > kBlock && head[kBlock] == '\n') {
        stride_ = kBlock + 1;
    } else if (*got > kBlock + 1 && head[kBlock] == '\r' && head[kBlock + 1] == '\n') {
        stride_ = kBlock + 2;
    }

    // Every profile needs at least one block of its own.
    if (!plausibleGrid(demCols, 1, *fileSize, static_cast<double>(stride_))) illegal();
    readProfileHeaders(file, *fileSize);
    layOutRows(yResolution);

    if (zone == 0) {
        setGeographicSpacings(xResolution, yResolution);
    } else {
        const double cols = demCols > 1 ? demCols - 1 : 1;
        const double rows = demRows > 1 ? demRows - 1 : 1;
        if (ragged_) {
            // The corners of a ragged file are not posts, so the spacing is
            // the resolution itself.
            ewSpacingN = ewSpacingS = ewSpacing = xResolution;
            nsSpacingN = nsSpacingS = nsSpacing = yResolution;
        } else {
            ewSpacingN = std::fabs(neX - nwX) / cols;
            ewSpacingS = std::fabs(seX - swX) / cols;
            ewSpacing = (ewSpacingN + ewSpacingS) * 0.5;
            nsSpacingN = (std::fabs(neY - seY) + std::fabs(nwY - swY)) * 0.5 / rows;
            nsSpacingS = nsSpacing = nsSpacingN;
        }
        setProjectedCorners();
    }
}

void CUSGS1deg::readProfileHeaders(InputFile& file, std::uint64_t fileSize) {
    profiles_.clear();
    profiles_.reserve(static_cast<std::size_t>(demCols));
    ForwardWindow window(file, kWindowChunk);
    std::uint64_t offset = stride_;
    for (int j = 0; j < demCols; ++j) {
        if (offset + kProfileHeader > fileSize) illegal();
        const char* h = window.at(offset, kProfileHeader);
        if (!h) illegal();
        const std::string_view b(h, kProfileHeader);
        Profile p;
        p.offset = offset;
        p.count = parseInt(b.substr(12, 6));
        p.startX = parseReal(b.substr(24, 24));
        p.startY = parseReal(b.substr(48, 24));
        p.datum = parseReal(b.substr(72, 24));
        if (p.count < 1 || p.count > kMaxGridSide) illegal();
        if (!std::isfinite(p.startY) || !std::isfinite(p.datum) || std::fabs(p.datum) > 1e6) {
            illegal();
        }
        const std::uint64_t blocks = static_cast<std::uint64_t>(blocksForProfile(p.count));
        // The whole profile must be there: a file cut inside it is broken,
        // not merely short of a few posts.
        if (offset + (blocks - 1) * stride_ + kBlock > fileSize) illegal();
        profiles_.push_back(p);
        offset += blocks * stride_;
    }
}

void CUSGS1deg::layOutRows(double yResolution) {
    const Profile& first = profiles_.front();
    ragged_ = std::any_of(profiles_.begin(), profiles_.end(), [&](const Profile& p) {
        return p.count != first.count || p.startY != first.startY;
    });
    westPost = first.startX;
    eastPost = profiles_.back().startX;
    if (!ragged_) {
        demRows = first.count;
        for (Profile& p : profiles_) p.southRow = 0;
        southPost = first.startY;
        northPost = first.startY + (first.count - 1) * yResolution;
        return;
    }

    // Profiles of a 7.5-minute quadrangle start and end where its edges cut
    // the projected grid, so the grid spans the corners at the posts'
    // resolution and each profile goes to the rows its start names.
    if (!std::isfinite(yResolution) || yResolution <= 0.0) illegal();
    const double lowY = std::min({swY, nwY, neY, seY});
    const double highY = std::max({swY, nwY, neY, seY});
    const double south = std::floor(lowY / yResolution);
    const double north = std::ceil(highY / yResolution);
    if (!std::isfinite(south) || !std::isfinite(north) || std::fabs(south) > 1e12 ||
        std::fabs(north) > 1e12) {
        illegal();
    }
    const long long rows = static_cast<long long>(north) - static_cast<long long>(south) + 1;
    int longest = 0;
    long long held = 0;
    for (const Profile& p : profiles_) {
        longest = std::max(longest, p.count);
        held += p.count;
    }
    // Corners far beyond what the profiles hold would only allocate voids:
    // a quadrangle's slanted edges leave a few percent of its grid void, so
    // a grid four times the posts the file holds is corners that lie, and
    // reading it would cost memory the file's size never promised.
    if (!plausibleGrid(demCols, rows) || rows > 2LL * longest + 2 ||
        static_cast<long long>(demCols) * rows > kRaggedGridPerPost * held) {
        illegal();
    }
    demRows = static_cast<int>(rows);
    southPost = south * yResolution;
    northPost = north * yResolution;

    for (Profile& p : profiles_) {
        const double start = std::round(p.startY / yResolution) - south;
        // Far outside the grid is as good as one row beyond it: nothing of
        // the profile is kept.
        p.southRow = static_cast<int>(std::clamp(start, -1.0 - kMaxGridSide, 1.0 + kMaxGridSide));
    }
}

void CUSGS1deg::setGeographicSpacings(double xResolution, double yResolution) {
    const double northLat = std::fabs(neY + nwY) * 0.5;
    const double southLat = std::fabs(seY + swY) * 0.5;
    if (ragged_) {
        ewSpacingN = metresPerArcSecEW(0, northLat) * xResolution;
        ewSpacingS = metresPerArcSecEW(0, southLat) * xResolution;
        nsSpacingN = metresPerArcSecNS(0, northLat) * yResolution;
        nsSpacingS = metresPerArcSecNS(0, southLat) * yResolution;
    } else {
        const double cols = demCols > 1 ? demCols - 1 : 1;
        const double rows = demRows > 1 ? demRows - 1 : 1;
        const double northWidth = std::fabs(nwX - neX);
        const double southWidth = std::fabs(swX - seX);
        const double height = (std::fabs(neY - seY) + std::fabs(nwY - swY)) * 0.5;
        ewSpacingN = metresPerArcSecEW(0, northLat) * northWidth / cols;
        ewSpacingS = metresPerArcSecEW(0, southLat) * southWidth / cols;
        nsSpacingN = metresPerArcSecNS(0, northLat) * height / rows;
        nsSpacingS = metresPerArcSecNS(0, southLat) * height / rows;
    }
    ewSpacing = (ewSpacingN + ewSpacingS) * 0.5;
    nsSpacing = (nsSpacingN + nsSpacingS) * 0.5;
}

void CUSGS1deg::setProjectedCorners() {
    // Beyond a pole the walk would only take longer to say nothing useful.
    for (double y : {swY, nwY, neY, seY}) {
        if (std::fabs(y) > 2e7) illegal();
    }
    originLatitude = 0.0;
    referenceLongitude = (180.0 - (zone - 1) * 6.0) * 3600.0;
    // The longitudes serve for display only; the spacings come from the
    // eastings in metres.
    // All four corners come out of one walk from the equator.
    double* xs[4] = {&nwX, &seX, &neX, &swX};
    double* ys[4] = {&nwY, &seY, &neY, &swY};
    std::array<double, 4> northings{};
    std::array<double, 4> latitudes{};
    for (std::size_t i = 0; i < 4; ++i) northings[i] = *ys[i];
    MeridianWalk(0, originLatitude).latitudesAt(northings, latitudes);
    for (std::size_t i = 0; i < 4; ++i) {
        *xs[i] = *xs[i] / metresPerArcSecEW(0, latitudes[i]) + referenceLongitude;
        *ys[i] = latitudes[i];
    }
}

void CUSGS1deg::read() {
    if (profiles_.size() != static_cast<std::size_t>(demCols) || demRows < 1) illegal();
    const SampleSelection sel = selection();
    std::vector<float>& heights = draw->heights;
    // Posts that no profile reaches stay void.
    heights.assign(sel.total(), VOID_HEIGHT);
    if (sel.total() == 0) return;
    const std::size_t usedCols = static_cast<std::size_t>(sel.usedCols());

    InputFile file;
    if (!file.open(fileName)) illegal();
    // Every profile is wanted when the grid is read whole: those are read
    // many at a time. A thinned read takes only the profiles it keeps.
    ForwardWindow window(file, sel.usedCols() >= demCols ? kWindowChunk : 0);
    std::vector<int> rowSlots(static_cast<std::size_t>(demRows));
    for (int r = 0; r < demRows; ++r) rowSlots[static_cast<std::size_t>(r)] = sel.rowSlot(r);
    for (int j = 0; j < demCols; ++j) {
        const int col = sel.colSlot(j);
        if (col < 0) continue;
        const Profile& p = profiles_[static_cast<std::size_t>(j)];
        const std::size_t blocks = static_cast<std::size_t>(blocksForProfile(p.count));
        const std::size_t span = (blocks - 1) * stride_ + kBlock;
        const char* buf = window.at(p.offset, span);
        if (!buf) illegal();

        // Only the elevations that land inside the grid, taken a block at a
        // time so that each one's place is a step from the one before.
        const int first = std::max(0, -p.southRow);
        const int last = std::min(p.count, demRows - p.southRow);
        // Grid rows count from the north, elevations from the south.
        const int top = demRows - 1 - p.southRow;
        for (int k = first; k < last;) {
            std::size_t pos;
            int blockEnd;
            if (k < kFirstBlockValues) {
                pos = kProfileHeader + 6 * static_cast<std::size_t>(k);
                blockEnd = kFirstBlockValues;
            } else {
                const int q = k - kFirstBlockValues;
                pos = static_cast<std::size_t>(1 + q / kBlockValues) * stride_ +
                      6 * static_cast<std::size_t>(q % kBlockValues);
                blockEnd = kFirstBlockValues + (q / kBlockValues + 1) * kBlockValues;
            }
            for (const int stop = std::min(last, blockEnd); k < stop; ++k, pos += 6) {
                const int row = rowSlots[static_cast<std::size_t>(top - k)];
                if (row < 0) continue;
                const int raw = elevationField(buf + pos);
                float h = VOID_HEIGHT;
                if (raw != kVoidMarker && raw != kFillMarker) {
                    const double value = (raw * zResolution_ + p.datum) * unitFactor;
                    // Whole metres, toward zero: 1000 ft is 304 m, -12.9 m is -12.
                    h = std::trunc(static_cast<float>(value));
                }
                heights[static_cast<std::size_t>(row) * usedCols + static_cast<std::size_t>(col)] =
                    h;
            }
        }
    }
}

std::string usgsDemTitle(const std::filesystem::path& path) {
    InputFile file;
    if (!file.open(path)) illegal();
    std::array<char, 64> text{};
    auto got = file.read(text.data(), text.size());
    if (!got || *got < text.size()) illegal();
    std::string_view s(text.data(), text.size());
    // Text that starts in the first column is a short name followed by other
    // descriptive text; only the name is wanted as a title.
    if (s.front() != ' ') s = s.substr(0, 24);
    return trimBlanks(s);
}

}  // namespace hg
