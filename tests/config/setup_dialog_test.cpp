// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTest>

#include "config/setup_dialog.h"
#include "dem/mesh.h"
#include "platform/show_error.h"
#include "settings/settings.h"
#include "support/qt_app.h"
#include "support/test_support.h"

using namespace hg;
using hgtest::control;
using hgtest::readFile;
using hgtest::ScopedEnv;
using hgtest::ScopedHome;
using hgtest::writeFile;

namespace {

struct DialogFixture {
    ScopedEnv lang{"HILLGLIMMER_LANG", "en"};
    ScopedHome home;
    IniProfileStore store = userSettings();
    std::filesystem::path mem = home.path() / "Hillglimmer.mem";
    std::filesystem::path ini = home.path() / "Hillglimmer.ini";
    DialogFixture() { hgtest::qtApp(); }
};

}  // namespace

TEST(SetupDialog, FreshInstallationShowsTheDefaults) {
    DialogFixture f;
    SetupDialog d(f.mem, f.store);
    EXPECT_EQ(d.windowTitle(), "Hillglimmer Setup");
    EXPECT_TRUE(control<QRadioButton>(d, 1000)->isChecked());
    EXPECT_EQ(control<QRadioButton>(d, 1007)->text(), "3D-Contour");
    EXPECT_EQ(control<QComboBox>(d, 1010)->currentText(), " 1.4");
    EXPECT_EQ(control<QComboBox>(d, 1010)->count(), 25);
    EXPECT_EQ(control<QComboBox>(d, 1009)->currentText(), " 100m");
    EXPECT_FALSE(control<QComboBox>(d, 1009)->isEnabled());
    EXPECT_EQ(control<QComboBox>(d, 1011)->currentText(), "1/4");
    EXPECT_EQ(control<QSlider>(d, 1036)->value(), 5);
    EXPECT_EQ(control<QSlider>(d, 1036)->maximum(), 7);
    EXPECT_FALSE(control<QCheckBox>(d, 1020)->isEnabled());
    EXPECT_FALSE(control<QCheckBox>(d, 1020)->isChecked());
    EXPECT_EQ(control<QPushButton>(d, 1012)->text(), "Specify DEM");
    EXPECT_EQ(control<QPushButton>(d, 2)->text(), "CANCEL");
    EXPECT_TRUE(control<QPushButton>(d, 1)->isDefault());
    EXPECT_EQ(control<QLabel>(d, 1014)->text(), "");
}

TEST(SetupDialog, ContourListFollowsTheStyleAndOkWritesExactlyFiveKeys) {
    DialogFixture f;
    SetupDialog d(f.mem, f.store);
    QTest::mouseClick(control<QRadioButton>(d, 1007), Qt::LeftButton);
    EXPECT_TRUE(control<QComboBox>(d, 1009)->isEnabled());
    control<QComboBox>(d, 1009)->setCurrentIndex(5);
    QTest::mouseClick(control<QRadioButton>(d, 1002), Qt::LeftButton);
    EXPECT_FALSE(control<QComboBox>(d, 1009)->isEnabled());
    QTest::mouseClick(control<QRadioButton>(d, 1008), Qt::LeftButton);
    EXPECT_TRUE(control<QComboBox>(d, 1009)->isEnabled());
    QTest::mouseClick(control<QRadioButton>(d, 1002), Qt::LeftButton);
    control<QComboBox>(d, 1010)->setCurrentIndex(3);
    control<QComboBox>(d, 1011)->setCurrentIndex(0);
    control<QSlider>(d, 1036)->setValue(7);
    QTest::mouseClick(control<QPushButton>(d, 1), Qt::LeftButton);
    EXPECT_EQ(d.result(), 1);
    EXPECT_EQ(readFile(f.ini), "[Hillglimmer]\nsel=2\nyFactor=3\nstep=5\nnumMesh=0\nspeed=7\n");
}

TEST(SetupDialog, CancelWritesNothingButKeepsTheNewDem) {
    DialogFixture f;
    {
        SetupDialog d(f.mem, f.store);
        QTest::mouseClick(control<QRadioButton>(d, 1005), Qt::LeftButton);
        QTest::mouseClick(control<QPushButton>(d, 2), Qt::LeftButton);
        EXPECT_EQ(d.result(), 0);
        EXPECT_FALSE(std::filesystem::exists(f.ini));
    }
    auto picked = f.home.path() / "Hill.DEM";
    const std::string dem = readFile(HG_SOURCE_DIR "/data/jacksboro.dem");
    writeFile(picked, dem);
    SetupDialog d(f.mem, f.store);
    d.setFileChooser([&](QWidget*, int demType) {
        EXPECT_EQ(demType, 0);
        return std::optional<std::filesystem::path>(picked);
    });
    QTest::mouseClick(control<QPushButton>(d, 1012), Qt::LeftButton);
    QTest::mouseClick(control<QPushButton>(d, 2), Qt::LeftButton);
    EXPECT_EQ(readFile(f.mem), dem);
    EXPECT_EQ(readDemType(f.store), 1);
    EXPECT_EQ(f.store.getString(kSection, key::sel, "none", 32), "none");
}

