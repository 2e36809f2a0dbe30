// SPDX-License-Identifier: MIT
#pragma once

#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>

// Numbers in text, read and written the same way in every locale. Once Qt
// starts, the C library's numeric locale follows the user's, and the
// printf and strtod families then write and expect a decimal comma; a file
// written that way no longer reads back anywhere else. Nothing here looks
// at the locale.
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
// would: blanks, an optional sign, decimal digits and, for a real, a point,
// a fraction and an exponent; it stops at the first character that cannot
// continue the number. On success out holds it and text starts behind it.
// When there is no number, or it does not fit T (a real too large or too
// small to be told from zero), both are left as they were and the result
// is false. Reals are decimal only: no "inf", "nan" or hexadecimal forms,
// which no file of ours holds and which would only let garbage through.
// T: int, long long or double.
template <typename T>
bool scanNumber(std::string_view& text, T& out);

// scanNumber without moving on: the number at the front of text, or
// fallback when there is none.
template <typename T>
T leadingNumber(std::string_view text, T fallback = T{});

// The whole text as one number: no blanks around it; a sign only for a
// signed T. base applies to integers (no "0x" prefix: the caller strips it).
// T: int, long long, unsigned long long or double.
template <typename T>
std::optional<T> parseNumber(std::string_view text, int base = 10);

// The hexadecimal digits at the very front of text, after an optional "0x"
// or "0X", read up to the first character that is not one. No blanks and
// no sign are taken. A value beyond max is clamped to max; nullopt when no
// digit leads (a lone "0x" still reads as the 0 in front of the x).
std::optional<unsigned long long> leadingHex(
    std::string_view text, unsigned long long max = std::numeric_limits<unsigned long long>::max());

// Blanks, an optional sign, decimal digits, stopping at anything else; 0
// when there are no digits, and a value beyond T clamped to T's limits
// rather than refused. This is how fixed-width integer fields of the
// elevation formats and the integers of the settings file are read: a
// field never makes a read fail, it only reads as some number.
template <typename T>
T clampedLeadingInteger(std::string_view text) {
    static_assert(std::is_integral_v<T> && std::is_signed_v<T>);
    std::string_view s = skipAsciiSpace(text);
    bool negative = false;
    if (!s.empty() && (s.front() == '+' || s.front() == '-')) {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    // Gathered on the negative side, which reaches one further than the
    // positive one.
    constexpr T kMin = std::numeric_limits<T>::min();
    T v = 0;
    bool clamped = false;
    for (; !s.empty() && s.front() >= '0' && s.front() <= '9'; s.remove_prefix(1)) {
        const T digit = static_cast<T>(s.front() - '0');
        if (clamped || v < (kMin + digit) / 10) {
            clamped = true;
            continue;
        }
        v = static_cast<T>(v * 10 - digit);
    }
    if (clamped) return negative ? kMin : std::numeric_limits<T>::max();
    if (negative) return v;
    return v == kMin ? std::numeric_limits<T>::max() : static_cast<T>(-v);
}

// A right-aligned integer alone in a fixed-width field: spaces around an
// optionally signed run of digits, nothing else. Blank fields, stray
// characters and line breaks are refused.
inline bool parseIntField(std::string_view field, int& value) {
    const std::size_t first = field.find_first_not_of(' ');
    if (first == std::string_view::npos) return false;
    const std::string_view n = field.substr(first, field.find_last_not_of(' ') + 1 - first);
    const std::size_t digits = (n.front() == '+' || n.front() == '-') ? 1 : 0;
    if (digits == n.size() || n.find_first_not_of("0123456789", digits) != std::string_view::npos) {
        return false;
    }
    value = clampedLeadingInteger<int>(n);
    return true;
}

// An integer in decimal; zeroPadTo pads with zeros behind the sign up to
// that many characters in all, as "%0*lld" would.
std::string formatInteger(long long value, int zeroPadTo = 0);

// A real in fixed notation with the given number of decimals (0 to 30),
// padded with zeros like formatInteger; "inf" or "nan" when not finite.
std::string formatFixed(double value, int decimals, int zeroPadTo = 0);

// The shortest text that reads back as exactly value.
std::string formatShortest(double value);

}  // namespace hg
