// SPDX-License-Identifier: MIT
#pragma once

namespace hg {

enum class SaverInput { MouseMove, KeyDown, ButtonDown, Other };

// Whether an input ends the saver. A preview never ends on input. A mouse
// move ends a full-screen saver only when the cursor lies more than 4 pixels
// from where it stood at the start both across and down: a nudge of the
// desk that moves it along one axis is not taken as the user returning.
bool isClosingInput(SaverInput input, bool preview, int startX, int startY, int x, int y);

}  // namespace hg
