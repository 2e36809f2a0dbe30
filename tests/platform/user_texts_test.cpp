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

std::set<std::string> placeholders(const std::string& text) {
    std::set<std::string> found;
    const std::regex re(R"(\{[1-9]\})");
    for (auto it = std::sregex_iterator(text.begin(), text.end(), re); it != std::sregex_iterator();
         ++it)
        found.insert(it->str());
    return found;
}

// Ids up to this one are the numbered messages of the original tables,
// whose Japanese column leaves some entries to the English text; every
// later one is ours and has its own Japanese.
constexpr int kLastInheritedMessage = static_cast<int>(MessageId::IllegalGsi10mDat);

TEST(UserTexts, EveryMessageHasBothLanguagesWithTheSameArguments) {
    const std::regex englishWord("[a-z]{3,}");
    for (int id = 1; id <= hg::kMessageCount; ++id) {
        const auto m = static_cast<MessageId>(id);
        const std::string en = hg::messageText(m, Language::English);
        const std::string ja = hg::messageText(m, Language::Japanese);
        EXPECT_FALSE(en.empty()) << id;
        EXPECT_FALSE(ja.empty()) << id;
        EXPECT_EQ(placeholders(en), placeholders(ja)) << id;
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
        ASSERT_NE(en[i], nullptr) << i;
        ASSERT_NE(ja[i], nullptr) << i;
        EXPECT_STRNE(en[i], "") << i;
        EXPECT_STRNE(ja[i], "") << i;
        // Only the button word both languages share may stay the same.
        if (std::string(en[i]) != "OK") {
            EXPECT_STRNE(en[i], ja[i]) << i;
        }
    }
}

TEST(UserTexts, ArgumentsFillTheirPlaces) {
    struct Case {
        const char* text;
        std::vector<std::string> args;
        const char* expected;
    };
    const Case cases[] = {
        {"{2} に {1} 枚", {"3", "out"}, "out に 3 枚"},
        {"-{1} {2}: {3}", {"mesh", "3", "use 1"}, "-mesh 3: use 1"},
        {"{1}{1}", {"a"}, "aa"},
        {"missing {2}", {"a"}, "missing {2}"},
        {"{0} {x} {", {"a"}, "{0} {x} {"},
    };
    for (const Case& c : cases) {
        std::string got;
        switch (c.args.size()) {
            case 1:
                got = hg::fillArguments(c.text, {c.args[0]});
                break;
            case 2:
                got = hg::fillArguments(c.text, {c.args[0], c.args[1]});
                break;
            default:
                got = hg::fillArguments(c.text, {c.args[0], c.args[1], c.args[2]});
        }
        EXPECT_EQ(got, c.expected) << c.text;
    }
}

// ---- the source scan ----

// Folders whose user texts must come from the tables.
const char* const kScannedFolders[] = {"config", "shell"};

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
    return std::regex_search(text, std::regex("[A-Za-z]{2,}"));
}

// The source with comments blanked (line ends kept, so offsets keep their
// lines) and literals untouched.
std::string withoutComments(const std::string& s) {
    std::string out = s;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '"' || s[i] == '\'') {
            const char q = s[i];
            for (++i; i < s.size() && s[i] != q; ++i)
                if (s[i] == '\\') ++i;
        } else if (s.compare(i, 2, "//") == 0) {
            for (; i < s.size() && s[i] != '\n'; ++i) out[i] = ' ';
        } else if (s.compare(i, 2, "/*") == 0) {
            const std::size_t end = std::min(s.find("*/", i + 2), s.size() - 2) + 2;
            for (; i < end; ++i)
                if (s[i] != '\n') out[i] = ' ';
            --i;
        }
    }
    return out;
}

// "line: literal" for each literal with words inside a sink's arguments.
std::vector<std::string> userTextsOutsideTables(const std::string& source) {
    const std::string s = withoutComments(source);
    std::vector<std::string> found;
    for (auto it = std::sregex_iterator(s.begin(), s.end(), kUserTextSink);
         it != std::sregex_iterator(); ++it) {
        std::size_t i = static_cast<std::size_t>(it->position() + it->length());
        const bool call = s[i - 1] == '(';
        int depth = call ? 1 : 0;
        for (; i < s.size(); ++i) {
            const char c = s[i];
            if (c == '"') {
                const std::size_t start = ++i;
                for (; i < s.size() && s[i] != '"'; ++i)
                    if (s[i] == '\\') ++i;
                const std::string literal = s.substr(start, i - start);
                if (holdsWords(literal)) {
                    const auto line = std::count(s.begin(), s.begin() + static_cast<long>(i), '\n');
                    found.push_back(std::to_string(line + 1) + ": \"" + literal + "\"");
                }
            } else if (c == '\'') {
                for (++i; i < s.size() && s[i] != '\''; ++i)
                    if (s[i] == '\\') ++i;
            } else if (c == '(') {
                ++depth;
            } else if (c == ')') {
                if (--depth <= 0 && call) break;
            } else if (c == ';' && depth <= 0) {
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
        {R"(throw std::runtime_error("No sheet " + code);)", 1},
        {R"(std::fprintf(stderr, "hillglimmer: %s\n", text.c_str());)", 0},
        {R"(failRun(formatMessage(MessageId::CannotOpenDisplay, {display}));)", 0},
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
    std::vector<std::string> found;
    std::size_t files = 0;
    for (const char* folder : kScannedFolders) {
        for (const auto& entry : std::filesystem::recursive_directory_iterator(root / folder)) {
            const auto ext = entry.path().extension();
            if (ext != ".cpp" && ext != ".h") continue;
            std::ifstream in(entry.path());
            std::stringstream text;
            text << in.rdbuf();
            ++files;
            for (const std::string& f : userTextsOutsideTables(text.str()))
                found.push_back(std::filesystem::relative(entry.path(), root).string() + ":" + f);
        }
    }
    EXPECT_GT(files, 10u);
    std::string list;
    for (const std::string& f : found) list += "\n  " + f;
    EXPECT_TRUE(found.empty()) << "texts built outside the message and dialog tables:" << list;
}

}  // namespace
