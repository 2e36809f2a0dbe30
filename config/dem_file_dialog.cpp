// SPDX-License-Identifier: MIT
#include "config/dem_file_dialog.h"

#include <QFileDialog>

#include "dem/formats.h"
#include "platform/messages.h"
#include "resources/dialog_texts.h"

namespace hg {

namespace {
// Qt's name filters compare case-sensitively on Linux; spelling every letter
// as a bracket pair keeps the one-pattern-for-all-cases behaviour users of
// these old upper-case file names expect.
QString caseless(const QString& pattern) {
    QString out;
    for (QChar c : pattern) {
        if (c.isLetter()) {
            out += '[';
            out += c.toLower();
            out += c.toUpper();
            out += ']';
        } else {
            out += c;
        }
    }
    return out;
}
}  // namespace

QStringList demNameFilters() {
    const Language language = userLanguage();
    QStringList filters;
    for (const DemFileFilter& f : kDemFileFilters) {
        QStringList patterns;
        for (const QString& p : QString::fromUtf8(f.patterns).split(';', Qt::SkipEmptyParts)) {
            patterns << caseless(p);
        }
        filters << QString::fromUtf8(f.in(language)) + " (" + patterns.join(' ') + ")";
    }
    return filters;
}

int initialFilterIndex(int demType) {
    return demFormat(demType).filterPosition - 1;
}

std::optional<std::filesystem::path> chooseDemFile(QWidget* owner, int demType) {
    QFileDialog dialog(owner, QString::fromStdString(loadMessage(MessageId::SpecifyDem)));
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    // Users see the descriptions as written; the bracketed patterns stay hidden.
    dialog.setOption(QFileDialog::HideNameFilterDetails, true);
    dialog.setFileMode(QFileDialog::ExistingFile);
    QStringList filters = demNameFilters();
    dialog.setNameFilters(filters);
    dialog.selectNameFilter(filters[initialFilterIndex(demType)]);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return std::filesystem::path(dialog.selectedFiles().first().toStdString());
}

}  // namespace hg
