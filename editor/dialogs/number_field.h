#pragma once
// Numbers in the editor's small dialogs: written and read with a decimal point whatever
// the locale says, so a value shown is read back as it was.

#include <string>

// The value with up to six decimals, trailing zeros dropped ("12.5", "-3", "0").
std::string NumberFieldText(double value);
// True and the value when the text (blanks around allowed; a decimal comma taken as a
// point) is one finite number and nothing else.
bool ParseNumberField(const std::string &text, double &value);
