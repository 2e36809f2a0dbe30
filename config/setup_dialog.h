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

// The setup dialog: style, mesh, altitude factor, contour interval and
// speed, written on OK; the DEM choice and the part check box write at once.
// Every control's objectName is "id" + its resource id.
class SetupDialog : public QDialog {
    Q_OBJECT

public:
    using FileChooser = std::function<std::optional<std::filesystem::path>(QWidget*, int demType)>;

    SetupDialog(std::filesystem::path memPath, ProfileStore& store, QWidget* parent = nullptr);

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
};

// Runs the dialog modally; its result (1 for OK, 0 for CANCEL).
int showSetupDialog(const std::filesystem::path& memPath);

}  // namespace hg
