#include <QApplication>
#include <QMessageBox>
#include <QWidget>
#include <cstdio>

#include "platform/gui/wait_cursor.h"
#include "platform/show_error.h"

namespace hg {

void installMessageBoxSink() {
    // Lives until the process ends, like the application it serves.
    static ErrorSinkGuard guard([](void* owner, const std::string& text, const std::string& caption) {
        if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) {
            std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
            return;
        }
        QMessageBox::critical(static_cast<QWidget*>(owner), QString::fromStdString(caption),
                              QString::fromStdString(text));
    });
}

}  // namespace hg
