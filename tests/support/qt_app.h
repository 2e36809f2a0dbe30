// SPDX-License-Identifier: MIT
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QString>
#include <QWidget>

namespace hgtest {

// The application made by the Qt test programs' main().
inline QApplication& qtApp() {
    return *qApp;
}

// A dialog's control by its resource id, as the dialogs name them.
template <typename W>
W* control(QWidget& dialog, int id) {
    auto* w = dialog.findChild<W*>(QString("id%1").arg(id));
    EXPECT_NE(w, nullptr) << "control " << id;
    return w;
}

}  // namespace hgtest
