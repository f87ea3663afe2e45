// The count and value forms of the data file, the first line, and the folding of CR LF,
// read from temporary files.
#include "core/data_scanner.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/core/core_test_support.h"

namespace {

// A scanner over text in an anonymous temporary file (the scanner is 64 KiB: kept on the heap).
class MemoryScanner {
public:
    explicit MemoryScanner(const std::string& text) : text_(text), scanner_(std::make_unique<DataScanner>()) {
        file_ = std::tmpfile();
        std::fwrite(text_.data(), 1, text_.size(), file_);
        std::rewind(file_);
        startScanner(*scanner_, file_);
    }
    ~MemoryScanner() { std::fclose(file_); }
    MemoryScanner(const MemoryScanner&) = delete;
    MemoryScanner& operator=(const MemoryScanner&) = delete;

    DataScanner& operator*() { return *scanner_; }

    // What is left unread, with CR LF folded.
    std::string rest() {
        std::string left;
        for (int c = peekChar(*scanner_); c != EOF; c = peekChar(*scanner_)) {
            left.push_back(static_cast<char>(c));
            takeChar(*scanner_);
        }
        return left;
    }

private:
    std::string text_;
    std::FILE* file_ = nullptr;
    std::unique_ptr<DataScanner> scanner_;
};

constexpr float INF = std::numeric_limits<float>::infinity();
constexpr float SMALLEST_SUBNORMAL = std::numeric_limits<float>::denorm_min();

struct ValueCase {
    const char* text;
    ScanStatus status;
    float value;       // when ok
    const char* rest;  // what is left unread when ok
};

// The "%f" form: what is a number, where it stops, and how it rounds to 32 bits.
const ValueCase VALUE_CASES[] = {
    {"31.5", ScanStatus::ok, 31.5f, ""},
    {"  \t\n\v\f\r 28\n", ScanStatus::ok, 28.0f, "\n"},
    {"+7", ScanStatus::ok, 7.0f, ""},
    {"-2.25", ScanStatus::ok, -2.25f, ""},
    {"-0", ScanStatus::ok, -0.0f, ""},
    {".5", ScanStatus::ok, 0.5f, ""},
    {"5.", ScanStatus::ok, 5.0f, ""},
    {"000012.50000", ScanStatus::ok, 12.5f, ""},
    {"0.000001", ScanStatus::ok, 0.000001f, ""},
    {"1e-6", ScanStatus::ok, 0.000001f, ""},
    {"1E+2", ScanStatus::ok, 100.0f, ""},
    {"2.5e0x", ScanStatus::ok, 2.5f, "x"},
    {"28x", ScanStatus::ok, 28.0f, "x"},
    {"1.5.5", ScanStatus::ok, 1.5f, ".5"},
    {"3,5", ScanStatus::ok, 3.0f, ",5"},
    {"12-3", ScanStatus::ok, 12.0f, "-3"},
    // Correct rounding to 32 bits: below the midpoint above 1.0 gives 1.0 exactly.
    {"1.00000005", ScanStatus::ok, 1.0f, ""},
    {"1.0000002", ScanStatus::ok, 1.00000024f, ""},
    {"0.1", ScanStatus::ok, 0.1f, ""},
    // The float range: overflow is infinity, not an error; underflow is zero.
    {"3.4028234e38", ScanStatus::ok, std::numeric_limits<float>::max(), ""},
    {"3.4028236e38", ScanStatus::ok, INF, ""},
    {"1e39", ScanStatus::ok, INF, ""},
    {"-1e39", ScanStatus::ok, -INF, ""},
    {"1e999999999999999999999", ScanStatus::ok, INF, ""},
    {"1.4e-45", ScanStatus::ok, SMALLEST_SUBNORMAL, ""},
    {"1e-46", ScanStatus::ok, 0.0f, ""},
    {"-1e-50", ScanStatus::ok, -0.0f, ""},
    {"1e-999999999999999999999", ScanStatus::ok, 0.0f, ""},
    {"0e999999999999", ScanStatus::ok, 0.0f, ""},
    {"0.0000000000000000000000000000000000000000000000000000000000000000000000000001e70",
     ScanStatus::ok, 1e-6f, ""},
    {"100000000000000000000000000000000000000000000000000000000000e-54", ScanStatus::ok, 1e5f, ""},
    // Not numbers of this format: words, hexadecimal, a bare point or sign.
    {"x", ScanStatus::notANumber, 0, nullptr},
    {"inf", ScanStatus::notANumber, 0, nullptr},
    {"nan", ScanStatus::notANumber, 0, nullptr},
    {"-infinity", ScanStatus::notANumber, 0, nullptr},
    {".", ScanStatus::notANumber, 0, nullptr},
    {"-", ScanStatus::notANumber, 0, nullptr},
    {"+.e5", ScanStatus::notANumber, 0, nullptr},
    {"e5", ScanStatus::notANumber, 0, nullptr},
    // An exponent mark without digits: the longest prefix "1e" is not a number.
    {"1e", ScanStatus::notANumber, 0, nullptr},
    {"1e+", ScanStatus::notANumber, 0, nullptr},
    {"1E-x", ScanStatus::notANumber, 0, nullptr},
    {"1e 5", ScanStatus::notANumber, 0, nullptr},
    {"", ScanStatus::endOfFile, 0, nullptr},
    {" \r\n\t ", ScanStatus::endOfFile, 0, nullptr},
};

TEST(DataScanner, ReadsValuesInTheDecimalFormOnly) {
    for (const ValueCase& c : VALUE_CASES) {
        SCOPED_TRACE(c.text);
        MemoryScanner scanner(c.text);
        const ValueScan scan = scanValue(*scanner);
        EXPECT_EQ(c.status, scan.status);
        if (c.status != ScanStatus::ok) continue;
        EXPECT_EQ(bitsOf(c.value), bitsOf(scan.value)) << scan.value;
        EXPECT_EQ(c.rest, scanner.rest());
    }
}

TEST(DataScanner, ValueRoundsToTheNearestFloatAfterManyDigits) {
    // 1 + 2^-24 is the midpoint between 1.0f and the next float: ties go to even (1.0),
    // and any nonzero digit far behind it decides upwards.
    const std::string midpoint = "1.000000059604644775390625";
    const std::string above = midpoint + std::string(400, '0') + "1";
    const std::string below = "1.000000059604644775390624" + std::string(400, '9');
    const struct {
        std::string text;
        float value;
    } cases[] = {
        {midpoint, 1.0f},
        {above, std::nextafter(1.0f, 2.0f)},
        {below, 1.0f},
        {"0." + std::string(5000, '0') + "1e5001", 1.0f},
        {std::string(5000, '9'), INF},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text.substr(0, 40));
        MemoryScanner scanner(c.text);
        const ValueScan scan = scanValue(*scanner);
        ASSERT_EQ(ScanStatus::ok, scan.status);
        EXPECT_EQ(bitsOf(c.value), bitsOf(scan.value)) << scan.value;
    }
}

