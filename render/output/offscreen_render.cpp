// SPDX-License-Identifier: MIT
#include "render/output/offscreen_render.h"
#include "platform/messages.h"

#include <algorithm>
#include <exception>

#include "platform/show_error.h"
#include "platform/text_number.h"
#include "render/output/egl_offscreen_target.h"
#include "render/output/png_writer.h"
#include "render/saver_record.h"
#include "render/styles.h"
#include "settings/settings.h"

namespace hg {

namespace {

std::filesystem::path frameName(const std::filesystem::path& dir, int n) {
    return dir / ("frame-" + formatInteger(n, 4) + ".png");
}

void drawFrames(const OffscreenRenderRequest& request, ProfileStore& store,
                OffscreenRenderResult& result) {
    const int drawType = request.drawType.value_or(readSaverSettings(store).drawType);
    if (request.frames < 0) {
        result.error = loadMessage(MessageId::FramesNegative);
        return;
    }
    std::unique_ptr<CDraw> draw = createDraw(drawType, store);
    std::unique_ptr<CViewSettings> record = createViewSettings(drawType);
    if (!draw || !record) {
        result.error = formatMessage(MessageId::NoStyleNumber, {formatInteger(drawType)});
        return;
    }
    const SaverSettings saved = readSaverSettings(store);
    // The relief map is one still picture of the whole DEM, as the part
    // chooser shows it; every other style is the saver's turning view.
    const bool map = drawType == kDrawRelief;
    if (map) {
        applyMapSettings(*record, saved, saved.yFactor);
    } else {
        applySaverSettings(*record, saved);
    }
    const int frames = map ? std::min(request.frames, 1) : request.frames;
    EglOffscreenTarget target(request.width, request.height);

    // The drawing object reports its own failure; keep its words for the
    // caller instead of printing them here.
    std::string reported;
    int ok = 0;
    {
        ErrorSinkGuard capture(
            [&reported](void*, const std::string& text, const std::string& caption) {
                reported = caption + ": " + text;
            });
        ok = request.meshMaker ? draw->initialiseWith(&target, *record, request.meshMaker)
                               : draw->initialise(&target, *record, request.memPath, store);
    }
    if (!ok) {
        result.error = reported.empty() ? loadMessage(MessageId::TerrainNotDrawn) : reported;
        return;
    }

    std::error_code ec;
    std::filesystem::create_directories(request.outDir, ec);
    if (ec) {
        result.error =
            formatMessage(MessageId::CannotCreateFolder, {request.outDir.string(), ec.message()});
        draw->release();
        return;
    }
    for (int n = 0; n < frames; ++n) {
        if (!draw->nextFrame()) {
            result.error = formatMessage(MessageId::FrameNotDrawn, {formatInteger(n)});
            break;
        }
        const std::filesystem::path file = frameName(request.outDir, n);
        std::vector<std::uint8_t> pixels = target.readPixels();
        // The styles clear to alpha 0; a screen shows no transparency, so
        // neither does the picture of it.
        for (std::size_t a = 3; a < pixels.size(); a += 4) pixels[a] = 255;
        if (!writePng(file, target.width(), target.height(), pixels)) {
            result.error = formatMessage(MessageId::CannotWriteFile, {file.string()});
            break;
        }
        result.files.push_back(file);
    }
    draw->release();
}

}  // namespace

OffscreenRenderResult renderOffscreen(const OffscreenRenderRequest& request, ProfileStore& store) {
    OffscreenRenderResult result;
    try {
        drawFrames(request, store, result);
    } catch (const std::exception& e) {
        result.error = e.what();
    } catch (...) {
        result.error = loadMessage(MessageId::UnknownError);
    }
    return result;
}

}  // namespace hg
