// The data file scanner's counts and values against a reference read of the same bytes:
// the count and value forms matched by hand and the value rounded by the C library's
// strtof (correctly rounded in glibc). Numbers may straddle the scanner's buffer refills,
// and CR LF pairs may be split by them.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "core/data_scanner.h"
#include "tests/fuzz/fuzz_checks.h"

namespace {

bool isWhiteSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

// The reference reader over the whole text.
struct Reference {
    const std::string& text;
    std::size_t at;

    bool skipWhiteSpace() {
        while (at < text.size() && isWhiteSpace(text[at])) ++at;
        return at < text.size();
    }
    std::size_t digitsFrom(std::size_t p) const {
        while (p < text.size() && isDigit(text[p])) ++p;
        return p;
    }
    // The next character as the scanner shows it: a CR LF pair reads as one '\n'.
    int next() const {
        if (at >= text.size()) return EOF;
        if (text[at] == '\r' && at + 1 < text.size() && text[at + 1] == '\n') return '\n';
        return static_cast<unsigned char>(text[at]);
    }

    CountScan count(int32_t maxCount) {
        if (!skipWhiteSpace()) return {ScanStatus::endOfFile, 0};
        std::size_t p = at;
        const bool negative = text[p] == '-';
        if (text[p] == '+' || text[p] == '-') ++p;
        const std::size_t end = digitsFrom(p);
        if (end == p) return {ScanStatus::notANumber, 0};
        long long magnitude = 0;
        for (std::size_t i = p; i < end; ++i) {
            if (magnitude <= maxCount) magnitude = magnitude * 10 + (text[i] - '0');
        }
        at = end;
        if (magnitude > maxCount || (negative && magnitude != 0)) return {ScanStatus::outOfRange, 0};
        return {ScanStatus::ok, static_cast<int32_t>(magnitude)};
    }

    ValueScan value() {
        if (!skipWhiteSpace()) return {ScanStatus::endOfFile, 0.0f};
        std::size_t p = at;
        if (text[p] == '+' || text[p] == '-') ++p;
        const std::size_t whole = digitsFrom(p);
        std::size_t end = whole;
        std::size_t fraction = whole;
        if (end < text.size() && text[end] == '.') {
            fraction = digitsFrom(end + 1);
            end = fraction;
        }
        const bool anyDigit = whole > p || fraction > whole + 1;
        if (!anyDigit) return {ScanStatus::notANumber, 0.0f};
        if (end < text.size() && (text[end] == 'e' || text[end] == 'E')) {
            std::size_t e = end + 1;
            if (e < text.size() && (text[e] == '+' || text[e] == '-')) ++e;
            const std::size_t exponentEnd = digitsFrom(e);
            if (exponentEnd == e) return {ScanStatus::notANumber, 0.0f};  // "1e", "1e+": the item fails
            end = exponentEnd;
        }
        const std::string number = text.substr(at, end - at);
        at = end;
        return {ScanStatus::ok, std::strtof(number.c_str(), nullptr)};
    }
};

const char* statusName(ScanStatus status) {
    switch (status) {
        case ScanStatus::ok: return "ok";
        case ScanStatus::endOfFile: return "endOfFile";
        case ScanStatus::notANumber: return "notANumber";
        case ScanStatus::outOfRange: return "outOfRange";
    }
    return "?";
}

// White space in front of the items, so that they stand at or across a refill; for three
// modes in eight (the padding costs far more than the items).
std::string padding(uint8_t mode, uint8_t shift) {
    const std::size_t before = SCANNER_BUFFER_SIZE - shift % 160;
    switch (mode % 8) {
        case 1: return std::string(before, ' ');
        case 2: {  // CR LF pairs, one of them perhaps split by the refill
            std::string crLf;
            while (crLf.size() + 2 <= before) crLf += "\r\n";
            return crLf + (before % 2 ? "\r" : "");
        }
        case 3: return std::string(2 * SCANNER_BUFFER_SIZE - shift % 160, '\n');
        default: return {};
    }
}

constexpr int32_t MAX_COUNTS[] = {0, 1000, INT32_MAX};

}  // namespace

Finding checkDataScanner(const uint8_t* data, std::size_t size) {
    InputBytes in{data, size};
    const uint8_t mode = in.byte();
    const uint8_t shift = in.byte();
    const uint8_t kinds = in.byte();  // bit i: item i is a count, else a value
    const int32_t maxCount = MAX_COUNTS[in.byte() % 3];
    const std::string text = padding(mode, shift) +
                             std::string(reinterpret_cast<const char*>(data) + std::min(size, in.at), size - std::min(size, in.at));

    std::FILE* file = text.empty() ? std::fopen("/dev/null", "rb") : fmemopen(const_cast<char*>(text.data()), text.size(), "rb");
    if (file == nullptr) std::abort();
    static std::unique_ptr<DataScanner> scanner = std::make_unique<DataScanner>();
    startScanner(*scanner, file);
    Reference reference{text, 0};
    Finding finding;
    for (int item = 0; finding.empty(); ++item) {
        const bool isCount = (kinds >> (item % 8)) & 1;
        ScanStatus got;
        ScanStatus expected;
        if (isCount) {
            const CountScan scan = scanCount(*scanner, maxCount);
            const CountScan want = reference.count(maxCount);
            got = scan.status;
            expected = want.status;
            if (got == expected && got == ScanStatus::ok && scan.count != want.count)
                finding = "count " + std::to_string(item) + " reads " + std::to_string(scan.count) + ", not " +
                          std::to_string(want.count);
        } else {
            const ValueScan scan = scanValue(*scanner);
            const ValueScan want = reference.value();
            got = scan.status;
            expected = want.status;
            if (got == expected && got == ScanStatus::ok && std::memcmp(&scan.value, &want.value, sizeof(float)) != 0)
                finding = "value " + std::to_string(item) + " is not the correctly rounded float";
        }
        if (finding.empty() && got != expected)
            finding = "item " + std::to_string(item) + " scans " + statusName(got) + ", not " + statusName(expected);
        if (!finding.empty() || got != ScanStatus::ok) break;
        if (peekChar(*scanner) != reference.next()) finding = "item " + std::to_string(item) + " stops elsewhere";
    }
    std::fclose(file);
    return finding;
}
