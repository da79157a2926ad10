// Parsing a section's items into the registered variables.
#include <algorithm>
#include <cctype>
#include <limits>
#include <new>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "foundation/textfiles/line_keys.h"
#include "foundation/textfiles/read_nf.h"
#include "foundation/textfiles/text_functions.h"

namespace {

// Stands for "the end of the line's text" among the delimiters.
constexpr char kEndOfText = '\0';

bool IsDelimiter(char c) {
  switch (c) {
    case '(':
    case ')':
    case '{':
    case '}':
    case '=':
    case ';':
    case ',':
    case '!':
    case '/':
    case '"':
      return true;
    default:
      return false;
  }
}

// Moves the cursor to the next delimiter (staying when it stands on one) and returns it.
char ScanToDelimiter(const std::string &line, std::size_t &cursor) {
  while (cursor < line.size() && !IsDelimiter(line[cursor])) ++cursor;
  if (cursor >= line.size()) {
    cursor = line.size();
    return kEndOfText;
  }
  return line[cursor];
}

void StepOver(const std::string &line, std::size_t &cursor) {
  if (cursor < line.size()) ++cursor;
}

// The text from the cursor to the next delimiter, blanks removed; the cursor ends past
// the delimiter, which is returned in delimiter. A quoted text met first is skipped
// whole together with the delimiter after it, and the token after them is returned.
std::string GetToken(const std::string &line, std::size_t &cursor, char &delimiter) {
  std::size_t start = cursor;
  delimiter = ScanToDelimiter(line, cursor);
  if (delimiter == '"') {
    StepOver(line, cursor);
    while ((delimiter = ScanToDelimiter(line, cursor)) != '"' && delimiter != kEndOfText) {
      StepOver(line, cursor);
    }
    if (delimiter == '"') {
      StepOver(line, cursor);
      delimiter = ScanToDelimiter(line, cursor);
    }
    StepOver(line, cursor);
    start = cursor;
    if (delimiter != kEndOfText) delimiter = ScanToDelimiter(line, cursor);
  }
  std::string token = cursor > start ? line.substr(start, cursor - start) : std::string();
  StepOver(line, cursor);
  RemoveAllSubstrings(std::string(" "), token);
  return token;
}

// Index in parentheses, truncated toward zero; -1 (never a valid element) when it is
// negative, not a number or beyond int.
int IndexFromToken(const std::string &token) {
  const double value = DecimalToDouble(token);
  if (!(value > -1.0 && value < static_cast<double>(std::numeric_limits<int>::max()))) return -1;
  return static_cast<int>(value);
}

}  // namespace

int TRead1NF::ReadIndex(const std::string &line, std::size_t &cursor) {
  char delimiter = kEndOfText;
  const std::string token = GetToken(line, cursor, delimiter);
  // The cursor goes past the equals sign that follows the closing parenthesis.
  if (delimiter == ')') {
    ScanToDelimiter(line, cursor);
    StepOver(line, cursor);
  }
  return IndexFromToken(token);
}

