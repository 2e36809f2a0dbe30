// SPDX-License-Identifier: MIT
#include "shell/saver_window.h"

#include <xcb/xcb.h>

#include <GL/gl.h>
#include <QtGui/qguiapplication_platform.h>
#include <QApplication>
#include <QCursor>
#include <QExposeEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QSurfaceFormat>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <optional>

#include "dem/view_settings.h"
#include "platform/gui/wait_cursor.h"
#include "platform/messages.h"
#include "platform/show_error.h"
#include "platform/text_number.h"
#include "render/draw.h"
#include "render/saver_record.h"
#include "render/styles.h"
#include "settings/settings.h"
#include "shell/closing_input.h"
#include "shell/exit_status.h"
#include "shell/info_command.h"
#include "shell/saver_screens.h"
#include "shell/termination.h"

namespace hg {

namespace {

constexpr const char* kProcCaption = "Hillglimmer proc";

std::string noWindowText(unsigned long long window) {
    return formatMessage(MessageId::NoX11Window, {formatInteger(static_cast<long long>(window))});
}

xcb_connection_t* x11Connection() {
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 != nullptr ? x11->connection() : nullptr;
}

// The size of an X11 window, or nothing when it no longer exists.
std::optional<QSize> x11WindowSize(unsigned long long id) {
    xcb_connection_t* c = x11Connection();
    if (c == nullptr) return std::nullopt;
    auto cookie = xcb_get_geometry(c, static_cast<xcb_drawable_t>(id));
    xcb_generic_error_t* error = nullptr;
    xcb_get_geometry_reply_t* reply = xcb_get_geometry_reply(c, cookie, &error);
    std::free(error);
    if (reply == nullptr) return std::nullopt;
    QSize size(reply->width, reply->height);
    std::free(reply);
    return size;
}

}  // namespace

SaverWindow::SaverWindow(SaverPlacement placement, std::filesystem::path memPath,
                         SaverOverrides overrides)
    : placement_(placement), memPath_(std::move(memPath)), overrides_(std::move(overrides)) {
    setSurfaceType(QSurface::OpenGLSurface);
    QSurfaceFormat format;
    format.setRenderableType(QSurfaceFormat::OpenGL);
    format.setProfile(QSurfaceFormat::CompatibilityProfile);
    format.setSwapBehavior(QSurfaceFormat::DoubleBuffer);
    format.setRedBufferSize(8);
    format.setGreenBufferSize(8);
    format.setBlueBufferSize(8);
    format.setDepthBufferSize(24);
    format.setStencilBufferSize(0);
    setFormat(format);
    setTitle(placement_.kind == SaverPlacement::Child ? QString() : QStringLiteral("Hillglimmer"));
    // A hack's frame delay is in microseconds; Qt's timers count whole
    // milliseconds, which is as fine as a frame needs.
    timer_.setTimerType(Qt::PreciseTimer);
    timer_.setInterval(placement_.frameMicros > 0 ? static_cast<int>(std::min<long long>(
                                                        placement_.frameMicros / 1000, 60000))
                                                  : 100);
    connect(&timer_, &QTimer::timeout, this, [this] { tick(); });
}

SaverWindow::~SaverWindow() {
    closeDown();
}

bool SaverWindow::start(QScreen* screen, std::optional<QPoint> startCursor) {
    if (placement_.kind == SaverPlacement::Plain) {
        resize(800, 600);
        show();
        return true;
    }
    if (placement_.kind == SaverPlacement::Child) {
        if (placement_.rootWindow) {
            xcb_connection_t* c = x11Connection();
            if (c == nullptr) {
                failRun(loadMessage(MessageId::SaverReachesNoDisplay));
                return false;
            }
            placement_.window = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
        }
        auto size = x11WindowSize(placement_.window);
        if (!size) {
            failRun(noWindowText(placement_.window));
            return false;
        }
        foreign_ = QWindow::fromWinId(static_cast<WId>(placement_.window));
        if (foreign_ == nullptr) {
            failRun(noWindowText(placement_.window));
            return false;
        }
        setParent(foreign_);
        setGeometry(0, 0, size->width(), size->height());
        show();
        return true;
    }
    // Bypassing the window manager covers the whole screen even where
    // there is none to honour a full-screen request.
    setFlags(Qt::Window | Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint |
             Qt::WindowStaysOnTopHint);
    if (screen == nullptr) screen = QGuiApplication::primaryScreen();
    // The screen first: on a display of several X screens it picks the
    // root the window is made under, and the geometry is that screen's.
    if (screen != nullptr) setScreen(screen);
    setGeometry(screen != nullptr ? screen->geometry() : QRect(0, 0, 800, 600));
    startCursor_ = startCursor.value_or(QCursor::pos());
    show();
    requestActivate();
    return true;
}

bool SaverWindow::makeCurrent() {
    return context_ != nullptr && context_->makeCurrent(this);
}

bool SaverWindow::doneCurrent() {
    if (context_ != nullptr) context_->doneCurrent();
    return true;
}

bool SaverWindow::swapBuffers() {
    if (context_ == nullptr || !isExposed()) return false;
    // The frame just drawn is the one about to show.
    if (placement_.showFps && frames_ > 0) drawFrameRate();
    context_->swapBuffers(this);
    return true;
}

void SaverWindow::drawFrameRate() {
    // Frames over the last second or so.
    const qint64 now = runClock_.isValid() ? runClock_.elapsed() : 0;
    frameTimes_.push_back(now);
    while (frameTimes_.size() > 2 && now - frameTimes_.front() > 1000) frameTimes_.pop_front();
    double fps = 0.0;
    if (frameTimes_.size() > 1 && now > frameTimes_.front()) {
        fps = 1000.0 * static_cast<double>(frameTimes_.size() - 1) /
              static_cast<double>(now - frameTimes_.front());
    }
    const QString text = QString::fromStdString(formatFixed(fps, 1) + " fps");
    if (text != fpsText_) {
        fpsText_ = text;
        QFont font;
        font.setPixelSize(14);
        QImage image(QFontMetrics(font).horizontalAdvance(text) + 8, 20, QImage::Format_RGBA8888);
        image.fill(Qt::transparent);
        {
            QPainter p(&image);
            p.setFont(font);
            p.setPen(Qt::white);
            p.drawText(image.rect(), Qt::AlignCenter, text);
        }
        // OpenGL counts rows from the bottom.
        fpsImage_ = image.mirrored();
    }
    const QImage& image = fpsImage_;
    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT | GL_COLOR_BUFFER_BIT | GL_TRANSFORM_BIT);
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_FOG);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0, width(), 0, height(), -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glRasterPos2i(4, 4);
    glDrawPixels(image.width(), image.height(), GL_RGBA, GL_UNSIGNED_BYTE, image.constBits());
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glPopAttrib();
}

