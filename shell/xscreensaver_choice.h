// SPDX-License-Identifier: MIT
#pragma once

#include "config/setup_dialog.h"

namespace hg {

// The setup dialog's XScreenSaver box over the user's ~/.xscreensaver.
SaverListChoice xscreenSaverListChoice();

}  // namespace hg
