// SPDX-License-Identifier: MIT
// Every text a user reads comes from the tables, in both languages: the
// tables are checked against each other, and the sources are scanned for
// texts built outside them.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "platform/messages.h"
#include "resources/dialog_texts.h"

namespace hg {
extern const char* const kJapaneseMessages[kMessageCount + 1];
}

namespace {

using hg::Language;
using hg::MessageId;

// The argument places of a text.
std::set<std::string> places(const std::string& t) {
    static const std::regex re(R"(\{[1-9]\})");
    return {std::sregex_token_iterator(t.begin(), t.end(), re), std::sregex_token_iterator()};
}

// Ids up to this one are the numbered messages of the original tables,
// whose Japanese column leaves some entries to the English text; every
// later one is ours and has its own Japanese.
constexpr int kLastInheritedMessage = static_cast<int>(MessageId::IllegalGsi10mDat);

TEST(UserTexts, EveryMessageOfOursIsTranslatedWithTheSameArguments) {
    const std::regex englishWord("[a-z]{3,}");
    for (int id = 1; id <= hg::kMessageCount; ++id) {
        const auto m = static_cast<MessageId>(id);
        const std::string en = hg::messageText(m, Language::English);
        const std::string ja = hg::messageText(m, Language::Japanese);
        EXPECT_EQ(places(en), places(ja)) << id;
        if (id <= kLastInheritedMessage) continue;
        EXPECT_NE(hg::kJapaneseMessages[id], nullptr) << id;
        // A text with English words in it must have been translated.
        if (std::regex_search(std::regex_replace(en, std::regex("hillglimmer|\\{[1-9]\\}"), ""),
                              englishWord)) {
            EXPECT_NE(en, ja) << id;
        }
    }
}

TEST(UserTexts, EveryDialogTextHasBothLanguages) {
    const std::vector<const char*> en = hg::dialogTextList(Language::English);
    const std::vector<const char*> ja = hg::dialogTextList(Language::Japanese);
    ASSERT_EQ(en.size(), ja.size());
    for (std::size_t i = 0; i < en.size(); ++i) {
        ASSERT_TRUE(en[i] && ja[i] && *en[i] && *ja[i]) << i;
        // Only the button word both languages share may stay the same.
        if (std::string(en[i]) != "OK") {
            EXPECT_STRNE(en[i], ja[i]) << i;
        }
    }
}

TEST(UserTexts, ArgumentsFillTheirPlaces) {
    const std::pair<std::string, const char*> cases[] = {
        {hg::fillArguments("{2} に {1} 枚", {"3", "out"}), "out に 3 枚"},
        {hg::fillArguments("-{1} {2}: {3}", {"mesh", "3", "use 1"}), "-mesh 3: use 1"},
        {hg::fillArguments("missing {2}", {"a"}), "missing {2}"},
        {hg::fillArguments("{0} {x} {", {"a"}), "{0} {x} {"},
    };
    for (const auto& [got, expected] : cases) EXPECT_EQ(got, expected);
}

// ---- the source scan ----

// Folders whose user texts must come from the tables.
const char* const kScannedFolders[] = {"config", "shell", "dem", "render", "settings", "platform"};

// Calls and assignments whose string literals reach a user.
const std::regex kUserTextSink(
    R"(\b(showError|failRun|usageError|refuse|runGuarded|runtime_error|MessageError|fprintf|)"
    R"(fputs|puts|printf|setText|setToolTip|setWindowTitle|setTitle|setPlaceholderText|)"
    R"(QLabel|QPushButton|QCheckBox|QRadioButton|QGroupBox|addItem|information|warning|)"
    R"(critical)\s*\(|\berror\s*=(?!=))");

// Literals that are the same in every language: the program's name, units,
// and the message-box captions that name where a failure happened.
const std::set<std::string> kSameInEveryLanguage = {
    "Hillglimmer GSI-50m zumei.csv",
};

// Whether a literal's text (escapes as written) holds words: what is left
// after format directives, escapes, the program's name and units.
bool holdsWords(std::string text) {
    if (kSameInEveryLanguage.count(text) != 0) return false;
    text = std::regex_replace(text, std::regex(R"(\\.)"), " ");
    text = std::regex_replace(text, std::regex(R"(%[-+ #0-9.]*[hlzjt]*[a-zA-Z])"), " ");
    text = std::regex_replace(text, std::regex(R"(\b(hillglimmer|Hillglimmer|fps|km|m)\b)"), " ");
    // Names of library calls a failure names, such as eglCreateContext.
    text = std::regex_replace(text, std::regex(R"(\begl[A-Z]\w*(\([A-Z_]*\))?)"), " ");
    return std::regex_search(text, std::regex("[A-Za-z]{2,}"));
}

// From the opening quote at i to its closing one.
std::size_t literalEnd(const std::string& s, std::size_t i) {
    for (const char q = s[i++]; i < s.size() && s[i] != q; ++i)
        if (s[i] == '\\') ++i;
    return i;
}

// "line: literal" for each literal with words among a sink's arguments;
// comments are blanked first, keeping their line ends.
std::vector<std::string> userTextsOutsideTables(std::string s) {
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '"' || s[i] == '\'') {
            i = literalEnd(s, i);
        } else if (s.compare(i, 2, "//") == 0 || s.compare(i, 2, "/*") == 0) {
            const std::size_t end = s[i + 1] == '/' ? s.find('\n', i) : s.find("*/", i) + 2;
            for (; i < std::min(end, s.size()); ++i)
                if (s[i] != '\n') s[i] = ' ';
        }
    }
    std::vector<std::string> found;
    for (auto it = std::sregex_iterator(s.begin(), s.end(), kUserTextSink);
         it != std::sregex_iterator(); ++it) {
        std::size_t i = static_cast<std::size_t>(it->position() + it->length());
        const bool call = s[i - 1] == '(';
        for (int depth = call ? 1 : 0; i < s.size(); ++i) {
            if (s[i] == '"' || s[i] == '\'') {
                const std::size_t start = i + 1;
                i = literalEnd(s, i);
                const std::string literal = s.substr(start, i - start);
                if (s[start - 1] == '"' && holdsWords(literal)) {
                    const auto line = std::count(s.begin(), s.begin() + static_cast<long>(i), '\n');
                    found.push_back(std::to_string(line + 1) + ": \"" + literal + "\"");
                }
            } else if (s[i] == '(' || s[i] == ')') {
                depth += s[i] == '(' ? 1 : -1;
                if (depth <= 0 && call) break;
            } else if (s[i] == ';' && depth <= 0) {
                break;
            }
        }
    }
    return found;
}