int SaverWindow::width() const {
    return static_cast<int>(QWindow::width() * devicePixelRatio());
}

int SaverWindow::height() const {
    return static_cast<int>(QWindow::height() * devicePixelRatio());
}

void SaverWindow::exposeEvent(QExposeEvent*) {
    if (showingFailure_) {
        if (isExposed()) paintFailure();
        return;
    }
    // A window first exposed at no size has nothing to draw into yet.
    // Nor does a window already told of another window's failure.
    if (!started_ && !failed_ && isExposed() && width() > 0 && height() > 0) {
        started_ = true;
        if (!runGuarded(static_cast<QObject*>(this), kProcCaption, [this] { startUp(); })) fail();
    }
}

void SaverWindow::startUp() {
    IniProfileStore store = userSettings();
    SaverSettings saved = readSaverSettings(store);
    // A hack's setting options hold for this run; nothing is written back.
    applySaverOverrides(overrides_, saved);
    int drawType = saved.drawType;
    draw_ = createDraw(drawType, store);
    settings_ = createViewSettings(drawType);
    if (draw_ == nullptr || settings_ == nullptr) {
        throw std::runtime_error(
            formatMessage(MessageId::NoStyleNumber, {formatInteger(drawType)}));
    }
    applySaverSettings(*settings_, saved);

    if (!preview()) setCursor(Qt::BlankCursor);

    context_ = std::make_unique<QOpenGLContext>();
    context_->setFormat(format());
    // A context made for another X screen cannot draw into this window.
    context_->setScreen(screen());
    if (!context_->create()) {
        throw std::runtime_error(loadMessage(MessageId::NoGlContext));
    }
    // The DEM's type, description and file are read under the settings
    // lock, which a change of DEM in flight holds for as long as its import
    // takes; SIGTERM still ends a saver waiting for it.
    store.setLockWait([] { return !terminationRequested(); });
    const auto makeMesh = [this, &store](TerrainBuffers& buffers, CViewSettings& s) {
        if (terminationRequested()) throw LoadAbandoned();
        return createMesh(buffers, s, readDemType(store), memPath_, &store);
    };
    // initialise has reported its own failure under its own caption.
    const int loaded = overrides_.dem ? draw_->initialise(this, *settings_, *overrides_.dem,
                                                          demTypeForExtension(*overrides_.dem),
                                                          static_cast<QObject*>(this))
                                      : draw_->initialiseWith(this, *settings_, makeMesh,
                                                              static_cast<QObject*>(this), &store);
    if (loaded == 0) {
        if (terminationRequested()) {
            requestEnd();
        } else {
            fail();
        }
        return;
    }
    if (!preview()) {
        // Without a window manager nothing else gives the saver the
        // keyboard; taken only now, so a failure's message box stays usable.
        setKeyboardGrabEnabled(true);
        setMouseGrabEnabled(true);
    }
    sinceFrame_.start();
    runClock_.start();
    timer_.start();
}

