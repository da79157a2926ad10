#pragma once
// The help file: a small text file that names the pages of the program's help, one line a
// page, by context number ("64 = help/spot_diagram.html") or as the contents page
// ("contents = help/index.html"). Lines starting with ';' or '#' and blank lines are
// remarks. Pages are HTML files named relative to the help file's own directory. No
// window code: the help window (help_window.h) shows what this finds.

#include <cstdint>
#include <map>
#include <string>

struct THelpIndex {
  std::string contents;                     // the contents page, or empty
  std::map<std::uint32_t, std::string> pages;  // context number -> page
};

// A help file larger than this is not one of ours: it is refused unread.
constexpr std::size_t kHelpIndexMaxBytes = 64 * 1024;

// Parses the text into the index (pages as written). A line that is neither a remark nor
// "key = page" with a known key and a page name is skipped; `badLine` (when given) then
// holds the number of the first such line, else 0. Answers true when at least one page
// was named.
bool ParseHelpIndex(const std::string &text, THelpIndex &index, int *badLine = nullptr);

// Reads the help file and makes every page a path beside it. False (index empty) when the
// file cannot be read, is too large or names no page.
bool ReadHelpIndex(const std::string &path, THelpIndex &index);

// The page of a context number: the page filed under it, or empty.
std::string HelpPageOfContext(const THelpIndex &index, std::uint32_t context);
