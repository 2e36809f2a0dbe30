// SPDX-License-Identifier: MIT
#include "platform/text_number.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <system_error>

namespace hg {

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// from_chars takes a minus for a signed type but never a plus, and for
// reals it would also take "inf", "nan" and a lone point. text starts with
// the number's first character; the result is where from_chars has to
// begin, or nullopt when no number can start here.
template <typename T>
std::optional<std::size_t> numberStart(std::string_view text) {
    std::size_t sign = 0;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        if (!std::is_signed_v<T>) return std::nullopt;
        sign = 1;
    }
    const std::string_view body = text.substr(sign);
    bool startsNumber = !body.empty() && isDigit(body.front());
    if constexpr (std::is_floating_point_v<T>) {
        startsNumber = startsNumber || (body.size() > 1 && body[0] == '.' && isDigit(body[1]));
    }
    if (!startsNumber) return std::nullopt;
    return text.front() == '+' ? 1 : 0;
}

// The number at the very front of text (no blanks) and the characters it
// took; nullopt when there is none or it does not fit T.
template <typename T>
std::optional<std::pair<T, std::size_t>> readFront(std::string_view text, int base) {
    auto start = numberStart<T>(text);
    if (!start) return std::nullopt;
    const char* first = text.data() + *start;
    const char* last = text.data() + text.size();
    T v{};
    std::from_chars_result res;
    if constexpr (std::is_floating_point_v<T>) {
        (void)base;
        res = std::from_chars(first, last, v, std::chars_format::general);
        if (res.ec == std::errc() && !std::isfinite(v)) return std::nullopt;
    } else {
        res = std::from_chars(first, last, v, base);
    }
    if (res.ec != std::errc()) return std::nullopt;
    return std::make_pair(v, static_cast<std::size_t>(res.ptr - text.data()));
}

std::string padWithZeros(std::string text, int width) {
    const std::size_t w = static_cast<std::size_t>(std::max(width, 0));
    const std::size_t at = (!text.empty() && text.front() == '-') ? 1 : 0;
    // "inf" and "nan" stay as they are, as printf leaves them.
    if (text.size() >= w || at >= text.size() || !isDigit(text[at])) return text;
    text.insert(at, w - text.size(), '0');
    return text;
}

}  // namespace

template <typename T>
bool scanNumber(std::string_view& text, T& out) {
    const std::string_view rest = skipAsciiSpace(text);
    auto got = readFront<T>(rest, 10);
    if (!got) return false;
    out = got->first;
    text = rest.substr(got->second);
    return true;
}

template <typename T>
T leadingNumber(std::string_view text, T fallback) {
    T v = fallback;
    scanNumber(text, v);
    return v;
}

template <typename T>
std::optional<T> parseNumber(std::string_view text, int base) {
    auto got = readFront<T>(text, base);
    if (!got || got->second != text.size()) return std::nullopt;
    return got->first;
}

template bool scanNumber(std::string_view&, int&);
template bool scanNumber(std::string_view&, long long&);
template bool scanNumber(std::string_view&, double&);
template int leadingNumber(std::string_view, int);
template long long leadingNumber(std::string_view, long long);
template double leadingNumber(std::string_view, double);
template std::optional<int> parseNumber(std::string_view, int);
template std::optional<long long> parseNumber(std::string_view, int);
template std::optional<unsigned long long> parseNumber(std::string_view, int);
template std::optional<double> parseNumber(std::string_view, int);

namespace {
int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}
}  // namespace

std::optional<unsigned long long> leadingHex(std::string_view text, unsigned long long max) {
    std::string_view s = text;
    if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X') && hexDigit(s[2]) >= 0)
        s.remove_prefix(2);
    if (s.empty() || hexDigit(s.front()) < 0) return std::nullopt;
    unsigned long long v = 0;
    for (; !s.empty() && hexDigit(s.front()) >= 0; s.remove_prefix(1)) {
        const auto digit = static_cast<unsigned long long>(hexDigit(s.front()));
        // Once past max the rest of the digits only make it larger.
        if (digit > max || v > (max - digit) / 16) return max;
        v = v * 16 + digit;
    }
    return v;
}

std::string formatInteger(long long value, int zeroPadTo) {
    std::array<char, 24> buf{};
    auto res = std::to_chars(buf.data(), buf.data() + buf.size(), value);
    return padWithZeros(std::string(buf.data(), res.ptr), zeroPadTo);
}

std::string formatFixed(double value, int decimals, int zeroPadTo) {
    decimals = std::clamp(decimals, 0, 30);
    // The largest double has 309 digits before the point.
    std::array<char, 352> buf{};
    auto res = std::to_chars(buf.data(), buf.data() + buf.size(), value, std::chars_format::fixed,
                             decimals);
    if (res.ec != std::errc()) return "nan";
    return padWithZeros(std::string(buf.data(), res.ptr), zeroPadTo);
}

std::string formatShortest(double value) {
    std::array<char, 32> buf{};
    auto res = std::to_chars(buf.data(), buf.data() + buf.size(), value);
    if (res.ec != std::errc()) return "nan";
    return std::string(buf.data(), res.ptr);
}

}  // namespace hg
