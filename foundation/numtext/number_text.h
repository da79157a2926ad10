#pragma once
// The numtext area holds the number texts of fixed-width fields and tables. It uses nothing
// else of the program.
//
// The program's own number formatter for fixed-width fields and table cells: a double is
// fitted into a given number of characters, trailing zeros are dropped, values at or below a
// threshold show as "0", huge values as "Infinity" (or "Inf"), and small or large values get
// a compact exponent without a letter: 1.5-4 stands for 1.5e-4. TextToDouble reads that
// notation back.
//
// Every conversion writes an ASCII text with a zero terminator and reports the characters
// before the terminator through `length` (which may be null). Texts are locale-independent.
//
// Buffer sizes: DoubleToText may write one character more than the width (a whole number
// that needs exactly width + 1 digits), and never less room than "Infinity" needs, so the
// caller's buffer must hold at least max(width, 8) + 2 bytes. The Fit forms keep the text
// within the width whenever any of the program's notations fits it.
//
// Widths and digit limits are clamped to 0..kMaxTextWidth. The Format* wrappers return a
// static text that stays valid until the next call of the same wrapper; single-threaded use.

#include <cstddef>

constexpr int kMaxTextWidth = 127;
// Every static text and work buffer: the widest text, one spare character and the terminator.
constexpr std::size_t kNumberTextBufferSize = kMaxTextWidth + 3;

// Alignment codes of the padded forms; any value other than left and centred means right.
constexpr int kAlignRight = 0;
constexpr int kAlignLeft = 1;
constexpr int kAlignCenter = 2;

// 10 to the power n.
double Pow10(int n);

// One conversion with at most `digits` significant (fixed form below 1, exponential form) or
// decimal (fixed form from 1) digits; values with |value| <= zero give "0".
char *DoubleToText(double value, char *text, int width, int digits, int *length, double zero);
// DoubleToText with the digit limit lowered step by step until the text fits the width.
char *DoubleToTextFit(double value, char *text, int width, int digits, int *length, double zero);
char *FloatToTextFit(float value, char *text, int width, int digits, int *length, float zero);

const char *FormatDouble(double value, int width, int digits, double zero);
const char *FormatFloat(float value, int width, int digits, float zero);

// The decimal text of the value; a text longer than `limit` is not written (the result is
// the empty text and the length 0).
char *IntToText(int value, char *text, int limit, int *length);
char *LongToText(long value, char *text, int limit, int *length);
const char *FormatInt(int value);
const char *FormatLong(long value);

// Padded to exactly `width` characters (the length reported is the width). A number that
// cannot be shown within the width fills the field with '*' rather than showing a cut text.
char *DoubleToTextAligned(double value, char *text, int width, int digits, int *length, double zero,
                          int alignment);
char *FloatToTextAligned(float value, char *text, int width, int digits, int *length, float zero,
                         int alignment);
char *IntToTextAligned(int value, char *text, int width, int *length, int alignment);
char *LongToTextAligned(long value, char *text, int width, int *length, int alignment);
const char *FormatDoubleAligned(double value, int width, int digits, double zero, int alignment);
const char *FormatFloatAligned(float value, int width, int digits, float zero, int alignment);
const char *FormatIntAligned(int value, int width, int alignment);
const char *FormatLongAligned(long value, int width, int alignment);

// Pads the text in place to exactly `width` characters; `length` -1 means: ignore the text's
// leading and trailing blanks. The buffer must hold width + 1 bytes.
char *AlignText(char *text, int width, int length, int alignment);

// Reads a number, accepting the compact exponent (5-4, 1.5+3), "Infinity", "Inf" and "NaN".
// A text without a number gives 0.
double TextToDouble(const char *text);
// The standard decimal conversion; values beyond the type's range are clamped to it.
int TextToInt(const char *text);
long TextToLong(const char *text);
