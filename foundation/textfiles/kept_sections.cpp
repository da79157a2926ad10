#include "foundation/textfiles/kept_sections.h"

#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string_view>

#include "foundation/textfiles/read_nf.h"
#include "foundation/textfiles/text_functions.h"

namespace {

// Calls visit(line, row) for each line of text (numbered from 1, without its '\n') until it
// returns false.
template <typename Visit>
void ForEachLine(const std::string &text, Visit visit) {
  std::size_t start = 0;
  for (int line = 1; start < text.size(); ++line) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    if (!visit(line, std::string_view(text.data() + start, end - start))) return;
    start = end + 1;
  }
}

}  // namespace

std::string SectionBody(const std::string &text, int headerLine) {
  std::string body;
  ForEachLine(text, [&](int line, std::string_view row) {
    if (line <= headerLine) return true;
    if (!row.empty() && row[0] == '[') return false;
    body.append(row).append("\n");
    return true;
  });
  return body;
}

TKeptSections UnknownSectionsOf(const std::string &fileName, const std::vector<TReadNFKeyNote> &notes) {
  TKeptSections kept;
  std::string text;
  bool read = false;
  for (const TReadNFKeyNote &note : notes) {
    if (note.kind != TReadNFNoteKind::kUnknownSection) continue;
    if (!read) {
      std::ifstream in(fileName, std::ios::binary);
      text.assign(std::istreambuf_iterator<char>(in), {});
      read = true;
    }
    kept.emplace_back(note.key, SectionBody(text, note.line));
    // The reader names a header once; a later section of the same name is the user's too.
    const std::string wanted = LowerCaseAnsi(note.key);
    ForEachLine(text, [&](int line, std::string_view view) {
      std::string row(view);
      if (!row.empty() && row.back() == '\r') row.pop_back();
      if (line > note.line && LowerCaseAnsi(row) == wanted) kept.emplace_back(row, SectionBody(text, line));
      return true;
    });
  }
  return kept;
}

std::vector<TReadNFKeyNote> NotesToTell(const std::vector<TReadNFKeyNote> &notes, bool keptSectionsTold) {
  std::vector<TReadNFKeyNote> told = notes;
  if (!keptSectionsTold)
    std::erase_if(told, [](const TReadNFKeyNote &note) { return note.kind == TReadNFNoteKind::kUnknownSection; });
  return told;
}

void WriteKeptSections(TRead1NF &file, std::FILE *out, const TKeptSections &kept,
                       const std::function<bool(const std::string &header)> &skip) {
  // The sections of each name the file holds before this rewrite.
  std::map<std::string, int> held;
  std::ifstream in(file.FileName(), std::ios::binary);
  std::string row;
  for (bool first = true; std::getline(in, row); first = false) {
    if (first) DropByteOrderMark(row);
    if (!row.empty() && row.back() == '\r') row.pop_back();
    if (!row.empty() && row[0] == '[') ++held[LowerCaseAnsi(row)];
  }
  // A rewrite finds a section by its header: a second section of one name stays where the
  // file holds it, and where the file does not (a new file), it follows the first.
  std::map<std::string, int> met;
  std::map<std::string, std::string> after;
  for (const auto &[header, body] : kept) {
    const std::string lower = LowerCaseAnsi(header);
    if ((skip && skip(header)) || ++met[lower] == 1 || met[lower] <= held[lower]) continue;
    after[lower] += header + "\n" + body;
  }
  std::set<std::string> written;
  for (const auto &[header, body] : kept) {
    if (skip && skip(header)) continue;
    const std::string lower = LowerCaseAnsi(header);
    if (!written.insert(lower).second) continue;
    file.SelectSection(header);
    std::fputs((body + after[lower]).c_str(), out);
    file.Reset();
  }
}

std::string KeptSectionsText(const TKeptSections &kept) {
  std::string text;
  for (const auto &[header, body] : kept) text += (text.empty() ? "\n" : "") + header + "\n" + body;
  return text;
}
