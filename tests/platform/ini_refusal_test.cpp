// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <functional>
#include <string>

#include "platform/messages.h"
#include "platform/profile_store.h"
#include "support/test_support.h"

namespace {

using hgtest::readFile;
using hgtest::writeFile;

// A settings file that cannot be read whole gives defaults, is never
// written, and says so naming itself; one just inside the limit is read.
TEST(IniRefusal, AFileNotReadWholeIsNeverRewritten) {
    const std::string settings = "[Hillglimmer]\nsel=4\n";
    struct Case {
        const char* name;
        std::function<void(const std::filesystem::path&)> make;
        bool refused;
    };
    const std::vector<Case> cases = {
        {"eighteen_megabytes",
         [&](const auto& p) { writeFile(p, settings + std::string(18u << 20, ';') + "\n"); }, true},
        {"one_byte_over",
         [&](const auto& p) {
             writeFile(p, settings + std::string(hg::kMaxIniBytes - settings.size() + 1, '\n'));
         },
         true},
        {"a_pipe", [](const auto& p) { ASSERT_EQ(::mkfifo(p.c_str(), 0600), 0); }, true},
        {"a_folder", [](const auto& p) { std::filesystem::create_directory(p); }, true},
        {"at_the_limit",
         [&](const auto& p) {
             writeFile(p, settings + std::string(hg::kMaxIniBytes - settings.size(), '\n'));
         },
         false},
        {"missing", [](const auto&) {}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        hgtest::TempDir dir;
        const auto path = dir / "Hillglimmer.ini";
        c.make(path);
        const bool wasFile = std::filesystem::is_regular_file(path);
        const std::string before = wasFile ? readFile(path) : "";
        hg::IniProfileStore store(path);
        const std::optional<std::string> why = store.unreadable();
        EXPECT_EQ(why.has_value(), c.refused);
        if (!c.refused) {
            EXPECT_EQ(store.getInt("Hillglimmer", "sel", -1), wasFile ? 4 : -1);
            continue;
        }
        EXPECT_NE(why->find(path.string()), std::string::npos) << *why;
        EXPECT_NE(why->find(hg::loadMessage(hg::MessageId::SettingsNotReadWhole)),
                  std::string::npos);
        EXPECT_EQ(store.getInt("Hillglimmer", "sel", -1), -1);
        EXPECT_FALSE(store.putString("Hillglimmer", "demType", "7"));
        EXPECT_FALSE(store.apply({{"Hillglimmer", "sel", std::nullopt}}));
        if (wasFile) {
            EXPECT_TRUE(readFile(path) == before);
        }
        EXPECT_EQ(std::filesystem::is_regular_file(path), wasFile);
    }
}

}  // namespace
