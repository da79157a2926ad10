#include "foundation/textfiles/read_nf.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <new>

#include "foundation/filewrite/file_replace.h"
#include "foundation/filewrite/work_files.h"
#include "foundation/textfiles/read_nf_repair.h"
#include "foundation/textfiles/text_functions.h"
#include "platform/core/message_box.h"
#include "platform/core/paths.h"

namespace {

// The one work copy of older versions of the program, which a reader still removes.
constexpr char kLegacyWorkName[] = "readnf.tmp";
// Used only when the file itself is called "readnf.tmp".
constexpr char kLegacyWorkNameAlternative[] = "readnf~.tmp";

// Something other than an ordinary file under that name: a directory, a device or a pipe
// would never end a line (or block the reader), so it is not opened.
bool IsNoOrdinaryFile(const std::string &path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode);
}

bool StartsWith(const std::string &line, char c) { return !line.empty() && line[0] == c; }

// Removes path only when it is an ordinary file; anything else there is not ours.
void RemoveRegularFile(const std::string &path) {
  struct stat info {};
  if (::lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode)) std::remove(path.c_str());
}

}  // namespace

TRead1NF::TRead1NF(const std::string &fileName, int mode) {
  if (!fileName.empty()) Open(fileName, mode);
}

TRead1NF::~TRead1NF() { Close(); }

ssize_t TRead1NF::WriteToWork(void *cookie, const char *buffer, std::size_t size) {
  auto *self = static_cast<TRead1NF *>(cookie);
  try {
    self->workText.append(buffer, size);
  } catch (const std::bad_alloc &) {
    self->workBroken = true;
    return 0;
  }
  return static_cast<ssize_t>(size);
}

std::FILE *TRead1NF::Open(const std::string &fileName, int mode) {
  Close();
  ClearFaults();
  writeFailed = false;
  writeResult = TFileWriteResult{};
  leftOut.clear();
  targetName.clear();
  knownKeys.clear();
  askedHeaders.clear();
  unknownSectionsNamed = false;
  alsoKnown = nullptr;
  keyNotes.clear();
  parsedHeader.clear();
  if (fileName.empty()) return nullptr;
  // Names from older files may carry '\' and another case than the file on disk.
  targetName = ResolvePathCase(NormalizeSeparators(fileName));
  // A save of this file that was stopped midway left its work file: it goes now.
  RemoveStaleWorkFiles(targetName);
  openMode = (mode == 1 || mode == 2) ? mode : 0;
  if (openMode != 0) {
    writeResult = CheckFileWritable(targetName);
    if (!writeResult.Written()) return nullptr;
  }
  if (IsNoOrdinaryFile(targetName)) return nullptr;
  target = std::fopen(targetName.c_str(), "rb");
  if (openMode == 0) {
    sectionSelected = false;
    return target;
  }
  if (openMode == 1 && target != nullptr) LeaveOutDamage();
  if (openMode == 2 || (target == nullptr && !emptyTarget)) {
    // A file that exists but cannot be read is not ours to replace.
    if (target == nullptr && FileExists(targetName)) {
      writeResult = TFileWriteResult{TFileWriteFault::kNoPermission, EACCES};
      return nullptr;
    }
    if (target != nullptr) std::fclose(target);
    target = nullptr;
    openMode = 2;
    emptyTarget = true;
    pendingCreate = true;
  }
  static const cookie_io_functions_t kWorkFunctions = {nullptr, &TRead1NF::WriteToWork, nullptr,
                                                       nullptr};
  work = fopencookie(this, "w", kWorkFunctions);
  if (work == nullptr) {
    writeResult = TFileWriteResult{TFileWriteFault::kFailed, ENOMEM};
    if (target != nullptr) std::fclose(target);
    target = nullptr;
    emptyTarget = false;
    pendingCreate = false;
    return nullptr;
  }
  StartWork();
  return work;
}

void TRead1NF::LeaveOutDamage() {
  leftOut.clear();
  std::string old;
  char buffer[8192];
  std::size_t count;
  while ((count = std::fread(buffer, 1, sizeof buffer, target)) > 0) old.append(buffer, count);
  if (std::ferror(target)) {
    // What cannot be read is not judged here: the rewrite notes the failure itself.
    std::clearerr(target);
    RewindTarget();
    return;
  }
  RewindTarget();
  std::string repaired = RepairedSectionText(old, leftOut);
  if (leftOut.empty()) return;
  // The rewrite works on the repaired text, and the file is written even when no section
  // of it changes.
  std::fclose(target);
  target = nullptr;
  committedText.swap(repaired);
  fileChanged = true;
  emptyTarget = committedText.empty();
  if (!emptyTarget) target = fmemopen(committedText.data(), committedText.size(), "r");
}

std::string TRead1NF::LegacyWorkPath() const {
  const std::filesystem::path path(targetName);
  const std::string name = path.filename().string();
  const char *workName = (name == kLegacyWorkName) ? kLegacyWorkNameAlternative : kLegacyWorkName;
  return JoinPath(path.parent_path().string(), workName);
}

void TRead1NF::SyncWork() {
  if (work != nullptr) std::fflush(work);
}

