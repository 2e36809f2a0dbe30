// SPDX-License-Identifier: MIT
// The working file and its settings as one whole, seen from outside: the
// program killed at every step of a change, two changes at once, a full
// disk, a settings file with a byte-order mark.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/statvfs.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>

#include "dem/mesh.h"
#include "platform/profile_store.h"
#include "settings/settings.h"
#include "shell/bundled_terrain.h"
#include "support/gsi10m_maker.h"
#include "support/gsi50m_sheet_maker.h"
#include "support/rimini_grid.h"
#include "support/test_support.h"

namespace {

using hgtest::readFile;
using hgtest::TempDir;
using hgtest::writeFile;

struct Output {
    int code = -1;
    bool killed = false;
    std::string text;
};

FILE* start(const std::string& args, const std::filesystem::path& home, const std::string& env) {
    std::string cmd = "exec env -u DISPLAY HILLGLIMMER_LANG=en HILLGLIMMER_HOME='" + home.string() +
                      "' " + env + " '" HG_EXECUTABLE "' " + args + " 2>&1";
    return ::popen(cmd.c_str(), "r");
}

Output finish(FILE* p) {
    Output out;
    if (p == nullptr) return out;
    char buf[512];
    while (std::fgets(buf, sizeof buf, p)) out.text += buf;
    int status = ::pclose(p);
    out.killed = WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
    out.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return out;
}

Output run(const std::string& args, const std::filesystem::path& home,
           const std::string& env = "") {
    return finish(start(args, home, env));
}

// Appended, not "'" + p.string(): GCC 12 at -O3 warns falsely (-Wrestrict)
// on a literal put before a temporary string.
std::string quoted(const std::filesystem::path& p) {
    std::string out = "'";
    out += p.string();
    out += '\'';
    return out;
}

// Everything the saver reads of a DEM.
struct State {
    std::string mem;
    std::string ini;
    bool operator==(const State&) const = default;
};

State stateOf(const std::filesystem::path& home) {
    State s;
    s.mem = std::filesystem::exists(home / "Hillglimmer.mem") ? readFile(home / "Hillglimmer.mem")
                                                              : "<none>";
    s.ini = std::filesystem::exists(home / "Hillglimmer.ini") ? readFile(home / "Hillglimmer.ini")
                                                              : "<none>";
    return s;
}

// Names in home other than the settings, its lock and the working file.
std::vector<std::string> leftOvers(const std::filesystem::path& home) {
    std::vector<std::string> out;
    for (const auto& e : std::filesystem::directory_iterator(home)) {
        std::string n = e.path().filename().string();
        if (n != "Hillglimmer.ini" && n != "Hillglimmer.ini.lock" && n != "Hillglimmer.mem")
            out.push_back(n);
    }
    return out;
}

void copyState(const std::filesystem::path& from, const std::filesystem::path& to) {
    for (const char* n : {"Hillglimmer.ini", "Hillglimmer.mem"}) {
        if (std::filesystem::exists(from / n))
            std::filesystem::copy_file(from / n, to / n,
                                       std::filesystem::copy_options::overwrite_existing);
    }
}

// The states after each list of selects, run one after another from an
// empty home.
State stateAfter(const std::vector<std::string>& selects) {
    TempDir home;
    for (const auto& s : selects) {
        Output o = run("select " + s, home.path());
        EXPECT_EQ(o.code, 0) << s << ": " << o.text;
    }
    return stateOf(home.path());
}

// A GSI 10 m product as shipped: csv/ and dat/ side by side.
struct Gsi10mProduct {
    TempDir root;
    std::filesystem::path csv = root / "csv" / "kirishima.csv";
    Gsi10mProduct() {
        std::filesystem::create_directories(root / "csv");
        std::filesystem::create_directories(root / "dat");
        writeFile(csv, hgtest::joinCsv(hgtest::headerLines(300, 200)));
        writeFile(root / "dat" / "kirishima.dat",
                  hgtest::makeDat(300, 200, [](int r, int c) { return (r * 7 + c) % 4000; }));
    }
};

struct Samples {
    std::filesystem::path sdts = hgtest::sharedData("sdts/8821/8821CEL0.DDF");
    std::filesystem::path mlt = hgtest::sharedData("dhm25/dhm1000.mlt");
    Gsi10mProduct gsi;
    bool present() const { return !sdts.empty() && !mlt.empty(); }
};

// Kills `select next` at its n-th step, from the state `before` left, and
// checks what the next start finds: exactly the old DEM or exactly the new
// one, and nothing left over. Whether the kill came (n within the steps).
struct KillProbe {
    std::string next;
    State oldState, newState;
    std::filesystem::path scratch;
    bool sawOld = false, sawNew = false;