void SaverWindow::tick() {
    const bool ok = runGuarded(static_cast<QObject*>(this), kProcCaption, [this] {
        if (placement_.kind == SaverPlacement::Child && !followParent()) {
            requestEnd();
            return;
        }
        if (draw_ == nullptr || !draw_->sceneBuilt()) return;
        if (placement_.frameMicros > 0) {
            // The turn follows the time that passed, not the timer's
            // promise: a slow frame or a late timer keeps the speed.
            const double ms = static_cast<double>(sinceFrame_.restart());
            draw_->setFrameTicks(std::clamp(ms / 100.0, 0.0, 10.0));
        }
        if (draw_->nextFrame() != 0) ++frames_;
    });
    // A frame that fails once fails every tick: end instead of repeating it.
    if (!ok) fail();
}

void SaverWindow::fail() {
    const bool first = !failed_;
    failed_ = true;
    // An ordinary window has shown its failure in a box already.
    if (placement_.kind == SaverPlacement::Plain || closed_) {
        requestEnd();
        return;
    }
    failHere();
    if (first && failureHook_) failureHook_();
}

void SaverWindow::failHere() {
    failed_ = true;
    timer_.stop();
    // Not from inside the event that failed: the window is remade.
    QMetaObject::invokeMethod(
        this, [this] { showFailure(); }, Qt::QueuedConnection);
}

void SaverWindow::showFailureOf(const std::string& text, const std::string& caption) {
    if (closed_ || failed_) return;
    noteFailure(text, caption);
    failHere();
}

void SaverWindow::requestEnd() {
    if (endRequest_) {
        endRequest_();
    } else {
        closeDown();
    }
}

void SaverWindow::noteFailure(const std::string& text, const std::string& caption) {
    if (!failureText_.empty()) return;
    failureText_ = text;
    failureCaption_ = caption;
}

