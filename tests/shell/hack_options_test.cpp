// SPDX-License-Identifier: MIT
#include "shell/hack_options.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QXmlStreamReader>
#include <algorithm>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>

#include "platform/text_number.h"
#include "settings/settings.h"
#include "support/test_support.h"

using hg::HackOptionKind;
using hg::HackOptionRow;

namespace {

// The manual page with its "\-" read as the dash a reader sees.
std::string manualPage() {
    std::ifstream in(HG_SOURCE_DIR "/resources/man/hillglimmer.6x", std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return std::regex_replace(out.str(), std::regex(R"(\\-)"), "-");
}

// The values XScreenSaver's description passes to each option.
std::map<std::string, std::vector<std::string>> xmlValues() {
    QFile file(QString::fromStdString(HG_SOURCE_DIR "/resources/hillglimmer.xml"));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&file);
    std::map<std::string, std::vector<std::string>> given;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement) continue;
        for (const char* attribute : {"arg", "arg-set"}) {
            std::istringstream words(
                xml.attributes().value(QString::fromLatin1(attribute)).toString().toStdString());
            std::string option, value;
            if (words >> option) given[option].push_back(words >> value ? value : "");
        }
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    return given;
}

}  // namespace

// A hack must not run the styles where the setup dialog never lets them go,
// nor refuse what it offers; XScreenSaver's lists span the same range and
// pass no option outside the table.
TEST(HackOptionTable, RangesAreTheDialogsListsAndXScreenSaversLists) {
    const std::map<std::string, std::pair<double (*)(int), std::size_t>> dialog = {
        {hg::key::yFactor, {hg::altitudeFactorAt, hg::kAltitudeFactorTexts.size()}},
        {hg::key::step, {hg::contourIntervalAt, hg::kContourTexts.size()}},
        {hg::key::numMesh, {hg::meshBlockFor, hg::kMeshTexts.size()}},
        {hg::key::speed, {hg::speedAt, hg::kSpeedValues.size()}}};
    auto given = xmlValues();
    for (const auto& [option, values] : given) EXPECT_NE(hg::findHackOption(option), nullptr);
    for (const HackOptionRow& row : hg::hackOptionTable()) {
        SCOPED_TRACE(row.name);
        EXPECT_TRUE(row.settingKey == nullptr || given.count(std::string("-") + row.name) == 1u);
        if (row.kind != HackOptionKind::Number) continue;
        const auto [at, count] = dialog.at(row.settingKey);
        std::vector<double> list, offered;
        for (std::size_t p = 0; p < count; ++p) list.push_back(at(static_cast<int>(p)));
        for (const std::string& v : given[std::string("-") + row.name])
            offered.push_back(hg::parseNumber<double>(v).value_or(-1.0));
        for (const auto* values : {&list, &offered}) {
            EXPECT_EQ(*std::min_element(values->begin(), values->end()), row.low);
            EXPECT_EQ(*std::max_element(values->begin(), values->end()), row.high);
        }
        EXPECT_TRUE(row.values.empty() || std::ranges::equal(row.values, list));
    }
    EXPECT_NE(hg::findHackOption("--window-id"), nullptr);
    for (const char* name : {"style", "---style", "-Style", "-", "-windows"})
        EXPECT_EQ(hg::findHackOption(name), nullptr) << name;
}

