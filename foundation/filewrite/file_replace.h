#pragma once
// The filewrite area writes the program's files in one step and says why a write failed.
// It uses platform/core only.
//
// A file is never written in place: the new bytes go to a work file of our own beside it
// (see work_files.h), are flushed to the disk, and the work file is renamed over the file,
// so a crash or a kill at any moment leaves the old file or the new one, never a mixture
// or half of one. A file marked read-only (no write permission bit) is refused whoever
// runs the program, the administrator included.

#include <cstdint>
#include <string>
#include <string_view>

// Why a file could not be written; kNone when it was.
enum class TFileWriteFault {
  kNone,
  kReadOnly,      // the file is marked read-only
  kNoPermission,  // the user may not write the file or its directory
  kNoDirectory,   // the directory the file would be in does not exist
  kCannotMake,    // the directory is there, but the system makes no file in it (error says why)
  kNoSpace,       // the disk (or the user's quota) is full
  kReadOnlyDisk,  // the file system is mounted to be read only
  kNotAFile,      // a directory, device or pipe has that name
  kForeignLink,   // the name is a link another user planted in a shared directory
  kNothingToWrite,  // the writer had nothing to put in the file (an empty list)
  kTooLarge,      // the text is larger than the program's own reader takes
  kExists,        // a move found a file at its target, which it never replaces
  kBeingWritten,  // another writer of the program (a movie being recorded) holds the file
  kFailed,        // any other failure of the system; error says which
};

struct TFileWriteResult {
  TFileWriteFault fault = TFileWriteFault::kNone;
  int error = 0;  // the system's error number behind the fault, 0 when none
  bool Written() const { return fault == TFileWriteFault::kNone; }
};

// Whether the file at path may be written (replaced or created): checked before any
// work, so a writer can refuse before it builds the file's new text.
[[nodiscard]] TFileWriteResult CheckFileWritable(const std::string &path);

// Replaces the file's contents with bytes in one step, keeping its permissions (a new file
// gets those any new file gets here). A link is written through, not replaced.
[[nodiscard]] TFileWriteResult ReplaceFileContents(const std::string &path, std::string_view bytes);

// Moves the file at from to the name to, which must not exist: a file there is never
// replaced (kExists). Across file systems the file is copied in one step and removed only
// once the copy is whole; a move that fails leaves the file where it was.
[[nodiscard]] TFileWriteResult MoveFileToNewName(const std::string &from, const std::string &to);

// A file written piece by piece (a movie, frame by frame) and replaced in one step: the
// pieces go to the work file, which may be written anywhere and cut short again, and Commit
// puts it in the file's place as ReplaceFileContents does. Until then the old file stands
// as it was; a replacement dropped without Commit leaves no work file behind.
class TFileReplacement {
 public:
  TFileReplacement() = default;
  ~TFileReplacement();
  TFileReplacement(const TFileReplacement &) = delete;
  TFileReplacement &operator=(const TFileReplacement &) = delete;

  // Checks the file may be written, removes the work files a stopped save of it left, and
  // makes its own work file. A file another open replacement of the program will put in
  // place is refused (kBeingWritten): the later of two would replace the other unseen.
  [[nodiscard]] TFileWriteResult Open(const std::string &path);
  bool IsOpen() const { return handle_ >= 0; }
  // Appends at the end of the work file.
  [[nodiscard]] TFileWriteResult Append(std::string_view bytes);
  // Writes over bytes already written (a header's sizes, filled in at the end).
  [[nodiscard]] TFileWriteResult WriteAt(std::uint64_t offset, std::string_view bytes);
  // Cuts the work file back to its first `size` bytes.
  [[nodiscard]] TFileWriteResult Truncate(std::uint64_t size);
  std::uint64_t Size() const { return size_; }
  // Whether the file in its place is not the one that stood there at Open (one appeared,
  // or another replaced or changed it meanwhile): a writer asks before it commits then.
  bool Supplanted() const;
  // Flushes the work file to the disk and renames it over the file.
  [[nodiscard]] TFileWriteResult Commit();
  // Removes the work file; the old file stays.
  void Abandon();

 private:
  // Gives up the file's name in the program's list of files being written.
  void Release();

  int handle_ = -1;
  std::uint64_t size_ = 0;
  // The file at Open: whether there was one, and which (device, node, time, size).
  bool existed_ = false;
  std::uint64_t device_ = 0, node_ = 0, size0_ = 0;
  std::int64_t changed_ = 0;
  std::string held_;  // the name held in the program's list, empty when none
  std::string destination_;
  std::string directory_;
  std::string work_;
};

// A work file of the program's own that nothing reads after a crash (a draft several
// writers fill before one replacement puts it in place, the setup kept beside an undo
// snapshot): while the scope lives, replacements of that file are not forced to the disk
// and are not told to the watcher below.
class TUnforcedFile {
 public:
  explicit TUnforcedFile(const std::string &path);
  ~TUnforcedFile();
  TUnforcedFile(const TUnforcedFile &) = delete;
  TUnforcedFile &operator=(const TUnforcedFile &) = delete;

 private:
  std::string name_;
};

// Told of every file a replacement put in place and forced to the disk, by its name behind
// any links (for the tests that count the writes of one file); null: nobody. Answers the one before.
using TReplaceWatcher = void (*)(const std::string &path);
TReplaceWatcher SetReplaceWatcher(TReplaceWatcher watcher);

// The sentence the user is shown, naming the file and the true cause.
std::string FileWriteFaultText(const std::string &path, const TFileWriteResult &result);
