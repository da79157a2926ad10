#include "foundation/textfiles/section_keys.h"

#include <fstream>

#include "foundation/textfiles/text_functions.h"

namespace {

std::string Trimmed(const std::string &text) {
  const std::size_t first = text.find_first_not_of(" \t\r{");
  if (first == std::string::npos) return std::string();
  return text.substr(first, text.find_last_not_of(" \t\r}") - first + 1);
}

}  // namespace

TSectionKeys SectionKeysOf(const std::string &fileName) {
  TSectionKeys held;
  std::ifstream in(fileName, std::ios::binary);
  std::string line;
  std::set<std::string> *keys = nullptr;
  while (std::getline(in, line)) {
    if (!line.empty() && line[0] == '[') {
      keys = &held[LowerCaseAnsi(Trimmed(line))];
      continue;
    }
    if (keys == nullptr) continue;
    // Items end at ';'; a comment starts at '!'. Quoted texts here hold no '=' or ';' the
    // program writes, and a stray one only adds a key that is asked for by no one.
    line = line.substr(0, line.find('!'));
    std::size_t start = 0;
    while (start < line.size()) {
      std::size_t end = line.find(';', start);
      if (end == std::string::npos) end = line.size();
      const std::string item = line.substr(start, end - start);
      start = end + 1;
      const std::size_t equals = item.find('=');
      if (equals == std::string::npos) continue;
      std::string key = Trimmed(item.substr(0, equals));
      key = key.substr(0, key.find('('));
      if (!key.empty()) keys->insert(LowerCaseAnsi(Trimmed(key)));
    }
  }
  return held;
}

std::string MissingSectionParts(const TSectionKeys &held, const std::string &header,
                                std::initializer_list<const char *> keys) {
  const auto section = held.find(LowerCaseAnsi(header));
  if (section == held.end()) return "the section " + header;
  std::string missing;
  for (const char *key : keys) {
    if (section->second.count(LowerCaseAnsi(key)) != 0) continue;
    missing += missing.empty() ? "" : ", ";
    missing += key;
  }
  return missing.empty() ? std::string() : "the keys " + missing + " of " + header;
}

void AddMissingPart(std::string &list, const std::string &part) {
  if (part.empty()) return;
  if (!list.empty()) list += "; ";
  list += part;
}
