// SPDX-License-Identifier: MIT
#include "dem/dem_selection.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <stdexcept>

#include "dem/gdal_import.h"
#include "dem/gdal_raster.h"
#include "dem/gsi50m_sheets.h"
#include "dem/mesh.h"
#include "dem/read_gsi10m.h"
#include "dem/read_sdts.h"
#include "platform/file.h"
#include "platform/message_error.h"
#include "platform/messages.h"
#include "platform/show_error.h"
#include "settings/dem_commit.h"
#include "settings/settings.h"

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

// Copies in blocks with a stop point after each, so a test can interrupt a
// long copy in its middle and a user can stop it.
bool copyWithSteps(const std::filesystem::path& source, const DemStaging& staging, double& done) {
    InputFile in;
    if (!in.open(source)) return false;
    std::error_code ec;
    const auto total = std::filesystem::file_size(source, ec);
    std::uintmax_t copied = 0;
    return replaceFileAtomically(staging.file, [&](int fd) {
        std::vector<char> buffer(1 << 16);
        for (;;) {
            auto got = in.read(buffer.data(), buffer.size());
            if (!got) return false;
            if (*got == 0) return true;
            if (!writeAll(fd, buffer.data(), *got)) return false;
            copied += *got;
            if (!ec && total > 0) done = static_cast<double>(copied) / static_cast<double>(total);
            staging.step();
        }
    });
}

// Fills what the builder writes.
using StageBuilder = std::function<bool(const DemStaging&, double& done)>;

// Builds the new working file in a stage of its own, without the settings
// lock, then commits it; only the commit waits for readers and they never
// wait for the build. Every step of the build reports how far it has come
// (`done`, as the builder last set it) and may be told to stop there.
bool stageAndCommit(const std::filesystem::path& memPath, ProfileStore& store,
                    const ImportProgress& progress, const StageBuilder& build) {
    DemStage stage(memPath, store);
    double done = -1.0;
    const DemStaging staging{stage.file(), stage.settings(), [&] {
                                 stage.step();
                                 reportProgress(progress, done);
                             }};
    if (!build(staging, done)) return false;
    // The last word before the commit: past it, the change is made.
    reportProgress(progress, 1.0);
    return commitStagedDem(memPath, store, stage);
}
}  // namespace

DemChoice classifyDemFile(const std::filesystem::path& file) {
    if (equalsIgnoringAsciiCase(file.filename().string(), "zumei.csv")) {
        return {DemAction::SheetIndex, 0};
    }
    const DemFormat& format = demFormat(demTypeOf(file));
    return {format.action, format.type};
}

void checkDrawable(const CMesh& mesh) {
    // Below a millimetre or beyond a thousand kilometres a post spacing is
    // a broken header (1e-300 degrees), and the picture would be a needle
    // or a sheet.
    // (Only the mean spacings: not every format sets the edge ones.)
    for (double spacing : {mesh.ewSpacing, mesh.nsSpacing}) {
        if (!std::isfinite(spacing) || spacing < 1e-3 || spacing > 1e6) {
            throw MessageError(MessageId::DemSpacing);
        }
    }
    const std::vector<float>& h = mesh.draw->heights;
    if (std::none_of(h.begin(), h.end(), [](float v) { return v != VOID_HEIGHT; })) {
        throw MessageError(MessageId::DemNoHeights);
    }
}

void checkDemReadable(const std::filesystem::path& file, int demType, const ProfileStore& store) {
    TerrainBuffers buffers;
    CViewSettings settings;
    try {
        // The whole DEM at the stored mesh setting, as the saver will load
        // it after the change (which always returns to the whole DEM).
        const SaverSettings saved = readSaverSettings(store);
        settings.meshBlock = saved.meshBlock;
        settings.sizeMeshMaxX = saved.sizeMeshMaxX;
        settings.sizeMeshMaxZ = saved.sizeMeshMaxZ;
        settings.isPart = 0;
        std::unique_ptr<CMesh> mesh = createMesh(buffers, settings, demType, file, nullptr);
        // Some formats have no header to check (a RIMINI file is bare
        // fields), so the heights are read too, thinned as the saver would
        // read them; the vertex grid is not needed for that.
        mesh->withVertices = false;
        mesh->open();
        mesh->layout();
        mesh->read();
        checkDrawable(*mesh);
    } catch (const std::exception&) {
        throw std::runtime_error(
            formatMessage(MessageId::PreviousDemKept, {file.string(), currentFailureText()}));
    }
}