char TRead1NF::ReadValue(const TIdentificatorParameters &key, const std::string &writtenKey,
                         const std::string &line, std::size_t &cursor, int index) {
  if (key.type == 'f' || key.type == 'd' || key.type == 'i' || key.type == 'l') {
    char delimiter = kEndOfText;
    const std::string token = GetToken(line, cursor, delimiter);
    if (delimiter == '=') {
      // "0.2=" is no number: a value of a key run into another, or a damaged line.
      NoteKey(TReadNFNoteKind::kNotOfKind, writtenKey, token + "=", &key, index, "ends in a stray \"=\"");
      return ScanToDelimiter(line, cursor) == kEndOfText ? kEndOfText : line[cursor++];
    }
    const std::string why = StoreNumber(key, token, index);
    if (why == "is outside")
      NoteKey(TReadNFNoteKind::kOutOfRange, writtenKey, token, &key, index);
    else if (!why.empty())
      NoteKey(TReadNFNoteKind::kNotOfKind, writtenKey, token, &key, index, why);
    return delimiter;
  }
  std::string value;
  // Blanks before an opening quote do not count ("a", "b" is a list of two texts).
  std::size_t quote = cursor;
  while (quote < line.size() && (line[quote] == ' ' || line[quote] == '\t')) ++quote;
  if (quote < line.size() && line[quote] == '"') cursor = quote;
  if (cursor < line.size() && line[cursor] == '"') {
    const std::size_t start = cursor + 1;
    std::size_t close = line.find('"', start);
    if (close == std::string::npos) {
      NoteFault(kReadNFUnclosedQuote);
      close = line.size();
    }
    value = line.substr(start, close - start);
    cursor = close;
    StepOver(line, cursor);
  } else if (key.quoted) {
    // A text its writer always quotes ends at the item's end: a name that lost its quotes
    // must not swallow the keys after it.
    const std::size_t end = std::min(line.find_first_of(";}", cursor), line.size());
    value = line.substr(cursor < end ? cursor : end, end > cursor ? end - cursor : 0);
    const std::size_t first = value.find_first_not_of(" \t");
    value = first == std::string::npos ? std::string() : value.substr(first, value.find_last_not_of(" \t") + 1 - first);
    cursor = end;
    if (value.empty()) {
      NoteKey(TReadNFNoteKind::kNotOfKind, writtenKey, value, &key, index, "is empty");
      const char delimiter = ScanToDelimiter(line, cursor);
      StepOver(line, cursor);
      return delimiter;
    }
  } else {
    // Unquoted texts run to the end of the line, blanks included.
    value = line.substr(cursor < line.size() ? cursor : line.size());
    cursor = line.size();
  }
  StoreText(key, value, index);
  const char delimiter = ScanToDelimiter(line, cursor);
  StepOver(line, cursor);
  return delimiter;
}

void TRead1NF::NoteAfterRecord(const std::string &line, std::size_t cursor) {
  // A second record on the line (or any text) would be lost without a word.
  std::string rest = line.substr(std::min(cursor, line.size()));
  rest.erase(std::min(rest.find('!'), rest.size()));
  const std::size_t first = rest.find_first_not_of(" \t");
  if (first == std::string::npos) return;
  NoteKey(TReadNFNoteKind::kAfterRecord, rest.substr(first, rest.find_last_not_of(" \t") + 1 - first), std::string(),
          nullptr, 0);
}

bool TRead1NF::HoldsRecordKey(const std::string &line) const {
  // Only a key before '=' counts; quoted texts and comments hold none.
  return AnyKeyOfLine(line, [this](std::string_view given) {
    std::string key(given);
    RemoveAllSubstrings(std::string(" "), key);
    const TIdentificatorParameters *found = FindKey(LowerCaseAnsi(key));
    return found != nullptr && found->required;
  });
}

