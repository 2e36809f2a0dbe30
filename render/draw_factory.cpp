#include "render/draw_factory.h"

#include <array>
#include <cctype>
#include <stdexcept>

#include "render/draw_mesh.h"

// Styles join the factory as they are written, each in its own header.
#if __has_include("render/draw_shading.h")
#include "render/draw_shading.h"
#define HG_HAVE_SHADING 1
#endif
#if __has_include("render/draw_wine.h")
#include "render/draw_wine.h"
#define HG_HAVE_WINE 1
#endif
#if __has_include("render/draw_iroiro.h")
#include "render/draw_iroiro.h"
#define HG_HAVE_IROIRO 1
#endif
#if __has_include("render/draw_flower.h")
#include "render/draw_flower.h"
#define HG_HAVE_FLOWER 1
#endif
#if __has_include("render/draw_check.h")
#include "render/draw_check.h"
#define HG_HAVE_CHECK 1
#endif
#if __has_include("render/draw_skeleton.h")
#include "render/draw_skeleton.h"
#define HG_HAVE_SKELETON 1
#endif
#if __has_include("render/draw_contour.h")
#include "render/draw_contour.h"
#define HG_HAVE_CONTOUR 1
#endif
#if __has_include("render/draw_step.h")
#include "render/draw_step.h"
#define HG_HAVE_STEP 1
#endif
#if __has_include("render/draw_relief.h")
#include "render/draw_relief.h"
#define HG_HAVE_RELIEF 1
#endif

namespace hg {

namespace {
constexpr std::array<const char*, 10> kNames = {"Mesh",   "Shading", "Wine",     "Cyan",
                                                "Flower", "Check",   "Skeleton", "3D-Contour",
                                                "Step",   "Relief"};

// The Cyan style's one colour.
constexpr std::uint32_t kCyan = 0x5DBBBB;

[[noreturn]] void notAvailable(int drawType) {
    throw std::runtime_error(std::string("The ") + kNames[static_cast<std::size_t>(drawType)] +
                             " style is not available in this version yet.");
}

std::string lowered(const std::string& text) {
    std::string out;
    for (char c : text) out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}
}  // namespace

std::unique_ptr<CDraw> createDraw(int drawType) {
    switch (drawType) {
        case kDrawMesh:
            return std::make_unique<CDrawMesh>();
        case kDrawShading:
#ifdef HG_HAVE_SHADING
            return std::make_unique<CDrawShading>();
#else
            notAvailable(drawType);
#endif
        case kDrawWine:
#ifdef HG_HAVE_WINE
            return std::make_unique<CDrawWine>();
#else
            notAvailable(drawType);
#endif
        case kDrawCyan:
#ifdef HG_HAVE_IROIRO
            return std::make_unique<CDrawIroiro>(kCyan);
#else
            (void)kCyan;
            notAvailable(drawType);
#endif
        case kDrawFlower:
#ifdef HG_HAVE_FLOWER
            return std::make_unique<CDrawFlower>();
#else
            notAvailable(drawType);
#endif
        case kDrawCheck:
#ifdef HG_HAVE_CHECK
            return std::make_unique<CDrawCheck>();
#else
            notAvailable(drawType);
#endif
        case kDrawSkeleton:
#ifdef HG_HAVE_SKELETON
            return std::make_unique<CDrawSkeleton>();
#else
            notAvailable(drawType);
#endif
        case kDrawContour:
#ifdef HG_HAVE_CONTOUR
            return std::make_unique<CDrawContour>();
#else
            notAvailable(drawType);
#endif
        case kDrawStep:
#ifdef HG_HAVE_STEP
            return std::make_unique<CDrawStep>();
#else
            notAvailable(drawType);
#endif
        case kDrawRelief:
#ifdef HG_HAVE_RELIEF
            return std::make_unique<CDrawRelief>();
#else
            notAvailable(drawType);
#endif
        default:
            return nullptr;
    }
}

std::optional<int> drawTypeFromName(const std::string& text) {
    if (text.size() == 1 && std::isdigit(static_cast<unsigned char>(text[0]))) return text[0] - '0';
    const std::string want = lowered(text);
    for (std::size_t n = 0; n < kNames.size(); ++n) {
        if (want == lowered(kNames[n])) return static_cast<int>(n);
    }
    if (want == "contour" || want == "3dcontour") return kDrawContour;
    return std::nullopt;
}

const char* drawTypeName(int drawType) {
    if (drawType < 0 || drawType >= static_cast<int>(kNames.size())) return "";
    return kNames[static_cast<std::size_t>(drawType)];
}

}  // namespace hg
