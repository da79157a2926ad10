#pragma once
// The short number text of plot labels: a value fitted into a given number of characters
// with a given number of decimals, without the leading zero of fractions or trailing
// zeros, switching to a compact exponent form whose exponent follows the mantissa with
// only its sign (1.5e-5 is "1.5-5", 2.3e12 is "2.3+12").

#include <cstddef>
#include <string>

// 10^n; 1 for n = 0; negative n as 0.1^-n.
double PowerOfTen(int n);

// The text of x in positions 0 .. width (up to width + 1 characters, a few more for an
// exponent); precision is the largest number of digits after the point, or after the
// leading zeros of a fraction. |x| <= epsilon is "0". *last (when given) receives the
// position of the last character.
std::string FormatFloatText(double x, int width, int precision, double epsilon,
                            int *last = nullptr);
// The same into a caller's buffer of bufferSize bytes (cut to fit, always terminated).
char *FormatFloat(double x, char *buffer, std::size_t bufferSize, int width, int precision,
                  int *last, double epsilon);
// The text by value: each call has its own, so callers never overwrite one another's.
std::string FormatNumberStatic(double x, int width, int precision, double epsilon);
// With epsilon 1e-8, the form the plot labels use.
std::string FormatNumber(double x, int width, int precision);
void FormatNumber(double x, int width, int precision, char *out, std::size_t outSize);
