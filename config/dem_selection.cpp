// SPDX-License-Identifier: MIT
#include "config/dem_selection.h"

#include "platform/gui/wait_cursor.h"

namespace hg {

SelectOutcome selectDemFile(const std::filesystem::path& file, const std::filesystem::path& memPath,
                            ProfileStore& store, void* owner,
                            const SheetIndexHandler& onSheetIndex) {
    return selectDemFile(file, memPath, store, owner, onSheetIndex,
                         [](const std::function<void()>& work) {
                             WaitCursor wait;
                             work();
                         });
}

}  // namespace hg