    bool killAt(int n) {
        TempDir home;
        copyState(scratch, home.path());
        Output o =
            run("select " + next, home.path(), "HILLGLIMMER_FAULT_STOP=" + std::to_string(n));
        if (!o.killed) {
            EXPECT_EQ(o.code, 0) << o.text;
            EXPECT_EQ(stateOf(home.path()), newState);
            return false;
        }
        // The next start of the program, whatever it is for.
        run("info " + quoted(home / "Hillglimmer.mem"), home.path());
        State s = stateOf(home.path());
        sawOld = sawOld || s == oldState;
        sawNew = sawNew || s == newState;
        EXPECT_TRUE(s == oldState || s == newState) << next << " killed at step " << n;
        EXPECT_EQ(leftOvers(home.path()), std::vector<std::string>{}) << "step " << n;
        return true;
    }
};

// Kills `select next` at a sample of its steps: the first few, where the
// lock and the recovery are; every step of the commit at the end, where
// the old and the new DEM trade places; and steps spread between, through
// the copy or the import's block writes. Returns how many steps the
// change has.
int killAcrossTheSteps(const std::string& before, const std::string& next) {
    KillProbe probe{next, stateAfter({before}), stateAfter({before, next}), {}};
    EXPECT_NE(probe.oldState, probe.newState);
    TempDir scratch;
    run("select " + before, scratch.path());
    probe.scratch = scratch.path();
    // Doubling finds a step past the end; halving then finds the last.
    int killed = 0, through = 1;
    while (through < 4096 && probe.killAt(through)) {
        killed = through;
        through *= 2;
    }
    while (through - killed > 1) {
        const int mid = (killed + through) / 2;
        (probe.killAt(mid) ? killed : through) = mid;
    }
    const int steps = killed;
    const int stride = std::max(1, steps / 8);
    for (int n = 3; n <= steps; ++n) {
        const bool early = n <= 4, commit = n > steps - 6, spread = n % stride == 0;
        if ((early || commit || spread) && (n & (n - 1)) != 0) probe.killAt(n);
    }
    EXPECT_TRUE(probe.sawOld && probe.sawNew) << next;
    return steps;
}

}  // namespace

TEST(DemCommitRun, KilledAcrossTheStepsOfASelectLeavesOneWholeDem) {
    Samples s;
    HG_REQUIRE_SHARED(s.sdts);
    HG_REQUIRE_SHARED(s.mlt);
    // A plain copy and the imports stop after every block they write as well.
    EXPECT_GE(killAcrossTheSteps(quoted(s.sdts), quoted(s.mlt)), 10);
    EXPECT_GE(killAcrossTheSteps(quoted(s.gsi.csv), quoted(s.sdts)), 9);
    EXPECT_GE(killAcrossTheSteps(quoted(s.mlt), quoted(s.gsi.csv)), 7);
}

TEST(DemCommitRun, SelectsStartedTogetherEndInOneWholeSelection) {
    Samples s;
    HG_REQUIRE_SHARED(s.sdts);
    const std::string a = quoted(s.sdts), b = quoted(s.gsi.csv);
    const State aLast = stateAfter({b, a});
    const State bLast = stateAfter({a, b});
    for (int round = 0; round < 20; ++round) {
        TempDir home;
        FILE* pa = start("select " + a, home.path(), "");
        FILE* pb = start("select " + b, home.path(), "");
        Output oa = finish(pa);
        Output ob = finish(pb);
        ASSERT_EQ(oa.code, 0) << oa.text;
        ASSERT_EQ(ob.code, 0) << ob.text;
        State end = stateOf(home.path());
        EXPECT_TRUE(end == aLast || end == bLast) << "round " << round << ":\n" << end.ini;
        EXPECT_EQ(leftOvers(home.path()), std::vector<std::string>{});
    }
}

