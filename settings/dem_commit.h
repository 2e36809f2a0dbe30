// SPDX-License-Identifier: MIT
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "platform/profile_store.h"

namespace hg {

// Settings written by a DEM change, held in memory until the change is
// committed; reads see them over the real store.
class StagedSettings final : public ProfileStore {
public:
    explicit StagedSettings(ProfileStore& base) : base_(base) {}

    int getInt(const std::string& section, const std::string& key, int def) const override;
    std::string getString(const std::string& section, const std::string& key,
                          const std::string& def, std::size_t bufferSize) const override;
    bool putString(const std::string& section, const std::string& key,
                   const std::string& value) override;
    bool putStrings(const std::string& section, const std::vector<Entry>& entries) override;
    bool apply(const std::vector<Change>& changes) override;
    bool flush() override { return true; }
    bool lock() override { return true; }
    void unlock() override {}

    // In the order made; a key changed twice appears once, with its last value.
    std::vector<Change> changes() const;

private:
    const Change* find(const std::string& section, const std::string& key) const;

    ProfileStore& base_;
    std::vector<Change> changes_;
};

// What a DEM change writes: the new working file at `file` (beside the
// real one, so the final rename stays on one disk) and its settings into
// `settings`. step() marks a point where a test may stop the process.
struct DemStaging {
    std::filesystem::path file;
    ProfileStore& settings;
    std::function<void()> step;
};

// Fills the staging; false when there is nothing to change. A failure
// throws (MessageError or std::exception) and changes nothing.
using DemBuilder = std::function<bool(const DemStaging&)>;

// The key in section "Hillglimmer" that names a committed working file not
// yet renamed into place.
inline constexpr const char* kPendingWorkingFileKey = "pendingWorkingFile";

// The one name earlier versions staged every change under; recovery still
// finishes or removes a change they left.
std::filesystem::path stagedWorkingFile(const std::filesystem::path& memPath);

// When a commit may be made, judged under the lock with the commit itself.
enum class CommitWhen {
    Always,
    // Only while there is neither a working file nor a stored demType: the
    // bundled terrain must never replace a DEM chosen while it was staged.
    FirstRun,
};

// A new working file in the making, written without the settings lock: a
// folder of its own beside the working file ("<working file>.staging.XXXXXX"),
// flock-ed for as long as this object lives, so recovery in any other
// process removes only the folders of changes that died. Whatever the
// builder writes (scratch files included) stays inside it; the folder goes
// when the object does, unless a commit record still names its file.
class DemStage {
public:
    // Finishes or removes what an interrupted change left first (under the
    // lock, briefly), then makes the folder. Throws std::runtime_error when
    // either cannot be done.
    DemStage(const std::filesystem::path& memPath, ProfileStore& store);
    ~DemStage();
    DemStage(const DemStage&) = delete;
    DemStage& operator=(const DemStage&) = delete;

    const std::filesystem::path& file() const { return file_; }
    StagedSettings& settings() { return settings_; }
    // A point where a test may stop the process (HILLGLIMMER_FAULT_STOP).
    void step();
    DemStaging staging() {
        return {file_, settings_, [this] { step(); }};
    }

private:
    friend bool commitStagedDem(const std::filesystem::path&, ProfileStore&, DemStage&, CommitWhen);

    std::filesystem::path dir_;
    std::filesystem::path file_;
    StagedSettings settings_;
    int lockFd_ = -1;
    bool keep_ = false;
    long stopAt_ = 0;
    long pauseAt_ = 0;
    std::filesystem::path pauseFifo_;
    long steps_ = 0;
};

// Takes the store's lock exclusively and commits what `stage` holds: the
// working file at memPath and every staged setting take effect together or
// not at all, whatever stops the process. Throws std::runtime_error, with
// the previous DEM in place, when the change cannot be made; false when
// `when` does not hold. Of two changes committed one after the other, the
// later one is what stays.
bool commitStagedDem(const std::filesystem::path& memPath, ProfileStore& store, DemStage& stage,
                     CommitWhen when = CommitWhen::Always);

// Stage, build, commit in a row: the builder runs without the settings
// lock. Returns false when the builder had nothing to do; throws as the
// two steps do.
bool commitDemChange(const std::filesystem::path& memPath, ProfileStore& store,
                     const DemBuilder& build, CommitWhen when = CommitWhen::Always);

// Under the store's lock: completes a change that was committed but not
// finished and removes what interrupted changes left beside the working
// file. False when a pending change could not be finished.
bool recoverDemCommit(const std::filesystem::path& memPath, ProfileStore& store);

}  // namespace hg