// The manual page tells of every option with the table's figures, its
// synopsis shows every one that does something, and it offers no other.
TEST(HackOptionTable, ManualPageDescribesEveryOptionWithItsFigures) {
    const std::string page = manualPage();
    const auto start = page.find("\n.SH OPTIONS\n");
    ASSERT_NE(start, std::string::npos);
    const std::string section = page.substr(start, page.find("\n.SH ", start + 1) - start);
    const std::string synopsis = page.substr(0, page.find("\n.SH DESCRIPTION"));
    // Each ".TP" entry: a heading line naming options, then what they do.
    std::map<std::string, std::string> described;
    const std::regex option(R"(-([a-z]+(-[a-z]+)*))");
    for (auto at = section.find("\n.TP\n"); at != std::string::npos;) {
        const auto headEnd = section.find('\n', at + 5);
        const auto next = section.find("\n.TP\n", headEnd);
        const std::string head = section.substr(at + 5, headEnd - at - 5);
        std::string body =
            section.substr(headEnd, next == std::string::npos ? next : next - headEnd);
        std::replace(body.begin(), body.end(), '\n', ' ');
        for (std::sregex_iterator m(head.begin(), head.end(), option), none; m != none; ++m)
            described[(*m)[1].str()] = body;
        at = next;
    }
    for (const HackOptionRow& row : hg::hackOptionTable()) {
        SCOPED_TRACE(row.name);
        ASSERT_EQ(described.count(row.name), 1u);
        const std::string& text = described[row.name];
        std::vector<std::string> figures;
        double low = row.low, high = row.high;
        if (row.kind == HackOptionKind::Style) std::tie(low, high) = hg::offeredStyleNumbers();
        if (!row.values.empty()) {
            for (double v : row.values) figures.push_back(hg::formatFigure(v));
        } else if (high > low) {
            figures.push_back(hg::formatFigure(low) + " to " + hg::formatFigure(high));
        }
        if (row.kind == HackOptionKind::Delay)
            figures.push_back("default " + hg::formatFigure(row.defaultValue));
        for (const std::string& f : figures) EXPECT_NE(text.find(f), std::string::npos) << f;
        if (row.kind != HackOptionKind::Ignored) {
            const std::regex named(std::string("-") + row.name + "([^a-z-]|$)");
            EXPECT_TRUE(std::regex_search(synopsis, named));
        }
        described.erase(row.name);
    }
    for (const auto& [name, text] : described) ADD_FAILURE() << "the page offers -" << name;
}

// The help lines read as they did when --help was one text: figures in
// full, descriptions in one column, a Japanese character two columns wide.
TEST(HackOptionTable, HelpLinesKeepTheirColumnInEitherLanguage) {
    const std::pair<const char*, const char*> lines[] = {
        {"en", "  -delay US          microseconds between frames, 0 to 60000000 (30000)\n"},
        {"en", "  -mesh 1|2|4|8      average the DEM's posts in blocks of N x N\n"},
        {"en", "  -fps               show the frame rate\n"},
        {"ja", "  -contour メートル  等高線間隔、0.2 から 1000\n"},
    };
    for (const auto& [language, line] : lines) {
        hgtest::ScopedEnv lang("HILLGLIMMER_LANG", language);
        const std::string text(line);
        const HackOptionRow* row = hg::findHackOption(text.substr(2, text.find(' ', 2) - 2));
        ASSERT_NE(row, nullptr) << line;
        EXPECT_EQ(hg::hackOptionHelpLine(*row), text);
    }
}

// The usage's hack form, from the table: wrapped under where it starts in
// either language, every option in it but those only taken and dropped.
TEST(HackOptionTable, SynopsisWrapsUnderItsStartInEitherLanguage) {
    const std::pair<const char*, std::string> forms[] = {
        {"en",
         "[-root | -window | -window-id ID] [-delay US] [-fps]\n"
         "                   [-style NAME|N] [-mesh 1|2|4|8] [-altitude X] [-speed X]\n"
         "                   [-contour METRES] [-dem FILE]"},
        {"ja",
         "[-root | -window | -window-id ID] [-delay US] [-fps]\n"
         "                    [-style 名前|N] [-mesh 1|2|4|8] [-altitude X] [-speed X]\n"
         "                    [-contour メートル] [-dem ファイル]"},
    };
    for (const auto& [language, form] : forms) {
        hgtest::ScopedEnv lang("HILLGLIMMER_LANG", language);
        const std::size_t start = std::string(language) == "ja" ? 20 : 19;
        EXPECT_EQ(hg::hackOptionSynopsis(start), form) << language;
    }
}
