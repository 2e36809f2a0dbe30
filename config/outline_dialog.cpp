// SPDX-License-Identifier: MIT
#include "config/outline_dialog.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <stdexcept>
#include <string>

#include "config/dialog_layout.h"
#include "config/fractal_dimension.h"
#include "dem/corner_posts.h"
#include "dem/mesh.h"
#include "dem/sdts_info.h"
#include "dem/usgs75min.h"
#include "dem/view_settings.h"
#include "platform/encoding.h"
#include "platform/gui/wait_cursor.h"
#include "platform/messages.h"
#include "platform/show_error.h"
#include "platform/text_number.h"
#include "render/draw.h"
#include "render/output/egl_offscreen_target.h"
#include "render/styles.h"
#include "resources/dialog_texts.h"
#include "settings/settings.h"

namespace hg {

namespace {

constexpr const char* kCaption = "Hillglimmer outline";

// Below this many samples on both sides the whole DEM is the only sensible
// part, so no rectangle is offered.
constexpr int kSmallDem = 100;

// Half the side of the square that starts a resize.
constexpr int kHandle = 5;

// Adds one half and drops the fraction toward zero, the rounding every
// position here is made with.
int roundHalf(double v) {
    if (!std::isfinite(v)) return 0;
    v = std::clamp(v + 0.5, -1e9, 1e9);
    return static_cast<int>(v);
}

std::string padded(std::string text, std::size_t width) {
    if (text.size() < width) text.insert(0, width - text.size(), ' ');
    return text;
}

QString metres(double v) {
    return QString::fromStdString(padded(formatFixed(v, 1), 6) + "m");
}

QString kilometres(double v) {
    return QString::fromStdString(padded(formatFixed(v, 3), 7) + "km");
}

// Whole arc-seconds as degrees, minutes and seconds; the sign stays with
// the degrees.
std::string dms(double arcSeconds) {
    if (!std::isfinite(arcSeconds)) arcSeconds = 0;
    const long long v = static_cast<long long>(std::clamp(arcSeconds, -1e12, 1e12));
    const long long degrees = v / 3600;
    const long long minutes = std::llabs(v % 3600 / 60);
    const long long seconds = std::llabs(v % 3600 % 60);
    return padded(formatInteger(degrees), 3) + " " + formatInteger(minutes, 2) + " " +
           formatInteger(seconds, 2);
}

QString corner(double x, double y) {
    return QString::fromStdString(dms(x) + " / " + dms(y));
}

// A placed post: whole seconds rounded, the hemisphere as a letter.
std::string dmsLetter(double degrees, char positive, char negative) {
    if (!std::isfinite(degrees)) degrees = 0;
    const long long v = std::llround(std::fabs(std::clamp(degrees, -1e6, 1e6)) * 3600.0);
    return padded(formatInteger(v / 3600), 3) + " " + formatInteger(v / 60 % 60, 2) + " " +
           formatInteger(v % 60, 2) + " " + (degrees < 0 ? negative : positive);
}

QString placedCorner(const GeoPosition& p) {
    return QString::fromStdString(dmsLetter(p.longitude, 'E', 'W') + " / " +
                                  dmsLetter(p.latitude, 'N', 'S'));
}

// The corner posts of the working DEM, read again from its header: the
// drawing object keeps only the corner fields.
CornerPosts workingCornerPosts(int type, const std::filesystem::path& memPath,
                               const ProfileStore& store) {
    if (type != kDemUsgs && type != kDemSdts75) return {};
    try {
        TerrainBuffers buffers;
        CViewSettings settings;
        std::unique_ptr<CMesh> mesh = createMesh(buffers, settings, type, memPath, &store);
        mesh->open();
        return cornerPostsOf(*mesh);
    } catch (const std::exception&) {
        // The map was drawn from this file a moment ago; if its header
        // cannot be read now, the corner fields still say something.
        return {};
    }
}

QRgb rgbAt(const QImage& image, int x, int y) {
    return image.pixel(x, y) & 0xFFFFFFu;
}

// A rectangle given by its corners with the right and bottom edges left
// out, the way the map's bands and frame were designed.
QRect edgeExclusiveRect(int left, int top, int right, int bottom) {
    return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
}

}  // namespace

OutlinePicture::OutlinePicture(OutlineDialog& dialog, QWidget* parent)
    : QFrame(parent), dialog_(dialog) {
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setMouseTracking(true);
}

QPoint OutlinePicture::client(const QMouseEvent* event) const {
    return event->position().toPoint() - contentsRect().topLeft();
}

void OutlinePicture::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    QPainter painter(this);
    painter.setClipRect(contentsRect());
    painter.translate(contentsRect().topLeft());
    dialog_.paintPicture(painter);
}

