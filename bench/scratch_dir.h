// SPDX-License-Identifier: MIT
// A folder of its own for a benchmark's working files, gone with it.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

namespace hgbench {

class ScratchDir {
public:
    ScratchDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "hgbench-XXXXXX").string();
        std::vector<char> buf(pattern.begin(), pattern.end());
        buf.push_back('\0');
        if (::mkdtemp(buf.data())) path_ = buf.data();
    }
    ~ScratchDir() {
        std::error_code ec;
        if (!path_.empty()) std::filesystem::remove_all(path_, ec);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

}  // namespace hgbench
