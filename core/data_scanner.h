// Streams a measurement data file through one fixed buffer and reads its items: the
// first line as text, counts like "%u" and values like "%f", without the C library's
// scanf or strtod (they accept "inf", "nan" and hexadecimal floats, and strtod follows
// the process locale, which a GUI front end may change).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

// One read fills the buffer; a typical measurement file fits whole.
inline constexpr std::size_t SCANNER_BUFFER_SIZE = 64 * 1024;

enum class ScanStatus {
    ok,
    endOfFile,    // nothing but white space was left
    notANumber,   // the item does not begin with (or is not) a number of its form
    outOfRange,   // a count that is negative or larger than allowed
};

// What a count scan read. count is meaningful only when status is ok.
struct CountScan {
    ScanStatus status;
    int32_t count;
};

// What a value scan read. value is meaningful only when status is ok.
struct ValueScan {
    ScanStatus status;
    float value;
};

// The file being read and the window of it held in memory. The scanner never owns the
// file: whoever opened it closes it.
struct DataScanner {
    std::FILE* file;
    std::size_t next;  // first unread byte of buffer
    std::size_t end;   // one past the last byte held
    bool exhausted;    // no more bytes will come from the file
    bool readFailed;   // the C library reported a read error (for instance a folder)
    char buffer[SCANNER_BUFFER_SIZE];
};

// Binds the scanner to an open file and makes the first read, so that a file that opens
// but cannot be read (a folder on Linux) shows at once in readFailed.
void startScanner(DataScanner& scanner, std::FILE* file);

// The next character, with a CR LF pair folded into one '\n' as a text-mode read on the
// original platform does; a lone CR stays a CR. EOF at the end of the file.
int peekChar(DataScanner& scanner);
// Consumes the character that peekChar returned.
void takeChar(DataScanner& scanner);

// Reads the whole first line, up to and including its line end, however long. Keeps its
// first capacity-1 characters in dest, NUL-terminated, as fgets would store them. Returns
// how many characters the line had; 0 (dest untouched) when the file is empty.
std::size_t readFirstLine(DataScanner& scanner, char* dest, std::size_t capacity);

// Skips white space, then reads an optional sign and one or more decimal digits, and
// stops at the first non-digit (which stays unread). A count below 0 or above maxCount,
// however many digits it has, gives outOfRange.
CountScan scanCount(DataScanner& scanner, int32_t maxCount);

// Skips white space, then reads a decimal number: optional sign, digits with an optional
// '.', at least one digit in all, then optionally e or E, an optional sign and at least
// one digit. An exponent mark without digits ("1e", "1e+") makes the whole item fail, as
// the C standard's longest-prefix rule for "%f" has it. The result is the decimal value
// correctly rounded to 32 bits; beyond the float range it becomes +-infinity, below the
// smallest subnormal +-0.
ValueScan scanValue(DataScanner& scanner);
