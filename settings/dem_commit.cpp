// SPDX-License-Identifier: MIT
#include "settings/dem_commit.h"

#include <fcntl.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <stdexcept>

#include "platform/home.h"
#include "platform/text_number.h"
#include "settings/settings.h"

// How a DEM change stays whole.
//
// The working file and the settings that describe it (demType, the import's
// section, the reset part) are two files; a process can die between any two
// writes, and two changers can run at once. So every change:
//  1. takes the settings lock (a flock on "<settings file>.lock", held for
//     the change only; the running saver never holds it), finishing or
//     undoing whatever an interrupted change left (recoverDemCommit);
//  2. writes the new working file beside the old one under a fixed name;
//  3. writes all of its settings in one atomic replace of the settings file,
//     together with a record naming the staged file: this is the commit;
//  4. renames the staged file over the working file and removes the record.
// A process that dies before 3 leaves the old DEM and a staged file that the
// next start deletes; after 3, the next start finds the record and does the
// rename. The saver, the dialog, info and every changer recover at start.
//
// For tests, HILLGLIMMER_FAULT_STOP=N kills the process at the N-th step
// (see DemStaging::step) of a change, so every moment can be tried.

namespace hg {

namespace {

constexpr const char* kMissing = "\x01";
constexpr std::size_t kValueBuffer = 1u << 20;

class FaultStops {
public:
    FaultStops() {
        if (const char* v = std::getenv("HILLGLIMMER_FAULT_STOP")) stopAt_ = std::atol(v);
    }
    void step() {
        if (stopAt_ > 0 && ++count_ == stopAt_) std::raise(SIGKILL);
    }

private:
    long stopAt_ = 0;
    long count_ = 0;
};

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

bool isLeftOver(const std::string& name, const std::filesystem::path& memPath) {
    const std::string mem = memPath.filename().string();
    const std::string staged = stagedWorkingFile(memPath).filename().string();
    // Where an earlier version staged its GSI 10 m copies.
    const std::string import = mem + ".import";
    return name == staged || name == import || isScratchOf(name, staged) ||
           isScratchOf(name, mem) || isScratchOf(name, import) ||
           isScratchOf(name, kSettingsFileName);
}

void removeLeftOvers(const std::filesystem::path& memPath) {
    std::filesystem::path dir = memPath.parent_path();
    std::error_code ec;
    std::filesystem::directory_iterator it(dir.empty() ? "." : dir, ec);
    if (ec) return;
    std::vector<std::filesystem::path> doomed;
    for (const auto& entry : it) {
        if (isLeftOver(entry.path().filename().string(), memPath)) doomed.push_back(entry.path());
    }
    for (const auto& p : doomed) std::filesystem::remove(p, ec);
}

// Removes the staged file on the way out unless the commit took it over.
struct StagedFileGuard {
    std::filesystem::path path;
    bool keep = false;
    ~StagedFileGuard() {
        if (keep) return;
        std::error_code ec;
        std::filesystem::remove(path, ec);
    }
};

std::runtime_error settingsNotWritten() {
    return std::runtime_error("Cannot write the settings file " + settingsPath().string() +
                              ". The previous DEM is kept.");
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
        const std::filesystem::path staged = stagedWorkingFile(memPath);
        std::error_code ec;
        // Only our own staged name is ever renamed, whatever the file says.
        if (pending == staged.filename().string() && std::filesystem::exists(staged, ec)) {
            std::filesystem::rename(staged, memPath, ec);
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

}  // namespace

bool recoverDemCommit(const std::filesystem::path& memPath, ProfileStore& store) {
    ScopedStoreLock held(store);
    if (!held.held()) return false;
    return recoverLocked(memPath, store);
}

bool commitDemChange(const std::filesystem::path& memPath, ProfileStore& store,
                     const DemBuilder& build) {
    FaultStops stops;
    ScopedStoreLock held(store);
    if (!held.held()) throw settingsNotWritten();
    if (!recoverLocked(memPath, store)) {
        throw std::runtime_error("An earlier change of the working file " + memPath.string() +
                                 " cannot be completed.");
    }
    stops.step();

    StagedFileGuard staged{stagedWorkingFile(memPath)};
    StagedSettings settings(store);
    if (!build(DemStaging{staged.path, settings, [&] { stops.step(); }})) return false;
    std::error_code ec;
    if (!std::filesystem::is_regular_file(staged.path, ec)) {
        throw std::runtime_error("Cannot write " + staged.path.string() + ".");
    }
    stops.step();

    std::vector<ProfileStore::Change> changes = settings.changes();
    // What to put back should the rename fail after the commit.
    std::vector<ProfileStore::Change> undo;
    for (const auto& c : changes) {
        std::string old = store.getString(c.section, c.key, kMissing, kValueBuffer);
        undo.push_back(
            {c.section, c.key, old == kMissing ? std::nullopt : std::optional<std::string>(old)});
    }
    changes.push_back({kSection, kPendingWorkingFileKey, staged.path.filename().string()});
    undo.push_back({kSection, kPendingWorkingFileKey, std::nullopt});
    if (!store.apply(changes)) throw settingsNotWritten();
    // Committed: from here on the staged file is the working file's future.
    staged.keep = true;
    stops.step();

    std::filesystem::rename(staged.path, memPath, ec);
    if (ec) {
        const std::string why = ec.message();
        // Undo the settings; if even that fails the record stays, and the
        // next start retries the rename.
        if (store.apply(undo)) {
            staged.keep = false;
        }
        throw std::runtime_error("Cannot replace the working file " + memPath.string() + ": " +
                                 why + ".");
    }
    syncDirectory(memPath.parent_path());
    stops.step();
    // Failing here is harmless: the next start clears the record.
    store.apply({{kSection, kPendingWorkingFileKey, std::nullopt}});
    stops.step();
    return true;
}

}  // namespace hg
