#include "optics/model/model_globals.h"

#include <cstdlib>
#include <cstring>

#include "optics/model/file_data.h"
#include "optics/model/ray.h"
#include "optics/model/temporary_directory.h"
#include "platform/core/paths.h"

namespace {

int modifiedFlag = 0;
std::uint64_t changeCount = 0;
TGlassCatalog *glassCatalog = nullptr;

std::string &PendingText() {
  static std::string text;
  return text;
}

std::string &ProgramDirText() {
  static std::string text = ProgramDirectory();
  return text;
}

struct TTempDirState {
  bool fixed = false;
  std::string path;
  // Where a private directory was last tried, and the system's reason it could not be had.
  std::string triedBase;
  std::string failure;
  TTemporaryDirectoryLock lock;
};

TTempDirState &TempDirState() {
  static TTempDirState state;
  return state;
}

// Whether text holds line as one of its whole lines.
bool HoldsLine(const std::string &text, const std::string &line) {
  for (std::size_t at = text.find(line); at != std::string::npos; at = text.find(line, at + 1)) {
    const std::size_t end = at + line.size();
    if ((at == 0 || text[at - 1] == '\n') && (end == text.size() || text[end] == '\n')) return true;
  }
  return false;
}

}  // namespace

void MarkModelChanged() {
  modifiedFlag = 1;
  ++changeCount;
}

int ModelChanged() { return modifiedFlag; }

void ClearModelChanged() { modifiedFlag = 0; }

std::uint64_t ModelChangeCount() { return changeCount; }

void AppendPendingMessage(const std::string &text) {
  if (text.empty()) return;
  std::string &pending = PendingText();
  // Each warning is told once however often the model is solved before it is shown: a
  // line already waiting is not added again.
  if (HoldsLine(pending, text)) return;
  if (!pending.empty() && pending.back() != '\n') pending += '\n';
  pending += text;
}

const std::string &PendingMessage() { return PendingText(); }

std::string TakePendingMessage() {
  std::string text;
  text.swap(PendingText());
  return text;
}

const std::string &ProgramDir() { return ProgramDirText(); }

void SetProgramDir(const std::string &directory) { ProgramDirText() = directory; }

const std::string &TempDir() {
  TTempDirState &state = TempDirState();
  if (!state.fixed) SetupTemporaryDirectory();
  return state.path;
}

const std::string &SetupTemporaryDirectory() {
  TTempDirState &state = TempDirState();
  state.triedBase = TemporaryBaseDirectory();
  state.path = state.lock.Acquire(state.triedBase);
  state.failure = state.path.empty() ? std::strerror(state.lock.FailureCode()) : "";
  // The user's runtime directory is private to the user too.
  const char *runtime = std::getenv("XDG_RUNTIME_DIR");
  if (state.path.empty() && runtime != nullptr && runtime[0] == '/') {
    state.path = state.lock.Acquire(runtime);
    if (state.path.empty())
      state.failure += std::string("; in ") + runtime + ": " + std::strerror(state.lock.FailureCode());
  }
  state.fixed = true;
  return state.path;
}

bool MoveToTemporaryDirectory(const std::string &directory) {
  TTempDirState &state = TempDirState();
  if (!state.lock.AcquireDirectory(directory)) return false;
  state.path = directory;
  state.fixed = true;
  return true;
}

void SetTempDir(const std::string &directory) {
  TTempDirState &state = TempDirState();
  state.lock.Release();
  state.path = directory;
  state.triedBase.clear();
  state.failure.clear();
  state.fixed = true;
}

std::string SystemsDir() { return JoinPath(ProgramDir(), "os"); }

std::string SystemFilesDir(const std::string &systemName) {
  const std::size_t slash = systemName.find_last_of('/');
  const std::string directory = slash == std::string::npos ? std::string() : systemName.substr(0, slash);
  if (directory.empty() || (!TempDir().empty() && directory == TempDir())) return SystemsDir();
  return directory;
}

std::string TempPath(const std::string &name) {
  const std::string &directory = TempDir();
  return directory.empty() ? std::string() : JoinPath(directory, name);
}

std::string TempDirProblem() {
  const TTempDirState &state = TempDirState();
  if (!TempDir().empty()) return std::string();
  std::string text = "No private temporary directory could be made";
  if (!state.triedBase.empty()) text += " in " + state.triedBase;
  if (!state.failure.empty()) text += " (" + state.failure + ")";
  return text +
         ".\nUndo, printing and turning the system, the PSF and MTF window, image synthesis and the "
         "text reports need one: they are off in this session, and nothing is written elsewhere in "
         "its place.";
}

TGlassCatalog *GetGlassCatalog() { return glassCatalog; }

void SetGlassCatalog(TGlassCatalog *catalog) { glassCatalog = catalog; }

TCurrentRay &SavedRay() {
  static TCurrentRay ray(0.0, 0.0, 0.0);
  return ray;
}

TFileData &DensityFileData() {
  static TFileData record;
  return record;
}
