#include <QApplication>
#include <QMessageBox>
#include <QWidget>

#include "platform/show_error.h"

namespace hg {

// Shows failures as critical message boxes while a QApplication exists.
void installMessageBoxSink() {
    static ErrorSinkGuard guard([](void* owner, const std::string& text, const std::string& caption) {
        if (QApplication::instance() == nullptr) {
            std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
            return;
        }
        QMessageBox::critical(static_cast<QWidget*>(owner), QString::fromStdString(caption),
                              QString::fromStdString(text));
    });
}

}  // namespace hg
