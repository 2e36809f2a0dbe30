// SPDX-License-Identifier: MIT
#include "settings/dem_commit.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <stdexcept>

#include "platform/home.h"
#include "platform/messages.h"
#include "platform/text_number.h"
#include "settings/settings.h"

// How a DEM change stays whole.
//
// The working file and the settings that describe it (demType, the import's
// section, the reset part) are two files; a process can die between any two
// writes, and two changers can run at once. So every change:
//  1. finishes or undoes whatever an interrupted change left
//     (recoverDemCommit, under the settings lock for a moment);
//  2. writes the new working file into a folder of its own beside the old
//     one, holding a flock on the folder and not the settings lock: an
//     import of a large file takes minutes, and the saver, info and the part
//     chooser must not wait for it (they take the settings lock shared);
//  3. takes the settings lock exclusively and writes all of its settings in
//     one atomic replace of the settings file, together with a record naming
//     the staged file: this is the commit;
//  4. renames the staged file over the working file and removes the record,
//     still under the lock.
// A process that dies before 3 leaves the old DEM and a folder whose flock
// the kernel has dropped, which the next recovery deletes; a folder still
// locked belongs to a change in flight and is left alone. After 3, the next
// start finds the record and does the rename. Two changes staged at once
// commit one after the other, so the later commit is the DEM that stays.
//
// For tests, HILLGLIMMER_FAULT_STOP=N kills the process at the N-th step
// (see DemStaging::step) of a change, so every moment can be tried, and
// HILLGLIMMER_STEP_PAUSE=N:FIFO holds the change at its N-th step until the
// test has opened the fifo FIFO and written a byte to it (so the test knows,
// without guessing at times, that the change is in flight while it looks).

