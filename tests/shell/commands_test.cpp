// SPDX-License-Identifier: MIT
// The extra commands as a user runs them: select, info --heights, render.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cfloat>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <regex>
#include <thread>

#include "platform/text_number.h"
#include "support/gtiff_copy.h"
#include "support/rimini_grid.h"
#include "support/test_support.h"

namespace {

struct Output {
    int code = -1;
    std::string text;
};

Output run(const std::string& args, const std::filesystem::path& home) {
    std::string cmd = "env -u DISPLAY HILLGLIMMER_LANG=en HILLGLIMMER_HOME='" + home.string() +
                      "' '" HG_EXECUTABLE "' " + args + " 2>&1";
    Output out;
    FILE* p = ::popen(cmd.c_str(), "r");
    if (p == nullptr) return out;
    char buf[512];
    while (std::fgets(buf, sizeof buf, p)) out.text += buf;
    int status = ::pclose(p);
    out.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return out;
}

// `info FILE [extra] --heights` in a fresh home: its output and the heights.
struct InfoRun {
    Output out;
    std::vector<float> heights;
};

InfoRun infoHeights(const std::filesystem::path& file, const hgtest::TempDir& home,
                    const std::string& extra = "") {
    InfoRun r;
    r.out = run(
        "info '" + file.string() + "' " + extra + " --heights '" + (home / "h.f32").string() + "'",
        home.path());
    if (r.out.code == 0) r.heights = hgtest::readFloats(home / "h.f32");
    return r;
}

std::pair<int, int> sizeOf(const std::string& info) {
    std::smatch m;
    if (!std::regex_search(info, m, std::regex("Size: ([0-9]+) x ([0-9]+)"))) return {0, 0};
    return {std::stoi(m[1]), std::stoi(m[2])};
}

}  // namespace

TEST(Commands, InfoHeightsOfRealUsgsDemsEqualTheReference) {
    for (const char* name : {"San_Fran_North", "sanfranciscos"}) {
        auto dem = hgtest::sharedData(std::string("usgsdem/") + name + ".dem");
        auto ref = hgtest::sharedData(std::string("oracle/") + name + ".f32");
        HG_REQUIRE_SHARED(dem);
        HG_REQUIRE_SHARED(ref);
        // The second sample stores feet; the reference keeps the file's units.
        const double unit = std::string(name) == "sanfranciscos" ? 0.3048 : 1.0;
        hgtest::TempDir home;
        InfoRun info = infoHeights(dem, home);
        ASSERT_EQ(info.out.code, 0) << info.out.text;
        auto [cols, rows] = sizeOf(info.out.text);
        const std::vector<float>& ours = info.heights;
        std::vector<float> theirs = hgtest::readFloats(ref);
        ASSERT_EQ(ours.size(), theirs.size()) << name;
        ASSERT_EQ(static_cast<std::size_t>(cols) * rows, ours.size());
        std::size_t differ = 0, voids = 0;
        for (std::size_t i = 0; i < ours.size(); ++i) {
            if (theirs[i] == -32767.0f) {
                voids++;
                differ += ours[i] != -FLT_MAX;
            } else {
                differ += ours[i] != std::trunc(theirs[i] * unit);
            }
        }
        EXPECT_EQ(differ, 0u) << name;
        EXPECT_GT(voids, 0u) << name << ": the ragged edges are void";
        // The roughness the part chooser shows, a little above a plane's.
        std::smatch m;
        ASSERT_TRUE(
            std::regex_search(info.out.text, m, std::regex("Fractal dimension: (2\\.[0-9]{4})\n")))
            << info.out.text;
        EXPECT_GT(hg::leadingNumber<double>(m[1].str()), 2.0) << name;
    }
}