void OutlinePicture::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) dialog_.pressed(client(event));
}

void OutlinePicture::mouseMoveEvent(QMouseEvent* event) {
    dialog_.moved(client(event));
}

void OutlinePicture::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) dialog_.released();
}

void OutlinePicture::leaveEvent(QEvent*) {
    dialog_.left();
}

OutlineDialog::OutlineDialog(std::filesystem::path memPath, ProfileStore& store, double yFactor,
                             QWidget* parent, QSize pictureClient)
    : QDialog(parent), memPath_(std::move(memPath)), store_(store) {
    const Language language = userLanguage();
    const OutlineDialogTexts& t = outlineDialogTexts(language);
    const SetupDialogTexts& setup = setupDialogTexts(language);
    setWindowTitle(QString::fromUtf8(t.title));
    setFont(dialogFont(setup.fontFamilies, setup.fontPoints));
    DialogLayout u(font());

    auto value = [&](int id, int x, int y, int w, Qt::Alignment align) {
        auto* l = named(new QLabel(this), id);
        l->setAlignment(align | Qt::AlignVCenter);
        u.add(l, x, y, w, 10, false);
        return l;
    };
    nwCorner_ = value(1022, 7, 4, 92, Qt::AlignLeft);
    title_ = value(1025, 104, 4, 222, Qt::AlignLeft);
    picture_ = named(new OutlinePicture(*this, this), 1032);
    u.add(picture_, 7, 16, 203, 188, false);
    seCorner_ = value(1021, 118, 206, 92, Qt::AlignRight);

    // The facts, each label beside its value.
    struct Fact {
        const char* label;
        int id;
        QLabel** field;
    };
    const Fact facts[] = {
        {t.ewMesh, 1027, &ewMesh_},
        {t.nsMesh, 1026, &nsMesh_},
        {t.northDistance, 1028, &northDistance_},
        {t.southDistance, 1029, &southDistance_},
        {t.nsDistance, 1030, &nsDistance_},
        {t.maxAltitude, 1023, &maxHeight_},
        {t.minAltitude, 1024, &minHeight_},
        {t.cursorAltitude, 1031, &cursorHeight_},
        {t.fractalDimension, 1033, &fractal_},
    };
    int y = 18;
    for (const Fact& f : facts) {
        auto* l = new QLabel(QString::fromUtf8(f.label), this);
        u.add(l, 216, y, 56, 10);
        *f.field = value(f.id, 272, y, 54, Qt::AlignRight);
        y += 15;
        if (f.id == 1030 || f.id == 1024) y += 6;
    }
    auto* ok = named(new QPushButton(QString::fromUtf8(t.ok), this), 1);
    u.add(ok, 222, 190, 47, 14);
    ok->setDefault(true);
    auto* cancel = named(new QPushButton(QString::fromUtf8(t.cancel), this), 2);
    u.add(cancel, 277, 190, 47, 14);
    u.apply();
    // The map is drawn to the picture's width, so a picture lower than it is
    // wide would cut off the top and bottom of a terrain that runs north to
    // south: the picture is square in pixels unless a test sets its size.
    const int frame = picture_->frameWidth();
    const QSize client = pictureClient.isValid()
                             ? pictureClient
                             : QSize(picture_->width() - 2 * frame, picture_->width() - 2 * frame);
    picture_->resize(client.width() + 2 * frame, client.height() + 2 * frame);
    const QRect pictureBox = picture_->geometry();
    seCorner_->move(pictureBox.right() + 1 - seCorner_->width(), pictureBox.bottom() + u.y(2));
    QSize size(u.x(332), seCorner_->geometry().bottom() + u.y(6));
    size = size.expandedTo(QSize(pictureBox.right() + u.x(7), 0));
    setFixedSize(size);

    // The part chosen before, unless the saver is showing the whole DEM.
    if (store_.getInt(kSection, key::isPart, def::isPart) != 0) {
        startX_ = store_.getInt(kSection, key::startX, def::startX);
        startZ_ = store_.getInt(kSection, key::startZ, def::startZ);
    }
    view_ = createViewSettings(kDrawRelief);
    view_->meshBlock = 1.0;
    view_->yFactor = yFactor;
    // A stored 0 keeps 201, as it does when the saver starts.
    auto limit = [&](const char* k) {
        const int v = store_.getInt(kSection, k, def::sizeMeshMax);
        return v > 0 ? v : def::sizeMeshMax;
    };
    view_->sizeMeshMaxX = limit(key::sizeMeshMaxX);
    view_->sizeMeshMaxZ = limit(key::sizeMeshMaxZ);

    connect(ok, &QPushButton::clicked, this,
            [this] { runGuarded(static_cast<QObject*>(this), kCaption, [this] { save(); }); });
    connect(cancel, &QPushButton::clicked, this, [this] { done(0); });
    centreDialog(this);
}

