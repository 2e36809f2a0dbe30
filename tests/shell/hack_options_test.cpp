// SPDX-License-Identifier: MIT
#include "shell/hack_options.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QXmlStreamReader>
#include <algorithm>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "platform/text_number.h"
#include "settings/settings.h"
#include "support/test_support.h"

namespace fs = std::filesystem;
using hg::HackOptionKind;
using hg::HackOptionRow;

namespace {

std::string readText(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

std::string replaceAll(std::string text, const std::string& from, const std::string& to) {
    for (std::size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size())
        text.replace(at, from.size(), to);
    return text;
}

// The setup dialog's list behind a setting key, as numbers.
std::vector<double> dialogList(const std::string& key) {
    std::vector<double> out;
    if (key == hg::key::yFactor) {
        for (std::size_t p = 0; p < hg::kAltitudeFactorTexts.size(); ++p)
            out.push_back(hg::altitudeFactorAt(static_cast<int>(p)));
    } else if (key == hg::key::step) {
        for (std::size_t p = 0; p < hg::kContourTexts.size(); ++p)
            out.push_back(hg::contourIntervalAt(static_cast<int>(p)));
    } else if (key == hg::key::numMesh) {
        for (std::size_t p = 0; p < hg::kMeshTexts.size(); ++p)
            out.push_back(hg::meshBlockFor(static_cast<int>(p)));
    } else if (key == hg::key::speed) {
        out.assign(hg::kSpeedValues.begin(), hg::kSpeedValues.end());
    }
    return out;
}

// The figures a row's description must give, as the table would print them.
std::vector<std::string> figuresOf(const HackOptionRow& row) {
    std::vector<std::string> figures;
    if (row.kind == HackOptionKind::Style) {
        const auto [low, high] = hg::offeredStyleNumbers();
        figures.push_back(hg::formatFigure(low) + " to " + hg::formatFigure(high));
    } else if (!row.values.empty()) {
        for (double v : row.values) figures.push_back(hg::formatFigure(v));
    } else if (row.high > row.low) {
        figures.push_back(hg::formatFigure(row.low) + " to " + hg::formatFigure(row.high));
    }
    if (row.kind == HackOptionKind::Delay)
        figures.push_back("default " + hg::formatFigure(row.defaultValue));
    return figures;
}

}  // namespace

// The ranges are the setup dialog's: a hack must not run the styles where
// the dialog never lets them go, nor refuse what the dialog offers.
TEST(HackOptionTable, SettingRangesAreTheDialogsLists) {
    int settings = 0;
    for (const HackOptionRow& row : hg::hackOptionTable()) {
        if (row.kind != HackOptionKind::Number) continue;
        SCOPED_TRACE(row.name);
        ++settings;
        ASSERT_NE(row.settingKey, nullptr);
        ASSERT_NE(row.field, nullptr);
        const std::vector<double> list = dialogList(row.settingKey);
        ASSERT_FALSE(list.empty()) << row.settingKey;
        EXPECT_EQ(row.low, *std::min_element(list.begin(), list.end()));
        EXPECT_EQ(row.high, *std::max_element(list.begin(), list.end()));
        if (!row.values.empty()) {
            EXPECT_EQ(std::vector<double>(row.values.begin(), row.values.end()), list);
        }
    }
    EXPECT_EQ(settings, 4);
    for (const char* name : {"-style", "--dem", "-window-id", "--pair"}) {
        EXPECT_NE(hg::findHackOption(name), nullptr) << name;
    }
    for (const char* name : {"style", "---style", "-Style", "-", "-windows"}) {
        EXPECT_EQ(hg::findHackOption(name), nullptr) << name;
    }
}

// The manual page says of every option what the table holds, and names no
// option the program does not take.
TEST(HackOptionTable, ManualPageDescribesEveryOptionWithItsRange) {
    const std::string page = readText(fs::path(HG_SOURCE_DIR) / "resources/man/hillglimmer.6x");
    const auto options = page.find("\n.SH OPTIONS\n");
    ASSERT_NE(options, std::string::npos);
    const auto end = page.find("\n.SH ", options + 1);
    const std::string section = page.substr(options, end - options);
    const std::string synopsis = page.substr(0, page.find("\n.SH DESCRIPTION"));

    // Each ".TP" entry: its heading line names options, the rest tells of them.
    std::map<std::string, std::string> described;
    const std::regex name(R"(\\-([a-z]+(\\-[a-z]+)*))");
    for (std::size_t at = section.find("\n.TP\n"); at != std::string::npos;) {
        const std::size_t headStart = at + 5;
        const std::size_t headEnd = section.find('\n', headStart);
        const std::size_t next = section.find("\n.TP\n", headEnd);
        const std::string head = section.substr(headStart, headEnd - headStart);
        const std::string body = replaceAll(
            section.substr(headEnd, next == std::string::npos ? next : next - headEnd), "\n", " ");
        for (std::sregex_iterator m(head.begin(), head.end(), name), none; m != none; ++m) {
            described[replaceAll((*m)[1].str(), "\\-", "-")] = replaceAll(body, "\\-", "-");
        }
        at = next;
    }
    std::set<std::string> rows;
    for (const HackOptionRow& row : hg::hackOptionTable()) {
        SCOPED_TRACE(row.name);
        rows.insert(row.name);
        auto entry = described.find(row.name);
        ASSERT_NE(entry, described.end());
        for (const std::string& figure : figuresOf(row)) {
            EXPECT_NE(entry->second.find(figure), std::string::npos)
                << "lacks " << figure << ": " << entry->second;
        }
        if (row.kind != HackOptionKind::Ignored) {
            const std::string escaped = "\\-" + replaceAll(row.name, "-", "\\-");
            const std::regex whole(std::regex_replace(escaped, std::regex(R"(\\)"), R"(\\)") +
                                   R"(([^a-z\\]|$))");
            EXPECT_TRUE(std::regex_search(synopsis, whole)) << escaped;
        }
    }
    for (const auto& [option, text] : described) {
        EXPECT_EQ(rows.count(option), 1u) << "the manual page offers -" << option;
    }
}

// XScreenSaver's description offers every setting option, over the whole
// range the table takes, and no option outside the table.
TEST(HackOptionTable, XScreenSaverDescriptionSpansEverySettingsRange) {
    QFile file(QString::fromStdString(HG_SOURCE_DIR "/resources/hillglimmer.xml"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&file);
    std::map<std::string, std::vector<std::string>> given;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement) continue;
        for (const char* attribute : {"arg", "arg-set"}) {
            const std::string arg =
                xml.attributes().value(QString::fromLatin1(attribute)).toString().toStdString();
            if (arg.empty()) continue;
            std::istringstream words(arg);
            std::string option, value;
            words >> option >> value;
            const HackOptionRow* row = hg::findHackOption(option);
            ASSERT_NE(row, nullptr) << arg;
            given[row->name].push_back(value);
        }
    }
    ASSERT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    for (const HackOptionRow& row : hg::hackOptionTable()) {
        if (row.settingKey == nullptr && row.kind != HackOptionKind::Fps) continue;
        SCOPED_TRACE(row.name);
        ASSERT_EQ(given.count(row.name), 1u);
        if (row.kind != HackOptionKind::Number) continue;
        std::vector<double> values;
        for (const std::string& text : given[row.name]) {
            auto v = hg::parseNumber<double>(text);
            ASSERT_TRUE(v) << text;
            values.push_back(*v);
        }
        EXPECT_EQ(*std::min_element(values.begin(), values.end()), row.low);
        EXPECT_EQ(*std::max_element(values.begin(), values.end()), row.high);
    }
}

