#pragma once
// The textfiles area holds the reader and rewriter of sectioned text files and the text
// functions every reader shares (lower case, locale-free numbers). It uses
// foundation/containers and platform/core.
//
// Reader and section rewriter of the program's sectioned text files: "[Name]" headers,
// "key=value; " items, comma lists, "{ ... }" records, quoted texts and '!' comments.
//
// Reading: Open(name, 0); per section ReadSection(header), the Add calls, ParseSection(0);
// Close. Writing: Open(name, 1) gives the stream to print into; per section
// SelectSection(header), print the new body, Reset; Close. A rewrite never edits the file
// in place: the sections are replaced in memory, and Close writes the whole new text in one
// step (foundation/filewrite), so the file changes once, completely or not at all, and a
// failed write leaves the old file whole and makes Close return 0 (WriteResult says why).
// A file marked read-only is never rewritten. Opening a file removes the work files a
// stopped save of it left. Lines end in "\n" or "\r\n"; text outside the rewritten
// sections is kept byte for byte, except the damaged parts of an old file that its reader
// would refuse, which are left out and named (read_nf_repair.h).

#include <sys/types.h>

#include <cstdio>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "foundation/filewrite/file_replace.h"
#include "foundation/textfiles/read_nf_key_groups.h"
#include "foundation/textfiles/read_nf_key_notes.h"

class TRead1NF : public TReadNFKeyGroups {
 public:
  TRead1NF() = default;
  // Opens name in mode when the name is not empty.
  TRead1NF(const std::string &fileName, int mode);
  virtual ~TRead1NF();
  TRead1NF(const TRead1NF &) = delete;
  TRead1NF &operator=(const TRead1NF &) = delete;

  // mode 0 reads and returns the file's stream (null when it cannot be read; the reader
  // owns it: never close it yourself). Mode 1
  // rewrites sections of the file, created when missing; mode 2 writes the file anew.
  // Both return the stream every new section body is printed into; it stays the same
  // stream until Close. Null when the file's directory or the file cannot be written.
  std::FILE *Open(const std::string &fileName, int mode);

  // Looks the header up (the whole line, without regard to case) and stands the reader on
  // the first line of its body; 1 when found. Clears the registrations. When rewriting,
  // a missing header is appended to the file and 1 returned.
  int ReadSection(const std::string &header);
  // Starts replacing the section's body (appended when missing) with what is printed next.
  int SelectSection(const std::string &header);
  // Starts adding to the section after its last non-blank line.
  int AppendSection(const std::string &header);
  // Drops the section, header and body, from the file in the same rewrite; 0 when the
  // file has no such section (nothing is then pending).
  int RemoveSection(const std::string &header);
  // Adds "header\n" at the end of the file; 0 when not rewriting.
  int AppendHeader(const std::string &header);
  // Clears the registrations and completes the pending rewrite.
  int Reset();
  // Completes the pending rewrite: the rest of the file follows the new body, and the
  // result is the text later sections are found in. 0 when the new text could not be
  // made whole (it is then dropped).
  int PrepareTemp();
  // Completes what is pending, writes the file when it changed and closes; 1 when every
  // rewrite since Open reached the file.
  int Close();
  // A rewrite whose text would exceed bytes is not written (WriteResult says kTooLarge): a
  // file its own reader refuses is no file. 0, the default, sets no limit.
  void LimitSize(long long bytes) { sizeLimit = bytes; }

  // Reads the current section's items into the registered variables, up to the next line
  // starting with '[' or '^'. Returns 1 when every value met found its place whole, 0
  // when something did not fit (see Faults) or there is no file. Closes when asked.
  int ParseSection(int closeAtEnd);
  // Reads the whole file once to judge it before its sections are read: notes a zero
  // byte, a line too long, a read failure, a last line without its line end (a file cut
  // short) and a line that opens a section name without closing it; answers the number
  // of section header lines, -1 when there is no file. Leaves the reader at the start.
  int ScanFile();
  // Whether the file holds nothing but blank lines (after ScanFile).
  bool ScannedEmpty() const { return scannedEmpty; }
  // ScanFile, then what makes the file unusable, as a reader's message says it ("it is
  // empty", "it holds a zero byte, ..."), or empty. A last line without its line end counts
  // as a cut only when cutLastLineRefused (files the program writes whole always end one).
  // A section name left open on a whole line is named with its line number ("its line 3
  // opens the section name ... without closing it"); one left open on a last line without
  // its line end is a cut, whatever cutLastLineRefused. A file without any section header
  // is refused when sectionsRequired.
  std::string ScanDamage(bool cutLastLineRefused, bool sectionsRequired);

  // The header at which the last ParseSection stopped (given once), else the next header
  // line of the file, else empty.
  std::string NextSectionName();

