// SPDX-License-Identifier: MIT
// main() for test programs that need Qt: the application lives on main's
// stack, so it goes away before the statics it depends on.
#include <gtest/gtest.h>

#include <QApplication>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // Dialog tests never need a display; test discovery runs without one.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
