#include "foundation/textfiles/read_nf_repair.h"

#include <cstring>
#include <vector>

#include "foundation/textfiles/read_nf_keys.h"

namespace {

// A control byte no text line holds (tab and the CR of a CR LF end are text).
bool IsControlByte(unsigned char c) { return (c < 0x20 && c != '\t' && c != '\r') || c == 0x7F; }

bool HasControlByte(const std::string &line) {
  for (char c : line)
    if (IsControlByte(static_cast<unsigned char>(c))) return true;
  return false;
}

bool IsBrokenHeader(const std::string &line) {
  std::size_t end = line.size();
  while (end > 0 && (line[end - 1] == ' ' || line[end - 1] == '\t' || line[end - 1] == '\r')) --end;
  return end > 0 && line[end - 1] != ']';
}

// The header shown in a message, its own bytes kept to what a message can show.
std::string ShownHeader(const std::string &line) {
  std::string shown;
  for (char c : line.substr(0, 64))
    shown += IsControlByte(static_cast<unsigned char>(c)) || c == '\r' ? '?' : c;
  return shown;
}

struct TPart {
  std::string header;  // empty for the text before the first section
  std::string text;    // the part's lines, each with its line end
  bool damaged = false;
};

}  // namespace

std::string RepairedSectionText(const std::string &old, std::string &leftOut) {
  leftOut.clear();
  std::vector<TPart> parts(1);
  std::size_t start = 0;
  while (start < old.size()) {
    std::size_t end = old.find('\n', start);
    const bool hadEnd = end != std::string::npos;
    if (!hadEnd) end = old.size();
    std::string line = old.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line[0] == '[') {
      parts.push_back(TPart{line, std::string(), IsBrokenHeader(line)});
    } else if (parts.size() == 1 && (HasControlByte(line) || line.size() > kReadNFMaxLine)) {
      // Before the first section only text is kept: bytes there are nobody's data.
      parts.back().damaged = true;
      continue;
    }
    TPart &part = parts.back();
    if (line.find('\0') != std::string::npos || line.size() > kReadNFMaxLine) part.damaged = true;
    part.text += line;
    part.text += '\n';
  }
  std::string kept;
  std::string names;
  for (const TPart &part : parts) {
    if (!part.damaged) {
      kept += part.text;
      continue;
    }
    if (part.header.empty()) {
      // Only the damaged lines before the first section went; any text there stays.
      kept += part.text;
      names += names.empty() ? "" : ", ";
      names += "damaged bytes before the first section";
      continue;
    }
    names += names.empty() ? "" : ", ";
    names += "the section " + ShownHeader(part.header);
  }
  if (!names.empty()) leftOut = names;
  return kept;
}
