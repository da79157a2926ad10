#pragma once
// What a sectioned-file reader met and did not take as written: a key no registration of
// its section knows, text where a key should stand, a key given twice in one section or
// record or given a list in a record, a list longer than its key takes, a number outside
// the limits of its key. Each is named by line, so a misspelt key or a damaged value never
// reads as a silent default that the next save would write in the user's place.

#include <string>
#include <vector>

enum class TReadNFNoteKind {
  kUnknownKey,
  kRepeatedKey,
  kOutOfRange,
  kNotAKey,
  kListInRecord,
  kTooManyValues,
  kNotOfKind,       // a value empty, not a number or not whole where its key takes one
  kMissingInRecord, // a record lacks a key the writer always writes
  kAfterRecord,     // text after the brace that ends a record (key: that text)
  kSectionTwice,    // a header given again (key: the header); the first is read
  kUnknownSection,  // a header no reader of the file takes (key: the header)
  kLeftOutOfSection,  // a key the writer always writes is not in its section (value: what is used)
  kRecordWithoutBraces,  // a line of record keys without its braces, read as the next record
  kElementTwice,    // a record gives an element of a key that an earlier record gave
  kHeaderAmongRecords,  // a damaged header line ends the section before more records (key: the line)
  kValueReplaced,   // a value the program takes from elsewhere (value: as written; kept: what is used)
  kBeforeSections,  // text before the first header of a file of sections (key: the line)
};

struct TReadNFKeyNote {
  TReadNFNoteKind kind = TReadNFNoteKind::kUnknownKey;
  std::string header;  // the section as ReadSection was given it; empty before any header
  std::string key;     // as written, index included ("Radius", "dX(3)")
  std::string value;   // for kOutOfRange: the value as written; for kTooManyValues: the
                       // number of values the key takes; for kLeftOutOfSection: the value
                       // the writer gives the key; for the record kinds: the record (from 1)
  std::string kept;    // for kOutOfRange and kNotOfKind: the value its variable keeps
  std::string why;     // for kNotOfKind: "is empty", "is not a number", ...
  double least = 0.0, most = 0.0;  // for kOutOfRange
  int line = 0;
};

// The notes said for the user, one line each ending in "\n": "<lead>, line 12: [Surfaces]
// holds the key Radius, which this program does not know; it is not read." (without lead
// and comma when lead is empty). Keys given
// again one after another in a section are one line. After kMostKeyNotesTold lines one more
// says how many are not shown.
constexpr int kMostKeyNotesTold = 12;
std::string KeyNotesText(const std::vector<TReadNFKeyNote> &notes, const std::string &lead);
