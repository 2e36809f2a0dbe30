// SPDX-License-Identifier: MIT
#include "config/dem_selection.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProgressDialog>
#include <QWidget>
#include <memory>

#include "platform/gui/wait_cursor.h"
#include "platform/messages.h"

namespace hg {

namespace {

// The progress of one copy or import. The work runs on the GUI thread (its
// failures are shown in message boxes, which belong there), so each report
// lets the event loop run: that is when the dialog paints and Cancel is
// heard. The setup dialog is blocked meanwhile by the dialog's modality.
class ImportProgressDialog {
public:
    ImportProgressDialog(QWidget* owner, const std::filesystem::path& file,
                         std::chrono::milliseconds showAfter)
        : owner_(owner),
          label_(QString::fromStdString(
              formatMessage(MessageId::ImportReading, {file.filename().string()}))),
          showAfter_(showAfter.count()) {
        clock_.start();
    }
    ~ImportProgressDialog() {
        // The wait cursor the selection shows comes back with the dialog gone.
        if (dialog_) QApplication::restoreOverrideCursor();
    }
    ImportProgressDialog(const ImportProgressDialog&) = delete;
    ImportProgressDialog& operator=(const ImportProgressDialog&) = delete;

    bool report(double fraction) {
        if (!dialog_ && clock_.elapsed() >= showAfter_) open();
        if (!dialog_) return true;
        if (fraction < 0.0) {
            dialog_->setRange(0, 0);
        } else {
            dialog_->setRange(0, kSteps);
            dialog_->setValue(static_cast<int>(fraction * kSteps));
        }
        // Often enough for a Cancel to be heard at once, seldom enough that
        // a copy of small blocks is not slowed by repainting.
        if (sinceEvents_.isValid() && sinceEvents_.elapsed() < 30) return !dialog_->wasCanceled();
        sinceEvents_.start();
        QApplication::processEvents();
        return !dialog_->wasCanceled();
    }

private:
    static constexpr int kSteps = 1000;

    void open() {
        dialog_ = std::make_unique<QProgressDialog>(
            label_, QString::fromStdString(loadMessage(MessageId::ProgressCancel)), 0, kSteps,
            owner_);
        dialog_->setObjectName(QStringLiteral("importProgress"));
        dialog_->setWindowTitle(QString::fromStdString(loadMessage(MessageId::Title)));
        dialog_->setWindowModality(Qt::WindowModal);
        dialog_->setAutoClose(false);
        dialog_->setAutoReset(false);
        dialog_->setMinimumDuration(0);
        dialog_->setMinimumWidth(420);
        // An arrow over the Cancel button, not the busy cursor.
        QApplication::setOverrideCursor(Qt::ArrowCursor);
        dialog_->show();
    }

    QWidget* owner_;
    QString label_;
    qint64 showAfter_;
    QElapsedTimer clock_;
    QElapsedTimer sinceEvents_;
    std::unique_ptr<QProgressDialog> dialog_;
};

}  // namespace

SelectOutcome selectDemFile(const std::filesystem::path& file, const std::filesystem::path& memPath,
                            ProfileStore& store, void* owner, const SheetIndexHandler& onSheetIndex,
                            std::chrono::milliseconds progressAfter) {
    // The setup dialog passes itself as the owner of what is shown.
    QWidget* parent = qobject_cast<QWidget*>(static_cast<QObject*>(owner));
    ImportProgressDialog progress(parent, file, progressAfter);
    return selectDemFile(
        file, memPath, store, owner, onSheetIndex,
        [](const std::function<void()>& work) {
            WaitCursor wait;
            work();
        },
        [&progress](double done) { return progress.report(done); });
}

}  // namespace hg
