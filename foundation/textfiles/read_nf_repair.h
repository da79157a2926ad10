#pragma once
// What a section rewrite keeps of a damaged old file. The rewriter keeps every byte of the
// old file outside the sections it writes; bytes that the file's reader refuses (a zero
// byte, a line too long to read, a section name left open, other control bytes before the
// first section) would make the new file unreadable too, so those parts are left out and
// named, and every section that reads whole is kept.

#include <string>

// The old file's text without its damaged parts: a damaged section goes whole (header and
// body), damaged lines before the first section go, and a last line without its line end
// gets one. leftOut names what went ("the section [Remark]", ...), empty when nothing did.
std::string RepairedSectionText(const std::string &old, std::string &leftOut);
