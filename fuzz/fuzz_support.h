// SPDX-License-Identifier: MIT
#pragma once

// What the fuzz targets share: the scratch files their input is written to
// (the readers want paths), the settings they read with, and the loading
// sequence a drawing object runs. An input may be refused with any
// exception; a crash, hang or sanitizer report is the fault being hunted.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <exception>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <system_error>

#include "dem/mesh.h"
#include "dem/view_settings.h"

namespace hgfuzz {

// Longer inputs are passed over: every format's header and a few records fit
// well inside this, and a longer input only makes each run slower without
// reaching code a short one cannot.
inline constexpr std::size_t kMaxInput = 64 * 1024;

// Replaces the file at path with the bytes.
inline void writeBytes(const std::filesystem::path& path, const std::uint8_t* data,
                       std::size_t size) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

// A path in the temporary folder that no other process uses (parallel
// fuzzing jobs of one target must not read each other's input), removed
// with whatever is below it when the object goes. Targets hold theirs in a
// function-local static, so it lasts until the process exits.
class ScratchPath {
public:
    ScratchPath(const ScratchPath&) = delete;
    ScratchPath& operator=(const ScratchPath&) = delete;
    const std::filesystem::path& path() const { return path_; }

protected:
    ScratchPath(std::string_view target, std::string_view extension) {
        std::string name = "hg-fuzz-";
        name.append(target);
        name += '-';
        name += std::to_string(::getpid());
        name.append(extension);
        path_ = std::filesystem::temp_directory_path() / name;
    }
    ~ScratchPath() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }

private:
    std::filesystem::path path_;
};

// The file a target hands each input to.
class ScratchFile : public ScratchPath {
public:
    ScratchFile(std::string_view target, std::string_view extension)
        : ScratchPath(target, extension) {}
    // Makes the input the file's content; returns the path.
    const std::filesystem::path& hold(const std::uint8_t* data, std::size_t size) const {
        writeBytes(path(), data, size);
        return path();
    }
};

// The folder of a target whose input becomes several files.
class ScratchDir : public ScratchPath {
public:
    explicit ScratchDir(std::string_view target) : ScratchPath(target, "") {
        std::filesystem::create_directories(path());
    }
    // Empties the folder, so that nothing of the last input is read again.
    void clear() const {
        std::error_code ec;
        for (const auto& entry : std::filesystem::directory_iterator(path(), ec)) {
            std::filesystem::remove_all(entry.path(), ec);
        }
    }
};

// Runs call; an input it refuses with an exception is fine.
template <class F>
void tolerateRefusal(F&& call) {
    try {
        call();
    } catch (const std::exception&) {
    }
}

// Settings with heights taken as they are.
inline hg::CViewSettings plainSettings() {
    hg::CViewSettings s;
    s.yFactor = 1.0;
    return s;
}

// The whole grid at full resolution, as the info command reads it.
inline hg::CViewSettings wholeGrid() {
    hg::CViewSettings s = plainSettings();
    s.isPart = 1;
    s.sizeMeshMaxX = s.sizeMeshMaxZ = 20000;
    s.meshBlock = 1.0;
    return s;
}

// The grid thinned to at most side x side samples, with the given mesh
// block.
inline hg::CViewSettings thinned(int side, double meshBlock) {
    hg::CViewSettings s = plainSettings();
    s.sizeMeshMaxX = s.sizeMeshMaxZ = side;
    s.meshBlock = meshBlock;
    return s;
}

// A part window of cols x rows samples from column startX and row startZ.
inline hg::CViewSettings window(int startX, int startZ, int cols, int rows) {
    hg::CViewSettings s = plainSettings();
    s.isPart = 1;
    s.startX = startX;
    s.startZ = startZ;
    s.sizeMeshMaxX = cols;
    s.sizeMeshMaxZ = rows;
    s.meshBlock = 1.0;
    return s;
}

// Loads the file with a Mesh reader as a drawing object does: describe
// (how the reader learns the grid; open() for most), layout, read, then the
// vertices and the export.
template <class Mesh, class Describe>
void load(const std::filesystem::path& file, hg::CViewSettings settings, Describe&& describe) {
    hg::TerrainBuffers draw;
    tolerateRefusal([&] {
        Mesh mesh(draw, settings, file);
        describe(mesh);
        mesh.layout();
        mesh.read();
        mesh.heightsToVertices();
        mesh.exportSettings();
    });
}

template <class Mesh>
void load(const std::filesystem::path& file, const hg::CViewSettings& settings) {
    load<Mesh>(file, settings, [](Mesh& mesh) { mesh.open(); });
}

}  // namespace hgfuzz
