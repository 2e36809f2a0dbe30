// SPDX-License-Identifier: MIT
#include "config/outline_dialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <functional>
#include <optional>

#include "config/dem_selection.h"
#include "config/setup_dialog.h"
#include "dem/mesh.h"
#include "dem/sdts_info.h"
#include "platform/show_error.h"
#include "platform/text_number.h"
#include "render/output/egl_offscreen_target.h"
#include "render/output/offscreen_render.h"
#include "settings/settings.h"
#include "support/gsi50m_sheet_maker.h"
#include "support/qt_app.h"
#include "support/test_support.h"

using namespace hg;
using hgtest::control;
using hgtest::readFile;
using hgtest::ScopedEnv;
using hgtest::ScopedHome;
using hgtest::writeFile;

namespace {

QString text(QWidget& d, int id) {
    return control<QLabel>(d, id)->text();
}

std::string right(const std::string& s, std::size_t width) {
    return std::string(s.size() < width ? width - s.size() : 0, ' ') + s;
}

// A geographic USGS DEM of whole profiles at 3 arc-seconds, heights
// metres(column, row from the south).
std::string usgsDem(int cols, int rows, const std::function<int(int, int)>& metres) {
    auto put = [](std::string& block, std::size_t at, const std::string& s) {
        block.replace(at, s.size(), s);
    };
    auto real = [](double v, std::size_t width) { return right(formatFixed(v, 3), width); };
    auto integer = [](long long v) { return right(formatInteger(v), 6); };
    const double west = -309600.0, south = 129600.0;
    const double east = west + 3.0 * (cols - 1), north = south + 3.0 * (rows - 1);
    std::string a(1024, ' ');
    put(a, 0, "SYNTHETIC RIDGE");
    put(a, 156, integer(0));
    put(a, 162, integer(0));
    put(a, 528, integer(3));
    put(a, 534, integer(2));
    put(a, 540, integer(4));
    const double corners[8] = {west, south, west, north, east, north, east, south};
    for (std::size_t i = 0; i < 8; ++i) put(a, 546 + 24 * i, real(corners[i], 24));
    put(a, 816, real(3.0, 12) + real(3.0, 12) + real(1.0, 12));
    put(a, 852, integer(1) + integer(cols));
    std::string out = a;
    for (int c = 0; c < cols; ++c) {
        std::string block(1024, ' ');
        put(block, 0, integer(1) + integer(c + 1) + integer(rows) + integer(1));
        put(block, 24, real(west + 3.0 * c, 24) + real(south, 24) + real(0.0, 24));
        std::size_t at = 144;
        for (int r = 0; r < rows; ++r) {
            if (at + 6 > 1020) {
                out += block;
                block.assign(1024, ' ');
                at = 0;
            }
            put(block, at, integer(metres(c, r)));
            at += 6;
        }
        out += block;
    }
    return out;
}

int ridge(int c, int r) {
    return 200 + (c * 7 + r * 3) % 900;
}

struct Fixture {
    ScopedEnv lang{"HILLGLIMMER_LANG", "en"};
    ScopedHome home;
    IniProfileStore store = userSettings();
    std::filesystem::path mem = home.path() / "Hillglimmer.mem";
    std::filesystem::path ini = home.path() / "Hillglimmer.ini";
    Fixture() { hgtest::qtApp(); }

    void wideDem(const std::string& settings = "") {
        writeFile(mem, usgsDem(1201, 1201, ridge));
        writeFile(ini, "[Hillglimmer]\ndemType=1\n" + settings);
    }
};

// A dialog shown with its map drawn, or the reason it cannot be.
struct Shown {
    std::unique_ptr<OutlineDialog> dialog;
    std::string whyNot;
};

Shown open(Fixture& f, QSize picture = {}, double yFactor = 1.4) {
    Shown s;
    try {
        EglOffscreenTarget probe(8, 8);
    } catch (const std::exception& e) {
        s.whyNot = e.what();
        return s;
    }
    s.dialog = std::make_unique<OutlineDialog>(f.mem, f.store, yFactor, nullptr, picture);
    s.dialog->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(s.dialog.get()));
    EXPECT_TRUE(s.dialog->ensureMap());
    return s;
}

