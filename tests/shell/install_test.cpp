// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QFile>
#include <QXmlStreamReader>
#include <cstdio>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <sstream>

#include "render/styles.h"
#include "shell/command_line.h"
#include "shell/xscreensaver_options.h"
#include "support/test_support.h"

namespace fs = std::filesystem;

namespace {

std::string readText(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

std::vector<std::string> words(const std::string& text) {
    std::istringstream in(text);
    std::vector<std::string> out;
    for (std::string w; in >> w;) out.push_back(w);
    return out;
}

// The keys of a desktop entry's [Desktop Entry] group.
std::map<std::string, std::string> desktopEntry(const fs::path& file) {
    std::map<std::string, std::string> keys;
    std::istringstream in(readText(file));
    bool inGroup = false;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line[0] == '[') {
            inGroup = line == "[Desktop Entry]";
        } else if (auto eq = line.find('='); inGroup && eq != std::string::npos) {
            keys[line.substr(0, eq)] = line.substr(eq + 1);
        }
    }
    return keys;
}

// One install of the build tree into a temporary prefix, shared by the
// tests below: they only read it.
class InstalledTree : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir_ = std::make_unique<hgtest::TempDir>();
        const std::string command = std::string("'") + HG_CMAKE_COMMAND + "' --install '" +
                                    HG_BINARY_DIR + "' --prefix '" + prefix().string() +
                                    "' >/dev/null";
        installed_ = std::system(command.c_str()) == 0;
    }
    static void TearDownTestSuite() { dir_.reset(); }
    void SetUp() override { ASSERT_TRUE(installed_) << "cmake --install failed"; }

    static fs::path prefix() { return dir_->path() / "usr"; }
    static fs::path share() { return prefix() / "share"; }

private:
    static inline std::unique_ptr<hgtest::TempDir> dir_;
    static inline bool installed_ = false;
};

TEST_F(InstalledTree, ProgramSitsOnTheHackPathAndOnThePath) {
    const fs::path hack = prefix() / "libexec/xscreensaver/hillglimmer";
    struct stat st {};
    ASSERT_EQ(::stat(hack.c_str(), &st), 0);
    EXPECT_TRUE(S_ISREG(st.st_mode));
    EXPECT_EQ(st.st_mode & 0555, 0555u) << "everyone must be able to run the hack";

    // Relative, so a staged or packaged tree still points at its own copy.
    const fs::path link = prefix() / "bin/hillglimmer";
    ASSERT_TRUE(fs::is_symlink(link));
    EXPECT_TRUE(fs::read_symlink(link).is_relative());
    EXPECT_EQ(fs::canonical(link), fs::canonical(hack));

    const std::string command = "'" + link.string() + "' --version";
    FILE* pipe = ::popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    char line[128] = {};
    const bool got = std::fgets(line, sizeof line, pipe) != nullptr;
    EXPECT_EQ(::pclose(pipe), 0);
    ASSERT_TRUE(got);
    EXPECT_EQ(std::string(line), std::string("Hillglimmer ") + HG_VERSION + "\n");

    EXPECT_GT(fs::file_size(share() / "man/man6/hillglimmer.6x.gz"), 0u);
    for (const char* size : {"16x16", "32x32", "48x48", "64x64", "128x128", "256x256"}) {
        EXPECT_TRUE(fs::is_regular_file(share() / "icons/hicolor" / size / "apps/hillglimmer.png"))
            << size;
    }
    EXPECT_TRUE(fs::is_regular_file(share() / "icons/hicolor/scalable/apps/hillglimmer.svg"));
}

