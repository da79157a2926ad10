#pragma once
// STRING: the program's string, the runtime's string under the name the text lists use
// (Mem<STRING>). It adds no members, so it converts freely to and from std::string.

#include <string>
#include <utility>

class STRING : public std::string {
 public:
  using std::string::string;
  using std::string::operator=;
  STRING() = default;
  STRING(const std::string &text) : std::string(text) {}  // NOLINT: implicit by design
  STRING(std::string &&text) : std::string(std::move(text)) {}  // NOLINT: implicit by design
};
