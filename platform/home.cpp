// SPDX-License-Identifier: MIT
#include "platform/home.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

namespace hg {

namespace {
const char* nonEmptyEnv(const char* name) {
    const char* v = std::getenv(name);
    return (v != nullptr && *v != '\0') ? v : nullptr;
}
}  // namespace

std::filesystem::path homeDirectory() {
    std::filesystem::path dir;
    if (const char* h = nonEmptyEnv("HILLGLIMMER_HOME")) {
        dir = h;
    } else if (const char* x = nonEmptyEnv("XDG_CONFIG_HOME")) {
        dir = std::filesystem::path(x) / "hillglimmer";
    } else {
        const char* home = nonEmptyEnv("HOME");
        if (home == nullptr) {
            if (const passwd* pw = ::getpwuid(::getuid())) home = pw->pw_dir;
        }
        if (home == nullptr) return {};
        dir = std::filesystem::path(home) / ".config" / "hillglimmer";
    }
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (!std::filesystem::is_directory(dir, ec)) return {};
    return dir;
}

std::filesystem::path settingsPath() { return homeDirectory() / kSettingsFileName; }

std::filesystem::path workingFilePath() { return homeDirectory() / kWorkingFileName; }

}  // namespace hg
