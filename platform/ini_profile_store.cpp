// SPDX-License-Identifier: MIT
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>
#include <vector>

#include "platform/file.h"
#include "platform/home.h"
#include "platform/messages.h"
#include "platform/profile_store.h"
#include "platform/text_number.h"

namespace hg {

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

struct IniText {
    std::vector<std::string> lines;
    bool crlf = false;
    // Editors that save UTF-8 often put a byte-order mark first; it belongs
    // to the file, not to the first section's name.
    bool bom = false;
};

// The whole file; an empty text when there is none; nothing when it
// cannot be read whole. Opened without blocking, so a pipe or a device in
// its place is refused instead of waited on or read forever.
std::optional<std::string> readIniFile(const std::filesystem::path& path) {
    int fd;
    do {
        fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        if (errno == ENOENT) return std::string();
        return std::nullopt;
    }
    struct FdCloser {
        int fd;
        ~FdCloser() { ::close(fd); }
    } closer{fd};
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) ||
        static_cast<std::uint64_t>(st.st_size) > kMaxIniBytes) {
        return std::nullopt;
    }
    // Read to the end, not to the size seen: a file growing meanwhile past
    // the limit is refused rather than cut.
    std::string text;
    char buffer[1 << 14];
    for (;;) {
        const ssize_t r = ::read(fd, buffer, sizeof buffer);
        if (r < 0) {
            if (errno == EINTR) continue;
            return std::nullopt;
        }
        if (r == 0) break;
        text.append(buffer, static_cast<std::size_t>(r));
        if (text.size() > kMaxIniBytes) return std::nullopt;
    }
    return text;
}

IniText parseIni(std::string_view text) {
    IniText ini;
    if (text.substr(0, kUtf8Bom.size()) == kUtf8Bom) {
        ini.bom = true;
        text.remove_prefix(kUtf8Bom.size());
    }
    std::string line;
    for (char c : text) {
        if (c == '\n') {
            if (!line.empty() && line.back() == '\r') {
                line.pop_back();
                ini.crlf = true;
            }
            ini.lines.push_back(std::move(line));
            line.clear();
        } else {
            line.push_back(c);
        }
    }
    if (!line.empty()) {
        if (line.back() == '\r') line.pop_back();
        ini.lines.push_back(std::move(line));
    }
    return ini;
}

std::optional<IniText> loadIni(const std::filesystem::path& path) {
    std::optional<std::string> text = readIniFile(path);
    if (!text) return std::nullopt;
    return parseIni(*text);
}

std::string_view trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

// The section name when line is a section header.
std::optional<std::string_view> sectionOf(std::string_view line) {
    std::string_view t = trim(line);
    if (t.size() < 2 || t.front() != '[') return std::nullopt;
    auto close = t.find(']');
    if (close == std::string_view::npos) return std::nullopt;
    return trim(t.substr(1, close - 1));
}

bool isComment(std::string_view line) {
    std::string_view t = trim(line);
    return t.empty() || t.front() == ';' || t.front() == '#';
}

// Key and value of a "key=value" line.
std::optional<std::pair<std::string_view, std::string_view>> entryOf(std::string_view line) {
    if (isComment(line)) return std::nullopt;
    auto eq = line.find('=');
    if (eq == std::string_view::npos) return std::nullopt;
    return std::make_pair(trim(line.substr(0, eq)), trim(line.substr(eq + 1)));
}

struct Location {
    bool sectionFound = false;
    std::size_t sectionEnd = 0;  // index after the section's last non-blank line
    std::optional<std::size_t> keyLine;
};

Location locate(const IniText& ini, const std::string& section, const std::string& key) {
    Location loc;
    bool inSection = false;
    for (std::size_t i = 0; i < ini.lines.size(); ++i) {
        const std::string& line = ini.lines[i];
        if (auto s = sectionOf(line)) {
            if (inSection) break;  // the first matching section is the one used
            inSection = equalsIgnoringAsciiCase(*s, section);
            if (inSection) {
                loc.sectionFound = true;
                loc.sectionEnd = i + 1;
            }
            continue;
        }
        if (!inSection) continue;
        if (!trim(line).empty()) loc.sectionEnd = i + 1;
        if (auto e = entryOf(line); e && !loc.keyLine && equalsIgnoringAsciiCase(e->first, key)) {
            loc.keyLine = i;
        }
    }
    return loc;
}

std::optional<std::string> lookup(const std::filesystem::path& path, const std::string& section,
                                  const std::string& key) {
    std::optional<IniText> ini = loadIni(path);
    if (!ini) return std::nullopt;
    Location loc = locate(*ini, section, key);
    if (!loc.keyLine) return std::nullopt;
    std::string_view value = entryOf(ini->lines[*loc.keyLine])->second;
    if (value.size() >= 2 && ((value.front() == '"' && value.back() == '"') ||
                              (value.front() == '\'' && value.back() == '\''))) {
        value = value.substr(1, value.size() - 2);
    }
    return std::string(value);
}

}  // namespace

int IniProfileStore::getInt(const std::string& section, const std::string& key, int def) const {
    auto value = lookup(path_, section, key);
    if (!value || value->empty()) return def;
    return clampedLeadingInteger<int>(*value);
}

