#include "foundation/textfiles/read_nf_key_notes.h"

#include <charconv>

#include "foundation/textfiles/text_functions.h"

namespace {

std::string ShortNumber(double value) {
  char text[64];
  const auto result = std::to_chars(text, text + sizeof text, value);
  return std::string(text, result.ptr);
}

}  // namespace

std::string KeyNotesText(const std::vector<TReadNFKeyNote> &notes, const std::string &lead) {
  std::string text;
  int told = 0;
  for (std::size_t i = 0; i < notes.size(); ++i) {
    const TReadNFKeyNote &note = notes[i];
    if (told++ == kMostKeyNotesTold) {
      text += (lead.empty() ? "" : lead + ": ") + std::to_string(notes.size() - i) + " more such key(s) are not shown.\n";
      break;
    }
    const std::string section = note.header.empty() ? std::string("the file") : note.header;
    text += (lead.empty() ? "" : lead + ", ") + "line " + std::to_string(note.line) + ": ";
    switch (note.kind) {
      case TReadNFNoteKind::kUnknownKey:
        text += section + " holds the key " + note.key + ", which this program does not know; it is not read.\n";
        break;
      case TReadNFNoteKind::kTooManyValues:
        text += section + " gives " + note.key + " more than its " + note.value + " values; the rest are not read.\n";
        break;
      case TReadNFNoteKind::kListInRecord:
        text += section + " gives " + note.key + " more than one value in a record; the first is used.\n";
        break;
      case TReadNFNoteKind::kNotAKey:
        text += section + " holds \"" + note.key + "\" where a key=value item stands; it is not read.\n";
        break;
      case TReadNFNoteKind::kRepeatedKey: {
        // A lost header runs a section into the one before: every key of it comes again,
        // and one line tells them all.
        std::size_t last = i;
        while (last + 1 < notes.size() && notes[last + 1].kind == TReadNFNoteKind::kRepeatedKey &&
               notes[last + 1].header == note.header)
          ++last;
        text += section + " gives " + note.key + " a second time";
        if (last > i)
          text += " (and " + std::to_string(last - i) + " more key(s), to line " + std::to_string(notes[last].line) +
                  "): the header of a section may be missing before it";
        text += "; the later value is used.\n";
        i = last;
        break;
      }
      case TReadNFNoteKind::kNotOfKind:
        text += section + " gives " + note.key + "=" + note.value + ", which " + note.why + "; it is not read" +
                (note.kept.empty() ? "" : ", " + note.kept + " is used") + ".\n";
        break;
      case TReadNFNoteKind::kMissingInRecord:
        text += section + " holds its record " + note.value + " without the key " + note.key + " that every record gives" +
                (note.kept.empty() ? "" : "; " + note.kept + " is used") + ".\n";
        break;
      case TReadNFNoteKind::kAfterRecord:
        text += section + " holds \"" + note.key + "\" after the brace that ends a record; it is not read.\n";
        break;
      case TReadNFNoteKind::kSectionTwice:
        text += "the section " + note.key + " is given a second time; only the first is read.\n";
        break;
      case TReadNFNoteKind::kLeftOutOfSection:
        text += section + " lacks the key " + note.key + " that is always written there; " + note.key + "=" +
                note.value + " is used.\n";
        break;
      case TReadNFNoteKind::kRecordWithoutBraces:
        text += section + " holds the keys of a record without its braces; they are read as record " + note.value +
                ".\n";
        break;
      case TReadNFNoteKind::kElementTwice:
        text += section + " gives element " + note.value + " of " + note.key +
                " a second time: its records or lists may have lost their order; the later value is used.\n";
        break;
      case TReadNFNoteKind::kHeaderAmongRecords:
        text += section + " ends at \"" + note.key + "\", a damaged header, before more records; they are not read.\n";
        break;
      case TReadNFNoteKind::kValueReplaced:
        text += section + " gives " + note.key + "=" + note.value + ", which this section does not set; " + note.kept +
                " is used.\n";
        break;
      case TReadNFNoteKind::kBeforeSections:
        text += "\"" + note.key + "\" stands before the first section; it is not read.\n";
        break;
      case TReadNFNoteKind::kUnknownSection:
        text += "the section " + note.key + " is not one this program reads; it is not read.\n";
        break;
      case TReadNFNoteKind::kOutOfRange: {
        std::size_t consumed = 0;
        DecimalToDouble(note.value.c_str(), &consumed);
        text += note.key + "=" + note.value +
                (consumed == note.value.size()
                     ? " is outside " + ShortNumber(note.least) + " to " + ShortNumber(note.most)
                     : std::string(" is not a number")) +
                "; it is not read" + (note.kept.empty() ? "" : ", " + note.kept + " is used") + ".\n";
        break;
      }
    }
  }
  return text;
}
