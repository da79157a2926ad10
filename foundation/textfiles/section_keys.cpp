#include "foundation/textfiles/section_keys.h"

#include <fstream>

#include "foundation/textfiles/text_functions.h"

namespace {

std::string Trimmed(const std::string &text) {
  const std::size_t first = text.find_first_not_of(" \t\r");
  if (first == std::string::npos) return std::string();
  return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

}  // namespace

void VisitSectionItems(const std::string &fileName,
                       const std::function<void(const std::string &header, const std::string &item)> &visit) {
  VisitSectionItems(fileName, [&visit](const std::string &header, const std::string &item, int) { visit(header, item); });
}

void VisitSectionItems(const std::string &fileName,
                       const std::function<void(const std::string &header, const std::string &item, int line)> &visit) {
  std::ifstream in(fileName, std::ios::binary);
  std::string line;
  std::string header;
  int lineNumber = 0;
  while (std::getline(in, line)) {
    ++lineNumber;
    if (lineNumber == 1) DropByteOrderMark(line);
    if (!line.empty() && line[0] == '[') {
      header = LowerCaseAnsi(Trimmed(line));
      visit(header, std::string(), lineNumber);
      continue;
    }
    if (header.empty()) continue;
    // Quoted texts here hold no '=', ';' or '!' the program writes, and a stray one only
    // splits an item that no one asks for.
    line = line.substr(0, line.find('!'));
    std::size_t start = 0;
    while (start < line.size()) {
      std::size_t end = line.find_first_of(";{}", start);
      if (end == std::string::npos) end = line.size();
      const std::string item = Trimmed(line.substr(start, end - start));
      start = end + 1;
      if (item.find('=') != std::string::npos) visit(header, item, lineNumber);
    }
  }
}

TSectionKeys SectionKeysOf(const std::string &fileName) {
  TSectionKeys held;
  VisitSectionItems(fileName, [&held](const std::string &header, const std::string &item) {
    std::set<std::string> &keys = held[header];
    if (item.empty()) return;
    std::string key = Trimmed(item.substr(0, item.find('=')));
    key = Trimmed(key.substr(0, key.find('(')));
    if (!key.empty()) keys.insert(LowerCaseAnsi(key));
  });
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

std::string FirstValueNotANumber(const std::string &fileName,
                                 const std::function<bool(const std::string &header, const std::string &key)> &wanted) {
  std::string fault;
  VisitSectionItems(fileName, [&](const std::string &header, const std::string &item) {
    if (!fault.empty() || item.empty()) return;
    const std::size_t equals = item.find('=');
    std::string key = Trimmed(item.substr(0, equals));
    key = Trimmed(key.substr(0, key.find('(')));
    if (!wanted(header, LowerCaseAnsi(key))) return;
    std::size_t from = equals + 1;
    while (from <= item.size()) {
      std::size_t comma = item.find(',', from);
      if (comma == std::string::npos) comma = item.size();
      const std::string token = Trimmed(item.substr(from, comma - from));
      from = comma + 1;
      if (token.empty()) {
        fault = "the value of " + item + " is empty";
        return;
      }
      std::size_t consumed = 0;
      DecimalToDouble(token.c_str(), &consumed);
      if (consumed != token.size()) {
        fault = "the value of " + item + " is not a number";
        return;
      }
    }
  });
  return fault;
}