namespace {
// A small tmpfs over a fresh folder, for as long as the object lives.
class SmallDisk {
public:
    explicit SmallDisk(const char* size) {
        std::string options = std::string("size=") + size;
        mounted_ = ::geteuid() == 0 &&
                   ::mount("tmpfs", dir_.path().c_str(), "tmpfs", 0, options.c_str()) == 0;
    }
    ~SmallDisk() {
        if (mounted_) ::umount2(dir_.path().c_str(), MNT_DETACH);
    }
    bool mounted() const { return mounted_; }
    const std::filesystem::path& path() const { return dir_.path(); }
    std::uint64_t freeBytes() const {
        struct statvfs v {};
        ::statvfs(dir_.path().c_str(), &v);
        return static_cast<std::uint64_t>(v.f_bavail) * v.f_frsize;
    }

private:
    TempDir dir_;
    bool mounted_ = false;
};
}  // namespace

TEST(DemCommitRun, FullDiskKeepsThePreviousDemAndAFirstRunStaysFirst) {
    // Room for the bundled terrain once the disk is free again.
    SmallDisk disk("2m");
    if (!disk.mounted()) GTEST_SKIP() << "mounting a small tmpfs needs root";
    TempDir outside;
    const std::filesystem::path home = disk.path();
    writeFile(outside / "old.mem", hgtest::makeSheet(
                                       80, 60, {125700, 503550, 126000, 504000}, "OLD",
                                       [](int r, int c) { return r * 40 + c * 25; }, ""));
    ASSERT_EQ(run("select " + quoted(outside / "old.mem"), home).code, 0);
    const State before = stateOf(home);

    // The new file fills the disk exactly: its copy fits, the settings do
    // not. One page more and not even the copy fits.
    for (std::uint64_t extra : {0u, 4096u}) {
        writeFile(outside / "new.dat", hgtest::riminiGrid(disk.freeBytes() + extra));
        Output o = run("select " + quoted(outside / "new.dat"), home);
        EXPECT_EQ(o.code, 1) << o.text;
        if (extra == 0) {
            EXPECT_NE(o.text.find("Cannot write the settings file"), std::string::npos) << o.text;
        }
        EXPECT_EQ(stateOf(home), before);
        EXPECT_EQ(leftOvers(home), std::vector<std::string>{});
    }

    // A first select on a full disk leaves a first run behind, so the
    // bundled terrain still comes at the next start.
    for (const char* n : {"Hillglimmer.ini", "Hillglimmer.mem"}) std::filesystem::remove(home / n);
    writeFile(outside / "new.dat", hgtest::riminiGrid(disk.freeBytes()));
    EXPECT_EQ(run("select " + quoted(outside / "new.dat"), home).code, 1);
    EXPECT_FALSE(std::filesystem::exists(home / "Hillglimmer.mem"));
    EXPECT_EQ(leftOvers(home), std::vector<std::string>{});
    if (!hg::bundledTerrain().empty()) {
        hg::IniProfileStore store(home / "Hillglimmer.ini");
        EXPECT_TRUE(hg::installBundledTerrainIfFirstRun(home / "Hillglimmer.mem", store));
        EXPECT_EQ(hg::readDemType(store), hg::kDemUsgs);
    }
}

TEST(DemCommitRun, SettingsWithAByteOrderMarkKeepTheirSection) {
    Samples s;
    HG_REQUIRE_SHARED(s.mlt);
    TempDir home;
    writeFile(home / "Hillglimmer.ini", "\xEF\xBB\xBF[Hillglimmer]\nsel=4\n");
    ASSERT_EQ(run("select " + quoted(s.mlt), home.path()).code, 0);
    std::string ini = readFile(home / "Hillglimmer.ini");
    EXPECT_EQ(ini.rfind("\xEF\xBB\xBF[Hillglimmer]\nsel=4\ndemType=3\n", 0), 0u) << ini;
    EXPECT_EQ(ini.find("[Hillglimmer]", 4), std::string::npos) << ini;
}
