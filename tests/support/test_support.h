// SPDX-License-Identifier: MIT
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace hgtest {

// A fresh temporary directory, removed with the object.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

// Points HILLGLIMMER_HOME at a fresh directory for the object's life.
class ScopedHome {
public:
    ScopedHome();
    ~ScopedHome();
    const std::filesystem::path& path() const { return dir_.path(); }

private:
    TempDir dir_;
    std::string previous_;
    bool hadPrevious_ = false;
};

// Sets an environment variable for the object's life.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value);
    ~ScopedEnv();

private:
    std::string name_;
    std::string previous_;
    bool hadPrevious_ = false;
};

// The C library's locale switched to one that writes a decimal comma
// (de_DE.UTF-8), as a Qt program ends up with for a German user, for the
// object's life. Made once per build tree with localedef when the system
// lacks it; active() is false, with the reason, when that cannot be done.
class ScopedCommaLocale {
public:
    ScopedCommaLocale();
    ~ScopedCommaLocale();
    ScopedCommaLocale(const ScopedCommaLocale&) = delete;
    ScopedCommaLocale& operator=(const ScopedCommaLocale&) = delete;
    bool active() const { return active_; }
    const std::string& whyNot() const { return whyNot_; }

private:
    std::string previous_;
    bool active_ = false;
    std::string whyNot_;
};

void writeFile(const std::filesystem::path& path, const std::string& bytes);
std::string readFile(const std::filesystem::path& path);

// ../shared/data/<relative>, or empty when the shared samples are absent.
std::filesystem::path sharedData(const std::string& relative);

// Little-endian float32 grid as written by `info --heights` and the
// reference readers.
std::vector<float> readFloats(const std::filesystem::path& path);

}  // namespace hgtest

#define HG_REQUIRE_COMMA_LOCALE(locale) \
    if (!(locale).active()) GTEST_SKIP() << (locale).whyNot()

#define HG_REQUIRE_SHARED(path)                                    \
    do {                                                           \
        if ((path).empty())                                        \
            GTEST_SKIP() << "shared sample data not found beside " \
                            "the project: " HG_SHARED_DATA;        \
    } while (0)