TEST(Commands, InfoHeightsOfTheSwissMatrixMatchTheReference) {
    auto mlt = hgtest::sharedData("dhm25/dhm1000.mlt");
    auto ref = hgtest::sharedData("oracle/dhm1000.f32");
    HG_REQUIRE_SHARED(mlt);
    HG_REQUIRE_SHARED(ref);
    hgtest::TempDir home;
    InfoRun info = infoHeights(mlt, home);
    ASSERT_EQ(info.out.code, 0) << info.out.text;
    EXPECT_EQ(sizeOf(info.out.text), std::make_pair(385, 240));
    const std::vector<float>& ours = info.heights;
    std::vector<float> theirs = hgtest::readFloats(ref);
    ASSERT_EQ(ours.size(), theirs.size());
    std::size_t differ = 0;
    for (std::size_t i = 0; i < ours.size(); ++i) {
        // The reference marks with -9999 what the matrix stores as 0 m.
        float want = theirs[i] == -9999.0f ? 0.0f : theirs[i];
        differ += std::fabs(ours[i] - want) > 0.1f;
    }
    EXPECT_EQ(differ, 0u);
}

TEST(Commands, SelectedSdtsTransferReadsAsTheTrimmedReference) {
    auto cel0 = hgtest::sharedData("sdts/8821/8821CEL0.DDF");
    auto ref = hgtest::sharedData("oracle/8821.f32");
    HG_REQUIRE_SHARED(cel0);
    HG_REQUIRE_SHARED(ref);
    hgtest::TempDir home;
    Output sel = run("select '" + cel0.string() + "'", home.path());
    ASSERT_EQ(sel.code, 0) << sel.text;
    // The working file's type comes from the settings.
    InfoRun info = infoHeights(home / "Hillglimmer.mem", home);
    ASSERT_EQ(info.out.code, 0) << info.out.text;
    EXPECT_NE(info.out.text.find("Type: 2\n"), std::string::npos) << info.out.text;
    EXPECT_NE(info.out.text.find("OREGON BASIN, WY-24000"), std::string::npos);

    // The trimming rule applied to the reference: shrink each side while it
    // holds a fill value (DDOM's fill is -32766; anything at or below it).
    const int refCols = 343, refRows = 471;
    std::vector<float> g = hgtest::readFloats(ref);
    ASSERT_EQ(g.size(), static_cast<std::size_t>(refCols) * refRows);
    auto bad = [&](int r, int c) { return g[static_cast<std::size_t>(r) * refCols + c] <= -32766; };
    int top = 0, left = 0, bottom = refRows - 1, right = refCols - 1;
    for (bool changed = true; changed;) {
        bool t = false, l = false, b = false, rr = false;
        for (int c = left; c <= right; ++c) t = t || bad(top, c);
        for (int r = top; r <= bottom; ++r) l = l || bad(r, left);
        top += t;
        left += l;
        for (int c = right; c >= left; --c) b = b || bad(bottom, c);
        for (int r = bottom; r >= top; --r) rr = rr || bad(r, right);
        bottom -= b;
        right -= rr;
        changed = t || l || b || rr;
    }
    auto [cols, rows] = sizeOf(info.out.text);
    ASSERT_EQ(cols, right - left + 1);
    ASSERT_EQ(rows, bottom - top + 1);
    const std::vector<float>& ours = info.heights;
    ASSERT_EQ(ours.size(), static_cast<std::size_t>(cols) * rows);
    std::size_t differ = 0;
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < cols; ++c) {
            float want = g[static_cast<std::size_t>(r + top) * refCols + c + left];
            float got = ours[static_cast<std::size_t>(r) * cols + c];
            differ += want <= -32766 ? got != -FLT_MAX : got != want;
        }
    }
    EXPECT_EQ(differ, 0u);

    // And the saver's picture of it, drawn offscreen.
    Output render =
        run("render --frames 1 --size 120x90 --out '" + (home / "f").string() + "'", home.path());
    EXPECT_EQ(render.code, 0) << render.text;
    EXPECT_TRUE(std::filesystem::exists(home.path() / "f" / "frame-0000.png"));
}

