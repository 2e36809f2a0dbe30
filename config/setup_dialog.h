// SPDX-License-Identifier: MIT
#pragma once

#include <QDialog>
#include <filesystem>
#include <functional>
#include <optional>

#include "platform/profile_store.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QSlider;

namespace hg {

// How the dialog offers the program as the user's XScreenSaver display
// mode: whether XScreenSaver is installed, whether the user's list holds
// the program (nullopt when that cannot be read), and the change itself
// (false when it failed). Empty functions: no such box.
struct SaverListChoice {
    std::function<bool()> installed;
    std::function<std::optional<bool>()> listed;
    std::function<bool(bool listed)> setListed;
};

// The setup dialog: style, mesh, altitude factor, contour interval and
// speed, written on OK; the DEM choice and the part check box write at once.
// Every control's objectName is "id" + its resource id.
class SetupDialog : public QDialog {
    Q_OBJECT

public:
    using FileChooser = std::function<std::optional<std::filesystem::path>(QWidget*, int demType)>;

    SetupDialog(std::filesystem::path memPath, ProfileStore& store, QWidget* parent = nullptr,
                SaverListChoice saverList = {});

    // Replaces the open-file dialog (tests choose files without one).
    void setFileChooser(FileChooser chooser) { chooser_ = std::move(chooser); }

    // The draw type the radio buttons show.
    int checkedDrawType() const;

private:
    void specifyDem();
    void refreshTitle();
    void refreshPartBox();
    void clearPart();
    void openOutline();
    bool writeChoices();

    std::filesystem::path memPath_;
    ProfileStore& store_;
    FileChooser chooser_;
    QButtonGroup* styles_ = nullptr;
    QComboBox* mesh_ = nullptr;
    QComboBox* altitude_ = nullptr;
    QComboBox* contour_ = nullptr;
    QSlider* speed_ = nullptr;
    QLabel* title_ = nullptr;
    QCheckBox* part_ = nullptr;
    QPushButton* outline_ = nullptr;
    SaverListChoice saverList_;
    // Shown only where XScreenSaver is installed; what it showed at first.
    QCheckBox* saverListed_ = nullptr;
    bool saverListedAtFirst_ = false;
};

// Runs the dialog modally; its result (1 for OK, 0 for CANCEL).
int showSetupDialog(const std::filesystem::path& memPath, SaverListChoice saverList = {});

}  // namespace hg