OutlineDialog::~OutlineDialog() {
    releaseDraw();
}

void OutlineDialog::releaseDraw() {
    if (draw_) draw_->release();
    draw_.reset();
    target_.reset();
}

void OutlineDialog::done(int result) {
    releaseDraw();
    QDialog::done(result);
}

QPoint OutlineDialog::clientOrigin() const {
    return picture_->contentsRect().topLeft();
}

OutlineDialog::State OutlineDialog::state() const {
    State s;
    s.x0 = x0_;
    s.y0 = y0_;
    s.x1 = x1_;
    s.y1 = y1_;
    s.left = left_;
    s.top = top_;
    s.pxW = pxW_;
    s.pxH = pxH_;
    s.sizeX = sizeX_;
    s.sizeZ = sizeZ_;
    s.startX = startX_;
    s.startZ = startZ_;
    s.demCols = view_->demCols;
    s.demRows = view_->demRows;
    s.mode = mode_;
    s.rectangleShown = interactive();
    return s;
}

bool OutlineDialog::ensureMap() {
    if (drawn_) return mapReady_;
    drawn_ = true;
    bool drawnOk = false;
    bool refused = false;
    runGuarded(static_cast<QObject*>(this), kCaption, [&] {
        WaitCursor wait;
        const QSize client = picture_->contentsRect().size();
        // One pixel more each way, so the scans may run to the client
        // rectangle's right and bottom edges inclusive.
        target_ = std::make_unique<EglOffscreenTarget>(client.width() + 1, client.height() + 1);
        draw_ = createDraw(kDrawRelief, store_);
        if (!draw_) throw std::runtime_error(loadMessage(MessageId::ReliefNotDrawn));
        if (draw_->initialise(target_.get(), *view_, memPath_, store_,
                              static_cast<QObject*>(this)) == 0) {
            refused = true;
            return;
        }
        const std::vector<std::uint8_t> rgba = target_->readPixels();
        QImage image(target_->width(), target_->height(), QImage::Format_RGBA8888);
        const std::size_t row = static_cast<std::size_t>(target_->width()) * 4;
        for (int r = 0; r < image.height(); ++r)
            std::memcpy(image.scanLine(r), rgba.data() + row * static_cast<std::size_t>(r), row);
        image_ = image.convertToFormat(QImage::Format_RGB32);
        findImage();
        paintBands();
        placeSelection();
        showFacts();
        drawnOk = true;
    });
    mapReady_ = drawnOk;
    if (refused) {
        // The renderer has told the user why; there is nothing to choose from.
        QMetaObject::invokeMethod(
            this, [this] { done(0); }, Qt::QueuedConnection);
    }
    picture_->update();
    return mapReady_;
}

void OutlineDialog::findImage() {
    // The map lies centred on a background it does not use along the middle
    // row and column; the corner pixel shows that background.
    const int right = image_.width() - 1;
    const int bottom = image_.height() - 1;
    const QRgb bg = rgbAt(image_, 0, 0);
    const int midRow = bottom / 2;
    const int midCol = right / 2;
    int x = 0;
    while (x <= right && rgbAt(image_, x, midRow) == bg) ++x;
    x0_ = x;
    while (x <= right && rgbAt(image_, x, midRow) != bg) ++x;
    x1_ = x;
    int y = 0;
    while (y <= bottom && rgbAt(image_, midCol, y) == bg) ++y;
    y0_ = y;
    while (y <= bottom && rgbAt(image_, midCol, y) != bg) ++y;
    y1_ = y;
}

