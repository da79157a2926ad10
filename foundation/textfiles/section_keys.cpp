#include "foundation/textfiles/section_keys.h"

#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <map>
#include <string_view>
#include <unordered_set>
#include <utility>

#include "foundation/helpers/file_list.h"
#include "foundation/textfiles/text_functions.h"

namespace {


struct TSectionItems {
  int line = 0;  // of the header
  std::string header;  // as written
  std::vector<std::pair<std::string, std::string>> items;  // lower-cased key, value
  std::vector<int> lines;  // of each item
  std::vector<std::string> spelled;  // each key as written
};

std::string_view TrimmedView(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t\r");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

std::string Trimmed(const std::string &text) { return std::string(TrimmedView(text)); }

// The sections of text (the first of a name) and their items outside records, in order.
// Read in place, line by line: only the items kept are copied.
std::map<std::string, TSectionItems> ItemsOutsideRecords(const std::string &text) {
  std::map<std::string, TSectionItems> sections;
  TSectionItems ignored;
  TSectionItems *current = &sections[std::string()];
  std::size_t from = 0;
  std::string key;
  for (int number = 1; from < text.size(); ++number) {
    const std::size_t end = std::min(text.find('\n', from), text.size());
    std::string_view line(text.data() + from, end - from);
    from = end + 1;
    if (number == 1 && line.substr(0, 3) == "\xEF\xBB\xBF") line.remove_prefix(3);
    const std::string_view trimmed = TrimmedView(line);
    if (!line.empty() && line[0] == '[') {
      const auto [section, first] = sections.try_emplace(LowerCaseAnsi(std::string(trimmed)));
      current = first ? &section->second : &ignored;
      if (first) {
        current->line = number;
        current->header = std::string(trimmed);
      }
      continue;
    }
    if (trimmed.empty() || trimmed[0] == '{') continue;
    bool quoted = false;
    std::size_t itemAt = 0;
    for (std::size_t at = 0; at <= trimmed.size(); ++at) {
      const char c = at < trimmed.size() ? trimmed[at] : ';';
      if (c == '"') quoted = !quoted;
      if (quoted || (c != ';' && c != '!')) continue;
      const std::string_view item = trimmed.substr(itemAt, at - itemAt);
      const std::size_t equals = item.find('=');
      if (equals != std::string_view::npos) {
        key.clear();
        for (const char k : item.substr(0, equals))
          if (k != ' ' && k != '\t') key += k;
        if (!key.empty() && current != &ignored) {
          current->items.emplace_back(LowerCaseAnsi(key), std::string(TrimmedView(item.substr(equals + 1))));
          current->lines.push_back(number);
          current->spelled.push_back(key);
        }
      }
      if (c == '!') break;
      itemAt = at + 1;
    }
  }
  return sections;
}

}  // namespace

std::vector<TReadNFKeyNote> KeysLeftOut(const std::string &fileText, const std::string &writtenText,
                                        const std::set<std::string> &judgedElsewhere, bool handWritten) {
  std::vector<TReadNFKeyNote> notes;
  const std::map<std::string, TSectionItems> held = ItemsOutsideRecords(fileText);
  const std::map<std::string, TSectionItems> writer = ItemsOutsideRecords(writtenText);
  // Keys the file gives under a damaged header (holding '=' or not closed by ']'): a key
  // line whose first byte became '[' carries the lines after it away from their section.
  std::set<std::string> strayed;
  for (const auto &[header, items] : held)
    if (!header.empty() && (header.find('=') != std::string::npos || header.back() != ']'))
      for (const auto &item : items.items) strayed.insert(item.first);
  // What a section gives, looked up in place; the writer's text lower-cased once, when a
  // key is named.
  std::unordered_set<std::string_view> given, named;
  std::string lower;
  for (const auto &[header, written] : writer) {
    const auto section = held.find(header);
    if (section == held.end() || (header.empty() && section->second.items.empty())) continue;
    given.clear();
    named.clear();
    for (const auto &item : section->second.items) given.insert(item.first);
    const auto isGiven = [&](const std::string &key) { return given.count(key) != 0 || judgedElsewhere.count(key) != 0; };
    // A section that holds less than half of what its writer gives there was written by
    // hand, leaving the rest to its defaults; one that holds more lost the keys it lacks.
    std::size_t lacking = 0;
    for (const auto &item : written.items) lacking += isGiven(item.first) ? 0 : 1;
    if (lacking == 0) continue;
    // Keys gone under another header were lost to damage, however many there are.
    const bool carriedAway = std::any_of(written.items.begin(), written.items.end(), [&](const auto &item) {
      return !isGiven(item.first) && strayed.count(item.first) != 0;
    });
    if (handWritten && !carriedAway && 2 * lacking > written.items.size()) continue;
    for (const auto &[key, value] : written.items) {
      if (isGiven(key) || !named.insert(key).second) continue;
      TReadNFKeyNote note;
      note.kind = TReadNFNoteKind::kLeftOutOfSection;
      note.header = section->second.header;
      note.line = section->second.line;
      note.value = value;
      // Shown as the writer spells it.
      if (lower.empty()) lower = LowerCaseAnsi(writtenText);
      std::size_t at = lower.find(key + "=");
      while (at != std::string::npos && at > 0 && (std::isalnum(static_cast<unsigned char>(lower[at - 1])) || lower[at - 1] == '_'))
        at = lower.find(key + "=", at + 1);
      note.key = at == std::string::npos ? key : writtenText.substr(at, key.size());
      notes.push_back(note);
    }
  }
  std::stable_sort(notes.begin(), notes.end(),
                   [](const TReadNFKeyNote &a, const TReadNFKeyNote &b) { return a.line < b.line; });
  return notes;
}

namespace {

// What write(path) puts into a scratch file, which is removed; empty when it wrote nothing.
std::string WrittenText(const std::function<bool(const std::string &path)> &write) {
  std::error_code error;
  // A folder in memory where the system has one: the scratch file is never wanted on disk.
  std::filesystem::path folder = "/dev/shm";
  if (::access(folder.c_str(), W_OK) != 0) folder = std::filesystem::temp_directory_path(error);
  if (error) return std::string();
  std::string path = (folder / "written-XXXXXX").string();
  const int handle = ::mkstemp(path.data());
  if (handle < 0) return std::string();
  ::close(handle);
  std::string text;
  if (!write(path) || !ReadFileBytes(path, text)) text.clear();
  std::filesystem::remove(path, error);
  return text;
}

}  // namespace

std::vector<TReadNFKeyNote> KeysLeftOutOf(const std::string &fileName,
                                          const std::function<bool(const std::string &path)> &write,
                                          const std::set<std::string> &judgedElsewhere, bool handWritten) {
  std::string text;
  if (!ReadFileBytes(fileName, text)) text.clear();
  return KeysLeftOut(text, WrittenText(write), judgedElsewhere, handWritten);
}

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

namespace {

// Whether two values are the same: equal texts, or lists of the same numbers.
bool SameValue(const std::string &a, const std::string &b) {
  if (a == b) return true;
  std::size_t from = 0, to = 0;
  for (;;) {
    std::size_t usedA = 0, usedB = 0;
    const double x = DecimalToDouble(a.c_str() + from, &usedA);
    const double y = DecimalToDouble(b.c_str() + to, &usedB);
    if (usedA == 0 || usedB == 0 || x != y) return false;
    from += usedA;
    to += usedB;
    while (from < a.size() && (a[from] == ' ' || a[from] == ';')) ++from;
    while (to < b.size() && (b[to] == ' ' || b[to] == ';')) ++to;
    if (from >= a.size() || to >= b.size()) return from >= a.size() && to >= b.size();
    if (a[from] != ',' || b[to] != ',') return false;
    ++from;
    ++to;
  }
}

}  // namespace

std::vector<TReadNFKeyNote> ValuesReplaced(const std::string &fileText, const std::string &writtenText,
                                           const std::string &header) {
  std::vector<TReadNFKeyNote> notes;
  const std::map<std::string, TSectionItems> held = ItemsOutsideRecords(fileText);
  const std::map<std::string, TSectionItems> written = ItemsOutsideRecords(writtenText);
  const auto file = held.find(header);
  const auto ours = written.find(header);
  if (file == held.end() || ours == written.end()) return notes;
  for (std::size_t i = 0; i < file->second.items.size(); ++i) {
    const auto &[key, value] = file->second.items[i];
    for (const auto &[writtenKey, writtenValue] : ours->second.items) {
      if (writtenKey != key || SameValue(value, writtenValue)) continue;
      TReadNFKeyNote note;
      note.kind = TReadNFNoteKind::kValueReplaced;
      note.header = file->second.header;
      note.line = file->second.lines[i];
      note.key = file->second.spelled[i];
      note.value = value;
      note.kept = writtenValue;
      notes.push_back(note);
    }
  }
  return notes;
}