void TRead1NF::AppendToWork(const char *bytes, std::size_t size) {
  if (work == nullptr || size == 0) return;
  SyncWork();
  try {
    workText.append(bytes, size);
  } catch (const std::bad_alloc &) {
    workBroken = true;
  }
}

void TRead1NF::StartWork() {
  SyncWork();
  workText.clear();
  workBroken = false;
  if (work != nullptr) std::clearerr(work);
}

void TRead1NF::RewindTarget() {
  linesRead = 0;
  if (target != nullptr) std::rewind(target);
}

bool TRead1NF::ReadLine(std::string &line, bool &hadEnd, LineUse use) {
  line.clear();
  hadEnd = false;
  if (target == nullptr) return false;
  const bool copy = (use == LineUse::Copy) && work != nullptr;
  if (copy) SyncWork();
  char chunk[4096];
  std::size_t held = 0;
  bool any = false;
  bool tooLong = false;
  int c;
  while ((c = std::getc(target)) != EOF) {
    any = true;
    if (copy) {
      chunk[held++] = static_cast<char>(c);
      if (held == sizeof chunk) {
        AppendToWork(chunk, held);
        held = 0;
      }
    }
    if (c == '\n') {
      hadEnd = true;
      break;
    }
    if (line.size() < kReadNFMaxLine) {
      line.push_back(static_cast<char>(c));
    } else {
      tooLong = true;
    }
  }
  if (copy) AppendToWork(chunk, held);
  if (std::ferror(target)) {
    NoteFault(kReadNFReadFailed);
    if (copy) workBroken = true;
    std::clearerr(target);
    std::fseek(target, 0, SEEK_END);
  }
  // A CR LF file whose last line lost its LF still ends that line with CR: were the CR kept,
  // a header there would not be found, a rewrite would append a second one, and the
  // restored line end would make the first one shadow the new section.
  if (!line.empty() && line.back() == '\r') line.pop_back();
  if (linesRead == 0) DropByteOrderMark(line);
  if (any) ++linesRead;
  if (tooLong && use == LineUse::Parse) NoteFault(kReadNFLineTooLong);
  return any;
}

int TRead1NF::ReadSection(const std::string &header) {
  ClearIdentifiers();
  // An empty name would match the first empty line: it names no section.
  if (!HasTarget() || header.empty()) return 0;
  stopHeader.clear();
  if (work != nullptr) {
    PrepareTemp();
    StartWork();
  }
  RewindTarget();
  const std::string wanted = LowerCaseAnsi(header);
  if (openMode == 0) askedHeaders.insert(wanted);
  std::string line;
  bool hadEnd = false;
  while (ReadLine(line, hadEnd, LineUse::Copy)) {
    if (LowerCaseAnsi(line) != wanted) continue;
    parsedHeader = header;
    // A header on the file's last line without a line end still counts; the new text
    // must not run on from it.
    if (!hadEnd) AppendToWork("\n", 1);
    if (openMode == 0) NoteSectionTwice(wanted);
    return 1;
  }
  if (openMode != 0) {
    AppendHeader(header);
    return 1;
  }
  return 0;
}

void TRead1NF::NoteSectionTwice(const std::string &lowerHeader) {
  if (target == nullptr) return;
  const long body = std::ftell(target);
  const int bodyLine = linesRead;
  std::string line;
  bool hadEnd = false;
  while (ReadLine(line, hadEnd, LineUse::Skip)) {
    if (line.empty() || line[0] != '[' || LowerCaseAnsi(line) != lowerHeader) continue;
    NoteKey(TReadNFNoteKind::kSectionTwice, line, std::string(), nullptr, 0);
    break;
  }
  std::clearerr(target);
  std::fseek(target, body, SEEK_SET);
  linesRead = bodyLine;
}

int TRead1NF::AppendHeader(const std::string &header) {
  if (work == nullptr) return 0;
  // The header goes at the end of the file: bring the rest of it into the new text first.
  if (!CopyRestToWork()) return 0;
  SyncWork();
  if (!workText.empty() && workText.back() != '\n') AppendToWork("\n", 1);
  const std::string line = header + "\n";
  AppendToWork(line.data(), line.size());
  headerAppended = true;
  return 1;
}

bool TRead1NF::StandOnOldBody(const std::string &header, int &result) {
  PrepareTemp();
  result = 0;
  if (header.empty()) return false;
  if (work == nullptr || ReadSection(header) == 0 || target == nullptr) {
    sectionSelected = (work != nullptr && emptyTarget);
    result = sectionSelected ? 1 : 0;
    return false;
  }
  return true;
}

int TRead1NF::SelectSection(const std::string &header) {
  int result = 0;
  if (!StandOnOldBody(header, result)) return result;
  // The old body is not copied.
  SkipOldBody();
  return 1;
}

void TRead1NF::SkipOldBody() {
  off_t keep = ftello(target);
  std::string line;
  bool hadEnd = false;
  while (ReadLine(line, hadEnd, LineUse::Skip)) {
    if (StartsWith(line, '[')) break;
    keep = ftello(target);
  }
  fseeko(target, keep, SEEK_SET);
  sectionSelected = true;
}