struct CountCase {
    const char* text;
    ScanStatus status;
    int32_t count;
    const char* rest;
};

// The "%u" form with its sign, limited to 0 ... 1000.
const CountCase COUNT_CASES[] = {
    {"2", ScanStatus::ok, 2, ""},
    {"\n\n  1000\n", ScanStatus::ok, 1000, "\n"},
    {"+3", ScanStatus::ok, 3, ""},
    {"-0", ScanStatus::ok, 0, ""},
    {"0007", ScanStatus::ok, 7, ""},
    {"2.5", ScanStatus::ok, 2, ".5"},
    {"1e3", ScanStatus::ok, 1, "e3"},
    {"0x10", ScanStatus::ok, 0, "x10"},
    {"1001", ScanStatus::outOfRange, 0, nullptr},
    {"-1", ScanStatus::outOfRange, 0, nullptr},
    {"-4294967295", ScanStatus::outOfRange, 0, nullptr},  // %u would wrap it to 1
    {"4294967296", ScanStatus::outOfRange, 0, nullptr},   // %u would wrap it to 0
    {"99999999999", ScanStatus::outOfRange, 0, nullptr},
    {"00000000000000000000000000001001", ScanStatus::outOfRange, 0, nullptr},
    {"x", ScanStatus::notANumber, 0, nullptr},
    {".5", ScanStatus::notANumber, 0, nullptr},
    {"+", ScanStatus::notANumber, 0, nullptr},
    {"- 1", ScanStatus::notANumber, 0, nullptr},
    {"", ScanStatus::endOfFile, 0, nullptr},
    {"\r\n", ScanStatus::endOfFile, 0, nullptr},
};

