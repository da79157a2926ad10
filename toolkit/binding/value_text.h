#pragma once
// Moving one bound value between a program variable and the text of its field, by the
// type letter of the binding: 'S' char buffer, 'b' unsigned 8-bit, 's' signed 16-bit,
// 'i' int, 'l' LONG (32-bit), 'f' float, 'd' double. No window code: the edit fields and
// the table cells both stand on these.

#include <cstddef>

#include "foundation/numtext/typed_number.h"

// The letters a binding may carry.
bool IsKnownTypeLetter(char type);

// Formats the variable into out (always terminated) with the printf format. A char buffer
// is printed as a text, the integers as int, float widened to double. 0 for an unknown
// letter (out is then empty).
int FormatBoundValue(char type, const void *variable, const char *format, char *out,
                     std::size_t outSize);

// Reads the text into the variable. Numbers are read by ReadTypedNumber (typed_number.h):
// an empty text gives 0, integers are truncated toward zero, a text that is not wholly a
// number is refused. A format with 'x' or 'X' reads a non-empty text as hexadecimal. A
// value the variable cannot hold (too large, too small, not finite) is refused: 0 and the
// variable untouched, never wrapped. A char buffer takes the text cut to bufferSize - 1
// characters and terminated (bufferSize 0: nothing is written). 0 also for an unknown
// letter. When why is given it receives the reason of a refusal (Number when taken).
int ParseBoundValue(char type, void *variable, std::size_t bufferSize, const char *format,
                    const char *text, TNumberRead *why = nullptr);

// True when the printf format reads hexadecimal (contains 'x' or 'X').
bool IsHexFormat(const char *format);