#define OPEN(var, ...)                                                                           \
    Shown var##_shown = open(__VA_ARGS__);                                                       \
    if (!var##_shown.dialog) GTEST_SKIP() << "no offscreen OpenGL here: " << var##_shown.whyNot; \
    OutlineDialog& var = *var##_shown.dialog

// Mouse input in the picture's client pixels.
struct Mouse {
    OutlineDialog& d;
    QWidget* picture() { return control<QWidget>(d, 1032); }
    QPoint at(int x, int y) { return d.clientOrigin() + QPoint(x, y); }
    void press(int x, int y) { QTest::mousePress(picture(), Qt::LeftButton, {}, at(x, y)); }
    void move(int x, int y) { QTest::mouseMove(picture(), at(x, y)); }
    void release(int x, int y) { QTest::mouseRelease(picture(), Qt::LeftButton, {}, at(x, y)); }
};

void clickOk(OutlineDialog& d) {
    QTest::mouseClick(control<QPushButton>(d, 1), Qt::LeftButton);
}

// The picture as the user sees it, rectangle included.
QImage onScreen(OutlineDialog& d) {
    QWidget* p = control<QWidget>(d, 1032);
    return p->grab().toImage().copy(QRect(d.clientOrigin(), p->contentsRect().size()));
}

int pixelsOf(const QImage& image, QRgb rgb) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += (image.pixel(x, y) & 0xFFFFFFu) == (rgb & 0xFFFFFFu);
    return n;
}

// A picture client size whose map comes out exactly `width` pixels wide:
// the map's scale follows the picture's width, so one trial drawing tells
// roughly where to look.
std::optional<QSize> pictureForMapWidth(Fixture& f, int width) {
    auto mapWidth = [&](int w) {
        OutlineDialog d(f.mem, f.store, 1.4, nullptr, QSize(w, w));
        return d.ensureMap() ? d.state().x1 - d.state().x0 : -1;
    };
    const int trial = mapWidth(width);
    if (trial <= 0) return std::nullopt;
    const int guess = static_cast<int>(static_cast<double>(width) * width / trial);
    for (int w = guess - 4; w <= guess + 4; ++w) {
        if (mapWidth(w) == width) return QSize(w, w);
    }
    return std::nullopt;
}

}  // namespace

TEST(OutlineDialog, WideDemPlacesTheStoredPartAndShowsItsFacts) {
    Fixture f;
    f.wideDem("isPart=1\nstartX=600\nstartZ=300\nsizeMeshMaxX=201\nsizeMeshMaxZ=201\n");
    try {
        EglOffscreenTarget probe(8, 8);
    } catch (const std::exception& e) {
        GTEST_SKIP() << "no offscreen OpenGL here: " << e.what();
    }
    auto picture = pictureForMapWidth(f, 300);
    ASSERT_TRUE(picture) << "no picture size draws the map 300 pixels wide";
    OPEN(d, f, *picture);
    const auto s = d.state();
    ASSERT_EQ(s.x1 - s.x0, 300);
    // 300 / 1200 x 200.
    EXPECT_EQ(s.pxW, 50);
    EXPECT_EQ(s.left, s.x0 + 150);
    EXPECT_EQ(s.top, static_cast<int>(300.0 / 1200 * (s.y1 - s.y0) + s.y0 + 0.5));
    EXPECT_TRUE(s.rectangleShown);

    EXPECT_EQ(d.windowTitle(), "DEM Outline/Part");
    EXPECT_EQ(text(d, 1025), "SYNTHETIC RIDGE");
    EXPECT_EQ(text(d, 1027), "1201");
    EXPECT_EQ(text(d, 1026), "1201");
    EXPECT_EQ(text(d, 1022), "-86 00 00 /  37 00 00");
    EXPECT_EQ(text(d, 1021), "-85 00 00 /  36 00 00");
    EXPECT_TRUE(QRegularExpression("^ *\\d+\\.\\d{3}km$").match(text(d, 1028)).hasMatch())
        << text(d, 1028).toStdString();
    EXPECT_EQ(text(d, 1030).size(), 9);
    EXPECT_TRUE(QRegularExpression("^ *\\d+\\.\\dm$").match(text(d, 1023)).hasMatch());
    EXPECT_FALSE(text(d, 1033).isEmpty());

    // The dotted frame and the cross are on screen, not in the kept map.
    const QImage screen = onScreen(d);
    EXPECT_GT(pixelsOf(screen, qRgb(220, 200, 192)), 50);
    EXPECT_GT(pixelsOf(screen, qRgb(200, 200, 200)), 4);
    EXPECT_EQ(pixelsOf(d.map(), qRgb(220, 200, 192)), 0);
    // Grey bands outside the map.
    EXPECT_EQ(d.map().pixel(0, 0) & 0xFFFFFFu, qRgb(96, 96, 96) & 0xFFFFFFu);

    // The height under the cursor: the map's north-west corner is the
    // north-west sample; outside the map nothing is shown.
    Mouse m{d};
    m.move(s.x0, s.y0);
    EXPECT_EQ(text(d, 1031).toStdString(), right(formatFixed(ridge(0, 1200), 1), 6) + "m");
    m.move(s.x0 - 3, s.y0);
    EXPECT_EQ(text(d, 1031), "");
}

