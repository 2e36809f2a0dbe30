// SPDX-License-Identifier: MIT
#include "shell/closing_input.h"

#include <cstdlib>

namespace hg {

bool isClosingInput(SaverInput input, bool preview, int startX, int startY, int x, int y) {
    if (preview) return false;
    switch (input) {
        case SaverInput::KeyDown:
        case SaverInput::ButtonDown:
            return true;
        case SaverInput::MouseMove:
            return std::abs(x - startX) > 4 && std::abs(y - startY) > 4;
        case SaverInput::Other:
            return false;
    }
    return false;
}

}  // namespace hg
