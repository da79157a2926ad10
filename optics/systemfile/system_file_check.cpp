#include "optics/systemfile/system_file_check.h"

#include <cctype>
#include <cmath>
#include <cstring>
#include <limits>
#include <string_view>

#include "foundation/textfiles/line_keys.h"
#include "foundation/textfiles/text_functions.h"
#include "optics/systemfile/system_file_format.h"
#include "optics/systemfile/system_file_keys.h"

namespace {

std::string_view Trim(std::string_view text) {
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
    text.remove_prefix(1);
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
    text.remove_suffix(1);
  return text;
}

bool IsNumber(std::string_view token) {
  const std::string text(token);
  std::size_t consumed = 0;
  const double value = DecimalToDouble(text.c_str(), &consumed);
  return consumed == text.size() && std::isfinite(value);
}

// A whole number an int holds: "13.5" read as 13 would name another count than the file's.
bool IsWholeNumber(std::string_view token) {
  const double value = DecimalToDouble(std::string(token).c_str());
  return value == std::floor(value) && std::fabs(value) <= std::numeric_limits<int>::max();
}

// The key as written, index included, lower case and without blanks: "dx(3)".
std::string KeyAsWritten(std::string_view key) {
  std::string text;
  for (char c : key)
    if (!std::isspace(static_cast<unsigned char>(c))) text += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

bool IsRead(const std::string &section) {
  return section == "[common]" || section == "[surfaces]" || section.rfind("[surface_", 0) == 0 ||
         section.rfind("[surf_", 0) == 0;
}

std::string Fault(const std::string &fileName, int line, const std::string &what) {
  return "The optical system file " + fileName + " cannot be read: line " + std::to_string(line) +
         ": " + what + ".";
}

// Notes where the item's key stands.
void NoteItem(std::string_view item, const std::string &section, int line, TSystemFileLayout &layout) {
  item = Trim(item);
  const std::size_t equals = item.find('=');
  if (item.empty() || equals == std::string_view::npos) return;
  const std::string place = section + "|" + KeyAsWritten(item.substr(0, equals));
  // Records repeat their keys by design.
  if (!layout.keyLines.emplace(place, line).second && section != "[surfaces]") layout.repeats.emplace_back(place, line);
}

// Checks one item "key=value[,value...]"; empty when it is sound.
std::string CheckItem(std::string_view item, const std::string &fileName, int line) {
  item = Trim(item);
  if (item.empty()) return {};
  const std::size_t equals = item.find('=');
  std::string_view key = Trim(item.substr(0, equals));
  const std::size_t paren = key.find('(');
  if (paren != std::string_view::npos) key = Trim(key.substr(0, paren));
  const std::string lowerKey = LowerCaseAnsi(std::string(key));
  if (!IsNumericSystemKey(lowerKey)) return {};
  // A key without its value (a file cut right after it) would read as 0: for Nsurf, a
  // system of no surfaces in place of the file's.
  if (equals == std::string_view::npos)
    return Fault(fileName, line, "the key " + std::string(key) + " has no value");
  std::string_view values = item.substr(equals + 1);
  if (lowerKey == "nsurf" && Trim(values).empty())
    return Fault(fileName, line, "Nsurf gives no number of surfaces");
  while (!values.empty()) {
    const std::size_t comma = values.find(',');
    const std::string_view token = Trim(values.substr(0, comma));
    if (!token.empty() && !IsNumber(token))
      return Fault(
          fileName, line,
          "the value \"" + std::string(token) + "\" of " + std::string(key) + " is not a number");
    if (!token.empty() && IsIntegerSystemKey(lowerKey) && !IsWholeNumber(token))
      return Fault(fileName, line,
                   "the value \"" + std::string(token) + "\" of " + std::string(key) + " is not a whole number");
    if (comma == std::string_view::npos) break;
    values.remove_prefix(comma + 1);
  }
  return {};
}

// Whether a line gives a key every surface record gives, before '=' outside quotes and
// comments: the shared reader takes such a line among records as a record without braces.
bool HoldsRecordKey(std::string_view line) {
  return AnyKeyOfLine(line, [](std::string_view key) {
    const std::string lower = KeyAsWritten(key);
    for (const char *recordKey : kSurfaceRecordKeys)
      if (lower == LowerCaseAnsi(recordKey)) return true;
    return false;
  });
}

}  // namespace

std::string CheckSystemFileText(const std::string &text, const std::string &fileName,
                                TSystemFileLayout &layout) {
  layout = TSystemFileLayout();
  if (std::memchr(text.data(), '\0', text.size()) != nullptr)
    return "The optical system file " + fileName + " is not a text file.";
  std::string section;
  int lineNumber = 0;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string_view line(text.data() + start, end - start);
    start = end + 1;
    ++lineNumber;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    // Some editors begin a UTF-8 file with a byte-order mark: it is no part of the text.
    if (lineNumber == 1 && line.substr(0, 3) == "\xEF\xBB\xBF") line.remove_prefix(3);
    if (line.empty()) continue;
    if (line[0] == '[') {
      // A section name left open (a file cut inside its header line) names no section:
      // the data after it could belong to any, and "[Su" would pass for none of the
      // surface sections whose data is never taken in part.
      if (line.find(']') == std::string_view::npos)
        return Fault(fileName, lineNumber,
                     "the section name \"" + std::string(Trim(line)) + "\" is not closed: the file was cut short or damaged");
      layout.lastSection = std::string(Trim(line));
      layout.headers.emplace_back(layout.lastSection, lineNumber);
      section = LowerCaseAnsi(layout.lastSection);
      layout.sections.insert(section);
      if (section == "[common]") layout.hasCommon = true;
      if (section == "[surfaces]") layout.hasSurfaces = true;
      continue;
    }
    const bool checked = IsRead(section);
    const bool record = line[0] == '{';
    // A record that lost its braces is read as the next record: it counts as one, so that
    // the records are told by their lines and none is dropped for a count that missed it.
    const bool braceless = !record && layout.recordCount > 0 && HoldsRecordKey(line);
    if ((record || braceless) && section == "[surfaces]") {
      ++layout.recordCount;
      layout.recordLines.push_back(lineNumber);
    }
    // Items end at ';' outside quotes; '!' outside quotes starts a comment.
    std::string item;
    bool quoted = false;
    bool closed = false;
    for (char c : line) {
      // Text after a record's closing brace (a second record on its line) would be lost.
      if (checked && closed && !quoted && c != ' ' && c != '\t' && c != '!')
        return Fault(fileName, lineNumber, "text follows the end of the record: every record stands on a line of its own");
      if (c == '"') quoted = !quoted;
      if (!quoted && c == '!') break;
      if (!quoted && (c == ';' || c == '{' || c == '}')) {
        if (c == '}') closed = true;
        NoteItem(item, section, lineNumber, layout);
        const std::string fault = checked ? CheckItem(item, fileName, lineNumber) : std::string();
        if (!fault.empty()) return fault;
        item.clear();
        continue;
      }
      item += c;
    }
    if (checked && quoted) return Fault(fileName, lineNumber, "a quoted text is not closed");
    NoteItem(item, section, lineNumber, layout);
    if (!checked) continue;
    const std::string fault = CheckItem(item, fileName, lineNumber);
    if (!fault.empty()) return fault;
    if (record && !closed) return Fault(fileName, lineNumber, "the surface record is not complete");
  }
  return {};
}

