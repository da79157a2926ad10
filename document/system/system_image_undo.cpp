// The undo ring: after every edit the whole system is written as "Undo<k>.os" in the
// temporary directory, k the undo index modulo the ring size. The snapshot at the index is
// the current state; the ring keeps at most ring size - 1 steps back.

#include <cctype>
#include <filesystem>
#include <system_error>
#include <utility>
#include <vector>

#include "document/system/system_image.h"
#include "foundation/filewrite/file_replace.h"
#include "foundation/helpers/file_list.h"
#include "optics/model/model_globals.h"
#include "platform/core/message_box.h"
#include "platform/core/paths.h"

namespace {

const char *const kUndoPrefix = "Undo";
const char *const kUndoExtension = ".os";
// The copy of the opened system that the editor keeps beside the ring.
const char *const kSystemCopyName = "~~system.tmp";

std::string UndoPath(int slot) { return TempPath(UndoFileName(slot)); }
std::string UndoSetupPath(int slot) { return TempPath(UndoSetupFileName(slot)); }

// The snapshot on the screen is made the newest of the ring, so that the restore after a
// crash, which takes the newest, brings back what was shown, also after an Undo or a Redo
// brought back an older one. The time is set, not left to the write, whose clock is coarser.
void MarkShown(const std::string &path) {
  std::error_code ignored;
  std::filesystem::last_write_time(path, std::filesystem::file_time_type::clock::now(), ignored);
}

std::string BaseName(const std::string &path) {
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

std::string UndoFileName(int slot) { return kUndoPrefix + std::to_string(slot) + kUndoExtension; }

std::string UndoSetupFileName(int slot) { return kUndoPrefix + std::to_string(slot) + ".par"; }

void TSystemImage::KeepSetupOfStep() {
  if (setupKeeper_ == nullptr || TempDir().empty() || options.undoIndex < 1) return;
  const std::string path = UndoSetupPath(options.undoIndex % options.RingSize());
  if (!setupKeeper_->StoreSetup(path)) DeleteFileIfExists(path);
  setupOfStepKept_ = true;
}

bool IsUndoFileName(const std::string &fileName) {
  const std::string prefix = kUndoPrefix;
  const std::string extension = kUndoExtension;
  if (fileName.size() <= prefix.size() + extension.size()) return false;
  if (fileName.compare(0, prefix.size(), prefix) != 0) return false;
  if (fileName.compare(fileName.size() - extension.size(), extension.size(), extension) != 0)
    return false;
  for (std::size_t i = prefix.size(); i < fileName.size() - extension.size(); ++i)
    if (!std::isdigit(static_cast<unsigned char>(fileName[i]))) return false;
  return true;
}

int ListUndoFiles(const std::string &directory, Mem<STRING> &list) {
  Mem<STRING> files;
  // No private directory: there are no undo files (never those of the current directory).
  if (directory.empty()) {
    list.Clear();
    return 0;
  }
  const int count = ListFiles(directory, "Undo*.os", files);
  int kept = 0;
  for (int i = 0; i < count; ++i)
    if (IsUndoFileName(BaseName(files.data[i]))) files.data[kept++] = files.data[i];
  if (kept == 0) {
    list.Clear();
    return 0;
  }
  if (files.Resize(kept, 1) != kept) return 0;
  list = files;
  return kept;
}

void RemoveUndoFiles(const std::string &directory) {
  Mem<STRING> files;
  const int count = ListUndoFiles(directory, files);
  for (int i = 0; i < count; ++i) {
    const std::string snapshot = files.data[i];
    DeleteFileIfExists(snapshot);
    DeleteFileIfExists(snapshot.substr(0, snapshot.size() - std::string(kUndoExtension).size()) + ".par");
  }
}

int TSystemImage::SaveUndo(const std::string &label, int shownBefore) {
  // Without a private temporary directory no snapshot is written anywhere.
  if (TempDir().empty()) return 0;
  const int ringSize = options.RingSize();
  const int current = currentConfiguration;
  const TViewWindow keptView = viewWindow;
  StoreConfiguration(-1);
  // Surfaces moved by the change and not yet followed by the setup are followed now.
  FollowSurfaceNumbers();
  const bool moved = current != 0 && SelectConfiguration(0) != 0;
  // The step left keeps the setup it had before this change (a change of the setup alone
  // takes no step of its own).
  const bool keptNow = !setupOfStepKept_ && options.undoIndex >= 1;
  if (!setupOfStepKept_) KeepSetupOfStep();
  setupOfStepKept_ = false;
  const std::string keptSetup = keptNow ? UndoSetupPath(options.undoIndex % ringSize) : std::string();
  const int index = options.undoIndex + 1;
  const std::string path = UndoPath(index % ringSize);
  // The slot's older snapshot goes first, so nothing of it survives in the new one.
  DeleteFileIfExists(path);
  DeleteFileIfExists(UndoSetupPath(index % ringSize));
  if (lender_ != nullptr) lender_->SwapForSnapshot();
  // The sections the file's reader left out stay with the file, not with the snapshots.
  auto configurationsLeftOut = std::exchange(configurationsLeftOut_, {});
  auto surfaceSectionsLeftOut = std::exchange(sectionsLeftOut, {});
  TFileWriteResult why;
  const int written = SaveOwn(path, &why);
  configurationsLeftOut_ = std::move(configurationsLeftOut);
  sectionsLeftOut = std::move(surfaceSectionsLeftOut);
  if (lender_ != nullptr) lender_->SwapForSnapshot();
  // Told on the status bar, once however often the command takes a snapshot: Undo now takes
  // this change back with the one before it.
  if (!written)
    AppendPendingMessage("No Undo step of its own for this change: " + FileWriteFaultText(path, why));
  if (written) {
    MarkShown(path);
    // The setup stands beside the snapshot, never in it.
    // Kept a moment ago, with nothing changed since, it is the same: copied, not written anew.
    if (const std::string setup = UndoSetupPath(index % ringSize); keptNow && setupKeeper_ != nullptr) {
      const TUnforcedFile copy(setup);
      std::string bytes;
      if (ReadFileBytes(keptSetup, bytes)) static_cast<void>(ReplaceFileContents(setup, bytes));
    } else if (setupKeeper_ != nullptr) {
      static_cast<void>(setupKeeper_->StoreSetup(setup));
    }
    ++revision_;
    options.undoIndex = index;
    options.SetLabel(index, label);
    options.SetShown(index, shownBefore, shownBefore >= 0 ? current : -1);
    options.redoBound = index + 1;
    stepNumbered_ = numbered_;
  }
  // A snapshot that could not be written is not a step: the index stays where it was.
  if (moved) SelectConfiguration(current);
  viewWindow = keptView;
  return written;
}

int TSystemImage::LoadSnapshot(int slot, int shown) {
  if (TempDir().empty()) return 0;
  const int ringSize = options.RingSize();
  const std::string path = UndoPath(slot % ringSize);
  std::vector<int> marks;
  for (int e = 0; e < ElementCount(); ++e) marks.push_back(elements.data[e].mark);
  const int current = shown >= 0 ? shown : currentConfiguration;
  const TViewWindow keptView = viewWindow;
  // The snapshot is written in the base configuration and read in it; the sections the
  // file's reader left out are the file's still.
  auto configurationsLeftOut = configurationsLeftOut_;
  auto surfaceSectionsLeftOut = sectionsLeftOut;
  const int loaded = FileExists(path) ? LoadOwn(path) : 0;
  configurationsLeftOut_ = std::move(configurationsLeftOut);
  sectionsLeftOut = std::move(surfaceSectionsLeftOut);
  if (loaded == 0) return 0;
  MarkShown(path);
  // The setup of the step comes back with its system; a step that kept none leaves it.
  if (const std::string setup = UndoSetupPath(slot % ringSize); setupKeeper_ != nullptr && FileExists(setup))
    setupKeeper_->RestoreSetup(setup);
  setupOfStepKept_ = false;
  if (current > 0 && current < ConfigurationCount()) SelectConfiguration(current);
  stepNumbered_ = numbered_;
  // The element under the cursor stays highlighted when the restored system has it.
  for (int e = 0; e < ElementCount() && e < static_cast<int>(marks.size()); ++e)
    elements.data[e].mark = marks[e];
  hasSelection = 0;
  for (int e = 0; e < ElementCount(); ++e) hasSelection |= elements.data[e].mark != 0 ? 1 : 0;
  viewWindow = keptView;
  modified_ = 1;
  return 1;
}

int TSystemImage::Undo(int step) {
  const int ringSize = options.RingSize();
  // The step left keeps the setup as it stands, which its Redo brings back.
  if (step < 0) KeepSetupOfStep();
  if (step < 0) --options.undoIndex;
  const int index = options.undoIndex;
  if (index < 1 || index < options.redoBound - ringSize) {
    if (step < 0) ++options.undoIndex;
    MessageBeep(MB_SIMPLEBEEP);
    return 0;
  }
  // A step that changed the list of configurations is undone to the one shown before it,
  // and done again to the one shown after it.
  const int shown = step < 0 ? options.ShownBefore(index + 1) : options.ShownAfter(index);
  if (!LoadSnapshot(step < 0 ? index : step, shown)) {
    if (step < 0) ++options.undoIndex;
    MessageBeep(MB_SIMPLEBEEP);
    return 0;
  }
  return 1;
}

int TSystemImage::Redo() {
  const int index = options.undoIndex + 1;
  if (index >= options.redoBound) {
    MessageBeep(MB_SIMPLEBEEP);
    return 0;
  }
  KeepSetupOfStep();
  options.undoIndex = index;
  if (!Undo(index % options.RingSize())) {
    options.undoIndex = index - 1;
    return 0;
  }
  return 1;
}

int TSystemImage::CanUndo() const {
  const int index = options.undoIndex;
  return index > 1 && index > options.redoBound - options.RingSize() ? 1 : 0;
}

int TSystemImage::CanRedo() const { return options.undoIndex + 1 < options.redoBound ? 1 : 0; }

std::string TSystemImage::UndoMenuText() const {
  if (!CanUndo()) return "Can't Undo";
  return "Undo " + options.Label(options.undoIndex) + " (ctrl-Z)";
}

std::string TSystemImage::RedoMenuText() const {
  if (!CanRedo()) return "Can't Redo";
  return "Redo " + options.Label(options.undoIndex + 1) + " (ctrl-Y)";
}

void TSystemImage::DeleteUndoFiles() {
  Mem<STRING> files;
  const int count = ListUndoFiles(TempDir(), files);
  for (int i = 0; i < count; ++i) DeleteFileIfExists(files.data[i]);
  // The setup beside each snapshot goes with it.
  for (int slot = 0; slot < options.RingSize(); ++slot)
    if (const std::string setup = UndoSetupPath(slot); !setup.empty()) DeleteFileIfExists(setup);
  if (const std::string copy = TempPath(kSystemCopyName); !copy.empty()) DeleteFileIfExists(copy);
  ownTexts_.clear();
  options.ResetUndoRing();
}