TEST(DataScanner, ReadsCountsWithinTheArrays) {
    for (const CountCase& c : COUNT_CASES) {
        SCOPED_TRACE(c.text);
        MemoryScanner scanner(c.text);
        const CountScan scan = scanCount(*scanner, MAX_SHAPES_PER_KIND);
        EXPECT_EQ(c.status, scan.status);
        if (c.status != ScanStatus::ok) continue;
        EXPECT_EQ(c.count, scan.count);
        EXPECT_EQ(c.rest, scanner.rest());
    }
}

TEST(DataScanner, FoldsCrLfIntoOneLineEndAndKeepsALoneCr) {
    MemoryScanner scanner("a\r\nb\rc\r\r\nd\n\re\r");
    EXPECT_EQ("a\nb\rc\r\nd\n\re\r", scanner.rest());
}

TEST(DataScanner, FoldsCrLfSplitAcrossTwoBufferFills) {
    // The CR is the last byte of the first fill, its LF the first byte of the next.
    const std::string text = std::string(SCANNER_BUFFER_SIZE - 1, ' ') + "\r\n7 " +
                             std::string(SCANNER_BUFFER_SIZE, '\t') + "8\r";
    MemoryScanner scanner(text);
    const CountScan first = scanCount(*scanner, MAX_SHAPES_PER_KIND);
    ASSERT_EQ(ScanStatus::ok, first.status);
    EXPECT_EQ(7, first.count);
    const ValueScan second = scanValue(*scanner);
    ASSERT_EQ(ScanStatus::ok, second.status);
    EXPECT_EQ(8.0f, second.value);
    EXPECT_EQ("\r", scanner.rest());
}

TEST(DataScanner, ReadsANumberSplitAcrossTwoBufferFills) {
    const std::string text = std::string(SCANNER_BUFFER_SIZE - 3, '\n') + "123.25e-1 x";
    MemoryScanner scanner(text);
    const ValueScan scan = scanValue(*scanner);
    ASSERT_EQ(ScanStatus::ok, scan.status);
    EXPECT_EQ(12.325f, scan.value);
    EXPECT_EQ(" x", scanner.rest());
}

// The offsets of an item from the end of the first fill: starting right at it, straddling
// it by a few bytes, ending right at it, and around the window that the scanner holds
// before it reads a number straight from the buffer.
const std::size_t PLACEMENTS[] = {0, 1, 2, 3, 5, 8, 11, 20, 40, 126, 127, 128, 129, 200};

// filler repeated and cut to leave `before` bytes of the first fill for what follows.
std::string fillerLeaving(const std::string& filler, std::size_t before) {
    std::string text;
    while (text.size() + before < SCANNER_BUFFER_SIZE) text += filler;
    text.resize(SCANNER_BUFFER_SIZE - before);
    return text;
}

template <typename Scan>
auto scanOnce(const std::string& text, std::string& rest, Scan scan) {
    MemoryScanner scanner(text);
    const auto result = scan(*scanner);
    rest = scanner.rest();
    return result;
}

