#pragma once
// The first look at a system file before anything is read from it: every value of a numeric
// key must be a finite number, and every surface record must be whole. A broken file is
// refused with a message that names the file, the line and the value.

#include <set>
#include <string>

// What the check learned about the file's layout.
struct TSystemFileLayout {
  bool hasCommon = false;
  bool hasSurfaces = false;
  int recordCount = 0;             // "{ ... }" records in [Surfaces]
  std::set<std::string> sections;  // lower-cased headers, brackets included
  std::string lastSection;         // the last header as written
};

// Largest system file read (a system of the most surfaces the reader takes is far smaller).
constexpr long long kSystemFileMaxBytes = 64LL * 1024 * 1024;

// Empty when the text may be read; otherwise the message for the user.
std::string CheckSystemFileText(const std::string &text, const std::string &fileName,
                                TSystemFileLayout &layout);
