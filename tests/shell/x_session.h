// SPDX-License-Identifier: MIT
// A virtual X server and the saver run in it, for the end-to-end tests.
#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "support/test_support.h"

namespace xtest {

using namespace std::chrono_literals;

inline bool haveProgram(const char* name) {
    std::string cmd = std::string("command -v ") + name + " >/dev/null 2>&1";
    return std::system(cmd.c_str()) == 0;
}

// Starts argv with env added. With termBlocked the child starts with
// SIGTERM blocked, so a SIGTERM sent at once waits, pending, until the
// program takes it: the earliest moment it can come, without a race.
inline pid_t spawn(const std::vector<std::string>& argv, std::vector<std::string> env = {},
                   const std::string& errorFile = {}, bool termBlocked = false) {
    // Under the sanitizers, a leak check at the saver's exit now and then
    // crashes the checker's own tracer while llvmpipe's threads wind down
    // (a known sanitizer fault, not ours), failing a test that drew fine.
    // The same code is leak-checked by the in-process tests.
    if (const char* asan = std::getenv("ASAN_OPTIONS")) {
        env.push_back(std::string("ASAN_OPTIONS=") + asan + ":detect_leaks=0");
    }
    // Blocked before the fork, so that the child never runs unblocked.
    sigset_t term, previous;
    sigemptyset(&term);
    sigaddset(&term, SIGTERM);
    if (termBlocked) ::sigprocmask(SIG_BLOCK, &term, &previous);
    pid_t pid = ::fork();
    if (termBlocked && pid != 0) ::sigprocmask(SIG_SETMASK, &previous, nullptr);
    if (pid == 0) {
        for (const auto& e : env) ::putenv(const_cast<char*>(e.c_str()));
        if (!errorFile.empty()) {
            int err = ::open(errorFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            ::dup2(err, 2);
        }
        std::vector<char*> args;
        for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        int devnull = ::open("/dev/null", 0);
        ::dup2(devnull, 0);
        ::execvp(args[0], args.data());
        ::_exit(127);
    }
    return pid;
}

// Polls cond until it holds or limit passes; whether it held. The limits
// are generous: they only bound a hang, and a busy machine is slow.
template <typename Cond>
bool waitUntil(Cond cond, std::chrono::milliseconds limit = std::chrono::seconds(30)) {
    const auto end = std::chrono::steady_clock::now() + limit;
    for (;;) {
        if (cond()) return true;
        if (std::chrono::steady_clock::now() >= end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

// True once pid has exited within the time given; its status in *status.
inline bool waitExit(pid_t pid, std::chrono::milliseconds limit, int* status = nullptr) {
    return waitUntil(
        [&] {
            int st = 0;
            if (::waitpid(pid, &st, WNOHANG) != pid) return false;
            if (status) *status = st;
            return true;
        },
        limit);
}

class VirtualDisplay {
public:
    // screens X screens of 640 x 480 side by side: Qt makes one QScreen of
    // each, as it does of each monitor of a desktop.
    explicit VirtualDisplay(int screens = 1) {
        // Xvfb picks a free display itself and names it on a pipe: tests
        // that run at once never share a server (and each other's input).
        int fds[2];
        if (::pipe(fds) != 0) return;
        std::vector<std::string> argv{"Xvfb", "-displayfd", std::to_string(fds[1])};
        for (int i = 0; i < screens; ++i) {
            argv.insert(argv.end(), {"-screen", std::to_string(i), "640x480x24"});
        }
        argv.insert(argv.end(), {"-nolisten", "tcp"});
        pid_ = spawn(argv);
        ::close(fds[1]);
        std::string number;
        char c = 0;
        while (::read(fds[0], &c, 1) == 1 && c != '\n') number += c;
        ::close(fds[0]);
        if (number.empty()) return;
        name_ = ":" + number;
        conn_ = xcb_connect(name_.c_str(), nullptr);
        if (xcb_connection_has_error(conn_) != 0) {
            xcb_disconnect(conn_);
            conn_ = nullptr;
        }
    }
    ~VirtualDisplay() {
        if (conn_) xcb_disconnect(conn_);
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    bool ok() const { return conn_ != nullptr; }
    const std::string& name() const { return name_; }
    xcb_connection_t* conn() const { return conn_; }

    // A plain mapped window, standing in for a control panel's preview.
    xcb_window_t makeWindow(int x, int y, int w, int h) {
        const xcb_setup_t* setup = xcb_get_setup(conn_);
        xcb_screen_t* screen = xcb_setup_roots_iterator(setup).data;
        xcb_window_t win = xcb_generate_id(conn_);
        uint32_t values[] = {screen->white_pixel};
        xcb_create_window(conn_, XCB_COPY_FROM_PARENT, win, screen->root, static_cast<int16_t>(x),
                          static_cast<int16_t>(y), static_cast<uint16_t>(w),
                          static_cast<uint16_t>(h), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                          screen->root_visual, XCB_CW_BACK_PIXEL, values);
        xcb_map_window(conn_, win);
        xcb_flush(conn_);
        return win;
    }

    xcb_window_t root(int screen = 0) const {
        auto it = xcb_setup_roots_iterator(xcb_get_setup(conn_));
        for (; screen > 0 && it.rem > 1; --screen) xcb_screen_next(&it);
        return it.data->root;
    }

    // A root window's pixel at (x, y) as 0xRRGGBB.
    std::uint32_t pixel(int x, int y, int screen = 0) {
        auto cookie = xcb_get_image(conn_, XCB_IMAGE_FORMAT_Z_PIXMAP, root(screen),
                                    static_cast<int16_t>(x), static_cast<int16_t>(y), 1, 1, ~0u);
        xcb_get_image_reply_t* reply = xcb_get_image_reply(conn_, cookie, nullptr);
        if (reply == nullptr) return 0xFFFFFFFF;
        const uint8_t* d = xcb_get_image_data(reply);
        std::uint32_t v = (d[2] << 16) | (d[1] << 8) | d[0];
        std::free(reply);
        return v;
    }

    // How many of a grid of sample points differ from colour.
    int pointsNot(std::uint32_t colour, int x0, int y0, int x1, int y1, int screen = 0) {
        int n = 0;
        for (int y = y0; y < y1; y += 8)
            for (int x = x0; x < x1; x += 8) n += pixel(x, y, screen) != colour;
        return n;
    }

    // Light grey or white pixels in a rectangle: text on the dark ground
    // (the terrain's own shades seldom reach them all at once).
    int lightPixels(int x, int y, int w, int h, int screen = 0) {
        auto cookie = xcb_get_image(conn_, XCB_IMAGE_FORMAT_Z_PIXMAP, root(screen),
                                    static_cast<int16_t>(x), static_cast<int16_t>(y),
                                    static_cast<uint16_t>(w), static_cast<uint16_t>(h), ~0u);
        xcb_get_image_reply_t* reply = xcb_get_image_reply(conn_, cookie, nullptr);
        if (reply == nullptr) return -1;
        const uint8_t* d = xcb_get_image_data(reply);
        const int n = xcb_get_image_data_length(reply) / 4;
        int light = 0;
        for (int i = 0; i < n; ++i)
            light += d[4 * i] > 0xA0 && d[4 * i + 1] > 0xA0 && d[4 * i + 2] > 0xA0;
        std::free(reply);
        return light;
    }

    // Distinct colours among a grid of sample points: a shaded terrain shows
    // many, a message box a handful.
    std::size_t distinctColours(int x0, int y0, int x1, int y1, int screen = 0) {
        std::set<std::uint32_t> seen;
        for (int y = y0; y < y1; y += 6)
            for (int x = x0; x < x1; x += 6) seen.insert(pixel(x, y, screen));
        return seen.size();
    }

private:
    std::string name_;
    pid_t pid_ = -1;
    xcb_connection_t* conn_ = nullptr;
};

inline void xdotool(const VirtualDisplay& d, const std::string& args) {
    std::string cmd = "DISPLAY=" + d.name() + " xdotool " + args + " >/dev/null 2>&1";
    ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
}

inline bool xdotoolOk(const VirtualDisplay& d, const std::string& args) {
    std::string cmd = "DISPLAY=" + d.name() + " xdotool " + args + " >/dev/null 2>&1";
    return std::system(cmd.c_str()) == 0;
}

// Focus to the window named exactly title (no window manager gives it),
// then the keys.
inline bool keysTo(const VirtualDisplay& d, const std::string& title, const std::string& keys) {
    // A window just mapped may not take the focus yet: asked again until
    // it does, and the keys sent once.
    return waitUntil([&] {
               return xdotoolOk(d,
                                "search --onlyvisible --name '^" + title + "$' windowfocus --sync");
           }) &&
           xdotoolOk(d, keys);
}

inline bool windowShown(const VirtualDisplay& d, const std::string& title) {
    return xdotoolOk(d, "search --onlyvisible --name '^" + title + "$'");
}

// Whether pid holds the file open: a run that the test's hold on the
// settings lock keeps waiting has the lock file open and gets no further.
inline bool hasOpen(pid_t pid, const std::filesystem::path& file) {
    std::error_code ec;
    // Until the exec, the child holds the test's own descriptors.
    const auto exe = std::filesystem::read_symlink("/proc/" + std::to_string(pid) + "/exe", ec);
    if (ec || exe != std::filesystem::canonical(HG_EXECUTABLE, ec)) return false;
    const auto target = std::filesystem::canonical(file, ec);
    if (ec) return false;
    // The process may end while its table is read: errors, not throws.
    std::filesystem::directory_iterator it("/proc/" + std::to_string(pid) + "/fd", ec);
    for (; !ec && it != std::filesystem::directory_iterator(); it.increment(ec)) {
        std::error_code linkError;
        if (std::filesystem::read_symlink(it->path(), linkError) == target) return true;
    }
    return false;
}

struct SaverRun {
    hgtest::ScopedHome home;
    pid_t pid = -1;
    void start(const VirtualDisplay& d, const std::vector<std::string>& args,
               bool termBlocked = false) {
        std::vector<std::string> argv{HG_EXECUTABLE};
        argv.insert(argv.end(), args.begin(), args.end());
        pid = spawn(argv,
                    {"DISPLAY=" + d.name(), "HILLGLIMMER_HOME=" + home.path().string(),
                     "HILLGLIMMER_LANG=en", "QT_QPA_PLATFORM=xcb"},
                    (home.path() / "stderr.txt").string(), termBlocked);
    }
    std::string errors() const { return hgtest::readFile(home.path() / "stderr.txt"); }
    // A working file that no reader accepts, under the type of a USGS DEM.
    void breakTheDem() const {
        hgtest::writeFile(home.path() / "Hillglimmer.ini", "[Hillglimmer]\ndemType=1\n");
        hgtest::writeFile(home.path() / "Hillglimmer.mem", std::string(4000, 'x'));
    }
    // The bundled terrain as a first run leaves it: the run is not a first one.
    void installTheBundledTerrain() const {
        hgtest::writeFile(home.path() / "Hillglimmer.ini", "[Hillglimmer]\ndemType=1\n");
        std::filesystem::copy_file(std::filesystem::path(HG_SOURCE_DIR) / "data" / "jacksboro.dem",
                                   home.path() / "Hillglimmer.mem",
                                   std::filesystem::copy_options::overwrite_existing);
    }
    ~SaverRun() {
        if (pid > 0 && ::kill(pid, 0) == 0) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, nullptr, 0);
        }
    }
};

#define REQUIRE_X_SCREENS(n)                                                                 \
    if (!haveProgram("Xvfb") || !haveProgram("xdotool"))                                     \
        GTEST_SKIP() << "Xvfb or xdotool is not installed (scripts/install-deps adds them)"; \
    VirtualDisplay display(n);                                                               \
    ASSERT_TRUE(display.ok()) << "Xvfb did not start"
#define REQUIRE_X() REQUIRE_X_SCREENS(1)

// Waits until the terrain shows: many shades where it stands.
inline bool waitForTerrain(VirtualDisplay& d, int x0, int y0, int x1, int y1,
                           std::size_t shades = 24, int screen = 0) {
    return waitUntil([&] { return d.distinctColours(x0, y0, x1, y1, screen) > shades; });
}

}  // namespace xtest
