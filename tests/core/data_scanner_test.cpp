// The count and value forms of the data file, the first line, and the folding of CR LF,
// read from temporary files.
#include "core/data_scanner.h"

#include <cmath>
#include <cstdio>
#include <limits>
#include <memory>
#include <string>

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
