// SPDX-License-Identifier: MIT
#include "platform/file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <random>

namespace hg {

InputFile& InputFile::operator=(InputFile&& other) noexcept {
    if (this != &other) {
        close();
        fd_ = other.fd_;
        other.fd_ = -1;
    }
    return *this;
}

bool InputFile::open(const std::filesystem::path& path) {
    close();
    do {
        fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    } while (fd_ < 0 && errno == EINTR);
    if (fd_ < 0) return false;
    struct stat st {};
    // A directory opens but cannot be read; treat it as not openable.
    if (::fstat(fd_, &st) != 0 || S_ISDIR(st.st_mode)) {
        close();
        return false;
    }
    return true;
}

void InputFile::close() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

std::optional<std::size_t> InputFile::read(void* buffer, std::size_t n) {
    if (fd_ < 0) return std::nullopt;
    auto* out = static_cast<char*>(buffer);
    std::size_t got = 0;
    while (got < n) {
        ssize_t r = ::read(fd_, out + got, n - got);
        if (r < 0) {
            if (errno == EINTR) continue;
            return std::nullopt;
        }
        if (r == 0) break;
        got += static_cast<std::size_t>(r);
    }
    return got;
}

bool InputFile::seek(std::uint64_t offset) {
    if (fd_ < 0) return false;
    return ::lseek(fd_, static_cast<off_t>(offset), SEEK_SET) >= 0;
}

std::optional<std::uint64_t> InputFile::size() const {
    if (fd_ < 0) return std::nullopt;
    struct stat st {};
    if (::fstat(fd_, &st) != 0) return std::nullopt;
    return static_cast<std::uint64_t>(st.st_size);
}

std::optional<std::vector<char>> readWholeFile(const std::filesystem::path& path,
                                               std::uint64_t maxBytes) {
    InputFile f;
    if (!f.open(path)) return std::nullopt;
    auto size = f.size();
    if (!size || *size > maxBytes) return std::nullopt;
    std::vector<char> data(static_cast<std::size_t>(*size));
    auto got = f.read(data.data(), data.size());
    if (!got) return std::nullopt;
    data.resize(*got);
    return data;
}

bool writeAll(int fd, const void* data, std::size_t n) {
    const auto* p = static_cast<const char*>(data);
    while (n > 0) {
        ssize_t w = ::write(fd, p, n);
        if (w < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (w == 0) return false;
        p += w;
        n -= static_cast<std::size_t>(w);
    }
    return true;
}

namespace {

// A temporary file beside a target: its descriptor is closed and the file
// removed on every way out (a failed write, an exception from the writer)
// unless it was renamed into place.
class ScratchFile {
public:
    explicit ScratchFile(const std::filesystem::path& target) {
        std::filesystem::path dir = target.parent_path();
        if (dir.empty()) dir = ".";
        // Built by appending: GCC 12 warns falsely about a chain of + here.
        std::string pattern = dir.string();
        pattern += "/.";
        pattern += target.filename().string();
        pattern += ".XXXXXX";
        std::vector<char> name(pattern.begin(), pattern.end());
        name.push_back('\0');
        fd_ = ::mkstemp(name.data());
        if (fd_ >= 0) path_ = name.data();
    }
    ~ScratchFile() {
        if (fd_ >= 0) ::close(fd_);
        if (!path_.empty()) {
            std::error_code ec;
            std::filesystem::remove(path_, ec);
        }
    }
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;

    int fd() const { return fd_; }

    // Flushes the data to disk and closes; a late write error shows here.
    bool finish() {
        bool ok = ::fsync(fd_) == 0;
        ok = (::close(fd_) == 0) && ok;
        fd_ = -1;
        return ok;
    }

    bool renameTo(const std::filesystem::path& target) {
        if (::rename(path_.c_str(), target.c_str()) != 0) return false;
        path_.clear();
        return true;
    }

    const std::filesystem::path& path() const { return path_; }

private:
    int fd_ = -1;
    std::filesystem::path path_;
};

}  // namespace

bool replaceFileAtomically(const std::filesystem::path& target,
                           const std::function<bool(int fd)>& writer) {
    ScratchFile scratch(target);
    if (scratch.fd() < 0) return false;
    if (!writer(scratch.fd()) || !scratch.finish()) return false;
    // Keep the permissions a plain new file would get.
    mode_t mask = ::umask(0);
    ::umask(mask);
    ::chmod(scratch.path().c_str(), 0666 & ~mask);
    if (!scratch.renameTo(target)) return false;
    // Make the rename itself durable.
    std::filesystem::path dir = target.parent_path();
    if (dir.empty()) dir = ".";
    int dfd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
    return true;
}

bool copyFileAtomically(const std::filesystem::path& source, const std::filesystem::path& target) {
    std::error_code ec;
    if (std::filesystem::exists(target, ec) && std::filesystem::equivalent(source, target, ec)) {
        return true;
    }
    InputFile in;
    if (!in.open(source)) return false;
    return replaceFileAtomically(target, [&](int fd) {
        std::vector<char> buffer(1 << 16);
        for (;;) {
            auto got = in.read(buffer.data(), buffer.size());
            if (!got) return false;
            if (*got == 0) return true;
            if (!writeAll(fd, buffer.data(), *got)) return false;
        }
    });
}

bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]);
        unsigned char y = static_cast<unsigned char>(b[i]);
        if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

std::string asciiLower(std::string_view s) {
    std::string out(s);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

std::optional<std::filesystem::path> findIgnoringCase(const std::filesystem::path& directory,
                                                      const std::string& name) {
    std::error_code ec;
    std::filesystem::path exact = directory / name;
    if (std::filesystem::exists(exact, ec)) return exact;
    std::optional<std::filesystem::path> found;
    std::filesystem::directory_iterator it(directory.empty() ? "." : directory, ec);
    if (ec) return std::nullopt;
    for (const auto& entry : it) {
        if (equalsIgnoringAsciiCase(entry.path().filename().string(), name)) {
            // Two names that differ only in case: refuse to guess.
            if (found) return std::nullopt;
            found = directory / entry.path().filename();
        }
    }
    return found;
}

std::optional<std::filesystem::path> resolveIgnoringCase(const std::filesystem::path& base,
                                                         const std::filesystem::path& relative) {
    std::filesystem::path current = base;
    for (const auto& part : relative) {
        auto next = findIgnoringCase(current, part.string());
        if (!next) return std::nullopt;
        current = *next;
    }
    return current;
}

}  // namespace hg
