#pragma once

#include <QApplication>

namespace hgtest {

// The application made by the Qt test programs' main().
inline QApplication& qtApp() { return *qApp; }

}  // namespace hgtest
