// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace hg {

// A file opened for reading. Closed when the object goes away, so a reader
// that throws never leaks its handle.
class InputFile {
public:
    InputFile() = default;
    explicit InputFile(const std::filesystem::path& path) { open(path); }
    ~InputFile() { close(); }
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;
    InputFile(InputFile&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
    InputFile& operator=(InputFile&& other) noexcept;

    bool open(const std::filesystem::path& path);
    bool isOpen() const { return fd_ >= 0; }
    void close();

    // Reads up to n bytes; the count that arrived (fewer only at the end of
    // the file), or nullopt when the read call failed or the file is not open.
    std::optional<std::size_t> read(void* buffer, std::size_t n);
    // Repositions to an absolute offset; false on failure.
    bool seek(std::uint64_t offset);
    // Size of the open file, or nullopt.
    std::optional<std::uint64_t> size() const;

private:
    int fd_ = -1;
};

// The whole file, or nullopt when it cannot be read. Files above maxBytes
// are refused rather than loaded.
std::optional<std::vector<char>> readWholeFile(const std::filesystem::path& path,
                                               std::uint64_t maxBytes = 1ull << 31);

// Writes a file through a temporary beside the target, synced and renamed
// into place, so the target is either the old file or the complete new one.
// writer receives the open temporary's descriptor and returns false on a
// failed write; the temporary is then removed and the target left alone.
bool replaceFileAtomically(const std::filesystem::path& target,
                           const std::function<bool(int fd)>& writer);

// Writes all n bytes to fd, retrying short writes; false on failure.
bool writeAll(int fd, const void* data, std::size_t n);

// Copies source over target atomically. The target keeps its old content
// when anything fails. Copying a file onto itself changes nothing and
// succeeds.
bool copyFileAtomically(const std::filesystem::path& source,
                        const std::filesystem::path& target);

// The entry of directory whose name equals name, exactly if such an entry
// exists, else the single entry equal ignoring ASCII case. Only the name is
// compared without case; the directory is taken as given.
std::optional<std::filesystem::path> findIgnoringCase(const std::filesystem::path& directory,
                                                      const std::string& name);

// Follows path component by component below base, matching each
// component ignoring case (as findIgnoringCase does).
std::optional<std::filesystem::path> resolveIgnoringCase(const std::filesystem::path& base,
                                                         const std::filesystem::path& relative);

bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b);
std::string asciiLower(std::string_view s);

}  // namespace hg
