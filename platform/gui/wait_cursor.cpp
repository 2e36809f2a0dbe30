// SPDX-License-Identifier: MIT
#include "platform/gui/wait_cursor.h"

#include <QCursor>
#include <QGuiApplication>

namespace hg {

WaitCursor::WaitCursor() {
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr) {
        QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
        active_ = true;
    }
}

WaitCursor::~WaitCursor() {
    if (active_) QGuiApplication::restoreOverrideCursor();
}

}  // namespace hg
