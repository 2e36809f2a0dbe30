// SPDX-License-Identifier: MIT
#include "config/sheet_dialog.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "dem/dem_selection.h"
#include "platform/encoding.h"
#include "platform/gui/wait_cursor.h"
#include "platform/messages.h"
#include "platform/show_error.h"
#include "resources/dialog_texts.h"

namespace hg {

namespace {
constexpr const char* kIndexCaption = "Hillglimmer GSI-50m zumei.csv";
constexpr const char* kComposeCaption = "Hillglimmer GSI-50m multiple select";
}  // namespace

SheetDialog::SheetDialog(std::filesystem::path indexPath, std::filesystem::path memPath,
                         ProfileStore& store, QWidget* parent)
    : QDialog(parent),
      indexPath_(std::move(indexPath)),
      memPath_(std::move(memPath)),
      store_(store) {
    const SheetDialogTexts& t = sheetDialogTexts(userLanguage());
    setWindowTitle(QString::fromUtf8(t.title));
    list_ = new QListWidget(this);
    list_->setObjectName("id1015");
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list_->setSortingEnabled(false);
    auto* ok = new QPushButton(QString::fromUtf8(t.ok), this);
    ok->setObjectName("id1");
    ok->setDefault(true);
    auto* cancel = new QPushButton(QString::fromUtf8(t.cancel), this);
    cancel->setObjectName("id2");
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_);
    layout->addLayout(buttons);
    resize(320, 360);

    connect(ok, &QPushButton::clicked, this, [this] {
        if (accept(1)) done(1);
    });
    connect(list_, &QListWidget::itemDoubleClicked, this, [this] {
        if (accept(0)) done(0);
    });
    connect(cancel, &QPushButton::clicked, this, [this] { done(0); });
}

bool SheetDialog::loadIndex() {
    bool ok = runGuarded(static_cast<QObject*>(this), kIndexCaption, [this] {
        sheets_.loadIndex(indexPath_);
        list_->clear();
        for (int i = 0; i < sheets_.entryCount(); ++i) {
            list_->addItem(QString::fromStdString(sjisToUtf8(sheets_.shownName(i))));
        }
    });
    return ok;
}

bool SheetDialog::accept(int) {
    std::vector<int> picked;
    for (const QModelIndex& index : list_->selectionModel()->selectedRows()) {
        picked.push_back(index.row());
    }
    std::sort(picked.begin(), picked.end());
    const bool one = picked.size() == 1;
    bool ok = runGuarded(static_cast<QObject*>(this), one ? kIndexCaption : kComposeCaption, [&] {
        WaitCursor wait;
        commitSheets(sheets_, picked, memPath_, store_);
    });
    changed_ = changed_ || ok;
    return ok;
}

bool runSheetDialog(const std::filesystem::path& indexPath, const std::filesystem::path& memPath,
                    ProfileStore& store, QWidget* owner) {
    SheetDialog dialog(indexPath, memPath, store, owner);
    if (!dialog.loadIndex()) return false;
    dialog.exec();
    return dialog.changed();
}

}  // namespace hg
