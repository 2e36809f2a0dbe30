// SPDX-License-Identifier: MIT
#include "config/dem_title.h"

#include "dem/formats.h"

namespace hg {

std::string demTitle(int demType, const std::filesystem::path& memPath, const ProfileStore& store) {
    try {
        return demFormat(demType).title(memPath, store);
    } catch (...) {
        // A title is a label: an unreadable file just shows none.
        return {};
    }
}

}  // namespace hg