TEST(Commands, InfoOfTheWorkingFileReadsItAsTheSettingsSay) {
    auto mlt = hgtest::sharedData("dhm25/dhm1000.mlt");
    auto ddf = hgtest::sharedData("sdts/8821/8821CEL0.DDF");
    HG_REQUIRE_SHARED(mlt);
    HG_REQUIRE_SHARED(ddf);
    hgtest::TempDir home;
    ASSERT_EQ(run("select '" + mlt.string() + "'", home.path()).code, 0);
    const Output original = run("info '" + mlt.string() + "'", home.path());
    ASSERT_EQ(original.code, 0) << original.text;
    // Under another name for the same file too.
    std::filesystem::create_symlink(home / "Hillglimmer.mem", home / "link");
    for (const char* name : {"Hillglimmer.mem", "link"}) {
        const Output working = run("info '" + (home / name).string() + "'", home.path());
        ASSERT_EQ(working.code, 0) << working.text;
        // Everything but the file's name, as the original reads.
        EXPECT_EQ(working.text.substr(working.text.find('\n')),
                  original.text.substr(original.text.find('\n')));
    }
    // --type still overrides: a DHM25 matrix is no GSI 50 m mesh.
    const Output forced =
        run("info '" + (home / "Hillglimmer.mem").string() + "' --type 0", home.path());
    EXPECT_EQ(forced.code, 1) << forced.text;
    EXPECT_NE(forced.text.find("Illegal format .mem."), std::string::npos) << forced.text;
    // A transfer to import names the file to describe after the import.
    const Output imported = run("info '" + ddf.string() + "'", home.path());
    EXPECT_EQ(imported.code, 2);
    EXPECT_NE(
        imported.text.find("then `hillglimmer info " + (home / "Hillglimmer.mem").string() + "`"),
        std::string::npos)
        << imported.text;
}

TEST(Commands, InfoHeightsOfTheMeshSampleEqualTheReference) {
    auto mem = hgtest::sharedData("jdem/fakejdem.mem");
    auto ref = hgtest::sharedData("oracle/fakejdem.f32");
    HG_REQUIRE_SHARED(mem);
    HG_REQUIRE_SHARED(ref);
    hgtest::TempDir home;
    InfoRun info = infoHeights(mem, home);
    ASSERT_EQ(info.out.code, 0) << info.out.text;
    EXPECT_EQ(sizeOf(info.out.text), std::make_pair(2, 2));
    // Too small for the coarse measure: no figure rather than a wrong one.
    EXPECT_NE(info.out.text.find("Fractal dimension: -\n"), std::string::npos) << info.out.text;
    EXPECT_EQ(info.heights, hgtest::readFloats(ref));
}

TEST(Commands, RenderWritesPngFramesWithoutADisplay) {
    hgtest::TempDir home;
    Output out =
        run("render --frames 2 --size 160x120 --out '" + (home / "f").string() + "'", home.path());
    ASSERT_EQ(out.code, 0) << out.text;
    for (const char* frame : {"frame-0000.png", "frame-0001.png"}) {
        std::string png = hgtest::readFile(home.path() / "f" / frame);
        ASSERT_GT(png.size(), 8u) << frame;
        EXPECT_EQ(png.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8)) << frame;
    }
    // The relief map is one still picture, however many frames are asked.
    Output map = run(
        "render --style relief --frames 3 --size 160x120 --out '" + (home / "map").string() + "'",
        home.path());
    ASSERT_EQ(map.code, 0) << map.text;
    EXPECT_TRUE(std::filesystem::exists(home.path() / "map" / "frame-0000.png"));
    EXPECT_FALSE(std::filesystem::exists(home.path() / "map" / "frame-0001.png"));
    EXPECT_NE(run("render --style Nonsense", home.path()).code, 0);
    EXPECT_NE(run("render --size 0x10", home.path()).code, 0);
}

