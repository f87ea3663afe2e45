// Number formatting of the results page and the SaveClip text, into bounded buffers.
//
// Every function writes at most capacity bytes, the terminating NUL included (nothing at
// all when capacity is 0), and returns the length of the whole text, as snprintf does: a
// return value of capacity or more means the text was cut.
//
// Values that are not finite read the same everywhere: "nan" (whatever its sign bit: 0/0
// on x86 gives a negative NaN that the C library would print as "-nan"), "inf" and "-inf",
// padded to the field width in the fixed formats as printf pads.
#pragma once

#include <cstddef>
#include <cstdint>

// Longest "%.3e" text of a double: "-1.797e+308".
inline constexpr std::size_t SCIENTIFIC_TEXT_MAX = 11;
// Longest "%5.3f" text of a double: -DBL_MAX with its 309 integer digits.
inline constexpr std::size_t FIXED3_TEXT_MAX = 314;
// Longest "%6.2f" text of a double.
inline constexpr std::size_t FIXED2_TEXT_MAX = 313;
// Longest "%i" text of a signed 32-bit integer: "-2147483648".
inline constexpr std::size_t INTEGER_TEXT_MAX = 11;

// "%.3e" with an exponent of exactly three digits or more: 3.412e-005, 1.000e+000,
// 1.797e+308.
std::size_t formatScientific(double value, char* out, std::size_t capacity);

// "%5.3f": three decimals, right-aligned in at least 5 characters.
std::size_t formatFixed3(double value, char* out, std::size_t capacity);

// "%6.2f": two decimals, right-aligned in at least 6 characters.
std::size_t formatFixed2(double value, char* out, std::size_t capacity);

// "%i": a signed decimal integer.
std::size_t formatInteger(int32_t value, char* out, std::size_t capacity);
