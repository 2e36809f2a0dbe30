// SPDX-License-Identifier: MIT
#include "platform/encoding.h"

#include <iconv.h>

#include <cerrno>

namespace hg {

namespace {
class Converter {
public:
    Converter() : cd_(iconv_open("UTF-8", "CP932")) {}
    ~Converter() {
        if (valid()) iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    bool valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
    iconv_t get() const { return cd_; }

private:
    iconv_t cd_;
};
}  // namespace

std::string sjisToUtf8(std::string_view sjis) {
    Converter conv;
    if (!conv.valid()) return std::string(sjis);
    std::string out;
    std::string in(sjis);
    char* inp = in.data();
    size_t inLeft = in.size();
    char buffer[256];
    while (inLeft > 0) {
        char* outp = buffer;
        size_t outLeft = sizeof buffer;
        size_t r = iconv(conv.get(), &inp, &inLeft, &outp, &outLeft);
        out.append(buffer, static_cast<std::size_t>(outp - buffer));
        if (r == static_cast<size_t>(-1)) {
            if (errno == E2BIG) continue;
            // An invalid or truncated sequence: mark it and go on.
            out += "\xEF\xBF\xBD";
            ++inp;
            --inLeft;
            iconv(conv.get(), nullptr, nullptr, nullptr, nullptr);
        }
    }
    return out;
}

}  // namespace hg