TEST(OutlineDialog, StoredStartIsIgnoredForTheWholeDemAndClampedWhenItWouldLeaveTheDem) {
    Fixture f;
    f.wideDem("isPart=0\nstartX=600\nstartZ=300\n");
    {
        OPEN(d, f, QSize(300, 300));
        EXPECT_EQ(d.state().left, d.state().x0);
        EXPECT_EQ(d.state().top, d.state().y0);
    }
    f.wideDem("isPart=1\nstartX=5000\nstartZ=-7\nsizeMeshMaxX=0\nsizeMeshMaxZ=90000\n");
    OPEN(d, f, QSize(300, 300));
    const auto s = d.state();
    EXPECT_EQ(s.sizeX, 201);
    EXPECT_EQ(s.sizeZ, 1201);
    EXPECT_EQ(s.startX, 1000);
    EXPECT_EQ(s.startZ, 0);
    clickOk(d);
    EXPECT_EQ(d.result(), 1);
    EXPECT_EQ(
        f.store.getInt(kSection, key::startX, -1) + f.store.getInt(kSection, key::sizeMeshMaxX, -1),
        1201);
    EXPECT_EQ(f.store.getInt(kSection, key::startZ, -1), 0);
    EXPECT_EQ(f.store.getInt(kSection, key::sizeMeshMaxZ, -1), 1201);
}

TEST(OutlineDialog, DragStopsAtTheMapEdgesAndFollowsBackAtOnce) {
    Fixture f;
    f.wideDem("isPart=1\nstartX=600\nstartZ=600\n");
    OPEN(d, f, QSize(300, 300));
    Mouse m{d};
    auto s = d.state();
    const int gx = s.left + s.pxW / 2, gy = s.top + s.pxH / 2;
    m.press(gx, gy);
    EXPECT_EQ(d.state().mode, 1);
    m.move(gx - 400, gy);
    EXPECT_EQ(d.state().left, s.x0);
    m.move(gx - 390, gy);
    EXPECT_EQ(d.state().left, s.x0 + 10);
    m.move(gx + 400, gy + 400);
    EXPECT_EQ(d.state().left + d.state().pxW, s.x1);
    EXPECT_EQ(d.state().top + d.state().pxH, s.y1);
    m.move(gx + 395, gy + 400);
    EXPECT_EQ(d.state().left + d.state().pxW, s.x1 - 5);
    m.move(gx + 400, gy + 400);
    m.release(gx + 400, gy + 400);
    EXPECT_EQ(d.state().mode, 0);
    // Moves without the button change nothing.
    m.move(gx, gy);
    EXPECT_EQ(d.state().left + d.state().pxW, s.x1);

    // Saved at the right and bottom edges, the part ends at the last sample.
    clickOk(d);
    EXPECT_EQ(d.result(), 1);
    EXPECT_EQ(readFile(f.ini),
              "[Hillglimmer]\ndemType=1\nisPart=1\nstartX=1000\nstartZ=1000\n"
              "sizeMeshMaxX=201\nsizeMeshMaxZ=201\n");
}