void OutlineDialog::paintBands() {
    const int right = image_.width() - 1;
    const int bottom = image_.height() - 1;
    const QColor grey(96, 96, 96);
    QPainter p(&image_);
    p.fillRect(edgeExclusiveRect(0, 0, right, y0_ - 1), grey);
    p.fillRect(edgeExclusiveRect(0, y1_ + 1, right, bottom), grey);
    p.fillRect(edgeExclusiveRect(0, 0, x0_ - 1, bottom), grey);
    p.fillRect(edgeExclusiveRect(x1_ + 1, 0, right, bottom), grey);
}

bool OutlineDialog::interactive() const {
    return mapReady_ && x1_ > x0_ && y1_ > y0_ && view_->demCols > 1 && view_->demRows > 1 &&
           (view_->demCols > kSmallDem || view_->demRows > kSmallDem);
}

void OutlineDialog::placeSelection() {
    const int cols = view_->demCols, rows = view_->demRows;
    const double imgW = x1_ - x0_, imgH = y1_ - y0_;
    sizeX_ = std::clamp(std::min(view_->sizeMeshMaxX, cols), 1, std::max(cols, 1));
    sizeZ_ = std::clamp(std::min(view_->sizeMeshMaxZ, rows), 1, std::max(rows, 1));
    // A hand-edited or stale start must not put the part outside the DEM.
    startX_ = std::clamp(startX_, 0, std::max(cols - sizeX_, 0));
    startZ_ = std::clamp(startZ_, 0, std::max(rows - sizeZ_, 0));
    if (cols < 2 || rows < 2) return;
    pxW_ = roundHalf(imgW / (cols - 1) * (sizeX_ - 1));
    pxH_ = roundHalf(imgH / (rows - 1) * (sizeZ_ - 1));
    left_ = roundHalf(startX_ / static_cast<double>(cols - 1) * imgW + x0_);
    top_ = roundHalf(startZ_ / static_cast<double>(rows - 1) * imgH + y0_);
    keepInsideImage();
    mode_ = 0;
    grabX_ = grabY_ = 0;
}

void OutlineDialog::keepInsideImage() {
    pxW_ = std::clamp(pxW_, 0, std::max(x1_ - x0_, 0));
    pxH_ = std::clamp(pxH_, 0, std::max(y1_ - y0_, 0));
    left_ = std::clamp(left_, x0_, std::max(x1_ - pxW_, x0_));
    top_ = std::clamp(top_, y0_, std::max(y1_ - pxH_, y0_));
}

void OutlineDialog::showFacts() {
    CFractalDimension fractal;
    fractal.bind(*draw_);
    const CViewSettings& v = *view_;
    const int type = readDemType(store_);
    // The two Japanese formats keep their titles in Shift_JIS.
    const std::string title =
        type == kDemGsi50m || type == kDemGsi10m ? sjisToUtf8(v.title) : v.title;
    if (type == kDemSdts75) {
        CSDTSInfo info;
        info.loadFromSettings(store_);
        showTitle(title_, QString::fromStdString(title + "  " + info.rsnm + " - " +
                                                 formatInteger(info.zone)));
        // The transfer's own size first, then what is left after trimming.
        ewMesh_->setText(QString::fromStdString(formatInteger(info.nCols) + " (" +
                                                formatInteger(v.demCols) + ")"));
        nsMesh_->setText(QString::fromStdString(formatInteger(info.nRows) + " (" +
                                                formatInteger(v.demRows) + ")"));
        northDistance_->setText(kilometres(std::fabs(info.neX - info.nwX) * 0.001));
        southDistance_->setText(kilometres(std::fabs(info.seX - info.swX) * 0.001));
        nsDistance_->setText(
            kilometres(std::fabs((info.nwY - info.swY) + (info.neY - info.seY)) * 0.0005));
    } else {
        showTitle(title_, QString::fromStdString(title));
        ewMesh_->setText(QString::fromStdString(formatInteger(v.demCols)));
        nsMesh_->setText(QString::fromStdString(formatInteger(v.demRows)));
        northDistance_->setText(kilometres((v.demCols - 1) * v.ewSpacingN * 0.001));
        southDistance_->setText(kilometres((v.demCols - 1) * v.ewSpacingS * 0.001));
        nsDistance_->setText(kilometres((v.demRows - 1) * v.nsSpacing * 0.001));
    }
    minHeight_->setText(metres(v.minHeight));
    maxHeight_->setText(metres(v.maxHeight));
    const CornerPosts posts = workingCornerPosts(type, memPath_, store_);
    using Status = CornerPosts::Status;
    QString note;
    switch (posts.status) {
        case Status::AsStored:
            nwCorner_->setText(corner(v.nwX, v.nwY));
            seCorner_->setText(corner(v.seX, v.seY));
            break;
        case Status::Placed:
            nwCorner_->setText(placedCorner(posts.northWest));
            seCorner_->setText(placedCorner(posts.southEast));
            note = QString::fromStdString(
                loadMessage(posts.datum.assumed ? MessageId::DatumAssumed : MessageId::DatumNamed) +
                " " + datumName(posts.datum.datum));
            break;
        case Status::StatePlane:
        case Status::OtherProjection:
        case Status::Failed: {
            const OutlineDialogTexts& t = outlineDialogTexts(userLanguage());
            nwCorner_->setText(QString::fromUtf8(t.cornersNotPlaced));
            seCorner_->setText(QString::fromUtf8(t.cornersNotPlaced));
            note = QString::fromStdString(loadMessage(
                posts.status == Status::StatePlane        ? MessageId::CornersStatePlane
                : posts.status == Status::OtherProjection ? MessageId::CornersOtherProjection
                                                          : MessageId::CornersFailed));
            break;
        }
    }
    nwCorner_->setToolTip(note);
    seCorner_->setToolTip(note);
    fractal_->setText(QString::fromStdString(formatFractalDimension(fractal.estimate())));
}

