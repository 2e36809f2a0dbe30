#pragma once

#include <QApplication>

namespace hgtest {

// One QApplication for the whole test program (gtest_main owns main()).
inline QApplication& qtApp() {
    static int argc = 1;
    static char name[] = "hillglimmer-test";
    static char* argv[] = {name, nullptr};
    static QApplication app(argc, argv);
    return app;
}

}  // namespace hgtest