std::string IniProfileStore::getString(const std::string& section, const std::string& key,
                                       const std::string& def, std::size_t bufferSize) const {
    auto value = lookup(path_, section, key);
    std::string result = value ? *value : def;
    std::size_t limit = bufferSize > 0 ? bufferSize - 1 : 0;
    if (result.size() > limit) result.resize(limit);
    return result;
}

namespace {

void removeEntry(IniText& ini, const std::string& section, const std::string& key) {
    for (;;) {
        Location loc = locate(ini, section, key);
        if (!loc.keyLine) return;
        ini.lines.erase(ini.lines.begin() + static_cast<std::ptrdiff_t>(*loc.keyLine));
    }
}

void setEntry(IniText& ini, const std::string& section, const std::string& key,
              const std::string& value) {
    std::string clean = value;
    // A line break in a value would split it into a second entry.
    for (char& c : clean) {
        if (c == '\n' || c == '\r') c = ' ';
    }
    Location loc = locate(ini, section, key);
    if (loc.keyLine) {
        std::string_view oldKey = entryOf(ini.lines[*loc.keyLine])->first;
        ini.lines[*loc.keyLine] = std::string(oldKey) + "=" + clean;
    } else if (loc.sectionFound) {
        ini.lines.insert(ini.lines.begin() + static_cast<std::ptrdiff_t>(loc.sectionEnd),
                         key + "=" + clean);
    } else {
        if (!ini.lines.empty() && !trim(ini.lines.back()).empty()) ini.lines.emplace_back();
        ini.lines.push_back("[" + section + "]");
        ini.lines.push_back(key + "=" + clean);
    }
}

bool saveIni(const std::filesystem::path& path, const IniText& ini) {
    std::string text(ini.bom ? kUtf8Bom : std::string_view());
    const char* eol = ini.crlf ? "\r\n" : "\n";
    for (const auto& line : ini.lines) {
        text += line;
        text += eol;
    }
    return replaceFileAtomically(path,
                                 [&](int fd) { return writeAll(fd, text.data(), text.size()); });
}

}  // namespace

IniProfileStore::~IniProfileStore() {
    if (lockFd_ >= 0) ::close(lockFd_);
}

std::filesystem::path IniProfileStore::lockPath() const {
    std::filesystem::path p = path_;
    p += ".lock";
    return p;
}

bool IniProfileStore::lock() {
    return take(false);
}

bool IniProfileStore::lockShared() {
    return take(true);
}

bool IniProfileStore::take(bool shared) {
    if (lockDepth_ > 0) {
        // Turning a shared flock into an exclusive one drops it first, so
        // the reader's view of the DEM and its settings would no longer be
        // one: refuse instead.
        if (lockShared_ && !shared) return false;
        ++lockDepth_;
        return true;
    }
    std::filesystem::path file = lockPath();
    int fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    // An existing lock file on a read-only disk still serves for reading.
    if (fd < 0) fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    const int kind = shared ? LOCK_SH : LOCK_EX;
    int r;
    if (keepWaiting_) {
        while ((r = ::flock(fd, kind | LOCK_NB)) != 0 && (errno == EWOULDBLOCK || errno == EINTR) &&
               keepWaiting_()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    } else {
        do {
            r = ::flock(fd, kind);
        } while (r != 0 && errno == EINTR);
    }
    if (r != 0) {
        ::close(fd);
        return false;
    }
    lockFd_ = fd;
    lockDepth_ = 1;
    lockShared_ = shared;
    return true;
}

void IniProfileStore::unlock() {
    if (lockDepth_ == 0 || --lockDepth_ > 0) return;
    // Closing the only descriptor drops the flock.
    ::close(lockFd_);
    lockFd_ = -1;
}

bool IniProfileStore::putString(const std::string& section, const std::string& key,
                                const std::string& value) {
    return apply({{section, key, value}});
}

bool IniProfileStore::putStrings(const std::string& section, const std::vector<Entry>& entries) {
    std::vector<Change> changes;
    changes.reserve(entries.size());
    for (const auto& [key, value] : entries) changes.push_back({section, key, value});
    return apply(changes);
}

bool IniProfileStore::apply(const std::vector<Change>& changes) {
    ScopedStoreLock held(*this);
    if (!held.held()) return false;
    std::optional<IniText> ini = loadIni(path_);
    if (!ini) return false;
    for (const Change& c : changes) {
        if (c.value) {
            setEntry(*ini, c.section, c.key, *c.value);
        } else {
            removeEntry(*ini, c.section, c.key);
        }
    }
    return saveIni(path_, *ini);
}

std::optional<std::string> IniProfileStore::unreadable() const {
    if (readIniFile(path_)) return std::nullopt;
    return path_.string() + ": " + loadMessage(MessageId::SettingsNotReadWhole);
}

// Every write already reached the disk; flushing has nothing left to do.
bool IniProfileStore::flush() {
    return true;
}

IniProfileStore userSettings() {
    return IniProfileStore(settingsPath());
}

}  // namespace hg
