// SPDX-License-Identifier: MIT
#include "shell/xscreensaver_choice.h"

#include "shell/xscreensaver_list.h"

namespace hg {

SaverListChoice xscreenSaverListChoice() {
    SaverListChoice choice;
    choice.installed = xscreenSaverInstalled;
    choice.listed = [] { return ourProgramListedIn(xscreenSaverFilePath()); };
    choice.setListed = [](bool listed) {
        const std::filesystem::path file = xscreenSaverFilePath();
        if (file.empty()) return false;
        const ListChange change = setOurProgramListed(file, listed);
        return change != ListChange::ReadFailed && change != ListChange::WriteFailed;
    };
    return choice;
}

}  // namespace hg