TEST(OutlineDialog, ResizeKeepsItsMinimumAndSnapsToTheWholeWidth) {
    Fixture f;
    f.wideDem();
    OPEN(d, f, QSize(300, 300));
    Mouse m{d};
    auto s = d.state();
    ASSERT_EQ(s.left, s.x0);
    const int imgW = s.x1 - s.x0, imgH = s.y1 - s.y0;
    const int minW = static_cast<int>(imgW / 1200.0 * 100 + 0.5);
    m.press(s.left + s.pxW + 3, s.top + s.pxH - 4);
    EXPECT_EQ(d.state().mode, 2);
    m.move(s.left + 2, s.top + 2);
    s = d.state();
    EXPECT_EQ(s.pxW, minW);
    EXPECT_EQ(s.pxH, static_cast<int>(imgH / 1200.0 * 100 + 0.5));
    EXPECT_NEAR(s.sizeX, 100, 3);
    // Past the map's right edge the width stays; only the height follows.
    m.move(s.x1 + 20, s.y0 + imgH / 2);
    EXPECT_EQ(d.state().pxW, minW);
    EXPECT_EQ(d.state().top + d.state().pxH, s.y0 + imgH / 2);
    // A pixel short of the edge is still several samples short of it.
    m.move(s.x1 - 1, s.y1);
    EXPECT_LT(d.state().sizeX, 1199);
    m.move(s.x1, s.y1);
    s = d.state();
    EXPECT_EQ(s.sizeX, 1201);
    EXPECT_EQ(s.sizeZ, 1201);
    m.release(s.x1, s.y1);
    clickOk(d);
    EXPECT_EQ(f.store.getInt(kSection, key::sizeMeshMaxX, -1), 1201);
    EXPECT_EQ(f.store.getInt(kSection, key::startX, -1), 0);
    EXPECT_EQ(f.store.getInt(kSection, key::startZ, -1), 0);
    EXPECT_EQ(f.store.getInt(kSection, key::isPart, -1), 1);
}

TEST(OutlineDialog, AResizeThatMustGrowAtTheFarEdgeStaysInsideTheDem) {
    Fixture f;
    // Narrower than the resize minimum, in the south-east corner.
    f.wideDem("isPart=1\nstartX=1151\nstartZ=1151\nsizeMeshMaxX=50\nsizeMeshMaxZ=50\n");
    OPEN(d, f, QSize(300, 300));
    Mouse m{d};
    auto s = d.state();
    ASSERT_EQ(s.left + s.pxW, s.x1);
    m.press(s.left + s.pxW, s.top + s.pxH);
    m.move(s.x1 - 1, s.y1 - 1);
    m.release(s.x1 - 1, s.y1 - 1);
    const auto after = d.state();
    EXPECT_GT(after.pxW, s.pxW);
    EXPECT_LE(after.left + after.pxW, s.x1);
    EXPECT_LE(after.top + after.pxH, s.y1);
    clickOk(d);
    const int startX = f.store.getInt(kSection, key::startX, -1);
    const int sizeX = f.store.getInt(kSection, key::sizeMeshMaxX, -1);
    EXPECT_GE(startX, 0);
    EXPECT_LE(startX + sizeX, 1201);
    EXPECT_LE(
        f.store.getInt(kSection, key::startZ, -1) + f.store.getInt(kSection, key::sizeMeshMaxZ, -1),
        1201);
}

TEST(OutlineDialog, CancelLeavesTheSettingsByteIdentical) {
    Fixture f;
    f.wideDem("; kept as it is\nisPart=1\nstartX=10\n\n[Other]\nx=1\n");
    const std::string before = readFile(f.ini);
    OPEN(d, f, QSize(300, 300));
    Mouse m{d};
    auto s = d.state();
    m.press(s.left + 2, s.top + 2);
    m.move(s.left + 60, s.top + 40);
    m.release(s.left + 60, s.top + 40);
    QTest::mouseClick(control<QPushButton>(d, 2), Qt::LeftButton);
    EXPECT_EQ(d.result(), 0);
    EXPECT_EQ(readFile(f.ini), before);
}

