// SPDX-License-Identifier: MIT
#include "support/test_support.h"

#include "platform/sanitizer_support.h"

#include <unistd.h>

#include <clocale>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace {
// Every test program: keep the GL drivers mapped so leak reports stay readable.
const bool kDriversKept = [] {
    hg::keepGlDriversLoaded();
    return true;
}();
}  // namespace

namespace hgtest {

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "hgtest-XXXXXX").string();
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back('\0');
    if (::mkdtemp(buf.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = buf.data();
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

ScopedEnv::ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* p = std::getenv(name)) {
        hadPrevious_ = true;
        previous_ = p;
    }
    if (value) {
        ::setenv(name, value, 1);
    } else {
        ::unsetenv(name);
    }
}

ScopedEnv::~ScopedEnv() {
    if (hadPrevious_) {
        ::setenv(name_.c_str(), previous_.c_str(), 1);
    } else {
        ::unsetenv(name_.c_str());
    }
}

ScopedHome::ScopedHome() {
    if (const char* p = std::getenv("HILLGLIMMER_HOME")) {
        hadPrevious_ = true;
        previous_ = p;
    }
    ::setenv("HILLGLIMMER_HOME", dir_.path().c_str(), 1);
}

ScopedHome::~ScopedHome() {
    if (hadPrevious_) {
        ::setenv("HILLGLIMMER_HOME", previous_.c_str(), 1);
    } else {
        ::unsetenv("HILLGLIMMER_HOME");
    }
}

namespace {

constexpr const char* kCommaLocale = "de_DE.UTF-8";

bool selectCommaLocale() {
    if (std::setlocale(LC_ALL, kCommaLocale) == nullptr) return false;
    return std::strcmp(std::localeconv()->decimal_point, ",") == 0;
}

// Compiles the locale into <build>/test-locales. Each test runs in a
// process of its own, possibly two at once: the first to finish renames
// its copy into place and the others drop theirs.
std::string compileCommaLocale(std::filesystem::path& dir) {
    dir = std::filesystem::path(HG_BINARY_DIR) / "test-locales";
    const std::filesystem::path target = dir / kCommaLocale;
    std::error_code ec;
    if (std::filesystem::exists(target / "LC_NUMERIC", ec)) return {};
    std::filesystem::create_directories(dir, ec);
    const std::filesystem::path scratch = dir / ("making-" + std::to_string(::getpid()));
    std::filesystem::create_directories(scratch, ec);
    const std::string command =
        "localedef -i de_DE -f UTF-8 '" + (scratch / kCommaLocale).string() + "' >/dev/null 2>&1";
    const int status = std::system(command.c_str());
    if (!std::filesystem::exists(scratch / kCommaLocale / "LC_NUMERIC", ec)) {
        std::filesystem::remove_all(scratch, ec);
        return "no de_DE.UTF-8 locale, and `localedef -i de_DE -f UTF-8` failed (status " +
               std::to_string(status) + "; the Debian package `locales` provides its sources)";
    }
    std::filesystem::rename(scratch / kCommaLocale, target, ec);
    std::filesystem::remove_all(scratch, ec);
    return {};
}

}  // namespace

ScopedCommaLocale::ScopedCommaLocale() : previous_(std::setlocale(LC_ALL, nullptr)) {
    if (selectCommaLocale()) {
        active_ = true;
        return;
    }
    std::filesystem::path dir;
    whyNot_ = compileCommaLocale(dir);
    if (!whyNot_.empty()) return;
    {
        // glibc reads LOCPATH when it loads a locale, not afterwards.
        ScopedEnv path("LOCPATH", dir.c_str());
        active_ = selectCommaLocale();
    }
    if (!active_) {
        std::setlocale(LC_ALL, previous_.c_str());
        whyNot_ = "the locale compiled into " + dir.string() + " does not write a decimal comma";
    }
}

ScopedCommaLocale::~ScopedCommaLocale() {
    std::setlocale(LC_ALL, previous_.c_str());
}

void writeFile(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path.string());
}

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::filesystem::path sharedData(const std::string& relative) {
    std::filesystem::path p = std::filesystem::path(HG_SHARED_DATA) / relative;
    std::error_code ec;
    return std::filesystem::exists(p, ec) ? p : std::filesystem::path();
}

std::vector<float> readFloats(const std::filesystem::path& path) {
    std::string bytes = readFile(path);
    std::vector<float> out(bytes.size() / 4);
    for (std::size_t i = 0; i < out.size(); ++i) {
        unsigned char b[4];
        std::memcpy(b, bytes.data() + i * 4, 4);
        std::uint32_t u =
            b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<std::uint32_t>(b[3]) << 24);
        std::memcpy(&out[i], &u, 4);
    }
    return out;
}

}  // namespace hgtest
