#pragma once
// Glass-name normalisation for catalog look-ups. Catalog names are kept in code page 866
// (the DOS Cyrillic page): Cyrillic letters that look like Latin ones become those Latin
// letters and everything is upper-cased, so "к8" (Cyrillic ka) and "K8" name one glass.

#include <string>
#include <string_view>

// One character (a code-page 866 byte) in its catalog form.
int NormalizeGlassChar(int c);

// Normalises a NUL-terminated code-page 866 name in place and returns it.
char *NormalizeGlassName(char *name);

// The code-page 866 spelling of a name typed in code page 1251 (Windows Cyrillic). Bytes
// without an 866 twin are kept.
std::string Cp1251To866(std::string_view text);

// The code-page 866 spelling of a UTF-8 name. False when the text is not well-formed
// UTF-8 or holds a character that code page 866 lacks; ASCII text is returned unchanged.
bool Utf8To866(std::string_view text, std::string &out);

// True when the text holds at least one multi-byte UTF-8 sequence and is well-formed.
bool LooksLikeUtf8(std::string_view text);

// The normalised catalog form of a name as typed: UTF-8 text is first turned into code
// page 866; other text is taken as code page 866.
std::string NormalizedGlassName(std::string_view typed);