void SaverWindow::showFailure() {
    if (closed_ || showingFailure_) return;
    showingFailure_ = true;
    releaseGl();
    // A window made for OpenGL cannot take a raster painter: it is made
    // again, in the same place, for one.
    destroy();
    setSurfaceType(QSurface::RasterSurface);
    failureStore_ = std::make_unique<QBackingStore>(this);
    show();
    if (!preview()) requestActivate();
    // The terminate watch ends it; a preview also ends with its window.
    if (placement_.kind == SaverPlacement::Child) timer_.start(100);
}

void SaverWindow::paintFailure() {
    if (failureStore_ == nullptr) return;
    if (!preview()) {
        // Mapped again, the window must take the input that ends it.
        setKeyboardGrabEnabled(true);
        setMouseGrabEnabled(true);
    }
    const QRect area(QPoint(0, 0), size());
    failureStore_->resize(area.size());
    failureStore_->beginPaint(area);
    {
        QPainter p(failureStore_->paintDevice());
        p.fillRect(area, Qt::black);
        QFont font;
        font.setPixelSize(std::clamp(area.height() / 24, 10, 28));
        p.setFont(font);
        p.setPen(QColor(0xE0, 0xE0, 0xE0));
        const QString text = QString::fromStdString(
            failureCaption_.empty() ? failureText_ : failureCaption_ + "\n\n" + failureText_);
        p.drawText(area.adjusted(area.width() / 16, 0, -area.width() / 16, 0),
                   Qt::AlignCenter | Qt::TextWordWrap, text);
    }
    failureStore_->endPaint();
    failureStore_->flush(area);
}

bool SaverWindow::followParent() {
    auto size = x11WindowSize(placement_.window);
    if (!size) return false;  // the preview's owner went away
    if (*size != QWindow::size()) {
        resize(*size);
        if (draw_ != nullptr) draw_->resizeView(width(), height());
    }
    return true;
}

void SaverWindow::closingInput() {
    if (preview()) return;
    requestEnd();
}

void SaverWindow::releaseGl() {
    if (draw_ != nullptr) {
        // A failing release must not keep the saver on screen: report it
        // and finish the close-down all the same.
        runGuarded(static_cast<QObject*>(this), kProcCaption, [this] { draw_->release(); });
    }
    draw_.reset();
    settings_.reset();
    // The context goes before the window does, and while the process is
    // whole: a preview's window may already be gone with its parent, and a
    // context left to the exit handlers races the driver's own teardown.
    if (context_ != nullptr) {
        context_->doneCurrent();
        context_.reset();
    }
}

void SaverWindow::closeDown() {
    if (closed_) return;
    closed_ = true;
    timer_.stop();
    releaseGl();
    failureStore_.reset();
    unsetCursor();
    setKeyboardGrabEnabled(false);
    setMouseGrabEnabled(false);
    hide();
}

bool SaverWindow::event(QEvent* event) {
    // A plain window ends when the user closes it.
    if (event->type() == QEvent::Close) requestEnd();
    return QWindow::event(event);
}

void SaverWindow::keyPressEvent(QKeyEvent*) {
    if (isClosingInput(SaverInput::KeyDown, preview(), 0, 0, 0, 0)) closingInput();
}

void SaverWindow::mousePressEvent(QMouseEvent*) {
    if (isClosingInput(SaverInput::ButtonDown, preview(), 0, 0, 0, 0)) closingInput();
}

void SaverWindow::mouseMoveEvent(QMouseEvent* event) {
    QPoint p = event->globalPosition().toPoint();
    if (isClosingInput(SaverInput::MouseMove, preview(), startCursor_.x(), startCursor_.y(), p.x(),
                       p.y())) {
        closingInput();
    }
}

bool displayAnswers(const char* display) {
    xcb_connection_t* c = xcb_connect(display, nullptr);
    const bool ok = xcb_connection_has_error(c) == 0;
    // Even a failed connection is an object to give back.
    xcb_disconnect(c);
    return ok;
}

}  // namespace hg