namespace hg {

namespace {

constexpr const char* kMissing = "\x01";
constexpr std::size_t kValueBuffer = 1u << 20;

void syncDirectory(const std::filesystem::path& dir) {
    int fd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// The scratch files replaceFileAtomically makes: "." + base + ".XXXXXX".
bool isScratchOf(const std::string& name, const std::string& base) {
    const std::string head = "." + base + ".";
    if (name.size() != head.size() + 6 || name.compare(0, head.size(), head) != 0) return false;
    for (std::size_t i = head.size(); i < name.size(); ++i) {
        const char c = name[i];
        const bool alnum =
            (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        if (!alnum) return false;
    }
    return true;
}

constexpr const char* kStagingInfix = ".staging.";

// "<working file>.staging.XXXXXX", as mkdtemp makes them.
bool isStagingFolderName(const std::string& name, const std::filesystem::path& memPath) {
    const std::string head = memPath.filename().string() + kStagingInfix;
    if (name.size() != head.size() + 6 || name.compare(0, head.size(), head) != 0) return false;
    return std::all_of(
        name.begin() + static_cast<std::ptrdiff_t>(head.size()), name.end(), [](char c) {
            return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        });
}

bool isLeftOver(const std::string& name, const std::filesystem::path& memPath) {
    const std::string mem = memPath.filename().string();
    const std::string staged = stagedWorkingFile(memPath).filename().string();
    // Where an earlier version staged its GSI 10 m copies.
    const std::string import = mem + ".import";
    return name == staged || name == import || isScratchOf(name, staged) ||
           isScratchOf(name, mem) || isScratchOf(name, import) ||
           isScratchOf(name, kSettingsFileName);
}

// Removes a staging folder if no live change holds it. The lock, taken
// here, keeps a change that is just making the folder from writing into it
// while it goes (the maker sees its folder gone and makes another).
void removeIfAbandoned(const std::filesystem::path& folder) {
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
        std::error_code ec;
        std::filesystem::remove_all(folder, ec);
    }
    ::close(fd);
}

// Under the settings lock: the scratch files of the settings file belong to
// a writer that holds it.
void removeLeftOvers(const std::filesystem::path& memPath) {
    std::filesystem::path dir = memPath.parent_path();
    std::error_code ec;
    std::filesystem::directory_iterator it(dir.empty() ? "." : dir, ec);
    if (ec) return;
    std::vector<std::filesystem::path> doomed, folders;
    for (const auto& entry : it) {
        const std::string name = entry.path().filename().string();
        if (isLeftOver(name, memPath)) doomed.push_back(entry.path());
        if (isStagingFolderName(name, memPath)) folders.push_back(entry.path());
    }
    for (const auto& p : doomed) std::filesystem::remove(p, ec);
    for (const auto& p : folders) removeIfAbandoned(p);
}

// The staged file a commit record names, if it is one of ours: the old
// fixed name or the working file's name inside a staging folder. Nothing
// else is ever renamed, whatever the settings file says.
std::optional<std::filesystem::path> recordedStagedFile(const std::string& record,
                                                        const std::filesystem::path& memPath) {
    const std::filesystem::path legacy = stagedWorkingFile(memPath);
    if (record == legacy.filename().string()) return legacy;
    const std::string mem = memPath.filename().string();
    const std::size_t slash = record.find('/');
    if (slash == std::string::npos || record.substr(slash + 1) != mem) return std::nullopt;
    const std::string folder = record.substr(0, slash);
    if (!isStagingFolderName(folder, memPath)) return std::nullopt;
    return memPath.parent_path() / folder / mem;
}

std::runtime_error settingsNotWritten() {
    return std::runtime_error(
        formatMessage(MessageId::SettingsNotWrittenKept, {settingsPath().string()}));
}

}  // namespace

const ProfileStore::Change* StagedSettings::find(const std::string& section,
                                                 const std::string& key) const {
    for (auto it = changes_.rbegin(); it != changes_.rend(); ++it) {
        if (it->section == section && it->key == key) return &*it;
    }
    return nullptr;
}

int StagedSettings::getInt(const std::string& section, const std::string& key, int def) const {
    const Change* c = find(section, key);
    if (!c) return base_.getInt(section, key, def);
    if (!c->value || c->value->empty()) return def;
    return clampedLeadingInteger<int>(*c->value);
}

std::string StagedSettings::getString(const std::string& section, const std::string& key,
                                      const std::string& def, std::size_t bufferSize) const {
    const Change* c = find(section, key);
    if (!c) return base_.getString(section, key, def, bufferSize);
    std::string result = c->value ? *c->value : def;
    std::size_t limit = bufferSize > 0 ? bufferSize - 1 : 0;
    if (result.size() > limit) result.resize(limit);
    return result;
}

bool StagedSettings::putString(const std::string& section, const std::string& key,
                               const std::string& value) {
    return apply({{section, key, value}});
}

bool StagedSettings::putStrings(const std::string& section, const std::vector<Entry>& entries) {
    for (const auto& [key, value] : entries) changes_.push_back({section, key, value});
    return true;
}

bool StagedSettings::apply(const std::vector<Change>& changes) {
    changes_.insert(changes_.end(), changes.begin(), changes.end());
    return true;
}

std::vector<ProfileStore::Change> StagedSettings::changes() const {
    std::vector<Change> out;
    for (std::size_t i = 0; i < changes_.size(); ++i) {
        if (find(changes_[i].section, changes_[i].key) == &changes_[i]) out.push_back(changes_[i]);
    }
    return out;
}

std::filesystem::path stagedWorkingFile(const std::filesystem::path& memPath) {
    std::filesystem::path p = memPath;
    p += ".new";
    return p;
}

namespace {

// The body of recoverDemCommit, for a caller that holds the lock.
bool recoverLocked(const std::filesystem::path& memPath, ProfileStore& store) {
    const std::string pending = store.getString(kSection, kPendingWorkingFileKey, "", 1024);
    bool finished = true;
    if (!pending.empty()) {
        std::error_code ec;
        const std::optional<std::filesystem::path> staged = recordedStagedFile(pending, memPath);
        if (staged && std::filesystem::exists(*staged, ec)) {
            std::filesystem::rename(*staged, memPath, ec);
            finished = !ec;
            if (finished) syncDirectory(memPath.parent_path());
        }
        // Without the staged file the rename had already happened.
        if (finished) finished = store.apply({{kSection, kPendingWorkingFileKey, std::nullopt}});
        if (!finished) return false;
    }
    removeLeftOvers(memPath);
    return true;
}

std::runtime_error earlierChangeStuck(const std::filesystem::path& memPath) {
    return std::runtime_error(formatMessage(MessageId::EarlierChangeStuck, {memPath.string()}));
}

}  // namespace

bool recoverDemCommit(const std::filesystem::path& memPath, ProfileStore& store) {
    ScopedStoreLock held(store);
    if (!held.held()) return false;
    return recoverLocked(memPath, store);
}

DemStage::DemStage(const std::filesystem::path& memPath, ProfileStore& store) : settings_(store) {
    if (const char* v = std::getenv("HILLGLIMMER_FAULT_STOP")) stopAt_ = std::atol(v);
    if (const char* v = std::getenv("HILLGLIMMER_STEP_PAUSE")) {
        const std::string_view text(v);
        const std::size_t colon = text.find(':');
        if (colon != std::string_view::npos) {
            pauseAt_ = parseNumber<int>(text.substr(0, colon)).value_or(0);
            pauseFifo_ = std::string(text.substr(colon + 1));
        }
    }
    {
        ScopedStoreLock held(store);
        if (!held.held()) throw settingsNotWritten();
        if (!recoverLocked(memPath, store)) throw earlierChangeStuck(memPath);
    }
    step();
    // A recovery elsewhere may take the new folder for abandoned between
    // its making and its lock; it is then gone, and another is made.
    for (int attempt = 0; attempt < 16 && lockFd_ < 0; ++attempt) {
        std::string pattern = memPath.string() + kStagingInfix + "XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr) break;
        int fd = ::open(pattern.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0) continue;
        int r;
        do {
            r = ::flock(fd, LOCK_EX);
        } while (r != 0 && errno == EINTR);
        struct stat held {
        }, named{};
        if (r == 0 && ::fstat(fd, &held) == 0 && ::stat(pattern.c_str(), &named) == 0 &&
            held.st_ino == named.st_ino && held.st_dev == named.st_dev) {
            lockFd_ = fd;
            dir_ = pattern;
        } else {
            ::close(fd);
        }
    }
    if (lockFd_ < 0)
        throw std::runtime_error(formatMessage(MessageId::CannotWriteFile, {memPath.string()}));
    file_ = dir_ / memPath.filename();
}

DemStage::~DemStage() {
    if (!keep_) {
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
    ::close(lockFd_);
}

void DemStage::step() {
    ++steps_;
    if (steps_ == stopAt_) std::raise(SIGKILL);
    if (steps_ == pauseAt_) {
        // Opening blocks until the test opens the other end; the read until
        // it writes.
        int fd = ::open(pauseFifo_.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd >= 0) {
            char byte;
            while (::read(fd, &byte, 1) < 0 && errno == EINTR) {
            }
            ::close(fd);
        }
    }
}

bool commitStagedDem(const std::filesystem::path& memPath, ProfileStore& store, DemStage& stage,
                     CommitWhen when) {
    ScopedStoreLock held(store);
    if (!held.held()) throw settingsNotWritten();
    if (!recoverLocked(memPath, store)) throw earlierChangeStuck(memPath);
    std::error_code ec;
    if (when == CommitWhen::FirstRun &&
        (std::filesystem::exists(memPath, ec) ||
         !store.getString(kSection, key::demType, "", 32).empty())) {
        return false;
    }
    if (!std::filesystem::is_regular_file(stage.file_, ec)) {
        throw std::runtime_error(formatMessage(MessageId::CannotWriteFile, {stage.file_.string()}));
    }
    stage.step();

    std::vector<ProfileStore::Change> changes = stage.settings_.changes();
    // What to put back should the rename fail after the commit.
    std::vector<ProfileStore::Change> undo;
    for (const auto& c : changes) {
        std::string old = store.getString(c.section, c.key, kMissing, kValueBuffer);
        undo.push_back(
            {c.section, c.key, old == kMissing ? std::nullopt : std::optional<std::string>(old)});
    }
    const std::string record =
        stage.dir_.filename().string() + "/" + stage.file_.filename().string();
    changes.push_back({kSection, kPendingWorkingFileKey, record});
    undo.push_back({kSection, kPendingWorkingFileKey, std::nullopt});
    if (!store.apply(changes)) throw settingsNotWritten();
    // Committed: from here on the staged file is the working file's future.
    stage.keep_ = true;
    stage.step();

    std::filesystem::rename(stage.file_, memPath, ec);
    if (ec) {
        const std::string why = ec.message();
        // Undo the settings; if even that fails the record stays, and the
        // next start retries the rename.
        if (store.apply(undo)) stage.keep_ = false;
        throw std::runtime_error(
            formatMessage(MessageId::CannotReplaceWorkingFile, {memPath.string(), why}));
    }
    syncDirectory(memPath.parent_path());
    // Only the emptied folder is left to go.
    stage.keep_ = false;
    stage.step();
    // Failing here is harmless: the next start clears the record.
    store.apply({{kSection, kPendingWorkingFileKey, std::nullopt}});
    stage.step();
    return true;
}

bool commitDemChange(const std::filesystem::path& memPath, ProfileStore& store,
                     const DemBuilder& build, CommitWhen when) {
    DemStage stage(memPath, store);
    if (!build(stage.staging())) return false;
    return commitStagedDem(memPath, store, stage, when);
}

}  // namespace hg
