// SPDX-License-Identifier: MIT
#pragma once

#include <QDialog>
#include <filesystem>

#include "dem/gsi50m_sheets.h"
#include "platform/profile_store.h"

class QListWidget;

namespace hg {

// Lists the sheets of a GSI 50 m sheet index and turns the selection (one
// sheet, or two or four adjacent ones) into the working file. Controls are
// named "id1015" (the list), "id1" (OK) and "id2" (CANCEL).
class SheetDialog : public QDialog {
    Q_OBJECT

public:
    SheetDialog(std::filesystem::path indexPath, std::filesystem::path memPath, ProfileStore& store,
                QWidget* parent = nullptr);

    // Reads the index into the list; false (already reported) when it cannot.
    bool loadIndex();
    // OK and a double click: copy or compose; false keeps the dialog open.
    bool accept(int result);
    // True once a selection became the working file.
    bool changed() const { return changed_; }

private:
    std::filesystem::path indexPath_;
    std::filesystem::path memPath_;
    ProfileStore& store_;
    CGSI50mSheets sheets_;
    QListWidget* list_ = nullptr;
    bool changed_ = false;
};

// Runs the sheet dialog for an index over owner; true when the working file
// changed.
bool runSheetDialog(const std::filesystem::path& indexPath, const std::filesystem::path& memPath,
                    ProfileStore& store, QWidget* owner);

}  // namespace hg
