// The number formats of the page and the clipboard: exact texts, non-finite values,
// and buffers that are never overrun.
#include "view/number_format.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>

namespace {

using FormatFn = std::size_t (*)(double, char*, std::size_t);

const double NAN_VALUE = std::numeric_limits<double>::quiet_NaN();
const double INF = std::numeric_limits<double>::infinity();

// 0/0 worked out at run time, as the statistics meet it: x86 gives it the sign bit.
double runtimeZeroOverZero() {
    volatile double zero = 0.0;
    return zero / zero;
}

std::string formatted(FormatFn format, double value) {
    char text[400];
    const std::size_t length = format(value, text, sizeof text);
    EXPECT_EQ(length, std::strlen(text));
    return text;
}

struct FormatCase {
    const char* name;
    FormatFn format;
    double value;
    const char* expected;
};

const FormatCase FORMAT_CASES[] = {
    // "%.3e" always has an exponent of three digits.
    {"e worked mean", formatScientific, 3.412e-5, "3.412e-005"},
    {"e one", formatScientific, 1.0, "1.000e+000"},
    {"e tenth", formatScientific, 0.1123, "1.123e-001"},
    {"e zero", formatScientific, 0.0, "0.000e+000"},
    {"e negative zero", formatScientific, -0.0, "-0.000e+000"},
    {"e negative", formatScientific, -2.5e-7, "-2.500e-007"},
    {"e rounding carries into exponent", formatScientific, 9.9996, "1.000e+001"},
    {"e three-digit exponent kept", formatScientific, 1e100, "1.000e+100"},
    {"e largest double", formatScientific, DBL_MAX, "1.798e+308"},
    {"e smallest negative", formatScientific, -DBL_MAX, "-1.798e+308"},
    {"e subnormal", formatScientific, 4.9406564584124654e-324, "4.941e-324"},
    {"e nan", formatScientific, NAN_VALUE, "nan"},
    {"e negative nan", formatScientific, -NAN_VALUE, "nan"},
    {"e inf", formatScientific, INF, "inf"},
    {"e minus inf", formatScientific, -INF, "-inf"},
    // "%5.3f": three decimals, at least five characters.
    {"f3 eccentricity", formatFixed3, 0.641, "0.641"},
    {"f3 rounds", formatFixed3, 1.3374, "1.337"},
    {"f3 wide", formatFixed3, 12345.6789, "12345.679"},
    {"f3 negative", formatFixed3, -0.5, "-0.500"},
    {"f3 nan padded", formatFixed3, NAN_VALUE, "  nan"},
    {"f3 negative nan padded", formatFixed3, -NAN_VALUE, "  nan"},
    {"f3 inf padded", formatFixed3, INF, "  inf"},
    {"f3 minus inf padded", formatFixed3, -INF, " -inf"},
    // "%6.2f": two decimals, at least six characters.
    {"f2 zero", formatFixed2, 0.0, "  0.00"},
    {"f2 two digits", formatFixed2, 25.0, " 25.00"},
    {"f2 full width", formatFixed2, 999.99, "999.99"},
    {"f2 wider", formatFixed2, 1000.0, "1000.00"},
    {"f2 negative", formatFixed2, -100.0, "-100.00"},
    {"f2 nan padded", formatFixed2, NAN_VALUE, "   nan"},
    {"f2 inf padded", formatFixed2, INF, "   inf"},
    {"f2 minus inf padded", formatFixed2, -INF, "  -inf"},
};

TEST(NumberFormat, WritesEachFormatExactly) {
    for (const FormatCase& c : FORMAT_CASES) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(formatted(c.format, c.value), c.expected);
    }
}

TEST(NumberFormat, NanFromZeroOverZeroReadsPlainNan) {
    const double nan = runtimeZeroOverZero();
    EXPECT_EQ(formatted(formatScientific, nan), "nan");
    EXPECT_EQ(formatted(formatFixed3, nan), "  nan");
    EXPECT_EQ(formatted(formatFixed2, nan), "   nan");
}

TEST(NumberFormat, FixedWritesHugeValuesInFull) {
    // The widest texts the formats can produce: every digit of -DBL_MAX is kept.
    char expected[400];
    std::snprintf(expected, sizeof expected, "%5.3f", -DBL_MAX);
    EXPECT_EQ(std::strlen(expected), FIXED3_TEXT_MAX);
    EXPECT_EQ(formatted(formatFixed3, -DBL_MAX), expected);
    std::snprintf(expected, sizeof expected, "%6.2f", -DBL_MAX);
    EXPECT_EQ(std::strlen(expected), FIXED2_TEXT_MAX);
    EXPECT_EQ(formatted(formatFixed2, -DBL_MAX), expected);
    EXPECT_EQ(formatted(formatFixed3, 1e64).size(), 65u + 4u);
}

TEST(NumberFormat, IntegersIncludeTheExtremes) {
    char text[INTEGER_TEXT_MAX + 1];
    const struct {
        int32_t value;
        const char* expected;
    } cases[] = {{0, "0"}, {57, "57"}, {-1, "-1"}, {INT32_MAX, "2147483647"}, {INT32_MIN, "-2147483648"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expected);
        EXPECT_EQ(formatInteger(c.value, text, sizeof text), std::strlen(c.expected));
        EXPECT_STREQ(text, c.expected);
    }
}

TEST(NumberFormat, ShortBufferIsCutTerminatedAndNeverOverrun) {
    const struct {
        const char* name;
        std::size_t (*write)(char*, std::size_t);
        std::size_t fullLength;
    } writers[] = {
        {"e", [](char* out, std::size_t cap) { return formatScientific(3.412e-5, out, cap); }, 10},
        {"f3", [](char* out, std::size_t cap) { return formatFixed3(12345.6789, out, cap); }, 9},
        {"f2", [](char* out, std::size_t cap) { return formatFixed2(-INF, out, cap); }, 6},
        {"i", [](char* out, std::size_t cap) { return formatInteger(-2147483647, out, cap); }, 11},
    };
    for (const auto& w : writers) {
        for (std::size_t capacity : {std::size_t{0}, std::size_t{1}, std::size_t{4}}) {
            SCOPED_TRACE(std::string(w.name) + " capacity " + std::to_string(capacity));
            char buffer[16];
            std::memset(buffer, '#', sizeof buffer);
            EXPECT_EQ(w.write(buffer, capacity), w.fullLength);
            if (capacity > 0) {
                EXPECT_EQ(std::strlen(buffer), capacity - 1);
            }
            for (std::size_t i = capacity; i < sizeof buffer; ++i) EXPECT_EQ(buffer[i], '#') << "byte " << i;
        }
    }
}

}  // namespace