// Every choice the XScreenSaver dialog can make must be a command line the
// program takes, and its style list must be the styles the setup dialog
// offers.
TEST_F(InstalledTree, HackConfigOffersOnlyWhatTheProgramTakes) {
    hgtest::ScopedEnv noWindow("XSCREENSAVER_WINDOW", nullptr);
    QFile file(QString::fromStdString((share() / "xscreensaver/config/hillglimmer.xml").string()));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&file);
    std::string command;
    std::vector<std::string> settingArgs;
    std::set<int> styles;
    int selects = 0, defaultsInSelect = 0, options = 0;
    bool described = false;
    const std::string demFile = std::string(HG_SOURCE_DIR) + "/data/jacksboro.dem";
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement) continue;
        const auto name = xml.name().toString().toStdString();
        const auto attr = [&](const char* a) {
            return xml.attributes().value(QString::fromLatin1(a)).toString().toStdString();
        };
        if (name == "screensaver") {
            EXPECT_EQ(attr("name"), "hillglimmer");
            // XScreenSaver's settings dialog asks for a GL visual only for these.
            EXPECT_EQ(attr("gl"), "yes");
        } else if (name == "command") {
            command = attr("arg");
        } else if (name == "select") {
            ++selects;
        } else if (name == "option") {
            ++options;
            const std::string set = attr("arg-set");
            if (set.empty()) ++defaultsInSelect;
            if (set.rfind("-style ", 0) == 0) {
                auto type = hg::drawTypeFromName(set.substr(7));
                ASSERT_TRUE(type) << set;
                styles.insert(*type);
            }
            if (!set.empty()) settingArgs.push_back(set);
        } else if (name == "boolean") {
            settingArgs.push_back(attr("arg-set"));
        } else if (name == "file") {
            std::string arg = attr("arg");
            const auto at = arg.find('%');
            ASSERT_NE(at, std::string::npos);
            settingArgs.push_back(arg.replace(at, 1, demFile));
        } else if (name == "_description") {
            described = !xml.readElementText().trimmed().isEmpty();
        }
    }
    ASSERT_FALSE(xml.hasError()) << xml.errorString().toStdString() << " at line "
                                 << xml.lineNumber();
    EXPECT_TRUE(described);
    EXPECT_EQ(command, "-root");
    EXPECT_GT(options, 40);
    // Each list starts at "as in the settings", which passes nothing.
    EXPECT_EQ(selects, 5);
    EXPECT_EQ(defaultsInSelect, selects);

    std::set<int> offered;
    for (const hg::StyleRow& row : hg::styleTable()) {
        if (row.offered) offered.insert(row.drawType);
    }
    EXPECT_EQ(styles, offered);

    for (const std::string& arg : settingArgs) {
        std::vector<std::string> args = words(command);
        for (std::string& w : words(arg)) args.push_back(std::move(w));
        std::string error;
        EXPECT_TRUE(hg::parseHackOptions(args, &error)) << arg << ": " << error;
    }
}

TEST_F(InstalledTree, DesktopEntriesRunTheInstalledProgram) {
    ASSERT_TRUE(fs::is_symlink(prefix() / "bin/hillglimmer"));
    auto saver = desktopEntry(share() / "applications/screensavers/hillglimmer.desktop");
    EXPECT_EQ(saver["Type"], "Application");
    EXPECT_EQ(saver["Categories"], "Screensaver;");
    // The saver of a desktop session runs the entry without the user's PATH:
    // it names the installed hack itself, in the prefix it was installed to.
    const std::string hackPath = (prefix() / "libexec/xscreensaver/hillglimmer").string();
    EXPECT_EQ(saver["TryExec"], hackPath);
    std::vector<std::string> exec = words(saver["Exec"]);
    ASSERT_FALSE(exec.empty());
    EXPECT_EQ(exec.front(), hackPath);
    exec.erase(exec.begin());
    std::string error;
    auto hack = hg::parseHackOptions(exec, &error);
    ASSERT_TRUE(hack) << error;

    auto settings = desktopEntry(share() / "applications/hillglimmer-settings.desktop");
    EXPECT_EQ(settings["Type"], "Application");
    exec = words(settings["Exec"]);
    ASSERT_EQ(exec.size(), 2u);
    EXPECT_EQ(exec[0], "hillglimmer");
    EXPECT_EQ(hg::parseCommandLine(exec[1]).mode, hg::RunMode::Setup);
    EXPECT_EQ(settings["Icon"], "hillglimmer");
    EXPECT_TRUE(fs::exists(share() / "icons/hicolor/48x48/apps" / (settings["Icon"] + ".png")));
}

}  // namespace
