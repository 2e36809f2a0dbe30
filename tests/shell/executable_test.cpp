// SPDX-License-Identifier: MIT
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>

#include "support/test_support.h"

namespace {

struct ProgramRun {
    int exitCode = -1;
    double seconds = 0;
    std::string out;
};

// Runs the real program with its own home and no display, so nothing can
// open a window.
ProgramRun runProgram(const std::string& args, const std::filesystem::path& home) {
    std::string cmd = "env -u DISPLAY -u WAYLAND_DISPLAY HILLGLIMMER_LANG=en HILLGLIMMER_HOME='" +
                      home.string() + "' '" HG_EXECUTABLE "' " + args + " 2>&1";
    auto start = std::chrono::steady_clock::now();
    ProgramRun r;
    FILE* p = ::popen(cmd.c_str(), "r");
    if (p == nullptr) return r;
    char buf[512];
    while (std::fgets(buf, sizeof buf, p)) r.out += buf;
    int status = ::pclose(p);
    r.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

}  // namespace

TEST(Executable, UnknownSwitchesExitQuietlyAtOnce) {
    hgtest::TempDir home;
    for (const char* args : {"/a", "'x-y /s'", "/x"}) {
        ProgramRun r = runProgram(args, home.path());
        EXPECT_EQ(r.exitCode, 0) << args << ": " << r.out;
        // Only a hang fails this: the program waits 200 ms, a loaded
        // machine may add seconds.
        EXPECT_LT(r.seconds, 10.0) << args;
        EXPECT_EQ(r.out, "") << args;
    }
}

TEST(Executable, UnknownWordsOptionsAndPreviewIdsAreErrors) {
    hgtest::TempDir home;
    // A switch word longer than its letter is a mistyped option, not /s.
    for (const char* args : {"--bogus", "sleect /tmp/a.dem", "hello", "--s", "/p", "/p 0x",
                             "/p abc", "'/p 12z'", "-stlye mesh", "-sx", "/sfoo", "/cancel"}) {
        ProgramRun r = runProgram(args, home.path());
        EXPECT_EQ(r.exitCode, 2) << args << ": " << r.out;
        EXPECT_NE(r.out.find("hillglimmer: "), std::string::npos) << args << ": " << r.out;
        EXPECT_NE(r.out.find("Usage:"), std::string::npos) << args << ": " << r.out;
    }
    // Nothing was started: no settings, no working file.
    EXPECT_FALSE(std::filesystem::exists(home / "Hillglimmer.mem"));
}

TEST(Executable, UnreachableDisplayIsReportedNotAborted) {
    hgtest::TempDir home;
    for (const char* args : {"/s", "/p 0x1a00003", "-root", "/c"}) {
        std::string cmd =
            "env -u QT_QPA_PLATFORM -u WAYLAND_DISPLAY HILLGLIMMER_LANG=en DISPLAY=:4093 "
            "HILLGLIMMER_HOME='" +
            home.path().string() + "' '" HG_EXECUTABLE "' " + args + " 2>&1";
        std::string out;
        FILE* p = ::popen(cmd.c_str(), "r");
        ASSERT_NE(p, nullptr);
        char buf[512];
        while (std::fgets(buf, sizeof buf, p)) out += buf;
        int status = ::pclose(p);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << args << ": " << status;
        EXPECT_EQ(out, "hillglimmer: cannot open display :4093\n") << args;
    }
}

TEST(Executable, SecondStartWhileLockedExitsAtOnce) {
    hgtest::TempDir home;
    int fd = ::open((home.path() / "Hillglimmer.lock").c_str(), O_RDWR | O_CREAT, 0644);
    ASSERT_GE(fd, 0);
    // flock locks belong to the open file: a child process holds it for us.
    pid_t holder = ::fork();
    if (holder == 0) {
        ::flock(fd, LOCK_EX);
        ::pause();
        ::_exit(0);
    }
    // Wait until the child really holds it.
    int probe = ::open((home.path() / "Hillglimmer.lock").c_str(), O_RDWR);
    for (int i = 0; i < 200 && ::flock(probe, LOCK_EX | LOCK_NB) == 0; ++i) {
        ::flock(probe, LOCK_UN);
        ::usleep(10000);
    }
    ::close(probe);
    ProgramRun r = runProgram("/s", home.path());
    ::kill(holder, SIGKILL);
    ::waitpid(holder, nullptr, 0);
    ::close(fd);
    // It gives way to the holder and ends at once: no output, status 0.
    // How fast is for the benchmarks; a loaded sanitizer run can take long.
    EXPECT_EQ(r.exitCode, 0) << r.out;
    EXPECT_EQ(r.out, "");
}

TEST(Executable, HelpAndVersion) {
    hgtest::TempDir home;
    ProgramRun v = runProgram("--version", home.path());
    EXPECT_EQ(v.exitCode, 0);
    // One line that packagers and bug reports can rely on.
    EXPECT_EQ(v.out, "Hillglimmer " HG_VERSION "\n");
    ProgramRun h = runProgram("--help", home.path());
    EXPECT_EQ(h.exitCode, 0);
    EXPECT_NE(h.out.find("info FILE"), std::string::npos);
    EXPECT_NE(h.out.find("styles: Mesh"), std::string::npos) << h.out;
}

TEST(Executable, HelpNamesEveryHackOptionAndDemTypeWhileAMistakeGetsTheShortForm) {
    hgtest::TempDir home;
    for (const char* args : {"--help", "-h"}) {
        ProgramRun h = runProgram(args, home.path());
        EXPECT_EQ(h.exitCode, 0) << args;
        for (const char* name :
             {"-root", "-window-id ID", "-delay US", "-fps", "-style NAME|N", "-mesh 1|2|4|8",
              "-altitude X", "-speed X", "-contour METRES", "-dem FILE", "select INDEX CODE",
              "render", "0.05 to 10", "7  GDAL raster"}) {
            EXPECT_NE(h.out.find(name), std::string::npos) << args << " lacks " << name;
        }
    }
    // The mistake is said on stderr alone, with the forms but not the list.
    std::string cmd = "env -u DISPLAY HILLGLIMMER_LANG=en HILLGLIMMER_HOME='" +
                      home.path().string() + "' '" HG_EXECUTABLE "' infoo 2>/dev/null";
    FILE* p = ::popen(cmd.c_str(), "r");
    ASSERT_NE(p, nullptr);
    char buf[512];
    std::string out;
    while (std::fgets(buf, sizeof buf, p)) out += buf;
    const int status = ::pclose(p);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 2);
    EXPECT_EQ(out, "");
    ProgramRun wrong = runProgram("infoo", home.path());
    EXPECT_NE(wrong.out.find("Usage:"), std::string::npos);
    EXPECT_EQ(wrong.out.find("DEM types ("), std::string::npos) << wrong.out;
}