void OutlineDialog::paintPicture(QPainter& painter) {
    if (!ensureMap()) return;
    painter.drawImage(0, 0, image_);
    if (!interactive()) return;
    painter.setBrush(Qt::NoBrush);
    QPen dotted(QColor(220, 200, 192));
    dotted.setStyle(Qt::DotLine);
    dotted.setCosmetic(true);
    painter.setPen(dotted);
    painter.drawRect(edgeExclusiveRect(left_ - 1, top_ - 1, left_ + pxW_ + 1, top_ + pxH_ + 1));
    if (mode_ == 2) {
        painter.drawRect(edgeExclusiveRect(left_ + pxW_ - 4, top_ + pxH_ - 4, left_ + pxW_ + 4,
                                           top_ + pxH_ + 4));
    }
    QPen light(QColor(200, 200, 200));
    light.setCosmetic(true);
    painter.setPen(light);
    // Lines leave out their last point, as the map's designers drew them.
    const int midY = top_ + pxH_ / 2;
    const int fromX = static_cast<int>(left_ + 0.46 * pxW_);
    const int toX = static_cast<int>(left_ + 0.54 * pxW_ + 1);
    if (toX > fromX) painter.drawLine(fromX, midY, toX - 1, midY);
    const int midX = left_ + pxW_ / 2;
    const int fromY = static_cast<int>(top_ + 0.46 * pxH_);
    const int toY = static_cast<int>(top_ + 0.54 * pxH_ + 1);
    if (toY > fromY) painter.drawLine(midX, fromY, midX, toY - 1);
}

void OutlineDialog::pressed(QPoint p) {
    runGuarded(static_cast<QObject*>(this), kCaption, [&] {
        if (!interactive()) return;
        const int cornerX = left_ + pxW_, cornerY = top_ + pxH_;
        if (std::abs(p.x() - cornerX) <= kHandle && std::abs(p.y() - cornerY) <= kHandle) {
            mode_ = 2;
        } else if (p.x() >= left_ && p.x() <= cornerX && p.y() >= top_ && p.y() <= cornerY) {
            mode_ = 1;
            grabX_ = p.x() - left_;
            grabY_ = p.y() - top_;
        } else {
            mode_ = 0;
            return;
        }
        // Qt keeps sending the moves to the picture while the button is
        // held, wherever the cursor goes: the capture a drag needs.
        picture_->update();
    });
}

void OutlineDialog::released() {
    runGuarded(static_cast<QObject*>(this), kCaption, [&] {
        mode_ = 0;
        picture_->update();
    });
}

void OutlineDialog::left() {
    cursorHeight_->clear();
}

void OutlineDialog::moved(QPoint p) {
    runGuarded(static_cast<QObject*>(this), kCaption, [&] {
        if (!mapReady_) return;
        showCursorHeight(p);
        if (mode_ == 1) dragTo(p);
        if (mode_ == 2) resizeTo(p);
        if (mode_ != 0) picture_->update();
    });
}

