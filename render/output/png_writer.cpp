// SPDX-License-Identifier: MIT
#include "render/output/png_writer.h"
#include "platform/messages.h"

#include <zlib.h>

#include <stdexcept>

#include "platform/file.h"

namespace hg {

namespace {

void putBigEndian(std::string& out, std::uint32_t v) {
    out += static_cast<char>((v >> 24) & 255u);
    out += static_cast<char>((v >> 16) & 255u);
    out += static_cast<char>((v >> 8) & 255u);
    out += static_cast<char>(v & 255u);
}

// A chunk is its length, its type, its data and the CRC of type and data.
void putChunk(std::string& out, const char type[4], const std::string& data) {
    putBigEndian(out, static_cast<std::uint32_t>(data.size()));
    const std::size_t typeAt = out.size();
    out.append(type, 4);
    out += data;
    uLong crc = crc32(0L, Z_NULL, 0);
    crc = crc32(crc, reinterpret_cast<const Bytef*>(out.data() + typeAt),
                static_cast<uInt>(4 + data.size()));
    putBigEndian(out, static_cast<std::uint32_t>(crc));
}

}  // namespace

std::string encodePng(int width, int height, const std::vector<std::uint8_t>& rgba) {
    if (width < 1 || height < 1 ||
        rgba.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4) {
        throw std::invalid_argument("The picture's size does not match its pixels.");
    }
    const std::size_t rowBytes = static_cast<std::size_t>(width) * 4;
    // Every row starts with its filter type; 0 leaves the bytes as they are.
    std::vector<Bytef> raw;
    raw.reserve((rowBytes + 1) * static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y) {
        raw.push_back(0);
        const auto row =
            rgba.begin() + static_cast<std::ptrdiff_t>(static_cast<std::size_t>(y) * rowBytes);
        raw.insert(raw.end(), row, row + static_cast<std::ptrdiff_t>(rowBytes));
    }
    // The fastest level: frames are written as fast as they are drawn, and
    // the default level spent more time packing a frame than drawing it.
    uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
    std::string packed(packedSize, '\0');
    if (compress2(reinterpret_cast<Bytef*>(packed.data()), &packedSize, raw.data(),
                  static_cast<uLong>(raw.size()), Z_BEST_SPEED) != Z_OK) {
        throw std::runtime_error(loadMessage(MessageId::CompressFailed));
    }
    packed.resize(packedSize);

    std::string header;
    putBigEndian(header, static_cast<std::uint32_t>(width));
    putBigEndian(header, static_cast<std::uint32_t>(height));
    header += static_cast<char>(8);  // bits per channel
    header += static_cast<char>(6);  // colour type: RGBA
    header += static_cast<char>(0);  // deflate
    header += static_cast<char>(0);  // adaptive filtering
    header += static_cast<char>(0);  // not interlaced

    std::string out("\x89PNG\r\n\x1a\n", 8);
    putChunk(out, "IHDR", header);
    putChunk(out, "IDAT", packed);
    putChunk(out, "IEND", std::string());
    return out;
}

bool writePng(const std::filesystem::path& path, int width, int height,
              const std::vector<std::uint8_t>& rgba) {
    const std::string bytes = encodePng(width, height, rgba);
    return replaceFileAtomically(
        path, [&bytes](int fd) { return writeAll(fd, bytes.data(), bytes.size()); });
}

}  // namespace hg
