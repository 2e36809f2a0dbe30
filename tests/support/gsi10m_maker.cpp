// SPDX-License-Identifier: MIT
#include "support/gsi10m_maker.h"

#include <iconv.h>

#include <stdexcept>

namespace hgtest {

// UTF-8 to Shift_JIS through the C library, independently of the reader's
// own byte strings.
std::string sjis(const std::string& utf8) {
    iconv_t cd = iconv_open("CP932", "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("no CP932 converter");
    std::string out(utf8.size() * 2 + 4, '\0');
    char* in = const_cast<char*>(utf8.data());
    std::size_t inLeft = utf8.size();
    char* o = out.data();
    std::size_t outLeft = out.size();
    std::size_t r = iconv(cd, &in, &inLeft, &o, &outLeft);
    iconv_close(cd);
    if (r == static_cast<std::size_t>(-1)) throw std::runtime_error("conversion failed");
    out.resize(out.size() - outLeft);
    return out;
}

const std::string kMin = "　　　　　　　[分],";
const std::string kSec = "　　　　　　　[秒],";

// The header lines of a description in the order the import searches
// them, with a few lines around them as a real description has.
std::vector<std::string> headerLines(int cols, int rows) {
    return {
        "数値地図10mメッシュ(火山標高),",
        "東西方向の点数," + std::to_string(cols) + ",",
        "南北方向の点数," + std::to_string(rows) + ",",
        "区画左下の緯度[度],31,",
        kMin + "50,",
        kSec + "15,",
        "区画左下の経度[度],130,",
        kMin + "45,",
        kSec + "30,",
        "区画右上の緯度[度],31,",
        kMin + "57,",
        kSec + "45,",
        "区画右上の経度[度],130,",
        kMin + "55,",
        kSec + "0,",
        "図名,霧島山,",
        "平面直角座標系番号,2,",
        "区画左下Ｘ座標,-1254000.5,",
        "区画左下Ｙ座標,  4300000,",
        "区画右上Ｘ座標,-1107000.5,",
        "区画右上Ｙ座標,5500000,",
        "コメント,",
        "東西方向の点数,9999,",
    };
}

std::string joinCsv(const std::vector<std::string>& lines, const std::string& eol) {
    std::string out;
    for (const auto& l : lines) out += sjis(l) + eol;
    return out;
}

// Big-endian unsigned 16-bit tenths of a metre, north row first.
std::string makeDat(int cols, int rows, const std::function<int(int, int)>& tenths) {
    std::string out;
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < cols; ++c) {
            int v = tenths(r, c);
            out.push_back(static_cast<char>((v >> 8) & 0xFF));
            out.push_back(static_cast<char>(v & 0xFF));
        }
    }
    return out;
}

}  // namespace hgtest