void OutlineDialog::showCursorHeight(QPoint p) {
    const int imgW = x1_ - x0_, imgH = y1_ - y0_;
    const int cols = view_->usedCols, rows = view_->usedRows;
    const std::vector<float>& heights = draw_->terrain().heights;
    if (imgW <= 0 || imgH <= 0 || cols < 1 || rows < 1 || p.x() < x0_ || p.x() > x1_ ||
        p.y() < y0_ || p.y() > y1_) {
        cursorHeight_->clear();
        return;
    }
    const int c = std::clamp(roundHalf(double(p.x() - x0_) * (cols - 1) / imgW), 0, cols - 1);
    const int r = std::clamp(roundHalf(double(p.y() - y0_) * (rows - 1) / imgH), 0, rows - 1);
    const std::size_t at = static_cast<std::size_t>(r) * cols + c;
    if (at >= heights.size() || heights[at] == VOID_HEIGHT) {
        cursorHeight_->clear();
        return;
    }
    cursorHeight_->setText(metres(heights[at]));
}

void OutlineDialog::dragTo(QPoint p) {
    // At a limit the grab point moves with the cursor, so the rectangle
    // comes back the moment the cursor turns round.
    int x = p.x() - grabX_;
    if (x < x0_) {
        x = x0_;
        grabX_ = p.x() - x0_;
    } else if (x > x1_ - pxW_) {
        x = x1_ - pxW_;
        grabX_ = pxW_ - x1_ + p.x();
    }
    int y = p.y() - grabY_;
    if (y < y0_) {
        y = y0_;
        grabY_ = p.y() - y0_;
    } else if (y > y1_ - pxH_) {
        y = y1_ - pxH_;
        grabY_ = pxH_ - y1_ + p.y();
    }
    left_ = x;
    top_ = y;
    keepInsideImage();
}

void OutlineDialog::resizeTo(QPoint p) {
    const int cols = view_->demCols, rows = view_->demRows;
    const int imgW = x1_ - x0_, imgH = y1_ - y0_;
    const int minW = std::min(cols, roundHalf(double(imgW) / (cols - 1) * kSmallDem));
    const int minH = std::min(rows, roundHalf(double(imgH) / (rows - 1) * kSmallDem));
    if (p.x() <= x1_) pxW_ = std::max(p.x() - left_, minW);
    if (p.y() <= y1_) pxH_ = std::max(p.y() - top_, minH);
    // The minimum may reach past the map near its far edge: the rectangle
    // then gives way rather than leave the DEM.
    keepInsideImage();
    int sx = roundHalf(double(cols - 1) * pxW_ / imgW);
    if (sx > cols - 2) sx = cols;
    int sz = roundHalf(double(rows - 1) * pxH_ / imgH);
    if (sz > rows - 2) sz = rows;
    view_->sizeMeshMaxX = sizeX_ = std::clamp(sx, 1, cols);
    view_->sizeMeshMaxZ = sizeZ_ = std::clamp(sz, 1, rows);
}

void OutlineDialog::save() {
    if (!ensureMap()) {
        // Without the DEM's size no part can be checked against it.
        done(0);
        return;
    }
    const int cols = view_->demCols, rows = view_->demRows;
    const double imgW = x1_ - x0_, imgH = y1_ - y0_;
    if (imgW > 0 && imgH > 0) {
        startX_ = roundHalf((left_ - x0_) / imgW * (cols - 1));
        startZ_ = roundHalf((top_ - y0_) / imgH * (rows - 1));
    }
    // A rectangle against the map's far edge ends at the last sample, even
    // when the rounding of its pixel width left the start one or two short.
    if (startX_ + sizeX_ - 1 >= cols - 1 || left_ + pxW_ >= x1_) startX_ = cols - sizeX_;
    if (startZ_ + sizeZ_ - 1 >= rows - 1 || top_ + pxH_ >= y1_) startZ_ = rows - sizeZ_;
    startX_ = std::clamp(startX_, 0, std::max(cols - sizeX_, 0));
    startZ_ = std::clamp(startZ_, 0, std::max(rows - sizeZ_, 0));
    // One replace of the file: the saver must never see a start without
    // its size, or a part flag without either.
    const bool stored = store_.putStrings(kSection, {{key::startX, formatInteger(startX_)},
                                                     {key::startZ, formatInteger(startZ_)},
                                                     {key::isPart, "1"},
                                                     {key::sizeMeshMaxX, formatInteger(sizeX_)},
                                                     {key::sizeMeshMaxZ, formatInteger(sizeZ_)}});
    if (!stored) {
        showError(static_cast<QObject*>(this), outlineDialogTexts(userLanguage()).saveFailed,
                  kCaption);
        return;
    }
    done(1);
}

}  // namespace hg
