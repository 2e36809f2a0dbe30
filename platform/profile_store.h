// SPDX-License-Identifier: MIT
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace hg {

// The settings store: sections of keys with text values, read with a
// default written at the call site.
class ProfileStore {
public:
    virtual ~ProfileStore() = default;
    // Leading blanks, optional sign, decimal digits; def when the key is
    // missing.
    virtual int getInt(const std::string& section, const std::string& key, int def) const = 0;
    // The value truncated to bufferSize - 1 characters; def when missing.
    virtual std::string getString(const std::string& section, const std::string& key,
                                  const std::string& def, std::size_t bufferSize) const = 0;
    // False when the change could not be stored; the old file is then intact.
    virtual bool putString(const std::string& section, const std::string& key,
                           const std::string& value) = 0;
    // Several keys of one section changed together: all or none.
    using Entry = std::pair<std::string, std::string>;
    virtual bool putStrings(const std::string& section, const std::vector<Entry>& entries) = 0;
    // Keys of several sections changed together, all or none; a change
    // without a value removes its key.
    struct Change {
        std::string section;
        std::string key;
        std::optional<std::string> value;
    };
    virtual bool apply(const std::vector<Change>& changes) = 0;
    virtual bool flush() = 0;

    // Why the store's file cannot be read whole, naming it; nothing when it
    // can. While it cannot, reads give their defaults and every write is
    // refused, so a file that was only partly understood is never replaced
    // by the little that was.
    virtual std::optional<std::string> unreadable() const { return std::nullopt; }

    // Exclusive use against other processes, for a read-modify-write that
    // must not interleave with theirs. Nests: writes made while it is held
    // do not take it again. False when it cannot be had.
    virtual bool lock() = 0;
    // Use shared with other readers, for reading a DEM and the settings that
    // describe it as one: it keeps out only the exclusive holders, so readers
    // never wait on each other. A store without the distinction locks
    // exclusively. While only this is held, a write is refused: it would have
    // to let go of the lock to take it exclusively.
    virtual bool lockShared() { return lock(); }
    // Lets go of either kind.
    virtual void unlock() = 0;
};

enum class StoreLockMode { Exclusive, Shared };

// Holds a store's lock for the object's life.
class ScopedStoreLock {
public:
    explicit ScopedStoreLock(ProfileStore& store, StoreLockMode mode = StoreLockMode::Exclusive)
        : store_(store), held_(mode == StoreLockMode::Shared ? store.lockShared() : store.lock()) {}
    ~ScopedStoreLock() {
        if (held_) store_.unlock();
    }
    ScopedStoreLock(const ScopedStoreLock&) = delete;
    ScopedStoreLock& operator=(const ScopedStoreLock&) = delete;
    bool held() const { return held_; }

private:
    ProfileStore& store_;
    bool held_;
};

// An ini file with the private-profile rules: sections and keys compared
// without case, other sections, keys, comments and order kept across a
// write. A file above kMaxIniBytes, or one that is not a regular file or
// cannot be read, is refused whole (see unreadable()). Every read looks at the file as it is now
// and every write replaces it atomically under a flock on "<file>.lock" beside it, so two processes
// never undo each other's changes. A UTF-8 byte-order mark is kept.
// The largest settings file read. The program writes a few dozen keys (a
// few kilobytes), and every read parses the whole file again (some thirty
// at a saver start), so a megabyte leaves hundreds of times the room for
// hand-written comments and other sections while keeping those reads
// quick; anything larger is not a settings file of ours.
inline constexpr std::size_t kMaxIniBytes = 1u << 20;

class IniProfileStore final : public ProfileStore {
public:
    explicit IniProfileStore(std::filesystem::path path) : path_(std::move(path)) {}
    ~IniProfileStore() override;
    // A copy or a moved-to store starts without the lock.
    IniProfileStore(const IniProfileStore& other) : path_(other.path_) {}
    IniProfileStore(IniProfileStore&& other) noexcept : path_(std::move(other.path_)) {}
    IniProfileStore& operator=(const IniProfileStore&) = delete;
    IniProfileStore& operator=(IniProfileStore&&) = delete;

    int getInt(const std::string& section, const std::string& key, int def) const override;
    std::string getString(const std::string& section, const std::string& key,
                          const std::string& def, std::size_t bufferSize) const override;
    bool putString(const std::string& section, const std::string& key,
                   const std::string& value) override;
    bool putStrings(const std::string& section, const std::vector<Entry>& entries) override;
    bool apply(const std::vector<Change>& changes) override;
    bool flush() override;
    std::optional<std::string> unreadable() const override;
    bool lock() override;
    bool lockShared() override;
    void unlock() override;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path lockPath() const;

    // While another process holds the lock, lock() asks keepWaiting every
    // few milliseconds and fails once it says no. Without it the wait lasts
    // as long as the other holds the lock.
    void setLockWait(std::function<bool()> keepWaiting) { keepWaiting_ = std::move(keepWaiting); }

private:
    std::filesystem::path path_;
    std::function<bool()> keepWaiting_;
    bool take(bool shared);

    int lockFd_ = -1;
    int lockDepth_ = 0;
    bool lockShared_ = false;
};

// The store of the user's settings file in the home directory.
IniProfileStore userSettings();

}  // namespace hg
