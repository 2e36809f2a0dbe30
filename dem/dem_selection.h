// SPDX-License-Identifier: MIT
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "dem/formats.h"
#include "dem/import_progress.h"
#include "platform/profile_store.h"

namespace hg {

class CGSI50mSheets;

struct DemChoice {
    DemAction action = DemAction::Copy;
    // The type stored after a copy (the imports store their own).
    int demType = 0;
};

// "zumei.csv" (any case) is a sheet index; any other file is of the type
// demTypeOf gives and takes the action of its row in the formats table.
DemChoice classifyDemFile(const std::filesystem::path& file);

enum class SelectOutcome {
    Changed,    // the working file and demType now describe the chosen file
    Unchanged,  // nothing to do (the working file itself was chosen)
    Failed,     // reported to the user; nothing changed
    Cancelled,  // stopped through the progress report; nothing changed
};

// Opens the sheet selection for an index; the setup dialog passes its
// dialog, the command line cannot show one.
using SheetIndexHandler = std::function<SelectOutcome(const std::filesystem::path& index)>;

// Runs a long piece of work; a GUI shows its busy cursor meanwhile.
using BusyRunner = std::function<void(const std::function<void()>& work)>;

// Makes file the DEM the saver shows: copy or import it into memPath and
// store its type in one commit (settings/dem_commit.h), or hand a sheet
// index to onSheetIndex. The copy or import is staged without the settings
// lock, reporting to progress as it goes; only the commit takes the lock.
// Failures are shown through showError with the caption of the step that
// failed and leave the working file and the settings as they were; a
// progress that answers stop leaves them too, and shows nothing.
SelectOutcome selectDemFile(const std::filesystem::path& file, const std::filesystem::path& memPath,
                            ProfileStore& store, void* owner, const SheetIndexHandler& onSheetIndex,
                            const BusyRunner& busy, const ImportProgress& progress = {});

// Reads file through the reader of demType, thinned at the mesh setting in
// store, so a file that would only fail later, in the saver, is refused
// while the user still has the previous DEM. Throws std::runtime_error
// with the reader's message, naming file.
void checkDemReadable(const std::filesystem::path& file, int demType, const ProfileStore& store);

class CMesh;
// What a read DEM must have to be drawn: post spacings between 1 mm and
// 1000 km and at least one height that is not void. Throws MessageError.
void checkDrawable(const CMesh& mesh);

// The copy step as one commit: memPath becomes a copy of file and demType
// is stored with the part reset. False when file is the working file.
bool commitCopy(const std::filesystem::path& file, const std::filesystem::path& memPath,
                ProfileStore& store, int demType, const ImportProgress& progress = {});

// The chosen sheets of an index (one copied, two or four joined) as one
// commit. Throws as the sheet reader does.
void commitSheets(const CGSI50mSheets& sheets, const std::vector<int>& picked,
                  const std::filesystem::path& memPath, ProfileStore& store);

}  // namespace hg
