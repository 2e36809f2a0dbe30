// SPDX-License-Identifier: MIT
#include "platform/text_number.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>

#include "support/test_support.h"

using namespace hg;

namespace {

// The number scanned from text and what is left behind it.
template <typename T>
std::pair<std::optional<T>, std::string_view> scan(std::string_view text) {
    T v{};
    if (!scanNumber(text, v)) return {std::nullopt, text};
    return {v, text};
}

}  // namespace

TEST(TextNumber, ScanSkipsBlanksAndTakesEitherSign) {
    EXPECT_EQ(scan<int>(" \t\r\n\v\f42").first, 42);
    EXPECT_EQ(scan<int>("+42").first, 42);
    EXPECT_EQ(scan<double>("-0.5").first, -0.5);
    EXPECT_EQ(scan<double>("+.5").first, 0.5);
    // A sign must touch its digits and comes once.
    for (const char* bad : {"+-5", "-+5", "- 5", "+", "-", ""}) {
        EXPECT_FALSE(scan<int>(bad).first) << bad;
        EXPECT_FALSE(scan<double>(bad).first) << bad;
    }
}

TEST(TextNumber, ScanStopsAtTheFirstCharacterThatCannotContinue) {
    EXPECT_EQ(scan<double>(" 0.2m"), std::make_pair(std::optional(0.2), std::string_view("m")));
    EXPECT_EQ(scan<double>("1.5.3"), std::make_pair(std::optional(1.5), std::string_view(".3")));
    EXPECT_EQ(scan<double>("2e"), std::make_pair(std::optional(2.0), std::string_view("e")));
    EXPECT_EQ(scan<double>("2e+x"), std::make_pair(std::optional(2.0), std::string_view("e+x")));
    EXPECT_EQ(scan<int>("12.5"), std::make_pair(std::optional(12), std::string_view(".5")));
    // A comma is never a decimal separator.
    EXPECT_EQ(scan<double>("7,5"), std::make_pair(std::optional(7.0), std::string_view(",5")));
    // Only decimal reals: the rest is garbage, not a number.
    EXPECT_EQ(scan<double>("0x10"), std::make_pair(std::optional(0.0), std::string_view("x10")));
    for (const char* bad : {"inf", "-nan", ".", ".e5", "e5", "x1"}) {
        EXPECT_FALSE(scan<double>(bad).first) << bad;
    }
    // Numbers in a row, as "%lf %lf %d" reads them.
    std::string_view row = " 600000.0 -200000.5\t25 ";
    double a = 0, b = 0;
    int n = 0;
    ASSERT_TRUE(scanNumber(row, a) && scanNumber(row, b) && scanNumber(row, n));
    EXPECT_EQ(a, 600000.0);
    EXPECT_EQ(b, -200000.5);
    EXPECT_EQ(n, 25);
    EXPECT_EQ(row, " ");
}

TEST(TextNumber, FractionsAndExponents) {
    EXPECT_EQ(scan<double>("1.").first, 1.0);
    EXPECT_EQ(scan<double>("6.5E2").first, 650.0);
    EXPECT_EQ(scan<double>("-25e-1").first, -2.5);
    EXPECT_EQ(scan<double>("0.1").first, 0.1);  // correctly rounded, not 0.1000000000000001
}

TEST(TextNumber, OutOfRangeIsNoNumberAndLeavesEverythingAlone) {
    for (const char* big : {"2147483648", "-2147483649", "99999999999999999999"}) {
        std::string_view text = big;
        int v = 7;
        EXPECT_FALSE(scanNumber(text, v)) << big;
        EXPECT_EQ(v, 7);
        EXPECT_EQ(text, big);
    }
    EXPECT_EQ(scan<int>("-2147483648").first, INT_MIN);
    EXPECT_EQ(scan<long long>("9223372036854775807").first, LLONG_MAX);
    EXPECT_FALSE(scan<double>("1e999").first);
    EXPECT_FALSE(scan<double>("-1e-999").first);
    EXPECT_EQ(leadingNumber<double>("1e999", -1.0), -1.0);
    EXPECT_EQ(leadingNumber<double>("abc"), 0.0);
    EXPECT_EQ(leadingNumber<double>(" 1.4"), 1.4);
}

TEST(TextNumber, WholeTextIsOneNumberOrNothing) {
    EXPECT_EQ(parseNumber<int>("5"), 5);
    EXPECT_EQ(parseNumber<int>("-5"), -5);
    EXPECT_EQ(parseNumber<int>("+5"), 5);
    for (const char* bad : {"", " 5", "5 ", "5x", "5.0", "99999999999"}) {
        EXPECT_FALSE(parseNumber<int>(bad)) << bad;
    }
    EXPECT_EQ(parseNumber<double>("-1.5e3"), -1500.0);
    EXPECT_FALSE(parseNumber<double>("1.5 "));
    // An unsigned number has no sign, in particular no minus that wraps.
    EXPECT_FALSE(parseNumber<unsigned long long>("-1"));
    EXPECT_FALSE(parseNumber<unsigned long long>("+1"));
    EXPECT_EQ(parseNumber<unsigned long long>("2a00003", 16), 0x2a00003u);
    EXPECT_FALSE(parseNumber<unsigned long long>("2a00003"));
}

