#pragma once
// Text functions shared by the sectioned-file parser and other readers of the program's
// text formats.

#include <string>

// Characters first through last inclusive; empty when last < first. Positions outside
// the text are clipped to it.
std::string SubString(const std::string &text, int first, int last);

// First occurrence of pattern in text, or null (also for a null text or pattern).
const char *FindSubstring(const char *pattern, const char *text);
char *FindSubstring(const char *pattern, char *text);

// Removes the first occurrence of pattern from text in place; returns text, or null when
// there was none. An empty pattern removes nothing.
char *RemoveSubstring(const char *pattern, char *text);

// Removes every occurrence of pattern in place; returns text when at least one was
// removed, else null.
char *RemoveAllSubstrings(const char *pattern, char *text);
// The same on a string object; returns the number of occurrences removed.
int RemoveAllSubstrings(const std::string &pattern, std::string &text);

// Lower case as the program compares keys, section headers and file names: ASCII letters
// and the Cyrillic letters of UTF-8 text (А-Я, Ё); every other byte is kept.
std::string LowerCaseAnsi(const std::string &text);
// Some editors begin a UTF-8 file with a byte-order mark: it is no part of the text. Drops
// it from the front of the first line, as every reader of the program's text files does.
void DropByteOrderMark(std::string &firstLine);
void LowerCaseAnsiInPlace(std::string &text);

// The C library's decimal conversion without its dependence on the process locale (the
// window toolkit may set one with a decimal comma): leading white space, sign, digits,
// point, exponent; the longest valid prefix counts, 0 when there is none. consumed
// receives the number of characters used (0 when nothing converted).
double DecimalToDouble(const char *text, std::size_t *consumed = nullptr);
double DecimalToDouble(const std::string &text);
