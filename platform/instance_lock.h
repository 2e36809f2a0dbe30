// SPDX-License-Identifier: MIT
#pragma once

#include <filesystem>

namespace hg {

// Keeps a second saver or setup away: an exclusive flock on a file in the
// home directory, held for the object's life. The kernel drops it when the
// process dies, so a crash never leaves a stale lock behind.
class InstanceLock {
public:
    explicit InstanceLock(const std::filesystem::path& lockFile);
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    bool held() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

}  // namespace hg
