#pragma once
// The one reader of a number the user typed into a field or a table cell. Every window that
// takes a typed number reads it here, so they all agree on what a number is:
// - blanks around the number are allowed, and one leading '+' or '-';
// - a decimal comma is read as the decimal point ("1,5" is 1.5), whatever the locale;
// - digits with at most one decimal mark and an optional exponent ("e-3"), nothing else: a
//   text that is not wholly a number ("12abc", "1.5 mm", "nan", "inf") is refused;
// - a number beyond the double's range ("1e400") is refused.
// Files are not read here: they keep their own locale-free readers.

#include <string>

enum class TNumberRead {
  Number,      // a finite number
  Empty,       // nothing but blanks
  NotANumber,  // text that is not wholly a number
  OutOfRange,  // a number the variable cannot hold
};

// The status of the text; value is written only for Number.
TNumberRead ReadTypedNumber(const char *text, double &value);
TNumberRead ReadTypedNumber(const std::string &text, double &value);

// The message that refuses a typed text, naming the field:
//   Thickness: "12abc" is not a number.
//   Ray number: "1e400" is out of range.
// (Empty reads as "is not a number".)
std::string RefusedNumberMessage(const std::string &field, const std::string &text, TNumberRead why);

// For a field that takes only a number above zero (a size, a distance, a count, a step):
// the message that refuses the text, or "" when it is such a number. An empty text counts
// as zero.
//   Size: "abc" is not a number.
//   Parameter 'Size' can not be 0!
//   Parameter 'Step' can not be negative!
std::string NonPositiveNumberMessage(const std::string &field, const std::string &text);