namespace {
// Reads as the user's settings but refuses every write.
class ReadOnlyStore final : public ProfileStore {
public:
    explicit ReadOnlyStore(const ProfileStore& inner) : inner_(inner) {}
    int getInt(const std::string& s, const std::string& k, int def) const override {
        return inner_.getInt(s, k, def);
    }
    std::string getString(const std::string& s, const std::string& k, const std::string& def,
                          std::size_t n) const override {
        return inner_.getString(s, k, def, n);
    }
    bool putString(const std::string&, const std::string&, const std::string&) override {
        return false;
    }
    bool putStrings(const std::string&, const std::vector<Entry>&) override { return false; }
    bool apply(const std::vector<Change>&) override { return false; }
    bool flush() override { return false; }
    bool lock() override { return true; }
    void unlock() override {}

private:
    const ProfileStore& inner_;
};
}  // namespace

TEST(OutlineDialog, AFailedSaveIsReportedAndTheDialogStaysOpen) {
    Fixture f;
    f.wideDem();
    try {
        EglOffscreenTarget probe(8, 8);
    } catch (const std::exception& e) {
        GTEST_SKIP() << "no offscreen OpenGL here: " << e.what();
    }
    ReadOnlyStore store(f.store);
    std::vector<std::string> captions;
    ErrorSinkGuard sink(
        [&](void*, const std::string&, const std::string& c) { captions.push_back(c); });
    OutlineDialog d(f.mem, store, 1.4, nullptr, QSize(300, 300));
    d.show();
    ASSERT_TRUE(d.ensureMap());
    clickOk(d);
    EXPECT_EQ(captions, std::vector<std::string>{"Hillglimmer outline"});
    EXPECT_TRUE(d.isVisible());
}

TEST(OutlineDialog, SmallDemShowsNoRectangleYetOkStoresTheWholeOfIt) {
    Fixture f;
    // A 5' x 7.5' GSI sheet of 80 x 60 posts.
    writeFile(f.mem, hgtest::makeSheet(
                         80, 60, {125700, 503550, 126000, 504000}, "SMALL",
                         [](int r, int c) { return 1000 + r * 40 + c * 25; }, ""));
    writeFile(f.ini, "[Hillglimmer]\ndemType=0\n");
    OPEN(d, f, QSize(300, 300));
    auto s = d.state();
    EXPECT_FALSE(s.rectangleShown);
    EXPECT_EQ(text(d, 1027), "80");
    EXPECT_EQ(text(d, 1026), "60");
    Mouse m{d};
    m.press((s.x0 + s.x1) / 2, (s.y0 + s.y1) / 2);
    EXPECT_EQ(d.state().mode, 0);
    m.release((s.x0 + s.x1) / 2, (s.y0 + s.y1) / 2);
    EXPECT_EQ(pixelsOf(onScreen(d), qRgb(220, 200, 192)), 0);
    clickOk(d);
    EXPECT_EQ(readFile(f.ini),
              "[Hillglimmer]\ndemType=0\nstartX=0\nstartZ=0\nisPart=1\nsizeMeshMaxX=80\n"
              "sizeMeshMaxZ=60\n");
}

