#pragma once

#include <filesystem>
#include <functional>
#include <string>

#include "platform/profile_store.h"

namespace hg {

// How a chosen file becomes the working file.
enum class DemAction { SheetIndex, SdtsImport, Gsi10mImport, Copy };

struct DemChoice {
    DemAction action = DemAction::Copy;
    // The type stored after a copy (the imports store their own).
    int demType = 0;
};

// The name and extension rules: "zumei.csv" (any case) is a sheet index,
// then ddf, csv, mem, dem, mlt/mat, ntf, dat; anything else copies as type 0.
DemChoice classifyDemFile(const std::filesystem::path& file);

enum class SelectOutcome {
    Changed,    // the working file and demType now describe the chosen file
    Unchanged,  // nothing to do (the working file itself was chosen)
    Failed,     // reported to the user; nothing changed
};

// Opens the sheet selection for an index; the setup dialog passes its
// dialog, the command line cannot show one.
using SheetIndexHandler = std::function<SelectOutcome(const std::filesystem::path& index)>;

// Makes file the DEM the saver shows: copy or import it into memPath and
// store its type, or hand a sheet index to onSheetIndex. Failures are shown
// through showError with the caption of the step that failed and leave the
// working file and the settings as they were.
SelectOutcome selectDemFile(const std::filesystem::path& file, const std::filesystem::path& memPath,
                            ProfileStore& store, void* owner,
                            const SheetIndexHandler& onSheetIndex);

// The copy step: memPath replaced atomically by a copy of file.
bool copyToWorkingFile(const std::filesystem::path& file, const std::filesystem::path& memPath);

}  // namespace hg