int TRead1NF::AppendSection(const std::string &header) {
  int result = 0;
  if (!StandOnOldBody(header, result)) return result;
  // Copy the body; what is printed next follows its last non-blank line, and the blank
  // lines after it come back behind the new text.
  off_t keep = ftello(target);
  SyncWork();
  std::size_t keepWork = workText.size();
  std::string line;
  bool hadEnd = false;
  while (ReadLine(line, hadEnd, LineUse::Copy)) {
    if (StartsWith(line, '[')) break;
    if (line.empty() && hadEnd) continue;
    if (!hadEnd) AppendToWork("\n", 1);
    keep = ftello(target);
    SyncWork();
    keepWork = workText.size();
  }
  fseeko(target, keep, SEEK_SET);
  SyncWork();
  workText.resize(keepWork);
  sectionSelected = true;
  return 1;
}

int TRead1NF::RemoveSection(const std::string &header) {
  PrepareTemp();
  ClearIdentifiers();
  if (work == nullptr || target == nullptr || header.empty()) return 0;
  stopHeader.clear();
  StartWork();
  RewindTarget();
  const std::string wanted = LowerCaseAnsi(header);
  std::string line;
  bool hadEnd = false;
  bool found = false;
  std::size_t beforeHeader = 0;
  for (;;) {
    SyncWork();
    beforeHeader = workText.size();
    if (!ReadLine(line, hadEnd, LineUse::Copy)) break;
    if (LowerCaseAnsi(line) == wanted) {
      found = true;
      break;
    }
  }
  if (!found) {
    StartWork();
    RewindTarget();
    return 0;
  }
  SyncWork();
  workText.resize(beforeHeader);
  // The body goes with its header.
  SkipOldBody();
  return 1;
}

bool TRead1NF::CopyRestToWork() {
  if (target == nullptr || work == nullptr) return true;
  // The rest starts a line of its own even when the new body did not end its last line.
  const int next = std::getc(target);
  if (next != EOF) {
    std::ungetc(next, target);
    SyncWork();
    if (!workText.empty() && workText.back() != '\n') AppendToWork("\n", 1);
  }
  char buffer[8192];
  std::size_t count;
  while ((count = std::fread(buffer, 1, sizeof buffer, target)) > 0) AppendToWork(buffer, count);
  if (std::ferror(target)) {
    NoteFault(kReadNFReadFailed);
    std::clearerr(target);
    workBroken = true;
    return false;
  }
  return true;
}

bool TRead1NF::CommitWork() {
  SyncWork();
  if (work == nullptr || workBroken || std::ferror(work)) return false;
  // The new text becomes what the reader reads from now on; the file itself is written
  // once, at Close. The old target may read the buffer being replaced: close it first.
  if (target != nullptr) std::fclose(target);
  target = nullptr;
  committedText.swap(workText);
  fileChanged = true;
  emptyTarget = committedText.empty();
  if (!emptyTarget) target = fmemopen(committedText.data(), committedText.size(), "r");
  return emptyTarget || target != nullptr;
}

bool TRead1NF::WriteFile() {
  if (sizeLimit > 0 && static_cast<long long>(committedText.size()) > sizeLimit) {
    writeResult = TFileWriteResult{TFileWriteFault::kTooLarge, EFBIG};
    return false;
  }
  writeResult = ReplaceFileContents(targetName, committedText);
  return writeResult.Written();
}

int TRead1NF::PrepareTemp() {
  if (!sectionSelected && !headerAppended) return 1;
  bool done = true;
  if (work != nullptr && HasTarget()) {
    done = CopyRestToWork() && CommitWork();
    if (!done) {
      NoteFault(kReadNFWriteFailed);
      writeFailed = true;
    }
  }
  StartWork();
  RewindTarget();
  sectionSelected = false;
  headerAppended = false;
  return done ? 1 : 0;
}

int TRead1NF::Reset() {
  ClearIdentifiers();
  return PrepareTemp();
}

int TRead1NF::Close() {
  PrepareTemp();
  if (work != nullptr) {
    // A file opened to be created (or emptied) exists afterwards even when nothing was
    // written into it.
    if ((fileChanged || pendingCreate) && !WriteFile()) {
      NoteFault(kReadNFWriteFailed);
      writeFailed = true;
    } else if (!leftOut.empty()) {
      MessageBox(nullptr,
                 "File \"" + targetName + "\" was damaged. It was written without these parts, which could not be read: " +
                     leftOut + ".",
                 "Warning", MB_OK | MB_ICONWARNING);
    }
    std::fclose(work);
    work = nullptr;
  }
  if (!targetName.empty() && openMode == 0) {
    // The work copy an older version of the program left when it was stopped mid-rewrite.
    RemoveRegularFile(LegacyWorkPath());
  }
  if (target != nullptr) std::fclose(target);
  target = nullptr;
  emptyTarget = false;
  pendingCreate = false;
  sectionSelected = false;
  headerAppended = false;
  workText.clear();
  committedText.clear();
  fileChanged = false;
  workBroken = false;
  stopHeader.clear();
  ClearIdentifiers();
  return writeFailed ? 0 : 1;
}
