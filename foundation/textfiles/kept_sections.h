#pragma once
// Sections of a sectioned text file that its reader does not take (notes of the user's, a
// header mistyped, a part the program left out): kept with what was read, as the file
// holds them, so that a save writes them back, also into a new file (Save as) and also
// when its writer makes the file anew. One piece for every file kind that keeps them.

#include <cstdio>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "foundation/textfiles/read_nf_key_notes.h"

class TRead1NF;

// A header as written (without its line end) and its body.
using TKeptSection = std::pair<std::string, std::string>;
using TKeptSections = std::vector<TKeptSection>;

// The lines after the header on line headerLine (from 1) up to the next header, each ending
// in a line end: a section as the text holds it, to be written back unchanged.
std::string SectionBody(const std::string &text, int headerLine);

// The sections the notes name as no reader's (TRead1NF::KeyNotes after
// NameUnknownSections), with their bodies as the file holds them, in file order.
TKeptSections UnknownSectionsOf(const std::string &fileName, const std::vector<TReadNFKeyNote> &notes);

// The notes to tell the user: all of them, or, for a read of the program's own copy of a
// file (an undo step), all but those naming a section kept, which were told at the open.
std::vector<TReadNFKeyNote> NotesToTell(const std::vector<TReadNFKeyNote> &notes, bool keptSectionsTold);

// Writes each kept section into the rewrite of file (opened in mode 1, printing into out):
// in the place of its old body when the file has the header, else appended. A section
// skip(header) picks is left out.
void WriteKeptSections(TRead1NF &file, std::FILE *out, const TKeptSections &kept,
                       const std::function<bool(const std::string &header)> &skip = nullptr);

// The kept sections as a file written anew ends: each header on a line of its own and its
// body, the first after a blank line.
std::string KeptSectionsText(const TKeptSections &kept);