TEST(Commands, InfoOfAGeoTiffCopyEqualsTheUsgsSamplesOwnReading) {
    const auto dem = hgtest::sharedData("usgsdem/San_Fran_North.dem");
    HG_REQUIRE_SHARED(dem);
    hgtest::TempDir home;
    const auto tif = home / "sf.tif";
    if (!hgtest::writeGeoTiffCopy(dem, tif))
        GTEST_SKIP() << "this GDAL does not read USGS DEMs or write GeoTIFF";
    InfoRun own = infoHeights(dem, home);
    ASSERT_EQ(own.out.code, 0) << own.out.text;
    const std::vector<float> ownHeights = own.heights;
    InfoRun viaGdal = infoHeights(tif, home);
    ASSERT_EQ(viaGdal.out.code, 0) << viaGdal.out.text;
    EXPECT_NE(viaGdal.out.text.find("Type: 7\n"), std::string::npos) << viaGdal.out.text;
    EXPECT_EQ(sizeOf(viaGdal.out.text), sizeOf(own.out.text));
    EXPECT_EQ(viaGdal.heights, ownHeights);
    // A file GDAL cannot read names itself.
    hgtest::writeFile(home / "noise.tif", std::string(3000, 'n'));
    Output bad = run("info '" + (home / "noise.tif").string() + "' --type 7", home.path());
    EXPECT_NE(bad.code, 0);
    EXPECT_NE(bad.text.find("noise.tif"), std::string::npos) << bad.text;
    // A type no reader has is a usage error, not a reading as type 0.
    EXPECT_EQ(run("info '" + tif.string() + "' --type 9", home.path()).code, 2);
}

TEST(Commands, SelectOfAFileItsReaderRefusesFailsAndKeepsTheDem) {
    hgtest::TempDir home;
    const std::string bundled = HG_SOURCE_DIR "/data/jacksboro.dem";
    ASSERT_EQ(run("select '" + bundled + "'", home.path()).code, 0);
    hgtest::writeFile(home / "random.dem", std::string(3000, '\x9c'));
    Output o = run("select '" + (home / "random.dem").string() + "'", home.path());
    EXPECT_EQ(o.code, 1);
    EXPECT_NE(o.text.find((home / "random.dem").string() + ": Illegal format .dem."),
              std::string::npos)
        << o.text;
    EXPECT_EQ(hgtest::readFile(home / "Hillglimmer.mem"), hgtest::readFile(bundled));
}

namespace {

// A geographic USGS DEM of 40 one-post profiles and one of 1000 posts whose
// corners claim 2000 rows: a grid almost all void, which a reader that
// believed the corners would allocate for.
std::string lyingRaggedDem() {
    auto at = [](std::string& block, std::size_t pos, const std::string& text) {
        block.replace(pos, text.size(), text);
    };
    auto num = [](const char* format, double v) {
        char b[40];
        std::snprintf(b, sizeof b, format, v);
        // The test runs under the user's locale once Qt starts; the file
        // wants a decimal point whatever it is.
        std::string text(b);
        for (char& ch : text)
            if (ch == ',') ch = '.';
        return text;
    };
    const int cols = 41;
    std::string a(1024, ' ');
    at(a, 0, "LYING CORNERS");
    const double corners[8] = {0, 0, 0, 3.0 * 1999, 3.0 * (cols - 1), 3.0 * 1999, 3.0 * (cols - 1),
                               0};
    for (std::size_t i = 0; i < 8; ++i) at(a, 546 + 24 * i, num("%24.15E", corners[i]));
    at(a, 534, "     2");
    at(a, 816, num("%12.6E", 3.0) + num("%12.6E", 3.0) + num("%12.6E", 1.0));
    at(a, 858, num("%6.0f", cols));
    std::string out = a;
    for (int c = 0; c < cols; ++c) {
        const int posts = c == 0 ? 1000 : 1;
        std::string block(1024, ' ');
        at(block, 0, num("%6.0f", 1) + num("%6.0f", c + 1) + num("%6.0f", posts) + "     1");
        at(block, 24, num("%24.15E", 3.0 * c) + num("%24.15E", 3.0 * (c % 7)));
        std::size_t pos = 144;
        for (int k = 0; k < posts; ++k) {
            if (pos + 6 > 1020) {
                out += block;
                block.assign(1024, ' ');
                pos = 0;
            }
            at(block, pos, "   100");
            pos += 6;
        }
        out += block;
    }
    return out;
}

}  // namespace

