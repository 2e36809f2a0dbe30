#include "config/dem_selection.h"

#include <stdexcept>

#include "platform/file.h"
#include "platform/gui/wait_cursor.h"
#include "platform/home.h"
#include "platform/messages.h"
#include "platform/show_error.h"
#include "settings/settings.h"

#include "dem/read_gsi10m.h"
#include "dem/read_sdts.h"

namespace hg {

namespace {
constexpr const char* kSdtsCaption = "Hillglimmer SDTS read";
constexpr const char* kGsi10mCaption = "Hillglimmer GSI 10m-mesh read";
constexpr const char* kSelectCaption = "Hillglimmer";

bool sameFile(const std::filesystem::path& a, const std::filesystem::path& b) {
    std::error_code ec;
    return std::filesystem::exists(a, ec) && std::filesystem::exists(b, ec) &&
           std::filesystem::equivalent(a, b, ec);
}
}  // namespace

DemChoice classifyDemFile(const std::filesystem::path& file) {
    if (equalsIgnoringAsciiCase(file.filename().string(), "zumei.csv")) {
        return {DemAction::SheetIndex, 0};
    }
    std::string ext = asciiLower(file.extension().string());
    if (ext == ".ddf") return {DemAction::SdtsImport, 2};
    if (ext == ".csv") return {DemAction::Gsi10mImport, 6};
    if (ext == ".mem") return {DemAction::Copy, 0};
    if (ext == ".dem") return {DemAction::Copy, 1};
    if (ext == ".mlt" || ext == ".mat") return {DemAction::Copy, 3};
    if (ext == ".ntf") return {DemAction::Copy, 4};
    if (ext == ".dat") return {DemAction::Copy, 5};
    return {DemAction::Copy, 0};
}

bool copyToWorkingFile(const std::filesystem::path& file, const std::filesystem::path& memPath) {
    WaitCursor wait;
    return copyFileAtomically(file, memPath);
}

SelectOutcome selectDemFile(const std::filesystem::path& file, const std::filesystem::path& memPath,
                            ProfileStore& store, void* owner,
                            const SheetIndexHandler& onSheetIndex) {
    DemChoice choice = classifyDemFile(file);
    std::error_code ec;
    if (choice.action != DemAction::SheetIndex && !std::filesystem::is_regular_file(file, ec)) {
        showError(owner, "Cannot read " + file.string() + ".", kSelectCaption);
        return SelectOutcome::Failed;
    }
    switch (choice.action) {
        case DemAction::SheetIndex:
            if (!onSheetIndex) {
                showError(owner, "Choose the map sheets of " + file.string() + " by code.",
                          kSelectCaption);
                return SelectOutcome::Failed;
            }
            return onSheetIndex(file);
        case DemAction::SdtsImport: {
            bool ok = runGuarded(owner, kSdtsCaption, [&] {
                WaitCursor wait;
                importSdtsTransfer(file, memPath, store);
            });
            return ok ? SelectOutcome::Changed : SelectOutcome::Failed;
        }
        case DemAction::Gsi10mImport: {
            bool ok = runGuarded(owner, kGsi10mCaption, [&] {
                WaitCursor wait;
                importGsi10mDescription(file, memPath, store);
            });
            return ok ? SelectOutcome::Changed : SelectOutcome::Failed;
        }
        case DemAction::Copy:
            // Copying the working file onto itself would change nothing but
            // the stored type, which may well be another format's.
            if (sameFile(file, memPath)) return SelectOutcome::Unchanged;
            if (!copyToWorkingFile(file, memPath)) {
                showError(owner,
                          "Cannot copy " + file.string() + " to " + memPath.string() +
                              ". The previous DEM is kept.",
                          kSelectCaption);
                return SelectOutcome::Failed;
            }
            if (!writeDemType(store, choice.demType)) {
                showError(owner, "Cannot write the settings file " + settingsPath().string() + ".",
                          kSelectCaption);
                return SelectOutcome::Failed;
            }
            return SelectOutcome::Changed;
    }
    return SelectOutcome::Failed;
}

}  // namespace hg
