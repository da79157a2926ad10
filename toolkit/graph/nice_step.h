#pragma once
// Round numbers for axes: the tick step nearest to a wanted step, the power-of-ten factor
// that labels share, and trimming of printed labels. Qt-free.

#include <string>

// Values whose magnitude lies at or below this count as zero for axes and labels.
constexpr double kAxisZero = 8.43e-37;

// The number nearest to d of the form s * 10^k with s one of 1, 2, 2.5, 5 or 10, with d's
// sign; a tie goes to the smaller s. 0, infinities and NaN give 0 (there is no round step
// for them), so callers test the result before dividing by it.
double NiceStep(double d);

// The shared factor of labels spanning a..b: with e = the larger of log10|a| and log10|b|
// truncated toward zero (a value at or below kAxisZero does not count), labels are divided
// by 10^e when |e| > 2 and `marker` becomes "*E+05", "*E-05", "*E+123" ...; otherwise the
// factor is 1 and `marker` is left as it is. Returns the factor.
double ExponentScale(double a, double b, std::string &marker);
// The same through an output factor, as the axis code calls it.
void ExponentScale(double a, double b, std::string &marker, double &factor);

// Cuts trailing blanks, and trailing zeros after a decimal point, from a printed number,
// never its first character: "2.500" -> "2.5", "2.00" -> "2.", "100" -> "100".
void TrimTrailingZeros(std::string &text);

// The first multiple of step at or above v (the place of an axis or of the first tick):
// floor(v / step) * step, plus one step when that lies below v. step must be non-zero.
double FirstMultipleAtOrAbove(double v, double step);
