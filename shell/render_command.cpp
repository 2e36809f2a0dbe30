// SPDX-License-Identifier: MIT
#include "shell/render_command.h"

#include <cstdio>
#include <optional>
#include <string>

#include "platform/home.h"
#include "platform/messages.h"
#include "platform/text_number.h"
#include "render/output/offscreen_render.h"
#include "render/styles.h"
#include "shell/bundled_terrain.h"

namespace hg {

namespace {

int usage() {
    std::fputs(loadMessage(MessageId::RenderUsage).c_str(), stderr);
    return 2;
}

bool parsePositive(const std::string& text, int limit, int& out) {
    auto v = parseNumber<int>(text);
    if (!v || *v < 1 || *v > limit) return false;
    out = *v;
    return true;
}

}  // namespace

int runRenderCommand(const std::vector<std::string>& args) {
    OffscreenRenderRequest request;
    request.outDir = "hillglimmer-frames";
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (i + 1 >= args.size()) return usage();
        const std::string& v = args[++i];
        if (a == "--style") {
            auto type = drawTypeFromName(v);
            if (!type) {
                std::fprintf(
                    stderr, "hillglimmer: %s\n",
                    formatMessage(MessageId::NoStyleNamed, {v, availableStyleNames()}).c_str());
                return 2;
            }
            request.drawType = *type;
        } else if (a == "--size") {
            auto x = v.find('x');
            if (x == std::string::npos || !parsePositive(v.substr(0, x), 8192, request.width) ||
                !parsePositive(v.substr(x + 1), 8192, request.height)) {
                return usage();
            }
        } else if (a == "--frames") {
            if (!parsePositive(v, 100000, request.frames)) return usage();
        } else if (a == "--out") {
            request.outDir = v;
        } else {
            return usage();
        }
    }
    std::filesystem::path home = homeDirectory();
    if (home.empty()) {
        std::fprintf(stderr, "hillglimmer: %s\n", loadMessage(MessageId::NoHomeDirectory).c_str());
        return 1;
    }
    request.memPath = home / kWorkingFileName;
    IniProfileStore store = userSettings();
    // Frames drawn from defaults would pass for the user's settings.
    if (std::optional<std::string> why = store.unreadable()) {
        std::fprintf(stderr, "hillglimmer: %s\n", why->c_str());
        return 1;
    }
    installBundledTerrainIfFirstRun(request.memPath, store);
    OffscreenRenderResult result = renderOffscreen(request, store);
    if (!result.ok()) {
        std::fprintf(stderr, "hillglimmer: %s\n", result.error.c_str());
        return 1;
    }
    const std::string dir = request.outDir.string();
    const std::string wrote =
        result.files.size() == 1
            ? formatMessage(MessageId::WroteOneFrame, {dir})
            : formatMessage(MessageId::WroteFrames,
                            {formatInteger(static_cast<long long>(result.files.size())), dir});
    std::puts(wrote.c_str());
    return 0;
}

}  // namespace hg