TEST(Commands, InfoOnARaggedDemWithLyingCornersSaysIllegalFormat) {
    hgtest::TempDir home;
    const auto dem = home / "lying.dem";
    hgtest::writeFile(dem, lyingRaggedDem());
    Output out = run("info '" + dem.string() + "'", home.path());
    EXPECT_EQ(out.code, 1) << out.text;
    EXPECT_NE(out.text.find("Illegal format .dem."), std::string::npos) << out.text;
    EXPECT_EQ(out.text.find("bad_alloc"), std::string::npos) << out.text;
}

TEST(Commands, SelectOfARasterImportsItAndTheSaverDrawsIt) {
    const auto dem = hgtest::sharedData("usgsdem/San_Fran_North.dem");
    HG_REQUIRE_SHARED(dem);
    hgtest::TempDir home;
    const std::string bundled = HG_SOURCE_DIR "/data/jacksboro.dem";
    ASSERT_EQ(run("select '" + bundled + "'", home.path()).code, 0);
    // A raster of no known extension that GDAL recognises by its content.
    const auto raster = home / "bay.elevation";
    if (!hgtest::writeGeoTiffCopy(dem, raster))
        GTEST_SKIP() << "this GDAL does not read USGS DEMs or write GeoTIFF";
    Output o = run("select '" + raster.string() + "'", home.path());
    ASSERT_EQ(o.code, 0) << o.text;
    const std::string ini = hgtest::readFile(home / "Hillglimmer.ini");
    EXPECT_NE(ini.find("demType=7"), std::string::npos) << ini;
    // The working copy does not depend on the original.
    std::filesystem::remove(raster);
    InfoRun own = infoHeights(dem, home);
    InfoRun working = infoHeights(home / "Hillglimmer.mem", home, "--type 7");
    ASSERT_EQ(working.out.code, 0) << working.out.text;
    EXPECT_EQ(working.heights, own.heights);
    EXPECT_NE(working.out.text.find("Title: bay.elevation"), std::string::npos) << working.out.text;
    Output frames =
        run("render --frames 1 --size 80x60 --out '" + (home / "f").string() + "'", home.path());
    EXPECT_EQ(frames.code, 0) << frames.text;
    // A file that only claims to be a raster leaves that DEM in place.
    hgtest::writeFile(home / "fake.tif", std::string(4000, 't'));
    const std::string before = hgtest::readFile(home / "Hillglimmer.mem");
    Output bad = run("select '" + (home / "fake.tif").string() + "'", home.path());
    EXPECT_EQ(bad.code, 1);
    EXPECT_NE(bad.text.find("fake.tif"), std::string::npos) << bad.text;
    EXPECT_EQ(hgtest::readFile(home / "Hillglimmer.mem"), before);
    EXPECT_FALSE(std::filesystem::exists(home / "Hillglimmer.mem.new"));
}

namespace {

// Opens the writing end of a fifo once the program has opened its reading
// end (where it pauses), or gives -1 after a limit that only bounds a hang.
int openWhenPaused(const std::filesystem::path& fifo) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    for (;;) {
        const int fd = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd >= 0 || errno != ENXIO || std::chrono::steady_clock::now() >= end) return fd;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

}  // namespace

