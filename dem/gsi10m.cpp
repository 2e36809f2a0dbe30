// SPDX-License-Identifier: MIT
#include "dem/gsi10m.h"

#include <algorithm>
#include <cstdint>
#include <system_error>
#include <vector>

#include "platform/file.h"
#include "platform/message_error.h"
#include "settings/settings.h"

namespace hg {

namespace {
constexpr std::size_t kTitleLimit = 255;

bool isSjisLead(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}
}  // namespace

CGSI10m::CGSI10m(TerrainBuffers& d, CViewSettings& s, std::filesystem::path path,
                 const ProfileStore* store)
    : CMesh(d, s, std::move(path)), store_(store) {}

void CGSI10m::describe(const CGSI10mInfo& info) {
    title = info.titl;
    demCols = info.nCols;
    demRows = info.nRows;
    setBounds(info.swX, info.swY, info.neX, info.neY);
    // A single column or row has no spacing; the layout refuses such a grid.
    double ew = demCols > 1 ? info.disLong / (demCols - 1) : 0.0;
    double ns = demRows > 1 ? info.disLat / (demRows - 1) : 0.0;
    ewSpacingN = ewSpacingS = ewSpacing = ew;
    nsSpacingN = nsSpacingS = nsSpacing = ns;
    minHeight = maxHeight = 0.0f;
    heightFactor = 0.1;
}

void CGSI10m::open() {
    // The grid alone, without the description its import wrote, is no DEM.
    if (store_ == nullptr) throw MessageError(MessageId::IllegalGsi10mDat);
    const ProfileStore& store = *store_;
    CGSI10mInfo info;
    info.loadFromSettings(store);
    describe(info);
    // The layout sizes the height buffer from these numbers; a description
    // that the working file cannot back is refused before that happens.
    // The grid has no signature: a description with a key missing, or a
    // working file of another size (another format's file under a stale
    // demType), would otherwise be drawn as heights without a word.
    for (const char* k : {"nRows", "nCols", "swX", "swY", "neX", "neY", "disLong", "disLat"}) {
        if (store.getString(kSectionGsi10m, k, "", 64).empty())
            throw MessageError(MessageId::IllegalGsi10mDat);
    }
    std::error_code ec;
    auto size = std::filesystem::file_size(fileName, ec);
    if (ec || !plausibleGrid(demCols, demRows, size, 2.0) ||
        size != static_cast<std::uint64_t>(demCols) * static_cast<std::uint64_t>(demRows) * 2)
        throw MessageError(MessageId::IllegalGsi10mDat);
}

void CGSI10m::read() {
    SampleSelection sel = selection();
    std::vector<float>& heights = draw->heights;
    if (heights.size() != sel.total()) heights.assign(sel.total(), 0.0f);
    if (sel.total() == 0) return;
    if (!plausibleGrid(demCols, demRows)) throw MessageError(MessageId::IllegalGsi10mDat);

    // Output column of each kept DEM column, in order.
    std::vector<std::pair<int, int>> cols;
    for (int c = 0; c < demCols; ++c) {
        int slot = sel.colSlot(c);
        if (slot >= 0) cols.emplace_back(c, slot);
    }

    InputFile file;
    if (!file.open(fileName)) throw MessageError(MessageId::IllegalGsi10mDat);
    const std::size_t rowBytes = static_cast<std::size_t>(demCols) * 2;
    // Rows come in blocks of about a megabyte rather than one call each,
    // but never more rows than the part needs: a small grid would pay for
    // clearing the whole megabyte.
    const std::size_t blockRows = std::clamp<std::size_t>(
        (1u << 20) / rowBytes, 1, static_cast<std::size_t>(std::max(1, sel.usedRows())));
    std::vector<unsigned char> block(blockRows * rowBytes);

    int rowsLeft = sel.usedRows();
    int r = 0;
    while (rowsLeft > 0) {
        auto got = file.read(block.data(), block.size());
        if (!got) throw MessageError(MessageId::IllegalGsi10mDat);
        std::size_t fullRows = *got / rowBytes;
        for (std::size_t i = 0; i < fullRows && rowsLeft > 0; ++i, ++r) {
            int slot = sel.rowSlot(r);
            if (slot < 0) continue;
            const unsigned char* row = &block[i * rowBytes];
            float* out = &heights[static_cast<std::size_t>(slot) * sel.usedCols()];
            for (auto [c, s] : cols) {
                unsigned v = (static_cast<unsigned>(row[2 * c]) << 8) | row[2 * c + 1];
                out[s] = static_cast<float>(v * heightFactor);
            }
            --rowsLeft;
        }
        if (*got < block.size() && rowsLeft > 0) throw MessageError(MessageId::IllegalGsi10mDat);
    }
}

std::string gsi10mTitle(const ProfileStore& store) {
    CGSI10mInfo info;
    info.loadFromSettings(store);
    std::string t = info.titl.substr(0, info.titl.find(','));
    // Shorten without splitting a two-byte character.
    std::size_t keep = 0;
    while (keep < t.size()) {
        std::size_t len = isSjisLead(static_cast<unsigned char>(t[keep])) ? 2 : 1;
        if (keep + len > kTitleLimit || keep + len > t.size()) break;
        keep += len;
    }
    t.resize(keep);
    return t;
}

}  // namespace hg
