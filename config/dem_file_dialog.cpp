#include "config/dem_file_dialog.h"

#include <QFileDialog>

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
    // demType -> filter position (1-based); RIMINI (5) has none of its own
    // and falls to the first, as any unknown type does.
    static constexpr int kPosition[8] = {1, 3, 4, 5, 6, 1, 2, 7};
    const int position = (demType >= 0 && demType <= 7) ? kPosition[demType] : 1;
    return position - 1;
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
