// SPDX-License-Identifier: MIT
#include <QApplication>
#include <QMessageBox>
#include <QWidget>
#include <QWindow>
#include <cstdio>

#include "platform/gui/wait_cursor.h"
#include "platform/show_error.h"

namespace hg {

void installMessageBoxSink() {
    // Lives until the process ends, like the application it serves.
    static ErrorSinkGuard guard(
        [](void* owner, const std::string& text, const std::string& caption) {
            if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) {
                std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
                return;
            }
            // owner is a QWidget (dialogs) or a QWindow (the saver window).
            auto* object = static_cast<QObject*>(owner);
            auto* parentWidget = qobject_cast<QWidget*>(object);
            auto* parentWindow = qobject_cast<QWindow*>(object);
            QMessageBox box(QMessageBox::Critical, QString::fromStdString(caption),
                            QString::fromStdString(text), QMessageBox::Ok, parentWidget);
            if (parentWindow != nullptr) {
                // Above a full-screen saver, which no window manager arranges.
                box.setWindowFlag(Qt::WindowStaysOnTopHint, true);
                box.winId();
                box.windowHandle()->setTransientParent(parentWindow);
            }
            box.exec();
        });
}

}  // namespace hg
