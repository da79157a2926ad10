#pragma once
// The sections of a sectioned text file and the keys each holds, for readers that check a
// file against what the program's own writer always writes: a file cut short at a line
// end lacks the sections and keys after the cut, which its values alone cannot show.

#include <functional>
#include <initializer_list>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "foundation/textfiles/read_nf_key_notes.h"

// Lower-cased header (brackets included) -> lower-cased keys of its "key=value" items.
using TSectionKeys = std::map<std::string, std::set<std::string>>;

// Calls visit with each section's lower-cased header and each of its "key=value" items
// (items end at ';', '{' or '}'; a comment starts at '!'), trimmed of blanks.
void VisitSectionItems(const std::string &fileName,
                       const std::function<void(const std::string &header, const std::string &item)> &visit);
// The same with the line each item stands on (from 1).
void VisitSectionItems(const std::string &fileName,
                       const std::function<void(const std::string &header, const std::string &item, int line)> &visit);

// The file's sections and keys; empty when it cannot be read.
TSectionKeys SectionKeysOf(const std::string &fileName);

// What the file lacks of a section the writer always writes with these keys: "the
// section [X]", or "the keys A, B of [X]"; empty when it holds them all.
std::string MissingSectionParts(const TSectionKeys &held, const std::string &header,
                                std::initializer_list<const char *> keys);

// The first "key=value" item, in file order, of the items wanted(lower-cased header,
// lower-cased key) picks whose value, or one of its comma-separated values, is empty or not
// wholly a number, said as a reader's message says it ("the value of Left=abc is not a
// number", "the value of Focus_W= is empty"); empty when every one is a number. The
// readers take the longest number a value starts with and read nothing as 0, which would
// silently change what the user wrote ("2x" read as 2).
std::string FirstValueNotANumber(const std::string &fileName,
                                 const std::function<bool(const std::string &header, const std::string &key)> &wanted);

// Joins the non-empty parts with "; ".
void AddMissingPart(std::string &list, const std::string &part);

// The keys a writer always writes, read off its own output: each "key=value" item outside
// records (index included, "dX(3)") that writtenText gives in a section fileText also holds,
// and fileText's section lacks, as a kLeftOutOfSection note on the section's header line
// with the value written: what the next save puts in the user's place. Sections fileText
// lacks are no concern here (their readers name them), nor are sections that hold less than
// half of the keys written there: written by hand, they leave the rest to the defaults.
// Keys in judgedElsewhere (lower case) are passed over: their reader tells their absence
// itself, or older files lack them without harm. A kind never written by hand
// (handWritten false) has every section judged, however little it holds.
std::vector<TReadNFKeyNote> KeysLeftOut(const std::string &fileText, const std::string &writtenText,
                                        const std::set<std::string> &judgedElsewhere = {},
                                        bool handWritten = true);

// KeysLeftOut of the file at fileName against what write(path) puts into a scratch file.
std::vector<TReadNFKeyNote> KeysLeftOutOf(const std::string &fileName,
                                          const std::function<bool(const std::string &path)> &write,
                                          const std::set<std::string> &judgedElsewhere = {},
                                          bool handWritten = true);

// Each key outside records that writtenText's section header (lower case) gives another
// value than fileText's same section, numbers compared as numbers: a kValueReplaced note on
// the line of the file's key, with the file's value and the value written.
std::vector<TReadNFKeyNote> ValuesReplaced(const std::string &fileText, const std::string &writtenText,
                                           const std::string &header);
