#pragma once
// The values of a bound table's cells: element type codes, formatting one element into
// its cell text, and reading a cell text back into an element. No window code.

#include <cstddef>
#include <cstdint>

#include "foundation/numtext/typed_number.h"
#include "platform/core/types.h"

// Element types of a bound array.
constexpr int kCellUInt8 = 1;
constexpr int kCellInt16 = 2;
constexpr int kCellInt = 4;
constexpr int kCellLong = 8;  // LONG, 32-bit
constexpr int kCellFloat = 16;
constexpr int kCellDouble = 32;
constexpr int kCellCharBuffer = 64;  // array of char* each pointing to a buffer
constexpr int kCellString = 128;     // array of STRING

// Longest cell text a value is formatted into (with its terminating zero).
constexpr std::size_t kCellTextSize = 256;
// A char buffer of a type-64 binding bound without a size is taken to hold this many
// bytes: the longest text a cell holds and its editor takes, and the terminating zero.
constexpr std::size_t kDefaultCellBufferSize = kCellTextSize;

// sprintf(format, value) into out, or the empty text when showZeros is 0 and the value
// is zero. The 8-bit value is zero-extended, the 16-bit one sign-extended, float widened.
void FormatCellValue(std::uint8_t value, const char *format, char *out, int showZeros);
void FormatCellValue(std::int16_t value, const char *format, char *out, int showZeros);
void FormatCellValue(int value, const char *format, char *out, int showZeros);  // also LONG
void FormatCellValue(float value, const char *format, char *out, int showZeros);
void FormatCellValue(double value, const char *format, char *out, int showZeros);

// Element i of the array at `values` formatted into out (kCellTextSize bytes), blanks at
// both ends stripped. An unknown type gives the empty text.
void FormatCellElement(int type, const void *values, int i, const char *format, int showZeros, char *out);

// The cell text into element i: the numeric types read the text with ReadTypedNumber (an
// empty cell is 0; a text that is not wholly a number is refused) and truncate integers
// toward zero; a number the element cannot hold as a finite number is refused (0, element
// untouched). Type 64 copies into the pointed-to buffer, cut to bufferSize - 1 characters;
// 128 assigns the text. 0 for unknown types. why, when given, receives the reason of a
// refusal (Number when taken).
int ParseCellElement(int type, void *values, int i, const char *text, std::size_t bufferSize,
                     TNumberRead *why = nullptr);

// The width of a printf format: the integer after the first per-cent sign, as a positive
// number ("%8g" 8, "%-10s" 10, "%s" 0).
int FormatWidth(const char *format);