TEST(TextNumber, ClampedIntegersNeverFailAndNeverOverflow) {
    EXPECT_EQ(clampedLeadingInteger<int>("  +42x"), 42);
    EXPECT_EQ(clampedLeadingInteger<int>("\t-12abc"), -12);
    EXPECT_EQ(clampedLeadingInteger<int>("x42"), 0);
    EXPECT_EQ(clampedLeadingInteger<int>("-"), 0);
    EXPECT_EQ(clampedLeadingInteger<int>(""), 0);
    EXPECT_EQ(clampedLeadingInteger<int>("2147483647"), INT_MAX);
    EXPECT_EQ(clampedLeadingInteger<int>("2147483648"), INT_MAX);
    EXPECT_EQ(clampedLeadingInteger<int>("-2147483648"), INT_MIN);
    EXPECT_EQ(clampedLeadingInteger<int>("-2147483649"), INT_MIN);
    EXPECT_EQ(clampedLeadingInteger<int>("99999999999999999999999"), INT_MAX);
    EXPECT_EQ(clampedLeadingInteger<long long>("-99999999999999999999999"), LLONG_MIN);
}

TEST(TextNumber, FixedFieldsHoldOneRightAlignedIntegerAndNothingElse) {
    int v = 0;
    EXPECT_TRUE(parseIntField("   -12", v));
    EXPECT_EQ(v, -12);
    EXPECT_TRUE(parseIntField("+7    ", v));
    EXPECT_EQ(v, 7);
    EXPECT_TRUE(parseIntField("123456", v));
    EXPECT_EQ(v, 123456);
    v = 99;
    for (const char* bad : {"      ", "  1 2 ", "  -   ", " 12x  ", "\n   12", "  12\r"}) {
        EXPECT_FALSE(parseIntField(bad, v)) << bad;
    }
    EXPECT_EQ(v, 99);
}

TEST(TextNumber, WritingIntegers) {
    EXPECT_EQ(formatInteger(0), "0");
    EXPECT_EQ(formatInteger(LLONG_MIN), "-9223372036854775808");
    EXPECT_EQ(formatInteger(7, 3), "007");
    EXPECT_EQ(formatInteger(-7, 3), "-07");  // the sign counts, as in "%03d"
    EXPECT_EQ(formatInteger(1234, 2), "1234");
}

TEST(TextNumber, WritingReals) {
    EXPECT_EQ(formatFixed(659340.0, 7), "659340.0000000");
    EXPECT_EQ(formatFixed(-0.00000004, 7), "-0.0000000");
    EXPECT_EQ(formatFixed(2.5, 0), "2");  // halves go to even, as printf does
    EXPECT_EQ(formatFixed(5.257, 2, 5), "05.26");
    EXPECT_EQ(formatFixed(-1e300, 1).size(), 304u);
    EXPECT_EQ(formatFixed(std::numeric_limits<double>::infinity(), 2, 5), "inf");
    EXPECT_EQ(formatShortest(0.1), "0.1");
    for (double v : {1.0 / 3.0, -2.5e-300, 659340.123456789, 1e21}) {
        EXPECT_EQ(parseNumber<double>(formatShortest(v)), v) << v;
    }
}

TEST(TextNumber, CommaLocaleChangesNothing) {
    hgtest::ScopedCommaLocale comma;
    HG_REQUIRE_COMMA_LOCALE(comma);
    EXPECT_EQ(formatFixed(-12.5, 3), "-12.500");
    EXPECT_EQ(formatShortest(0.25), "0.25");
    EXPECT_EQ(formatInteger(1234567), "1234567");
    EXPECT_EQ(leadingNumber<double>(" 1.4"), 1.4);
    EXPECT_EQ(scan<double>("7,5").first, 7.0);
}

TEST(TextNumber, LeadingHexTakesAnOptionalPrefixStopsAtANonDigitAndClamps) {
    EXPECT_EQ(leadingHex("0X3c83a5"), 0x3C83A5u);
    EXPECT_EQ(leadingHex("12g4"), 0x12u);
    // The "0" before an x that leads nowhere is still a digit.
    EXPECT_EQ(leadingHex("0xg1"), 0u);
    for (const char* none : {" 0x12", "-12", "x12", ""}) EXPECT_FALSE(leadingHex(none)) << none;
    EXPECT_EQ(leadingHex("80000000", 0x7FFFFFFF), 0x7FFFFFFFu);
    EXPECT_EQ(leadingHex("1FFFFFFFFFFFFFFFF"), ULLONG_MAX);
    EXPECT_EQ(leadingHex("F", 9), 9u);
}
