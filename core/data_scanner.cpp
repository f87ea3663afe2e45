// The measurement file scanner: a fixed buffer refilled with fread, and the count and
// value forms of the data file. A count or value whose bytes are all held is read
// straight from the buffer; the character-by-character route, which folds CR LF and
// keeps any number of digits exactly, takes over when the bytes it needs are not held
// at once and for numbers too long or too large for the direct route.
#include "core/data_scanner.h"

#include <cfloat>
#include <charconv>
#include <cstring>
#include <limits>
#include <system_error>

namespace {

// Moves the unread bytes to the front of the buffer and reads more behind them, until at
// least `wanted` bytes are held or the file has nothing more to give.
void refill(DataScanner& scanner, std::size_t wanted) {
    const std::size_t held = scanner.end - scanner.next;
    if (held > 0 && scanner.next > 0) std::memmove(scanner.buffer, scanner.buffer + scanner.next, held);
    scanner.next = 0;
    scanner.end = held;
    while (!scanner.exhausted && scanner.end < wanted) {
        const std::size_t room = SCANNER_BUFFER_SIZE - scanner.end;
        const std::size_t got = std::fread(scanner.buffer + scanner.end, 1, room, scanner.file);
        scanner.end += got;
        if (got < room) {
            scanner.exhausted = true;
            scanner.readFailed = std::ferror(scanner.file) != 0;
        }
    }
}

// White space as the C locale's isspace has it; the set is fixed, whatever locale the
// process runs in.
bool isWhiteSpace(int c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool isDigit(int c) { return c >= '0' && c <= '9'; }

void skipWhiteSpace(DataScanner& scanner) {
    while (isWhiteSpace(peekChar(scanner))) takeChar(scanner);
}

// Takes an optional '+' or '-'; true when it was '-'.
bool takeSign(DataScanner& scanner) {
    const int c = peekChar(scanner);
    if (c != '+' && c != '-') return false;
    takeChar(scanner);
    return c == '-';
}

// Exponents are kept far from the int64 limits; anything this large is infinite or zero
// for a 32-bit float anyway.
constexpr int64_t EXPONENT_LIMIT = int64_t{1} << 40;

int64_t saturatedAdd(int64_t a, int64_t b) {
    const int64_t sum = a + b;  // both operands stay below 2^44, far from overflow
    if (sum > EXPONENT_LIMIT) return EXPONENT_LIMIT;
    if (sum < -EXPONENT_LIMIT) return -EXPONENT_LIMIT;
    return sum;
}

// More significant digits than can ever decide the rounding of a 32-bit float (a float
// midpoint has at most about 112 significant decimal digits). Digits past these only
// matter as "something nonzero follows", kept as one extra '1'.
constexpr int KEPT_DIGITS = 200;

// A decimal number reduced to 0.DIGITS x 10^exponent, with leading zeros dropped.
struct DecimalNumber {
    bool negative;
    bool anyDigit;       // at least one mantissa digit, zero or not
    bool truncatedNonzero;
    int kept;            // digits stored in digits[]
    int64_t exponent;
    char digits[KEPT_DIGITS];
};

void addDigit(DecimalNumber& number, int c, bool beforePoint) {
    number.anyDigit = true;
    const bool leadingZero = c == '0' && number.kept == 0;
    if (leadingZero) {
        // A zero before the first significant digit scales only when it sits after the point.
        if (!beforePoint) number.exponent = saturatedAdd(number.exponent, -1);
        return;
    }
    if (beforePoint) number.exponent = saturatedAdd(number.exponent, 1);
    if (number.kept < KEPT_DIGITS) {
        number.digits[number.kept++] = static_cast<char>(c);
    } else if (c != '0') {
        number.truncatedNonzero = true;
    }
}

// Digits with an optional '.', after the sign.
void readMantissa(DataScanner& scanner, DecimalNumber& number) {
    bool beforePoint = true;
    for (int c = peekChar(scanner);; c = peekChar(scanner)) {
        if (isDigit(c)) {
            addDigit(number, c, beforePoint);
        } else if (c == '.' && beforePoint) {
            beforePoint = false;
        } else {
            return;
        }
        takeChar(scanner);
    }
}

// After the e or E: an optional sign and at least one digit. False when no digit follows.
bool readExponent(DataScanner& scanner, int64_t& exponent) {
    const bool negative = takeSign(scanner);
    if (!isDigit(peekChar(scanner))) return false;
    int64_t value = 0;
    for (int c = peekChar(scanner); isDigit(c); c = peekChar(scanner)) {
        if (value < EXPONENT_LIMIT) value = value * 10 + (c - '0');
        takeChar(scanner);
    }
    exponent = negative ? -value : value;
    return true;
}

// Beyond these decimal exponents (value in [10^(e-1), 10^e)) a 32-bit float is certainly
// infinite (above about 3.4e38) or zero (below half the smallest subnormal, 7e-46).
constexpr int64_t OVERFLOW_EXPONENT = 39;
constexpr int64_t UNDERFLOW_EXPONENT = -46;

float toFloatMagnitude(const DecimalNumber& number) {
    constexpr float infinity = std::numeric_limits<float>::infinity();
    if (number.kept == 0) return 0.0f;
    if (number.exponent > OVERFLOW_EXPONENT) return infinity;
    if (number.exponent < UNDERFLOW_EXPONENT) return 0.0f;

    // "0.DIGITS[1]eEXP": bounded, and short enough for from_chars to round exactly.
    char text[KEPT_DIGITS + 16];
    std::size_t length = 0;
    text[length++] = '0';
    text[length++] = '.';
    std::memcpy(text + length, number.digits, static_cast<std::size_t>(number.kept));
    length += static_cast<std::size_t>(number.kept);
    if (number.truncatedNonzero) text[length++] = '1';
    text[length++] = 'e';
    const auto written = std::to_chars(text + length, text + sizeof text, number.exponent);
    length = static_cast<std::size_t>(written.ptr - text);

    float value = 0.0f;
    const auto parsed = std::from_chars(text, text + length, value);
    // from_chars leaves value unset when the result leaves the float range either way;
    // the exponent tells which way.
    if (parsed.ec == std::errc::result_out_of_range) return number.exponent > 0 ? infinity : 0.0f;
    return value;
}

// The character route for a value, from wherever the scanner stands.
ValueScan scanValueByChar(DataScanner& scanner) {
    skipWhiteSpace(scanner);
    if (peekChar(scanner) == EOF) return {ScanStatus::endOfFile, 0.0f};
    // Only the first `kept` digits are ever read: the digit buffer needs no clearing.
    DecimalNumber number;
    number.negative = takeSign(scanner);
    number.anyDigit = false;
    number.truncatedNonzero = false;
    number.kept = 0;
    number.exponent = 0;
    readMantissa(scanner, number);
    if (!number.anyDigit) return {ScanStatus::notANumber, 0.0f};
    const int c = peekChar(scanner);
    if (c == 'e' || c == 'E') {
        takeChar(scanner);
        int64_t exponent = 0;
        if (!readExponent(scanner, exponent)) return {ScanStatus::notANumber, 0.0f};
        number.exponent = saturatedAdd(number.exponent, exponent);
    }
    const float magnitude = toFloatMagnitude(number);
    return {ScanStatus::ok, number.negative ? -magnitude : magnitude};
}

// The character route for a count, from wherever the scanner stands.
CountScan scanCountByChar(DataScanner& scanner, int32_t maxCount) {
    skipWhiteSpace(scanner);
    if (peekChar(scanner) == EOF) return {ScanStatus::endOfFile, 0};
    const bool negative = takeSign(scanner);
    if (!isDigit(peekChar(scanner))) return {ScanStatus::notANumber, 0};
    // Saturates just past maxCount: every larger magnitude is refused alike.
    int64_t magnitude = 0;
    for (int c = peekChar(scanner); isDigit(c); c = peekChar(scanner)) {
        if (magnitude <= maxCount) magnitude = magnitude * 10 + (c - '0');
        takeChar(scanner);
    }
    if (magnitude > maxCount || (negative && magnitude != 0)) return {ScanStatus::outOfRange, 0};
    return {ScanStatus::ok, static_cast<int32_t>(magnitude)};
}

// The direct route reads from the buffer while this many bytes are held: far more than
// the longest number it takes (a sign, 19 digits, a point, e, an exponent sign and 4
// digits). So a number it takes either ends inside the held bytes or at the end of the
// file; one that runs to the end of the held bytes is left to the character route.
constexpr std::size_t HELD_WINDOW = 128;
constexpr int MAX_DIRECT_DIGITS = 19;  // 10^19 - 1 still fits in 64 bits
constexpr int MAX_DIRECT_EXPONENT_DIGITS = 4;

// Holds at least HELD_WINDOW bytes, or all that is left of the file.
void holdWindow(DataScanner& scanner) {
    if (scanner.end - scanner.next < HELD_WINDOW && !scanner.exhausted) refill(scanner, SCANNER_BUFFER_SIZE);
}

// Skips white space straight in the buffer, refilling as often as it takes. CR and LF
// are both white space, so a CR LF pair needs no folding here, even split across two
// fills. False when the file ends first.
bool skipHeldWhiteSpace(DataScanner& scanner) {
    for (;;) {
        while (scanner.next < scanner.end && isWhiteSpace(scanner.buffer[scanner.next])) ++scanner.next;
        if (scanner.next < scanner.end) return true;
        if (scanner.exhausted) return false;
        refill(scanner, SCANNER_BUFFER_SIZE);
    }
}

// A number of the value form found in the held bytes, taken apart as it was checked.
// Its value is mantissa x 10^exponent.
struct HeldNumber {
    const char* text;  // the number after its sign
    const char* textEnd;
    bool negative;
    uint64_t mantissa;  // the digits as one integer, the point left out
    int exponent;
};

// Checks the value form on the held bytes at `next`: an optional sign, digits with an
// optional point, at least one digit, then optionally e or E, a sign and digits. False
// wherever the character route has to decide: a form that fails (it knows how far such
// a failure reads), a number that may go on past the held bytes, or one with more
// digits than the direct route takes. A number never contains a CR, so the CR LF
// folding cannot change what is found here.
bool findHeldNumber(const DataScanner& scanner, HeldNumber& number) {
    const char* p = scanner.buffer + scanner.next;
    const char* const end = scanner.buffer + scanner.end;
    number.negative = *p == '-';
    if (*p == '+' || *p == '-') ++p;
    number.text = p;
    number.mantissa = 0;
    int digits = 0;
    int fractionDigits = 0;
    bool beforePoint = true;
    for (; p < end; ++p) {
        if (isDigit(*p)) {
            if (++digits > MAX_DIRECT_DIGITS) return false;
            number.mantissa = number.mantissa * 10 + static_cast<uint64_t>(*p - '0');
            if (!beforePoint) ++fractionDigits;
        } else if (*p == '.' && beforePoint) {
            beforePoint = false;
        } else {
            break;
        }
    }
    if (digits == 0) return false;
    int exponent = 0;
    if (p < end && (*p == 'e' || *p == 'E')) {
        ++p;
        const bool negativeExponent = p < end && *p == '-';
        if (p < end && (*p == '+' || *p == '-')) ++p;
        int exponentDigits = 0;
        for (; p < end && isDigit(*p); ++p) {
            if (++exponentDigits > MAX_DIRECT_EXPONENT_DIGITS) return false;
            exponent = exponent * 10 + (*p - '0');
        }
        if (exponentDigits == 0) return false;
        if (negativeExponent) exponent = -exponent;
    }
    if (p == end && !scanner.exhausted) return false;
    number.textEnd = p;
    number.exponent = exponent - fractionDigits;
    return true;
}

// The float multiplication and division below must round once, to 32 bits.
static_assert(FLT_EVAL_METHOD == 0, "float arithmetic must be evaluated in float");

// Integers up to 2^24 and the powers of ten up to 10^10 (2^10 x 5^10, 5^10 < 2^24) are
// exact in a float.
constexpr uint64_t EXACT_FLOAT_INTEGER = uint64_t{1} << 24;
constexpr float EXACT_POWERS_OF_TEN[] = {1e0f, 1e1f, 1e2f, 1e3f, 1e4f, 1e5f, 1e6f, 1e7f, 1e8f, 1e9f, 1e10f};
constexpr int EXACT_POWER_LIMIT = 10;

// The held number's magnitude correctly rounded to 32 bits. False when it leaves the
// float range, which the character route settles. With a mantissa and a power of ten
// both exact in a float, one IEEE multiplication or division is itself the correctly
// rounded result (Clinger's fast path); from_chars rounds correctly the rest.
bool heldMagnitude(const HeldNumber& number, float& magnitude) {
    if (number.mantissa <= EXACT_FLOAT_INTEGER && number.exponent >= -EXACT_POWER_LIMIT &&
        number.exponent <= EXACT_POWER_LIMIT) {
        const float mantissa = static_cast<float>(number.mantissa);
        magnitude = number.exponent >= 0 ? mantissa * EXACT_POWERS_OF_TEN[number.exponent]
                                         : mantissa / EXACT_POWERS_OF_TEN[-number.exponent];
        return true;
    }
    const auto parsed = std::from_chars(number.text, number.textEnd, magnitude);
    return parsed.ec == std::errc{} && parsed.ptr == number.textEnd;
}

// A count of the count form in the held bytes at `next`; false, reading nothing, when
// no digit follows the sign or the digits may go on past the held bytes.
bool scanHeldCount(DataScanner& scanner, int32_t maxCount, CountScan& scan) {
    const char* p = scanner.buffer + scanner.next;
    const char* const end = scanner.buffer + scanner.end;
    const bool negative = *p == '-';
    if (*p == '+' || *p == '-') ++p;
    const char* const digits = p;
    // Saturates just past maxCount: every larger magnitude is refused alike.
    int64_t magnitude = 0;
    for (; p < end && isDigit(*p); ++p) {
        if (magnitude <= maxCount) magnitude = magnitude * 10 + (*p - '0');
    }
    if (p == digits || (p == end && !scanner.exhausted)) return false;
    scanner.next = static_cast<std::size_t>(p - scanner.buffer);
    const bool refused = magnitude > maxCount || (negative && magnitude != 0);
    scan = refused ? CountScan{ScanStatus::outOfRange, 0} : CountScan{ScanStatus::ok, static_cast<int32_t>(magnitude)};
    return true;
}

}  // namespace

void startScanner(DataScanner& scanner, std::FILE* file) {
    scanner.file = file;
    scanner.next = 0;
    scanner.end = 0;
    scanner.exhausted = false;
    scanner.readFailed = false;
    refill(scanner, SCANNER_BUFFER_SIZE);
}

int peekChar(DataScanner& scanner) {
    if (scanner.next >= scanner.end) {
        refill(scanner, SCANNER_BUFFER_SIZE);
        if (scanner.next >= scanner.end) return EOF;
    }
    const char c = scanner.buffer[scanner.next];
    if (c == '\r') {
        // Whether this CR begins a CR LF pair depends on the byte after it.
        if (scanner.next + 1 >= scanner.end) refill(scanner, SCANNER_BUFFER_SIZE);
        if (scanner.next + 1 < scanner.end && scanner.buffer[scanner.next + 1] == '\n') return '\n';
    }
    return static_cast<unsigned char>(c);
}

void takeChar(DataScanner& scanner) {
    const bool crLf = scanner.buffer[scanner.next] == '\r' && scanner.next + 1 < scanner.end &&
                      scanner.buffer[scanner.next + 1] == '\n';
    scanner.next += crLf ? 2 : 1;
}

std::size_t readFirstLine(DataScanner& scanner, char* dest, std::size_t capacity) {
    std::size_t total = 0;
    std::size_t kept = 0;
    for (int c = peekChar(scanner); c != EOF; c = peekChar(scanner)) {
        takeChar(scanner);
        ++total;
        if (kept + 1 < capacity) dest[kept++] = static_cast<char>(c);
        if (c == '\n') break;
    }
    if (total > 0 && capacity > 0) dest[kept] = '\0';
    return total;
}

CountScan scanCount(DataScanner& scanner, int32_t maxCount) {
    if (!skipHeldWhiteSpace(scanner)) return {ScanStatus::endOfFile, 0};
    holdWindow(scanner);
    CountScan scan{ScanStatus::ok, 0};
    if (scanHeldCount(scanner, maxCount, scan)) return scan;
    return scanCountByChar(scanner, maxCount);
}

ValueScan scanValue(DataScanner& scanner) {
    if (!skipHeldWhiteSpace(scanner)) return {ScanStatus::endOfFile, 0.0f};
    holdWindow(scanner);
    HeldNumber number;
    float magnitude = 0.0f;
    if (findHeldNumber(scanner, number) && heldMagnitude(number, magnitude)) {
        scanner.next = static_cast<std::size_t>(number.textEnd - scanner.buffer);
        return {ScanStatus::ok, number.negative ? -magnitude : magnitude};
    }
    return scanValueByChar(scanner);
}
