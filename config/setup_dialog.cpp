// SPDX-License-Identifier: MIT
#include "config/setup_dialog.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSlider>
#include <QStyle>
#include <algorithm>
#include <array>
#include <type_traits>
#include <vector>

#include "config/dem_file_dialog.h"
#include "config/dem_selection.h"
#include "config/dem_title.h"
#include "config/dialog_layout.h"
#include "config/outline_dialog.h"
#include "config/sheet_dialog.h"
#include "platform/gui/wait_cursor.h"
#include "platform/show_error.h"
#include "platform/text_number.h"
#include "render/styles.h"
#include "resources/dialog_texts.h"
#include "settings/settings.h"

namespace hg {

namespace {
constexpr const char* kSaveCaption = "Hillglimmer config";
}

SetupDialog::SetupDialog(std::filesystem::path memPath, ProfileStore& store, QWidget* parent,
                         SaverListChoice saverList)
    : QDialog(parent),
      memPath_(std::move(memPath)),
      store_(store),
      chooser_(chooseDemFile),
      saverList_(std::move(saverList)) {
    const SetupDialogTexts& t = setupDialogTexts(userLanguage());
    setWindowTitle(QString::fromUtf8(t.title));
    setFont(dialogFont(t.fontFamilies, t.fontPoints));
    DialogLayout u(font());

    auto* group = new QGroupBox(this);
    u.add(group, 7, 7, 199, 54, false);
    styles_ = new QButtonGroup(this);
    struct Place {
        int x, y, w;
    };
    // One place and one text per offered style, in the table's order.
    static constexpr auto kRadio = std::to_array<Place>({{21, 18, 33},
                                                         {75, 18, 42},
                                                         {123, 18, 32},
                                                         {165, 18, 32},
                                                         {21, 31, 37},
                                                         {75, 31, 36},
                                                         {123, 31, 43},
                                                         {21, 44, 53},
                                                         {75, 44, 30}});
    static_assert(kRadio.size() == kOfferedStyleCount);
    static_assert(std::extent_v<decltype(SetupDialogTexts::styles)> == kOfferedStyleCount);
    std::size_t k = 0;
    for (const StyleRow& row : styleTable()) {
        if (!row.offered) continue;
        auto* r =
            named(new QRadioButton(QString::fromUtf8(t.styles[k]), this), 1000 + row.drawType);
        u.add(r, kRadio[k].x, kRadio[k].y, kRadio[k].w, 10);
        styles_->addButton(r, row.drawType);
        ++k;
    }

    // Labels end just left of the control they name.
    auto label = [&](const char* text, int x, int y, int w) {
        auto* l = new QLabel(QString::fromUtf8(text), this);
        l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        u.add(l, x, y, w, 12);
        return l;
    };
    label(t.meshLabel, 4, 68, 33);
    mesh_ = named(new QComboBox(this), 1011);
    u.add(mesh_, 39, 68, 48, 12, false);
    label(t.altitudeLabel, 89, 68, 58);
    altitude_ = named(new QComboBox(this), 1010);
    u.add(altitude_, 149, 68, 48, 12, false);
    label(t.speedLabel, 2, 90, 32);
    speed_ = named(new QSlider(Qt::Horizontal, this), 1036);
    u.add(speed_, 36, 90, 54, 10, false);
    auto* slow = new QLabel(QString::fromUtf8(t.slow), this);
    u.add(slow, 34, 100, 22, 8);
    auto* fast = new QLabel(QString::fromUtf8(t.fast), this);
    fast->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    u.add(fast, 70, 100, 22, 8);
    label(t.contourLabel, 92, 90, 55);
    contour_ = named(new QComboBox(this), 1009);
    u.add(contour_, 149, 90, 48, 12, false);

    title_ = named(new QLabel(this), 1014);
    title_->setAlignment(Qt::AlignCenter);
    title_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    u.add(title_, 13, 111, 74, 12, false);
    auto* specify = named(new QPushButton(QString::fromUtf8(t.specifyDem), this), 1012);
    u.add(specify, 13, 130, 74, 14);
    part_ = named(new QCheckBox(this), 1020);
    u.add(part_, 13, 154, 10, 10, false);
    outline_ = named(new QPushButton(QString::fromUtf8(t.outlinePart), this), 1019);
    u.add(outline_, 29, 151, 58, 14);
    auto* ok = named(new QPushButton(QString::fromUtf8(t.ok), this), 1);
    u.add(ok, 49, 173, 47, 14);
    ok->setDefault(true);
    auto* cancel = named(new QPushButton(QString::fromUtf8(t.cancel), this), 2);
    u.add(cancel, 115, 173, 47, 14);
    auto* icon = new QLabel(this);
    u.add(icon, 102, 117, 20, 20, false);
    auto* version = new QLabel(QString::fromUtf8(t.version), this);
    u.add(version, 124, 121, 84, 10);
    // Below the buttons, so every other control keeps its place; id 1040
    // is this program's own.
    const std::optional<bool> listed =
        saverList_.installed && saverList_.listed && saverList_.setListed && saverList_.installed()
            ? saverList_.listed()
            : std::nullopt;
    if (listed) {
        saverListed_ = named(new QCheckBox(QString::fromUtf8(t.useWithXScreenSaver), this), 1040);
        u.add(saverListed_, 13, 193, 190, 10, false);
        saverListed_->setChecked(*listed);
        saverListedAtFirst_ = *listed;
    }
    u.apply();
    icon->setPixmap(style()->standardIcon(QStyle::SP_ComputerIcon).pixmap(u.x(14), u.x(14)));
    setFixedSize(u.extent(7));

    // Opening: every control from the settings.
    int sel = store_.getInt(kSection, key::sel, def::sel);
    if (!offeredStyle(sel)) sel = def::sel;
    styles_->button(sel)->setChecked(true);
    for (const char* text : kAltitudeFactorTexts) altitude_->addItem(text);
    altitude_->setCurrentIndex(
        altitudeFactorPosition(store_.getInt(kSection, key::yFactor, def::yFactor)));
    for (const char* text : kContourTexts) contour_->addItem(text);
    contour_->setCurrentIndex(contourPosition(store_.getInt(kSection, key::step, def::step)));
    contour_->setEnabled(styleRow(sel)->usesContour);
    for (const char* text : kMeshTexts) mesh_->addItem(text);
    mesh_->setCurrentIndex(meshPosition(store_.getInt(kSection, key::numMesh, def::numMesh)));
    speed_->setRange(0, 7);
    speed_->setPageStep(1);
    speed_->setTickPosition(QSlider::TicksBelow);
    speed_->setValue(speedPosition(store_.getInt(kSection, key::speed, def::speed)));
    refreshPartBox();
    refreshTitle();

    connect(styles_, &QButtonGroup::idClicked, this, [this](int id) {
        contour_->setEnabled(offeredStyle(id) && styleRow(id)->usesContour);
    });
    connect(specify, &QPushButton::clicked, this, &SetupDialog::specifyDem);
    connect(part_, &QCheckBox::clicked, this, &SetupDialog::clearPart);
    connect(outline_, &QPushButton::clicked, this, &SetupDialog::openOutline);
    connect(ok, &QPushButton::clicked, this, [this] {
        // Closing as if saved when nothing was would lose the user's choices
        // without a word; the dialog stays open to try again or cancel.
        if (!writeChoices()) {
            showError(static_cast<QObject*>(this), setupDialogTexts(userLanguage()).saveFailed,
                      kSaveCaption);
            return;
        }
        // ~/.xscreensaver is touched only when the box was changed.
        if (saverListed_ != nullptr && saverListed_->isChecked() != saverListedAtFirst_) {
            if (!saverList_.setListed(saverListed_->isChecked())) {
                showError(static_cast<QObject*>(this),
                          setupDialogTexts(userLanguage()).xscreensaverFailed, kSaveCaption);
                return;
            }
            saverListedAtFirst_ = saverListed_->isChecked();
        }
        done(1);
    });
    connect(cancel, &QPushButton::clicked, this, [this] { done(0); });
    centreDialog(this);
}

int SetupDialog::checkedDrawType() const {
    const int id = styles_->checkedId();
    return offeredStyle(id) ? id : def::sel;
}

void SetupDialog::refreshTitle() {
    int type = readDemType(store_);
    QString full = QString::fromStdString(demTitle(type, memPath_, store_)).trimmed();
    showTitle(title_, full);
}

void SetupDialog::refreshPartBox() {
    bool isPart = store_.getInt(kSection, key::isPart, def::isPart) != 0;
    part_->setEnabled(isPart);
    part_->setChecked(isPart);
}

void SetupDialog::clearPart() {
    part_->setChecked(false);
    part_->setEnabled(false);
    // One replace: the saver must never see the flag cleared with the old
    // part's size, or the other way round.
    if (!store_.putStrings(
            kSection,
            {{key::isPart, "0"}, {key::sizeMeshMaxX, "201"}, {key::sizeMeshMaxZ, "201"}})) {
        showError(static_cast<QObject*>(this), setupDialogTexts(userLanguage()).saveFailed,
                  kSaveCaption);
    }
    refreshPartBox();
}

void SetupDialog::specifyDem() {
    auto file = chooser_(this, readDemType(store_));
    if (!file) return;
    selectDemFile(*file, memPath_, store_, static_cast<QObject*>(this),
                  [this](const std::filesystem::path& index) {
                      return runSheetDialog(index, memPath_, store_, this)
                                 ? SelectOutcome::Changed
                                 : SelectOutcome::Unchanged;
                  });
    refreshTitle();
    refreshPartBox();
}

void SetupDialog::openOutline() {
    // The map shows heights with the factor chosen here, even before OK.
    OutlineDialog outline(memPath_, store_, altitudeFactorAt(altitude_->currentIndex()), this);
    if (outline.exec() == 1) refreshPartBox();
}

bool SetupDialog::writeChoices() {
    // Only the choices of this dialog; the DEM and the part were written when made.
    return store_.putStrings(kSection, {{key::sel, formatInteger(checkedDrawType())},
                                        {key::yFactor, formatInteger(altitude_->currentIndex())},
                                        {key::step, formatInteger(contour_->currentIndex())},
                                        {key::numMesh, formatInteger(mesh_->currentIndex())},
                                        {key::speed, formatInteger(speed_->value())}});
}

int showSetupDialog(const std::filesystem::path& memPath, SaverListChoice saverList) {
    IniProfileStore store = userSettings();
    SetupDialog dialog(memPath, store, QApplication::activeWindow(), std::move(saverList));
    return dialog.exec();
}

}  // namespace hg