void TRead1NF::ParseLine(const std::string &line, int &recordIndex) {
  if (line.find('\0') != std::string::npos) NoteFault(kReadNFGarbled);
  // A line of a record's keys that lost its braces is a record still: read as the next
  // one and named, it never writes over the first records.
  const bool braceless = line[0] != '{' && recordIndex > 0 && HoldsRecordKey(line);
  if (braceless) NoteKey(TReadNFNoteKind::kRecordWithoutBraces, std::string(), std::to_string(recordIndex + 1), nullptr, 0);
  const bool inRecord = line[0] == '{' || braceless;
  std::size_t cursor = line[0] == '{' ? 1 : 0;
  // The records count on past any other line: a key, a comment or a blank line between
  // them never sends the next record back to element 0.
  int listIndex = 0;
  int &index = inRecord ? recordIndex : listIndex;
  givenInRecord.clear();
  // The tokens after a key no registration takes are its value, not keys of their own.
  bool valueOfUnknown = false;
  bool repeated = false;  // the key was given before in this record or section
  while (cursor < line.size()) {
    const std::size_t before = cursor;
    char delimiter = kEndOfText;
    std::string written = GetToken(line, cursor, delimiter);
    if (written.empty()) {
      // An empty item (";;") loses nothing: the items after it are read.
      if (delimiter == ';') continue;
      if (inRecord && delimiter == '}') {
        NoteAfterRecord(line, cursor);
      } else if (delimiter != kEndOfText && delimiter != '!') {
        // A stray sign where a key stands ("(Dx=5" after a flipped bit) ends the items the
        // reader can tell apart: the rest of the line is named, never dropped in silence.
        std::string rest = line.substr(before);
        rest.erase(std::min(rest.find('!'), rest.size()));
        const std::size_t first = rest.find_first_not_of(" \t");
        if (first != std::string::npos)
          NoteKey(TReadNFNoteKind::kNotAKey, rest.substr(first, rest.find_last_not_of(" \t") + 1 - first),
                  std::string(), nullptr, 0);
      }
      break;
    }
    std::string key = LowerCaseAnsi(written);
    // Only a token before '=' or an index is a key: an unknown key's value is read as the
    // next key candidate (a quoted one is skipped), and is no key of its own.
    const bool isKey = delimiter == '=' || delimiter == '(';
    if (delimiter == '(') {
      const std::size_t open = cursor;
      index = ReadIndex(line, cursor);
      const std::size_t close = line.find(')', open);
      if (close != std::string::npos) written += "(" + line.substr(open, close - open) + ")";
    }
    const TIdentificatorParameters *found = FindKey(key);
    if (isKey) {
      // A key counts once per record, and once per section outside records, index included.
      const std::string given = delimiter == '(' ? LowerCaseAnsi(written) : key;
      repeated = !(inRecord ? givenInRecord : givenKeys).insert(given).second;
      if (repeated)
        NoteKey(TReadNFNoteKind::kRepeatedKey, written, std::string(), nullptr, 0);
      else if (found == nullptr)
        NoteKey(TReadNFNoteKind::kUnknownKey, written, std::string(), nullptr, 0);
      valueOfUnknown = found == nullptr;
    } else if (valueOfUnknown) {
      valueOfUnknown = delimiter == ',';
    } else {
      // Text where a key stands ("Dx?8", "Naper<7" after a flipped bit): the key it was
      // would otherwise keep its default without a word.
      NoteKey(TReadNFNoteKind::kNotAKey, written, std::string(), nullptr, 0);
    }
    if (found == nullptr) continue;
    for (;;) {
      // An element a record or list gave before is named: records that lost their order
      // (or a list and records of one key) would write over it in silence.
      if (!givenElements.insert(key + "(" + std::to_string(index) + ")").second && !repeated)
        NoteKey(TReadNFNoteKind::kElementTwice, written, std::to_string(index + 1), nullptr, 0);
      delimiter = ReadValue(*found, written, line, cursor, index);
      if (delimiter == ',' && inRecord) {
        // A record holds one value of each key: a list would run on into the records after
        // it, and every key after it in this record would go to another record.
        NoteKey(TReadNFNoteKind::kListInRecord, written, std::string(), nullptr, 0);
        while (delimiter == ',') GetToken(line, cursor, delimiter);
      }
      if (delimiter == ',') {
        if (index < std::numeric_limits<int>::max()) ++index;
        // A list longer than its key takes loses its tail: said once.
        if (index == found->capacity && found->type != 's')
          NoteKey(TReadNFNoteKind::kTooManyValues, written, std::to_string(found->capacity), nullptr, 0);
        continue;
      }
      if (delimiter == ';') {
        // Writers put one blank after the semicolon; skip it (only it).
        if (cursor < line.size() && (line[cursor] == ' ' || line[cursor] == '\t')) ++cursor;
        if (!inRecord) index = 0;
      } else if (delimiter == '!') {
        cursor = line.size();
      } else if (delimiter == '}' && inRecord) {
        NoteAfterRecord(line, cursor);
        cursor = line.size();
      }
      break;
    }
    if (cursor <= before) break;
  }
  if (inRecord) {
    for (const TIdentificatorParameters &key : Keys())
      if (key.required && givenInRecord.count(key.name) == 0)
        NoteKey(TReadNFNoteKind::kMissingInRecord, key.shownName, std::to_string(index + 1), &key, index);
  }
  if (inRecord && index < std::numeric_limits<int>::max()) ++index;
}

namespace {

TRead1NF::TKeyWatcher &KeyWatcher() {
  static TRead1NF::TKeyWatcher watcher;
  return watcher;
}

}  // namespace

void TRead1NF::WatchKeys(TKeyWatcher watcher) { KeyWatcher() = std::move(watcher); }

