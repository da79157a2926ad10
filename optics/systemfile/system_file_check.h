#pragma once
// The first look at a system file before anything is read from it: every value of a numeric
// key must be a finite number, and every surface record must be whole. A broken file is
// refused with a message that names the file, the line and the value.

#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

// What the check learned about the file's layout.
struct TSystemFileLayout {
  bool hasCommon = false;
  bool hasSurfaces = false;
  int recordCount = 0;             // "{ ... }" records in [Surfaces]
  std::set<std::string> sections;  // lower-cased headers, brackets included
  std::string lastSection;         // the last header as written
  // Where values stand, so that a value read can be told by its line: the first line of
  // each "<lower section>|<lower key as written, index included>" ("[common]|nray",
  // "[config_2]|dx(3)"), the line of each [Surfaces] record, and every section header as
  // written with its line.
  std::map<std::string, int> keyLines;
  std::vector<int> recordLines;
  std::vector<std::pair<std::string, int>> headers;
  // A key met again in the same section ("<section>|<key>" and the line of the repeat): a
  // lost header merges two sections into one.
  std::vector<std::pair<std::string, int>> repeats;
  // The line of a key in a section (both lower case), 0 when the file does not hold it.
  int LineOf(const std::string &section, const std::string &key) const {
    const auto found = keyLines.find(section + "|" + key);
    return found != keyLines.end() ? found->second : 0;
  }
};

// Largest system file read (a system of the most surfaces the reader takes is far smaller).
constexpr long long kSystemFileMaxBytes = 64LL * 1024 * 1024;

// Empty when the text may be read; otherwise the message for the user.
std::string CheckSystemFileText(const std::string &text, const std::string &fileName,
                                TSystemFileLayout &layout);
