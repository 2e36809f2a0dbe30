// SPDX-License-Identifier: MIT
#pragma once

#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QString>
#include <QWidget>
#include <algorithm>
#include <vector>

namespace hg {

// Places widgets in dialog units, so a dialog keeps its designed
// proportions whatever font the system substitutes. The unit grows until
// every text fits the box it was designed for: a substitute for the
// designed font is often wider.
class DialogLayout {
public:
    explicit DialogLayout(const QFont& font) {
        QFontMetrics m(font);
        // The usual dialog base unit: the mean width of the alphabet.
        baseX_ = m.horizontalAdvance(
                     QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")) /
                 52.0;
        if (baseX_ <= 0) baseX_ = 6;
        baseY_ = m.height() > 0 ? m.height() : 13;
    }
    // Records w's designed box; fits says whether its text must fit in it.
    void add(QWidget* w, int left, int top, int width, int height, bool fits = true) {
        boxes_.push_back({w, left, top, width, height});
        if (!fits || width <= 0 || height <= 0) return;
        QSize hint = w->sizeHint();
        baseX_ = std::max(baseX_, hint.width() * 4.0 / width);
        baseY_ = std::max(baseY_, hint.height() * 8.0 / height * 0.85);
    }
    int x(int dlu) const { return static_cast<int>(dlu * baseX_ / 4.0 + 0.5); }
    int y(int dlu) const { return static_cast<int>(dlu * baseY_ / 8.0 + 0.5); }
    void apply() const {
        for (const Box& b : boxes_)
            b.widget->setGeometry(x(b.left), y(b.top), x(b.width), y(b.height));
    }
    // The dialog's size: every box and the margin beyond the farthest. A
    // size fixed per language left an empty band wherever a language's
    // texts took less room than the figure allowed for.
    QSize extent(int marginDlu) const {
        int right = 0, bottom = 0;
        for (const Box& b : boxes_) {
            right = std::max(right, b.left + b.width);
            bottom = std::max(bottom, b.top + b.height);
        }
        return {x(right + marginDlu), y(bottom + marginDlu)};
    }

private:
    struct Box {
        QWidget* widget;
        int left, top, width, height;
    };
    double baseX_;
    double baseY_;
    std::vector<Box> boxes_;
};

// The dialog font: the first installed of a comma-separated family list.
inline QFont dialogFont(const char* families, int points) {
    QFont font;
    font.setFamilies(QString::fromUtf8(families).split(','));
    font.setPointSize(points);
    return font;
}

// Shows a DEM's title in a label of fixed size: whole where it fits, in a
// slightly smaller font where that makes it fit, else with its middle left
// out, since both the place name at the start and the sheet or zone at the
// end tell DEMs apart. The whole title is always the tooltip.
inline void showTitle(QLabel* label, const QString& title, int smallestPoints = 7) {
    QFont font = label->parentWidget() != nullptr ? label->parentWidget()->font() : label->font();
    const int room = label->contentsRect().width() - 2 * label->margin() - 2;
    for (int points = font.pointSize(); points > smallestPoints; --points) {
        if (QFontMetrics(font).horizontalAdvance(title) <= room) break;
        font.setPointSize(points - 1);
    }
    label->setFont(font);
    label->setText(QFontMetrics(font).elidedText(title, Qt::ElideMiddle, room));
    label->setToolTip(title);
}

// Tests and the rest of the program find controls by their resource id.
template <typename W>
W* named(W* w, int id) {
    w->setObjectName(QString("id%1").arg(id));
    return w;
}

// Centres a dialog over its parent's window, or on the screen without one.
inline void centreDialog(QWidget* dialog) {
    QRect area;
    if (dialog->parentWidget() != nullptr) {
        area = dialog->parentWidget()->window()->frameGeometry();
    } else if (QScreen* screen = QGuiApplication::primaryScreen()) {
        area = screen->geometry();
    }
    if (area.isValid()) {
        dialog->move(area.left() + (area.width() - dialog->width()) / 2,
                     area.top() + (area.height() - dialog->height()) / 2);
    }
}

}  // namespace hg