int TRead1NF::ParseSection(int closeAtEnd) {
  if (!HasTarget()) return 0;
  if (KeyWatcher())
    for (const TIdentificatorParameters &key : Keys()) KeyWatcher()(parsedHeader, key);
  const unsigned kParseFaults = kReadNFValueTooLong | kReadNFIndexOutOfRange |
                                kReadNFNumberOutOfRange | kReadNFLineTooLong |
                                kReadNFUnclosedQuote | kReadNFGarbled | kReadNFReadFailed;
  const unsigned before = Faults();
  ClearFaults();
  stopHeader.clear();
  givenKeys.clear();
  givenElements.clear();
  // A section read again with other keys knows them too.
  std::set<std::string> &known = knownKeys[LowerCaseAnsi(parsedHeader)];
  for (const TIdentificatorParameters &key : Keys()) known.insert(key.name);
  int index = 0;
  std::string line;
  bool hadEnd = false;
  while (ReadLine(line, hadEnd, LineUse::Parse)) {
    if (line.empty()) continue;
    if (line[0] == '^') break;
    if (line[0] == '[') {
      stopHeader = line;
      if (index > 0) NoteHeaderAmongRecords(line);
      break;
    }
    ParseLine(line, index);
  }
  const unsigned met = Faults();
  ClearFaults();
  NoteFault(before | met);
  if (closeAtEnd != 0) Close();
  return (met & kParseFaults) == 0 ? 1 : 0;
}

int TRead1NF::ScanFile() {
  scannedEmpty = true;
  if (target == nullptr) return emptyTarget ? 0 : -1;
  RewindTarget();
  int headers = 0;
  std::string line;
  bool hadEnd = false;
  while (ReadLine(line, hadEnd, LineUse::Parse)) {
    std::size_t end = line.size();
    while (end > 0 && (line[end - 1] == ' ' || line[end - 1] == '\t')) --end;
    if (end > 0) scannedEmpty = false;
    if (!hadEnd && !line.empty()) NoteFault(kReadNFCutShort);
    if (!line.empty() && line[0] == '[') {
      ++headers;
      if (line[end - 1] != ']') NoteFault(kReadNFBrokenHeader);
    }
    if (line.find('\0') != std::string::npos) NoteFault(kReadNFGarbled);
  }
  RewindTarget();
  return headers;
}

std::string TRead1NF::ScanDamage(bool cutLastLineRefused, bool sectionsRequired) {
  const int headers = ScanFile();
  const unsigned met = Faults();
  const unsigned cut = kReadNFBrokenHeader | (cutLastLineRefused ? kReadNFCutShort : 0u);
  if (ScannedEmpty()) return "it is empty";
  if ((met & kReadNFGarbled) != 0) return "it holds a zero byte, so it is no text file";
  if ((met & kReadNFLineTooLong) != 0) return "it holds a line too long to read";
  if ((met & kReadNFReadFailed) != 0) return "it could not be read to its end";
  if ((met & kReadNFBrokenHeader) != 0) {
    // A section name left open on a whole line is the writer's slip, not a cut: it is
    // named with its line.
    RewindTarget();
    std::string line;
    bool hadEnd = false;
    for (int number = 1; ReadLine(line, hadEnd, LineUse::Parse); ++number) {
      std::size_t end = line.size();
      while (end > 0 && (line[end - 1] == ' ' || line[end - 1] == '\t')) --end;
      if (!hadEnd || line.empty() || line[0] != '[' || line[end - 1] == ']') continue;
      RewindTarget();
      return "its line " + std::to_string(number) + " opens the section name \"" + line.substr(0, end) +
             "\" without closing it with \"]\"";
    }
    RewindTarget();
  }
  if ((met & cut) != 0) return "it ends inside a line, so it was cut short";
  if (sectionsRequired && headers <= 0) return "it holds no sections";
  return std::string();
}

void TRead1NF::NoteHeaderAmongRecords(const std::string &header) {
  // A header holds no '=' and ends in ']': a record whose brace turned into '[' does not.
  std::size_t end = header.find_last_not_of(" \t");
  if (target == nullptr || (header.find('=') == std::string::npos && header[end] == ']')) return;
  const long after = std::ftell(target);
  const int headerLine = linesRead;
  std::string line;
  bool hadEnd = false;
  bool recordFollows = false;
  while (ReadLine(line, hadEnd, LineUse::Skip)) {
    end = line.find_first_not_of(" \t");
    if (end == std::string::npos || line[end] == '!') continue;
    recordFollows = line[end] == '{';
    break;
  }
  std::clearerr(target);
  std::fseek(target, after, SEEK_SET);
  linesRead = headerLine;
  if (recordFollows) NoteKey(TReadNFNoteKind::kHeaderAmongRecords, header, std::string(), nullptr, 0);
}