TEST(DataScanner, ReadsAnItemTheSameWhereverItStandsAgainstARefill) {
    const auto value = [](DataScanner& scanner) { return scanValue(scanner); };
    const auto count = [](DataScanner& scanner) { return scanCount(scanner, MAX_SHAPES_PER_KIND); };
    const std::string nul(1, '\0');
    const struct {
        std::string item;
        std::string after;
    } items[] = {
        {"-123.25e-1", " x"},
        {"28", "\r\n"},
        {"0.000001", "\n"},
        {"+7.", ""},  // the end of the file without a line end
        {"1e39", "\r"},
        {"1.0000002", nul},
        {"0000000000000000000000000000000000000000012.5", "\n"},  // more digits than read at once
        {"1e", "\n"},                                            // an exponent mark without digits
        {"1E+", "5"},
        {nul, "5"},  // a NUL is no white space
        {"-", "1"},
        {"999", "\n"},
        {"0000000000000000000000000000000000000001000", "e3"},
    };
    for (const auto& placed : items) {
        std::string expectedValueRest;
        std::string expectedCountRest;
        const ValueScan expectedValue = scanOnce(" " + placed.item + placed.after, expectedValueRest, value);
        const CountScan expectedCount = scanOnce(" " + placed.item + placed.after, expectedCountRest, count);
        for (const std::string filler : {" ", "\r\n", "\n\t"}) {
            for (std::size_t before : PLACEMENTS) {
                SCOPED_TRACE("item " + placed.item + ", " + std::to_string(before) +
                             " bytes before the end of the fill, filler of " + std::to_string(filler.size()));
                const std::string text = fillerLeaving(filler, before) + placed.item + placed.after;
                std::string rest;
                const ValueScan valueScan = scanOnce(text, rest, value);
                ASSERT_EQ(expectedValue.status, valueScan.status);
                if (valueScan.status == ScanStatus::ok) {
                    EXPECT_EQ(bitsOf(expectedValue.value), bitsOf(valueScan.value)) << valueScan.value;
                    EXPECT_EQ(expectedValueRest, rest);
                }
                const CountScan countScan = scanOnce(text, rest, count);
                ASSERT_EQ(expectedCount.status, countScan.status);
                if (countScan.status == ScanStatus::ok) {
                    EXPECT_EQ(expectedCount.count, countScan.count);
                    EXPECT_EQ(expectedCountRest, rest);
                }
            }
        }
    }
}