// Settings that cannot be read whole are neither rewritten nor replaced by
// defaults the user never chose: every command that needs them refuses.
TEST(Executable, CommandsRefuseSettingsThatCannotBeReadWhole) {
    hgtest::TempDir home;
    ASSERT_EQ(runProgram("select '" HG_SOURCE_DIR "/data/jacksboro.dem'", home.path()).exitCode, 0);
    const std::filesystem::path ini = home / "Hillglimmer.ini";
    {
        std::ofstream out(ini, std::ios::app);
        out << "[Other]\n" << std::string(2u << 20, ';') << "\n";
    }
    const auto size = std::filesystem::file_size(ini);
    const std::string mem = (home / "Hillglimmer.mem").string();
    const std::string working = "'" + mem + "'";
    for (const std::string& args :
         {std::string("select '" HG_SOURCE_DIR "/data/jacksboro.dem'"), "info " + working,
          "render --out '" + (home / "frames").string() + "'"}) {
        ProgramRun r = runProgram(args, home.path());
        EXPECT_EQ(r.exitCode, 1) << args << ": " << r.out;
        EXPECT_NE(r.out.find("cannot be read whole"), std::string::npos) << args << ": " << r.out;
        EXPECT_EQ(std::filesystem::file_size(ini), size) << args;
    }
    EXPECT_FALSE(std::filesystem::exists(home / "frames"));
}
