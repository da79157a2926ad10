#pragma once
// The name a user sees for a dialog field: the text of its label, the nearest static text
// on its left on the same line or above it, whichever is nearer ("Ray number:" gives
// "Ray number"). Messages about the field's value use it.

#include <string>

class TWindow;

// The label's text without its mnemonic '&' and trailing colon and blanks; "Field <id>"
// when the field has no label.
std::string FieldLabel(TWindow &dialog, TWindow &field);
