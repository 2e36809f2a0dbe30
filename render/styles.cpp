// SPDX-License-Identifier: MIT
#include "render/styles.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <type_traits>

#include "platform/text_number.h"
#include "render/draw_check.h"
#include "render/draw_contour.h"
#include "render/draw_flower.h"
#include "render/draw_iroiro.h"
#include "render/draw_mesh.h"
#include "render/draw_relief.h"
#include "render/draw_shading.h"
#include "render/draw_skeleton.h"
#include "render/draw_step.h"
#include "render/draw_wine.h"

namespace hg {

template <typename Style>
std::unique_ptr<CDraw> makeStyle(const ProfileStore& store) {
    // A style that keeps settings of its own reads them from the store it
    // is made with; the others take nothing.
    if constexpr (std::is_constructible_v<Style, const ProfileStore&>) {
        return std::make_unique<Style>(store);
    } else {
        (void)store;
        return std::make_unique<Style>();
    }
}

template std::unique_ptr<CDraw> makeStyle<CDrawMesh>(const ProfileStore&);
template std::unique_ptr<CDraw> makeStyle<CDrawShading>(const ProfileStore&);
template std::unique_ptr<CDraw> makeStyle<CDrawWine>(const ProfileStore&);
template std::unique_ptr<CDraw> makeStyle<CDrawFlower>(const ProfileStore&);
template std::unique_ptr<CDraw> makeStyle<CDrawCheck>(const ProfileStore&);
template std::unique_ptr<CDraw> makeStyle<CDrawSkeleton>(const ProfileStore&);
template std::unique_ptr<CDraw> makeStyle<CDrawContour>(const ProfileStore&);
template std::unique_ptr<CDraw> makeStyle<CDrawStep>(const ProfileStore&);
template std::unique_ptr<CDraw> makeStyle<CDrawRelief>(const ProfileStore&);

std::unique_ptr<CDraw> makeCyan(const ProfileStore&) {
    return std::make_unique<CDrawIroiro>(0x5DBBBB);
}

// A draw type is its row's place, so settings and numbers index the table.
static_assert([] {
    for (std::size_t n = 0; n < kStyles.size(); ++n) {
        // Makers are not compared here: a sanitizer build cannot compare a
        // function's address at compile time.
        if (kStyles[n].drawType != static_cast<int>(n)) return false;
    }
    return true;
}());

namespace {

bool sameIgnoringCase(const std::string& a, const char* b) {
    const std::string other(b);
    if (a.size() != other.size()) return false;
    for (std::size_t n = 0; n < a.size(); ++n) {
        if (std::tolower(static_cast<unsigned char>(a[n])) !=
            std::tolower(static_cast<unsigned char>(other[n]))) {
            return false;
        }
    }
    return true;
}

}  // namespace

std::span<const StyleRow> styleTable() {
    return kStyles;
}

const StyleRow* styleRow(int drawType) {
    if (drawType < 0 || drawType >= static_cast<int>(kStyles.size())) return nullptr;
    return &kStyles[static_cast<std::size_t>(drawType)];
}

bool offeredStyle(int drawType) {
    const StyleRow* row = styleRow(drawType);
    return row != nullptr && row->offered;
}

std::unique_ptr<CDraw> createDraw(int drawType, const ProfileStore& store) {
    const StyleRow* row = styleRow(drawType);
    if (row == nullptr) return nullptr;
    return row->make(store);
}

std::unique_ptr<CViewSettings> createViewSettings(int drawType) {
    const StyleRow* row = styleRow(drawType);
    if (row == nullptr) return nullptr;
    auto s = std::make_unique<CViewSettings>();
    s->drawType = drawType;
    s->normalWeight = row->defaults.normalWeight;
    s->step = row->defaults.step;
    s->xAngle = row->defaults.xAngle;
    s->yAngle = row->defaults.yAngle;
    s->distanceFactor = row->defaults.distanceFactor;
    s->perspective = row->defaults.perspective;
    return s;
}

std::optional<int> drawTypeFromName(const std::string& text) {
    if (!text.empty() && std::all_of(text.begin(), text.end(),
                                     [](unsigned char c) { return std::isdigit(c) != 0; })) {
        // Leading zeros allowed; digits past the table's length name nothing.
        const auto n = parseNumber<int>(text);
        if (n && styleRow(*n) != nullptr) return *n;
        return std::nullopt;
    }
    for (const StyleRow& row : kStyles) {
        if (sameIgnoringCase(text, row.name)) return row.drawType;
    }
    // Names a shell user types without the awkward "3D-".
    if (sameIgnoringCase(text, "contour") || sameIgnoringCase(text, "3dcontour")) {
        return kDrawContour;
    }
    return std::nullopt;
}

const char* drawTypeName(int drawType) {
    const StyleRow* row = styleRow(drawType);
    return row != nullptr ? row->name : "";
}

std::string availableStyleNames() {
    std::string names;
    for (const StyleRow& row : kStyles) {
        if (!names.empty()) names += ", ";
        names += row.name;
    }
    return names;
}

}  // namespace hg
