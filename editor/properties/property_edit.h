#pragma once
// What every page of the system's properties shares without its window: an edit of one
// value is refused with a message that says why, or taken into the edited system, which is
// then prepared again and written as one undo step. Numbers are read and written here in
// one way for every page.

#include <string>

class TSystemImage;

// The answer to one edit: accepted, or refused with the message the user is shown. An
// accepted edit may still carry a warning (the undo step could not be written).
struct TPropertyEdit {
  bool accepted = false;
  std::string message;

  static TPropertyEdit Refused(std::string why) { return {false, std::move(why)}; }
};

// Lengths beyond a kilometre are taken for typing errors: they would only overflow the
// drawing and the trace.
constexpr double kLargestLength = 1.0e6;
// The glass data reach from the ultraviolet to the far infrared (micrometres).
constexpr double kShortestWavelength = 0.1;
constexpr double kLongestWavelength = 100.0;

// A number typed by the user: blanks around it are allowed, a decimal comma is read as a
// point, and nothing else may follow. False for an empty text, a text that is no number,
// and infinities or NaN.
bool ParsePropertyNumber(const std::string &text, double &value);
// A whole number: as ParsePropertyNumber, and without a fraction.
bool ParsePropertyInteger(const std::string &text, int &value);
// Trims blanks on both sides.
std::string TrimProperty(const std::string &text);
// Significant digits the tables show of every value, typed, read or computed alike (an
// optimized radius beside one read from a file); the system keeps each value whole.
constexpr int kShownPropertyDigits = 7;
// A value as the cells show it: up to `digits` significant digits, no trailing zeros.
std::string FormatPropertyNumber(double value, int digits = kShownPropertyDigits);
// "<what>: "<text>" is not a number." (or "is out of range." for a number beyond the double)
std::string NotANumberMessage(const std::string &what, const std::string &text);

// What every edit says of a system whose glasses do not reach one of its wavelengths (each
// such glass, its range and the wavelengths beyond it; the system is not traced until a
// glass or a wavelength changes); "" for a system they all reach.
std::string UntracedSystemText(const TSystemImage &system);

// After a change of the system's values: the system is prepared again (regroup: its
// elements are rebuilt too, as after a change of material), marked modified, and the change
// is written as an undo step with the label. An edit that leaves a glass short of a
// wavelength is taken with UntracedSystemText as its message.
TPropertyEdit CommitPropertyEdit(TSystemImage &system, const std::string &label, bool regroup);
