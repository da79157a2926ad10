#pragma once
// Sections an optical system file carries beside the optical ones (the editor's
// configurations): the system file writer puts them into the same one-step rewrite as the
// surfaces, so a file never holds the surfaces of one save and these of another.

#include <string>
#include <utility>
#include <vector>

class TSystemFileSections {
 public:
  virtual ~TSystemFileSections() = default;
  // Whether a section of the old file (its header line, lower-cased) is one of these: such
  // a section is dropped unless it is written again.
  virtual bool Owns(const std::string &lowerHeader) const = 0;
  // The sections to write, in order: the header line and the body (lines ending in "\n").
  virtual std::vector<std::pair<std::string, std::string>> Sections() const = 0;
};