void TRead1NF::NoteKey(TReadNFNoteKind kind, const std::string &key, const std::string &value,
                       const TIdentificatorParameters *limits, int index, const std::string &why) {
  TReadNFKeyNote note;
  note.kind = kind;
  note.why = why;
  note.header = parsedHeader;
  note.key = key;
  note.value = value;
  note.line = linesRead;
  if (limits != nullptr) {
    note.least = limits->least;
    note.most = limits->most;
    note.kept = KeptValueText(*limits, index);
  }
  // A section read again by another reading of the file is told once.
  for (const TReadNFKeyNote &held : keyNotes)
    if ((held.line == note.line || kind == TReadNFNoteKind::kSectionTwice) && held.key == note.key && held.kind == note.kind)
      return;
  try {
    keyNotes.push_back(note);
  } catch (const std::bad_alloc &) {
    // The notes only tell; the values were read.
  }
}

namespace {

// The fewest letters put in, left out or changed that turn one text into the other.
std::size_t EditDistance(const std::string &a, const std::string &b) {
  std::vector<std::size_t> row(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

}  // namespace

std::vector<TReadNFKeyNote> TRead1NF::KeyNotes(bool (*wanted)(const std::string &lowerHeader)) const {
  std::vector<TReadNFKeyNote> notes;
  for (const TReadNFKeyNote &note : keyNotes) {
    const std::string header = LowerCaseAnsi(note.header);
    if (wanted != nullptr && !wanted(header)) continue;
    if (note.kind == TReadNFNoteKind::kUnknownKey) {
      std::string key = LowerCaseAnsi(note.key);
      key = key.substr(0, key.find('('));
      const auto known = knownKeys.find(header);
      if (known != knownKeys.end() && known->second.count(key) != 0) continue;
    }
    notes.push_back(note);
  }
  if (!unknownSectionsNamed || openMode != 0 || targetName.empty()) return notes;
  std::FILE *file = std::fopen(targetName.c_str(), "rb");
  if (file == nullptr) return notes;
  std::set<std::string> told;
  bool beforeHeaders = true;
  std::string line;
  int number = 1;
  for (int c = 0; c != EOF; ++number, line.clear()) {
    while ((c = std::fgetc(file)) != EOF && c != '\n') line += static_cast<char>(c);
    if (number == 1) DropByteOrderMark(line);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const std::size_t first = line.find_first_not_of(" \t");
    if (!line.empty() && line[0] == '[') beforeHeaders = false;
    const std::size_t equals = line.find('=');
    const bool keyed = equals != std::string::npos && equals > first &&
                       std::all_of(line.begin() + static_cast<std::ptrdiff_t>(first), line.begin() + static_cast<std::ptrdiff_t>(equals),
                                   [](char k) { return std::isalnum(static_cast<unsigned char>(k)) || k == '_' || k == ' ' || k == '(' || k == ')'; });
    if (beforeHeaders && first != std::string::npos && keyed && (wanted == nullptr || wanted(std::string()))) {
      // Before any header nothing is read: a header lost at the file's start.
      TReadNFKeyNote note;
      note.kind = TReadNFNoteKind::kBeforeSections;
      note.key = line.substr(first);
      note.line = number;
      notes.push_back(note);
      beforeHeaders = false;
    }
    if (line.empty() || line[0] != '[') continue;
    const std::string lower = LowerCaseAnsi(line);
    if (askedHeaders.count(lower) != 0 || (alsoKnown && alsoKnown(lower)) || !told.insert(lower).second) continue;
    if (wanted != nullptr && !wanted(std::string())) continue;
    if (onlyNearMisses && std::none_of(askedHeaders.begin(), askedHeaders.end(), [&lower](const std::string &asked) {
          return EditDistance(lower, asked) <= 2;
        }))
      continue;
    TReadNFKeyNote note;
    note.kind = TReadNFNoteKind::kUnknownSection;
    note.key = line;
    note.line = number;
    notes.push_back(note);
  }
  std::fclose(file);
  return notes;
}

void TRead1NF::NameUnknownSections(std::function<bool(const std::string &lowerHeader)> also, bool nearMisses) {
  unknownSectionsNamed = true;
  onlyNearMisses = nearMisses;
  alsoKnown = std::move(also);
}

std::string TRead1NF::NextSectionName() {
  if (!stopHeader.empty()) {
    std::string header;
    header.swap(stopHeader);
    return header;
  }
  std::string line;
  bool hadEnd = false;
  while (ReadLine(line, hadEnd, LineUse::Skip)) {
    if (!line.empty() && line[0] == '[') return line;
  }
  return std::string();
}