// --help prints a line per row from the message tables, figures filled in,
// the descriptions in one column in either language; the short usage names
// every option that does something.
TEST(HackOptionTable, HelpLinesAndUsageInBothLanguages) {
    for (const hg::Language language : {hg::Language::English, hg::Language::Japanese}) {
        const std::string usage = hg::messageText(hg::MessageId::Usage, language);
        for (const HackOptionRow& row : hg::hackOptionTable()) {
            SCOPED_TRACE(row.name);
            const std::string text = hg::messageText(row.help, language);
            ASSERT_NE(text.find('\t'), std::string::npos) << text;
            if (row.kind != HackOptionKind::Ignored) {
                const std::regex named(std::string("-") + row.name + "([^a-z-]|$)");
                EXPECT_TRUE(std::regex_search(usage, named));
            }
        }
    }
    // As --help printed them when they were one text.
    const std::pair<const char*, const char*> lines[] = {
        {"en", "  -delay US          microseconds between frames, 0 to 60000000 (30000)\n"},
        {"en", "  -mesh 1|2|4|8      average the DEM's posts in blocks of N x N\n"},
        {"en", "  -style NAME|N      the drawing style, by name or number 0 to 8\n"},
        {"en", "  -fps               show the frame rate\n"},
        // A Japanese character takes two columns.
        {"ja", "  -contour メートル  等高線間隔、0.2 から 1000\n"},
        {"ja", "  -dem ファイル      ファイルの DEM 全体をその場で読んで表示する\n"},
    };
    for (const auto& [language, line] : lines) {
        hgtest::ScopedEnv lang("HILLGLIMMER_LANG", language);
        const std::string text(line);
        const HackOptionRow* row = hg::findHackOption(text.substr(2, text.find(' ', 2) - 2));
        ASSERT_NE(row, nullptr) << line;
        EXPECT_EQ(hg::hackOptionHelpLine(*row), text);
    }
}