TEST(UserTexts, ScanFindsTextsBuiltOutsideTheTables) {
    struct Case {
        const char* source;
        std::size_t found;
    };
    const Case cases[] = {
        {R"(std::fputs("cannot open display\n", stderr);)", 1},
        {R"(return failRun(std::string("cannot open ") + d);)", 1},
        {R"(if (error) *error = "-delay needs a number";)", 1},
        {"label->setText(\n  QString(\"first\") +\n \"second\");", 2},
        {R"(std::fprintf(stderr, "hillglimmer: %s\n", text.c_str());)", 0},
        {R"(// std::fputs("in a comment", stderr);)", 0},
        {R"(/* setText("old") */ w->setObjectName("id1015");)", 0},
        {R"(if (error == "x") f("free text"); )", 0},
        {R"(std::puts("Hillglimmer " HG_VERSION);)", 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(userTextsOutsideTables(c.source).size(), c.found) << c.source;
    }
}

TEST(UserTexts, NoUserTextIsBuiltOutsideTheTables) {
    const std::filesystem::path root = HG_SOURCE_DIR;
    std::string found;
    std::size_t files = 0;
    for (const char* folder : kScannedFolders) {
        for (const auto& entry : std::filesystem::recursive_directory_iterator(root / folder)) {
            if (entry.path().extension() != ".cpp" && entry.path().extension() != ".h") continue;
            std::stringstream text;
            text << std::ifstream(entry.path()).rdbuf();
            ++files;
            for (const std::string& f : userTextsOutsideTables(text.str()))
                found += "\n  " + std::filesystem::relative(entry.path(), root).string() + ":" + f;
        }
    }
    EXPECT_GT(files, 10u);
    EXPECT_EQ(found, "") << "texts built outside the message and dialog tables:" << found;
}

}  // namespace
