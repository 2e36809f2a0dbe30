// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "shell/closing_input.h"

using hg::isClosingInput;
using hg::SaverInput;

TEST(ClosingInput, MouseMustMoveMoreThanFourPixelsOnBothAxes) {
    EXPECT_TRUE(isClosingInput(SaverInput::MouseMove, false, 100, 100, 105, 105));
    EXPECT_TRUE(isClosingInput(SaverInput::MouseMove, false, 100, 100, 95, 95));
    EXPECT_FALSE(isClosingInput(SaverInput::MouseMove, false, 100, 100, 200, 100));
    EXPECT_FALSE(isClosingInput(SaverInput::MouseMove, false, 100, 100, 100, 300));
    EXPECT_FALSE(isClosingInput(SaverInput::MouseMove, false, 100, 100, 104, 150));
    EXPECT_FALSE(isClosingInput(SaverInput::MouseMove, false, 100, 100, 150, 96));
}

TEST(ClosingInput, KeysAndClicksCloseFullScreenOnly) {
    EXPECT_TRUE(isClosingInput(SaverInput::KeyDown, false, 0, 0, 0, 0));
    EXPECT_TRUE(isClosingInput(SaverInput::ButtonDown, false, 0, 0, 0, 0));
    EXPECT_FALSE(isClosingInput(SaverInput::Other, false, 0, 0, 500, 500));
    for (auto in : {SaverInput::KeyDown, SaverInput::ButtonDown, SaverInput::MouseMove}) {
        EXPECT_FALSE(isClosingInput(in, true, 0, 0, 500, 500));
    }
}