TEST(SetupDialog, PartBoxReturnsToTheWholeDemAtOnce) {
    DialogFixture f;
    writeFile(f.ini, "[Hillglimmer]\nisPart=1\nsizeMeshMaxX=90\nsizeMeshMaxZ=80\nstartX=3\n");
    SetupDialog d(f.mem, f.store);
    auto* box = control<QCheckBox>(d, 1020);
    ASSERT_TRUE(box->isEnabled());
    ASSERT_TRUE(box->isChecked());
    QTest::mouseClick(box, Qt::LeftButton);
    EXPECT_FALSE(box->isEnabled());
    EXPECT_FALSE(box->isChecked());
    // Written before OK or CANCEL.
    EXPECT_EQ(f.store.getInt(kSection, key::isPart, -1), 0);
    EXPECT_EQ(f.store.getInt(kSection, key::sizeMeshMaxX, -1), 201);
    EXPECT_EQ(f.store.getInt(kSection, key::sizeMeshMaxZ, -1), 201);
}

TEST(SetupDialog, StoredPositionsOutsideTheListsShowTheDefaults) {
    DialogFixture f;
    writeFile(f.ini, "[Hillglimmer]\nsel=12\nyFactor=40\nstep=-1\nnumMesh=9\nspeed=99\n");
    SetupDialog d(f.mem, f.store);
    EXPECT_TRUE(control<QRadioButton>(d, 1000)->isChecked());
    EXPECT_EQ(control<QComboBox>(d, 1010)->currentIndex(), 11);
    EXPECT_EQ(control<QComboBox>(d, 1009)->currentIndex(), 8);
    EXPECT_EQ(control<QComboBox>(d, 1011)->currentIndex(), 2);
    EXPECT_EQ(control<QSlider>(d, 1036)->value(), 5);
}

TEST(SetupDialog, JapaneseTexts) {
    DialogFixture f;
    ScopedEnv ja("HILLGLIMMER_LANG", "ja_JP.UTF-8");
    SetupDialog d(f.mem, f.store);
    EXPECT_EQ(d.windowTitle(), QString::fromUtf8("Hillglimmer 設定"));
    EXPECT_EQ(control<QRadioButton>(d, 1008)->text(), QString::fromUtf8("3D段彩図"));
    EXPECT_EQ(control<QPushButton>(d, 1012)->text(), QString::fromUtf8("DEM 選択"));
    EXPECT_EQ(control<QPushButton>(d, 2)->text(), QString::fromUtf8("ｷｬﾝｾﾙ"));
    EXPECT_EQ(control<QComboBox>(d, 1010)->currentText(), " 1.4");
}

// In either language the dialog ends where its controls end, and a DEM's
// title is shown whole or with its middle left out, never cut at one end.
TEST(SetupDialog, SizedToItsTextsWithTitlesWholeOrElidedInTheMiddle) {
    // The file's short name, 24 characters at most, in the widest letters.
    const QString longTitle = QStringLiteral("WWWWWWWWWWW MMMMMMMMMMMM");
    for (const char* lang : {"en", "ja_JP.UTF-8"}) {
        for (const QString& title : {QStringLiteral("JACKSBORO FAULT, TN"), longTitle}) {
            SCOPED_TRACE(std::string(lang) + ": " + title.toStdString());
            DialogFixture f;
            ScopedEnv language("HILLGLIMMER_LANG", lang);
            std::string dem = readFile(HG_SOURCE_DIR "/data/jacksboro.dem");
            dem.replace(0, 144, (title.toStdString() + std::string(144, ' ')).substr(0, 144));
            writeFile(f.mem, dem);
            ASSERT_TRUE(writeDemType(f.store, kDemUsgs));
            SetupDialog d(f.mem, f.store);

            auto* label = control<QLabel>(d, 1014);
            EXPECT_EQ(label->toolTip(), title);
            const QString shown = label->text();
            EXPECT_LE(QFontMetrics(label->font()).horizontalAdvance(shown),
                      label->contentsRect().width());
            EXPECT_FALSE(title == longTitle && shown == title) << "too wide to fit whole";
            const QStringList ends = shown.split(QChar(0x2026));
            if (shown != title) {
                ASSERT_EQ(ends.size(), 2) << shown.toStdString();
                EXPECT_TRUE(ends[0].size() >= 3 && title.startsWith(ends[0]));
                EXPECT_TRUE(ends[1].size() >= 3 && title.endsWith(ends[1]));
            }

            int lowest = 0;
            for (QWidget* w : d.findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
                lowest = std::max(lowest, w->geometry().bottom());
            EXPECT_LE(d.height() - lowest, control<QPushButton>(d, 1)->height());
        }
    }
}

TEST(SetupDialog, OkThatCannotSaveSaysSoAndStaysOpen) {
    DialogFixture f;
    // A folder where the settings file belongs: no write can replace it,
    // whoever runs the test.
    std::filesystem::create_directory(f.ini);
    std::vector<std::string> captions;
    ErrorSinkGuard sink(
        [&](void*, const std::string&, const std::string& c) { captions.push_back(c); });
    SetupDialog d(f.mem, f.store);
    d.show();
    QTest::mouseClick(control<QRadioButton>(d, 1003), Qt::LeftButton);
    QTest::mouseClick(control<QPushButton>(d, 1), Qt::LeftButton);
    EXPECT_EQ(captions, std::vector<std::string>{"Hillglimmer config"});
    EXPECT_TRUE(d.isVisible());
    // Once the settings can be written again, the same OK saves and closes.
    std::filesystem::remove(f.ini);
    QTest::mouseClick(control<QPushButton>(d, 1), Qt::LeftButton);
    EXPECT_EQ(d.result(), 1);
    EXPECT_NE(readFile(f.ini).find("sel=3\n"), std::string::npos);
}
