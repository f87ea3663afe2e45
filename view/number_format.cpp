// Number formatting of the results page and the SaveClip text, into bounded buffers.
#include "view/number_format.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

// Copies the text into out, cut to fit and terminated; returns the whole text's length.
std::size_t copyBounded(const char* text, std::size_t length, char* out, std::size_t capacity) {
    if (capacity == 0) return length;
    const std::size_t kept = length < capacity ? length : capacity - 1;
    std::memcpy(out, text, kept);
    out[kept] = '\0';
    return length;
}

const char* nonFiniteText(double value) {
    if (std::isnan(value)) return "nan";
    return value > 0 ? "inf" : "-inf";
}

// A non-finite value right-aligned in width characters, as printf pads it.
std::size_t formatNonFinite(double value, std::size_t width, char* out, std::size_t capacity) {
    const char* word = nonFiniteText(value);
    const std::size_t wordLength = std::strlen(word);
    const std::size_t padding = wordLength < width ? width - wordLength : 0;
    char text[16];
    std::memset(text, ' ', padding);
    std::memcpy(text + padding, word, wordLength);
    return copyBounded(text, padding + wordLength, out, capacity);
}

// The C library writes at least two exponent digits (1.000e+00); the page shows at least
// three (1.000e+000), so the exponent is written again with zeros in front.
std::size_t widenExponent(const char* libraryText, char* text) {
    const char* e = std::strchr(libraryText, 'e');
    const std::size_t mantissaLength = static_cast<std::size_t>(e - libraryText) + 2;  // with "e±"
    std::memcpy(text, libraryText, mantissaLength);
    const char* digits = e + 2;
    const std::size_t digitCount = std::strlen(digits);
    const std::size_t zeros = digitCount < 3 ? 3 - digitCount : 0;
    std::memset(text + mantissaLength, '0', zeros);
    std::memcpy(text + mantissaLength + zeros, digits, digitCount);
    return mantissaLength + zeros + digitCount;
}

}  // namespace

std::size_t formatScientific(double value, char* out, std::size_t capacity) {
    if (!std::isfinite(value)) return formatNonFinite(value, 0, out, capacity);
    char libraryText[SCIENTIFIC_TEXT_MAX + 1];
    std::snprintf(libraryText, sizeof libraryText, "%.3e", value);
    char text[SCIENTIFIC_TEXT_MAX + 2];
    const std::size_t length = widenExponent(libraryText, text);
    return copyBounded(text, length, out, capacity);
}

std::size_t formatFixed3(double value, char* out, std::size_t capacity) {
    if (!std::isfinite(value)) return formatNonFinite(value, 5, out, capacity);
    char text[FIXED3_TEXT_MAX + 1];
    const int length = std::snprintf(text, sizeof text, "%5.3f", value);
    return copyBounded(text, static_cast<std::size_t>(length), out, capacity);
}

std::size_t formatFixed2(double value, char* out, std::size_t capacity) {
    if (!std::isfinite(value)) return formatNonFinite(value, 6, out, capacity);
    char text[FIXED2_TEXT_MAX + 1];
    const int length = std::snprintf(text, sizeof text, "%6.2f", value);
    return copyBounded(text, static_cast<std::size_t>(length), out, capacity);
}

std::size_t formatInteger(int32_t value, char* out, std::size_t capacity) {
    char text[INTEGER_TEXT_MAX];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return copyBounded(text, static_cast<std::size_t>(result.ptr - text), out, capacity);
}