TEST(OutlineDialog, SdtsSampleShowsTheTransferAndTheTrimmedCounts) {
    Fixture f;
    const auto cel0 = hgtest::sharedData("sdts/8821/8821CEL0.DDF");
    HG_REQUIRE_SHARED(cel0);
    ASSERT_EQ(selectDemFile(cel0, f.mem, f.store, nullptr, {}), SelectOutcome::Changed);
    CSDTSInfo info;
    info.loadFromSettings(f.store);
    ScopedEnv ja("HILLGLIMMER_LANG", "ja_JP.UTF-8");
    OPEN(d, f, QSize(300, 300));
    EXPECT_EQ(d.windowTitle(), QString::fromUtf8("DEM ｱｳﾄﾗｲﾝ/部分選択"));
    EXPECT_EQ(control<QPushButton>(d, 2)->text(), QString::fromUtf8("ｷｬﾝｾﾙ"));
    const auto s = d.state();
    EXPECT_EQ(text(d, 1027).toStdString(),
              formatInteger(info.nCols) + " (" + formatInteger(s.demCols) + ")");
    EXPECT_EQ(text(d, 1026).toStdString(),
              formatInteger(info.nRows) + " (" + formatInteger(s.demRows) + ")");
    EXPECT_TRUE(text(d, 1025).endsWith("  UTM - 12")) << text(d, 1025).toStdString();
    // 30 m cells: the quadrangle is about 10 km across.
    for (int id : {1028, 1029, 1030}) {
        const double km = text(d, id).trimmed().chopped(2).toDouble();
        EXPECT_GT(km, 8.0) << id;
        EXPECT_LT(km, 16.0) << id;
    }
    const double lowest = text(d, 1024).trimmed().chopped(1).toDouble();
    EXPECT_GE(lowest, 1520.0);
    EXPECT_LT(lowest, 1826.0);
}

TEST(OutlineDialog, OkPartIsWhatTheSaverDraws) {
    Fixture f;
    f.wideDem("sel=1\n");
    {
        OPEN(d, f, QSize(300, 300));
        Mouse m{d};
        auto s = d.state();
        m.press(s.left + 5, s.top + 5);
        m.move(s.left + 600, s.top + 5);
        m.release(s.left + 600, s.top + 5);
        clickOk(d);
    }
    ASSERT_EQ(f.store.getInt(kSection, key::startX, -1), 1000);
    auto render = [&](const std::string& dir) {
        OffscreenRenderRequest request;
        request.width = 160;
        request.height = 120;
        request.outDir = f.home.path() / dir;
        request.memPath = f.mem;
        auto result = renderOffscreen(request, f.store);
        EXPECT_TRUE(result.ok()) << result.error;
        return result.ok() ? QImage(QString::fromStdString(result.files.at(0).string())) : QImage();
    };
    const QImage chosen = render("chosen");
    writeFile(f.ini,
              "[Hillglimmer]\ndemType=1\nsel=1\nisPart=1\nstartX=1000\nstartZ=0\n"
              "sizeMeshMaxX=201\nsizeMeshMaxZ=201\n");
    const QImage byHand = render("by-hand");
    writeFile(f.ini, "[Hillglimmer]\ndemType=1\nsel=1\n");
    const QImage whole = render("whole");
    ASSERT_FALSE(chosen.isNull());
    EXPECT_EQ(chosen, byHand);
    EXPECT_NE(chosen, whole);
}

TEST(OutlineDialog, SetupButtonOpensItAndOkChecksThePartBox) {
    Fixture f;
    f.wideDem();
    try {
        EglOffscreenTarget probe(8, 8);
    } catch (const std::exception& e) {
        GTEST_SKIP() << "no offscreen OpenGL here: " << e.what();
    }
    SetupDialog setup(f.mem, f.store);
    auto* box = control<QCheckBox>(setup, 1020);
    ASSERT_FALSE(box->isChecked());
    auto* outline = control<QPushButton>(setup, 1019);
    ASSERT_TRUE(outline->isEnabled());
    bool seen = false;
    int tries = 0;
    std::function<void()> answer = [&] {
        // Closes the nested dialog on every path, or the test would hang.
        auto* d = qobject_cast<OutlineDialog*>(QApplication::activeModalWidget());
        if (d == nullptr) {
            if (++tries < 200) {
                QTimer::singleShot(10, answer);
            } else if (QApplication::activeModalWidget() != &setup) {
                if (auto* other = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
                    other->done(0);
            }
            return;
        }
        seen = d->ensureMap();
        if (seen) {
            clickOk(*d);
        } else {
            d->done(0);
        }
    };
    QTimer::singleShot(0, answer);
    QTest::mouseClick(outline, Qt::LeftButton);
    EXPECT_TRUE(seen);
    EXPECT_TRUE(box->isChecked());
    EXPECT_TRUE(box->isEnabled());
}