// A random number of the value form: up to 19 digits with the point anywhere or nowhere,
// with or without a sign and an exponent; mantissas near 2^24 and exponents near the
// float range's ends come often.
std::string randomValueText(std::mt19937& random) {
    const auto pick = [&random](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    const char* signs[] = {"", "", "+", "-"};
    std::string text = signs[pick(4)];
    std::string digits;
    if (pick(4) == 0) {
        digits = std::to_string((1 << 24) - 8 + pick(16));  // around the largest exact float integer
    } else {
        const int length = 1 + pick(19);
        for (int i = 0; i < length; ++i) digits += static_cast<char>('0' + pick(10));
    }
    // The point before, among or after the digits, or none.
    const std::size_t point = static_cast<std::size_t>(pick(static_cast<int>(digits.size()) + 3));
    if (point <= digits.size()) {
        text += digits.substr(0, point) + "." + digits.substr(point);
    } else {
        text += digits;
    }
    if (pick(2) == 0) {
        const int exponents[] = {pick(11), -pick(11), 30 + pick(20), -(30 + pick(30)), pick(9999) - 5000};
        const int exponent = exponents[pick(5)];
        text += pick(2) ? "e" : "E";
        if (exponent >= 0 && pick(2)) text += "+";
        text += std::to_string(exponent);
    }
    return text;
}

// Many values in one file, so that they meet the refills at every kind of place, read
// both straight from the buffer and (behind leading zeros that change no value) by the
// exact route, each against the C library's correctly rounded strtof.
TEST(DataScanner, ValuesReadAtOnceMatchTheExactRouteAndStrtof) {
    std::mt19937 random(99);
    const char* separators[] = {" ", "\n", "\r\n", "\t", " \r\n\r\n  "};
    std::vector<std::string> numbers;
    std::string direct;
    std::string padded;
    for (int i = 0; i < 60000; ++i) {
        numbers.push_back(randomValueText(random));
        const std::string& number = numbers.back();
        const std::size_t signLength = number[0] == '+' || number[0] == '-' ? 1 : 0;
        const char* separator = separators[random() % 5];
        direct += number + separator;
        padded += number.substr(0, signLength) + std::string(24, '0') + number.substr(signLength) + separator;
    }
    MemoryScanner directScanner(direct);
    MemoryScanner paddedScanner(padded);
    for (const std::string& number : numbers) {
        SCOPED_TRACE(number);
        const float expected = std::strtof(number.c_str(), nullptr);
        const ValueScan fromDirect = scanValue(*directScanner);
        const ValueScan fromPadded = scanValue(*paddedScanner);
        ASSERT_EQ(ScanStatus::ok, fromDirect.status);
        ASSERT_EQ(ScanStatus::ok, fromPadded.status);
        ASSERT_EQ(bitsOf(expected), bitsOf(fromDirect.value)) << fromDirect.value;
        ASSERT_EQ(bitsOf(expected), bitsOf(fromPadded.value)) << fromPadded.value;
    }
    EXPECT_EQ(ScanStatus::endOfFile, scanValue(*directScanner).status);
    EXPECT_EQ(ScanStatus::endOfFile, scanValue(*paddedScanner).status);
}

struct FirstLineCase {
    const char* name;
    std::string text;
    std::size_t length;     // characters of the whole first line, CR LF as one
    std::string kept;       // what dest holds
    std::string rest;
};

TEST(DataScanner, ReadsTheWholeFirstLineAndKeepsItsStart) {
    const std::string long70(70, 'n');
    const std::string long300(300, 'm');
    const std::string long100k(100000, 'w');
    const FirstLineCase cases[] = {
        {"short LF", "Transect A\n0.5", 11, "Transect A\n", "0.5"},
        {"short CR LF", "Transect A\r\n0.5", 11, "Transect A\n", "0.5"},
        {"no line end", "Transect A", 10, "Transect A", ""},
        {"62 characters keep their LF", std::string(62, 'a') + "\n1", 63, std::string(62, 'a') + "\n", "1"},
        {"63 characters leave their LF out", std::string(63, 'a') + "\n1", 64, std::string(63, 'a'), "1"},
        {"70 characters", long70 + "\n0.5", 71, std::string(63, 'n'), "0.5"},
        {"300 characters with CR LF", long300 + "\r\n0.5", 301, std::string(63, 'm'), "0.5"},
        {"longer than the buffer", long100k + "\n1", 100001, std::string(63, 'w'), "1"},
        {"a lone CR is no line end", "ab\rcd\n1", 6, "ab\rcd\n", "1"},
        {"NUL bytes are characters", std::string("a\0b\n1", 5), 4, std::string("a\0b\n", 4), "1"},
        {"just a line end", "\n", 1, "\n", ""},
    };
    for (const FirstLineCase& c : cases) {
        SCOPED_TRACE(c.name);
        MemoryScanner scanner(c.text);
        char dest[SET_NAME_CAPACITY];
        std::memset(dest, '#', sizeof dest);
        EXPECT_EQ(c.length, readFirstLine(*scanner, dest, sizeof dest));
        EXPECT_EQ(c.kept, std::string(dest, c.kept.size()));
        EXPECT_EQ('\0', dest[c.kept.size()]);
        EXPECT_EQ(c.rest, scanner.rest());
    }
}

TEST(DataScanner, EmptyFileLeavesTheFirstLineUntouched) {
    MemoryScanner scanner("");
    char dest[SET_NAME_CAPACITY] = "previous";
    EXPECT_EQ(0u, readFirstLine(*scanner, dest, sizeof dest));
    EXPECT_STREQ("previous", dest);
}

}  // namespace