bool commitCopy(const std::filesystem::path& file, const std::filesystem::path& memPath,
                ProfileStore& store, int demType, const ImportProgress& progress) {
    // Copying the working file onto itself would change nothing but the
    // stored type, which may well be another format's.
    if (sameFile(file, memPath)) return false;
    return stageAndCommit(memPath, store, progress, [&](const DemStaging& staging, double& done) {
        if (!copyWithSteps(file, staging, done)) {
            throw std::runtime_error(
                formatMessage(MessageId::CannotCopyKept, {file.string(), memPath.string()}));
        }
        writeDemType(staging.settings, demType);
        return true;
    });
}

void commitSheets(const CGSI50mSheets& sheets, const std::vector<int>& picked,
                  const std::filesystem::path& memPath, ProfileStore& store) {
    stageAndCommit(memPath, store, {}, [&](const DemStaging& staging, double&) {
        if (picked.size() == 1) {
            sheets.copyOneSheet(picked[0], staging.file, staging.settings);
        } else {
            sheets.composeSheets(picked, staging.file, staging.settings);
        }
        return true;
    });
}

SelectOutcome selectDemFile(const std::filesystem::path& file, const std::filesystem::path& memPath,
                            ProfileStore& store, void* owner, const SheetIndexHandler& onSheetIndex,
                            const BusyRunner& busy, const ImportProgress& progress) {
    // Settings that cannot be read whole are never rewritten: a change of
    // DEM would store its few keys over everything else in the file.
    if (std::optional<std::string> why = store.unreadable()) {
        showError(owner, *why, kSelectCaption);
        return SelectOutcome::Failed;
    }
    DemChoice choice = classifyDemFile(file);
    std::error_code ec;
    if (choice.action != DemAction::SheetIndex && !std::filesystem::is_regular_file(file, ec)) {
        showError(owner, formatMessage(MessageId::CannotReadFile, {file.string()}), kSelectCaption);
        return SelectOutcome::Failed;
    }
    if (choice.action == DemAction::SheetIndex) {
        if (!onSheetIndex) {
            showError(owner, formatMessage(MessageId::ChooseSheetsByCode, {file.string()}),
                      kSelectCaption);
            return SelectOutcome::Failed;
        }
        return onSheetIndex(file);
    }
    bool changed = true;
    bool cancelled = false;
    // A stop asked for is no failure: nothing is shown.
    auto guarded = [&](const char* caption, const std::function<void()>& work) {
        return runGuarded(owner, caption, [&] {
            auto stoppable = [&] {
                try {
                    work();
                } catch (const ImportCancelled&) {
                    cancelled = true;
                }
            };
            if (busy) {
                busy(stoppable);
            } else {
                stoppable();
            }
        });
    };
    bool ok = true;
    switch (choice.action) {
        case DemAction::SheetIndex:
            break;
        case DemAction::SdtsImport:
            ok = guarded(kSdtsCaption, [&] {
                stageAndCommit(memPath, store, progress, [&](const DemStaging& staging, double&) {
                    importSdtsTransfer(file, staging.file, staging.settings, staging.step);
                    return true;
                });
            });
            break;
        case DemAction::Gsi10mImport:
            ok = guarded(kGsi10mCaption, [&] {
                stageAndCommit(memPath, store, progress, [&](const DemStaging& staging, double&) {
                    importGsi10mDescription(file, staging.file, staging.settings, staging.step);
                    return true;
                });
            });
            break;
        case DemAction::GdalImport:
            ok = guarded(kSelectCaption, [&] {
                if (sameFile(file, memPath)) {
                    changed = false;
                    return;
                }
                checkDemReadable(file, kDemGdal, store);
                changed = stageAndCommit(
                    memPath, store, progress, [&](const DemStaging& staging, double& done) {
                        try {
                            writeGdalWorkingFile(file, staging.file, [&](double f) {
                                done = f;
                                staging.step();
                                return true;
                            });
                        } catch (const ImportCancelled&) {
                            throw;
                        } catch (const std::exception&) {
                            throw std::runtime_error(formatMessage(
                                MessageId::PreviousDemKept, {file.string(), currentFailureText()}));
                        }
                        writeDemType(staging.settings, kDemGdal);
                        return true;
                    });
            });
            break;
        case DemAction::Copy:
            ok = guarded(kSelectCaption, [&] {
                if (!sameFile(file, memPath)) checkDemReadable(file, choice.demType, store);
                changed = commitCopy(file, memPath, store, choice.demType, progress);
            });
            break;
    }
    if (!ok) return SelectOutcome::Failed;
    if (cancelled) return SelectOutcome::Cancelled;
    return changed ? SelectOutcome::Changed : SelectOutcome::Unchanged;
}

}  // namespace hg