  // What the sections parsed since Open held that was not taken as written, in file order:
  // keys that no registration of their section took over all its parses (a section read
  // twice with other keys knows both), keys given twice in one section or record, and
  // numbers outside their key's limits. Only for the sections wanted picks (lower-cased
  // header), so a reader names only what its own sections hold.
  std::vector<TReadNFKeyNote> KeyNotes(bool (*wanted)(const std::string &lowerHeader) = nullptr) const;
  // Makes KeyNotes name, by line, every section header of the file that no ReadSection
  // since Open looked for and that also(lower-cased header) does not take: a mistyped
  // header or notes of the user's are never passed over in silence. For readers that read
  // every section of their file kind through this reader; also may be empty. A file that
  // other parts of the program add their own sections to names only nearMisses: headers
  // two letters or fewer from one looked for ("[Optoins]").
  void NameUnknownSections(std::function<bool(const std::string &lowerHeader)> also = nullptr,
                           bool nearMisses = false);

  // Shows every registration each parse uses, with the header of its section: the key
  // table of a file kind, read off its reader (tests draw their domain from it). An empty
  // function stops it. Single-threaded like the reader.
  using TKeyWatcher = std::function<void(const std::string &header, const TIdentificatorParameters &key)>;
  static void WatchKeys(TKeyWatcher watcher);

  const std::string &FileName() const { return targetName; }
  // Why the last Open for writing or the last Close could not write the file.
  const TFileWriteResult &WriteResult() const { return writeResult; }
  // The damaged parts of the old file that the last Open for rewriting left out
  // (read_nf_repair.h); empty when there were none. Close tells the user of them.
  const std::string &LeftOut() const { return leftOut; }
  bool IsOpen() const { return HasTarget(); }

 private:
  enum class LineUse { Parse, Copy, Skip };

  void NoteKey(TReadNFNoteKind kind, const std::string &key, const std::string &value,
               const TIdentificatorParameters *limits, int index, const std::string &why = std::string());
  void NoteAfterRecord(const std::string &line, std::size_t cursor);
  // Names a header line that ends a section of records while records follow it.
  void NoteHeaderAmongRecords(const std::string &header);
  // Whether the line gives a key that every record gives (Require).
  bool HoldsRecordKey(const std::string &line) const;
  // Names a later header equal to the one the reader stands after (mode 0 only).
  void NoteSectionTwice(const std::string &lowerHeader);
  static ssize_t WriteToWork(void *cookie, const char *buffer, std::size_t size);
  bool HasTarget() const { return target != nullptr || emptyTarget; }
  // Completes the pending rewrite and stands on the first line of the header's old body;
  // false when there is none to work on, with result what the caller returns.
  bool StandOnOldBody(const std::string &header, int &result);
  // Stands after the body the target stands in (at the next header or the end), not
  // copied, and marks the rewrite pending.
  void SkipOldBody();
  bool ReadLine(std::string &line, bool &hadEnd, LineUse use);
  void ParseLine(const std::string &line, int &index);
  char ReadValue(const TIdentificatorParameters &key, const std::string &writtenKey, const std::string &line,
                 std::size_t &cursor, int index);
  int ReadIndex(const std::string &line, std::size_t &cursor);
  void SyncWork();
  void AppendToWork(const char *bytes, std::size_t size);
  void StartWork();
  bool CopyRestToWork();
  bool CommitWork();
  bool WriteFile();
  std::string LegacyWorkPath() const;
  void RewindTarget();
  void LeaveOutDamage();

  std::string targetName;   // the file as found on disk, '/' separators
  int openMode = 0;
  std::FILE *target = nullptr;
  bool emptyTarget = false;    // mode 2 or a new file: reads as empty until first written
  bool pendingCreate = false;  // the file must exist after Close even if nothing was written
  std::FILE *work = nullptr;   // writes land in workText
  std::string workText;        // the file's new text being built
  std::string committedText;   // the rewritten text, read by target until Close writes it
  bool fileChanged = false;
  bool workBroken = false;     // workText misses something: it must not replace the file
  bool sectionSelected = false;
  bool headerAppended = false;
  bool writeFailed = false;
  TFileWriteResult writeResult;
  std::string stopHeader;
  bool scannedEmpty = false;
  std::string leftOut;
  long long sizeLimit = 0;
  // The key notes: the line last read (from 1), the section being parsed, the keys every
  // parse of each section registered, what each line gave so far (for repeats).
  int linesRead = 0;
  std::string parsedHeader;
  std::map<std::string, std::set<std::string>> knownKeys;
  std::set<std::string> askedHeaders;
  bool unknownSectionsNamed = false;
  bool onlyNearMisses = false;
  std::function<bool(const std::string &lowerHeader)> alsoKnown;
  std::set<std::string> givenKeys;
  std::set<std::string> givenInRecord;
  std::set<std::string> givenElements;  // "key(element)" the section's records gave
  std::vector<TReadNFKeyNote> keyNotes;
};

// The form every user constructs.
class TReadNF : public TRead1NF {
 public:
  TReadNF() = default;
  TReadNF(const std::string &fileName, int mode) : TRead1NF(fileName, mode) {}
};
