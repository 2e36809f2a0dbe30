#pragma once

#include <charconv>
#include <cmath>
#include <string_view>
#include <system_error>
#include <type_traits>

namespace hg {

// The blanks of the C locale.
inline bool isAsciiSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

inline std::string_view skipAsciiSpace(std::string_view s) {
    while (!s.empty() && isAsciiSpace(s.front())) s.remove_prefix(1);
    return s;
}

// The number at the front of text, read as a "%d" or "%lf" conversion
// would: blanks, a sign, the digits. On success out holds it and text
// starts behind it; when there is no number, or it is out of range or not
// finite, both are left as they were and the result is false.
template <typename T>
bool scanNumber(std::string_view& text, T& out) {
    std::string_view rest = skipAsciiSpace(text);
    // from_chars takes a minus but no plus.
    if (rest.size() > 1 && rest.front() == '+' && rest[1] != '-') rest.remove_prefix(1);
    T v{};
    auto res = std::from_chars(rest.data(), rest.data() + rest.size(), v);
    if (res.ec != std::errc() || res.ptr == rest.data()) return false;
    if constexpr (std::is_floating_point_v<T>) {
        if (!std::isfinite(v)) return false;
    }
    out = v;
    text = rest.substr(static_cast<std::size_t>(res.ptr - rest.data()));
    return true;
}

// A right-aligned signed integer in a fixed-width field of at most nine
// characters; blanks around it are allowed, anything else is not.
inline bool parseIntField(const char* p, int width, int& value) {
    int i = 0;
    while (i < width && p[i] == ' ') ++i;
    bool negative = false;
    if (i < width && (p[i] == '-' || p[i] == '+')) negative = p[i++] == '-';
    int start = i, v = 0;
    while (i < width && p[i] >= '0' && p[i] <= '9') v = v * 10 + (p[i++] - '0');
    if (i == start) return false;
    while (i < width && p[i] == ' ') ++i;
    if (i != width) return false;
    value = negative ? -v : v;
    return true;
}

}  // namespace hg