// A copy and a GDAL import held at their second step (the first block
// written): info of the working file answers at once, with the DEM that
// was there, and the change then completes.
TEST(Commands, InfoAnswersWithTheOldDemWhileAnImportIsInFlight) {
    hgtest::TempDir home, source;
    const std::string bundled = HG_SOURCE_DIR "/data/jacksboro.dem";
    ASSERT_EQ(run("select '" + bundled + "'", home.path()).code, 0);
    const std::string info = "info '" + (home / "Hillglimmer.mem").string() + "'";
    const Output old = run(info, home.path());
    ASSERT_EQ(old.code, 0) << old.text;
    hgtest::writeFile(source / "big.dat", hgtest::riminiGrid(1u << 20));
    ASSERT_TRUE(hgtest::writeGeoTiffCopy(bundled, source / "bay.tif"));
    for (const char* name : {"big.dat", "bay.tif"}) {
        const auto fifo = source / "pause";
        ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
        FILE* select =
            ::popen(("env -u DISPLAY HILLGLIMMER_LANG=en HILLGLIMMER_HOME='" +
                     home.path().string() + "' HILLGLIMMER_STEP_PAUSE=2:'" + fifo.string() +
                     "' '" HG_EXECUTABLE "' select '" + (source / name).string() + "' 2>&1")
                        .c_str(),
                    "r");
        ASSERT_NE(select, nullptr);
        const int pause = openWhenPaused(fifo);
        EXPECT_GE(pause, 0) << name << ": the select never came to its second step";
        const Output during = run(info, home.path());
        EXPECT_EQ(during.code, 0) << during.text;
        EXPECT_EQ(during.text, old.text) << name;
        if (pause >= 0) {
            EXPECT_EQ(::write(pause, "go", 1), 1);
            ::close(pause);
        }
        std::string said;
        char line[512];
        while (std::fgets(line, sizeof line, select)) said += line;
        EXPECT_EQ(::pclose(select), 0) << name << ": " << said;
        const Output after = run(info, home.path());
        EXPECT_EQ(after.code, 0) << after.text;
        EXPECT_NE(after.text, old.text) << name;
        std::filesystem::remove(fifo);
        ASSERT_EQ(run("select '" + bundled + "'", home.path()).code, 0);
    }
}

// Ctrl-C (SIGINT) or SIGTERM while a select copies: it stops at its next
// step, says so, and leaves the previous DEM with nothing staged.
TEST(Commands, SelectStoppedBySignalKeepsThePreviousDem) {
    hgtest::TempDir home, source;
    const std::string bundled = HG_SOURCE_DIR "/data/jacksboro.dem";
    ASSERT_EQ(run("select '" + bundled + "'", home.path()).code, 0);
    hgtest::writeFile(source / "big.dat", hgtest::riminiGrid(1u << 20));
    const std::string before = hgtest::readFile(home / "Hillglimmer.mem");
    for (int signal : {SIGINT, SIGTERM}) {
        const auto fifo = source / "pause";
        const auto said = source / "said.txt";
        ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
        // Made before the fork: the child only redirects and executes.
        std::vector<std::string> env = {"HILLGLIMMER_LANG=en",
                                        "HILLGLIMMER_HOME=" + home.path().string(),
                                        "HILLGLIMMER_STEP_PAUSE=2:" + fifo.string()};
        std::vector<char*> envp;
        for (std::string& v : env) envp.push_back(v.data());
        envp.push_back(nullptr);
        std::string file = (source / "big.dat").string();
        char* argv[] = {const_cast<char*>(HG_EXECUTABLE), const_cast<char*>("select"), file.data(),
                        nullptr};
        const int out = ::open(said.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        ASSERT_GE(out, 0);
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::dup2(out, 1);
            ::dup2(out, 2);
            ::execve(HG_EXECUTABLE, argv, envp.data());
            ::_exit(127);
        }
        ::close(out);
        ASSERT_GT(pid, 0);
        const int held = openWhenPaused(fifo);
        EXPECT_GE(held, 0) << "the select never came to its second step";
        ::kill(pid, signal);
        if (held >= 0) {
            EXPECT_EQ(::write(held, "go", 1), 1);
            ::close(held);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << status;
        EXPECT_NE(hgtest::readFile(said).find("Cancelled. The previous DEM is kept."),
                  std::string::npos)
            << hgtest::readFile(said);
        EXPECT_EQ(hgtest::readFile(home / "Hillglimmer.mem"), before);
        for (const auto& e : std::filesystem::directory_iterator(home.path()))
            EXPECT_EQ(e.path().filename().string().find("staging"), std::string::npos);
        std::filesystem::remove(fifo);
    }
}
