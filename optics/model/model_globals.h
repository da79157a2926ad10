#pragma once
// Process-wide state of the optical model: the modified flag all systems share, the pending
// message text, the program and temporary directories, the one glass catalog set, the
// trace's saved ray and the density image's raster record. Single-threaded by design.

#include <cstdint>
#include <string>

class TGlassCatalog;
class TCurrentRay;
class TFileData;

// The model-changed flag: one for the whole program, and not the edited system's unsaved
// state (TSystemImage::SetUnsavedChanges). Every change of any system sets it, and the pupil
// solve clears it. Each call also advances a change count, so that a system can
// tell whether its own pupils were solved after the latest change (see TOpticalSystem).
void MarkModelChanged();
int ModelChanged();
void ClearModelChanged();
// Advances with every MarkModelChanged; never repeats within a run.
std::uint64_t ModelChangeCount();

// The text of warnings that must not interrupt ("Chief ray in beam %g does not pass!"),
// one message a line; the editor shows it at its next refresh and empties it.
void AppendPendingMessage(const std::string &text);
const std::string &PendingMessage();
// Answers the text and empties it.
std::string TakePendingMessage();

// The program's directory (fixed at start-up; the running program's own by default).
const std::string &ProgramDir();
void SetProgramDir(const std::string &directory);

// The folder the user's systems are saved in ("os" beside the program).
std::string SystemsDir();
// Where the file boxes for the files of the system named systemName start: its file's
// folder, or the systems folder for a system never named (whose name stands in the
// private temporary directory, where nothing of the user's is kept).
std::string SystemFilesDir(const std::string &systemName);

// The temporary directory: at first use (or by SetupTemporaryDirectory) a private
// subdirectory of TMP, else TEMP, else TMPDIR, else the system's (else of the user's runtime
// directory), locked for this program; empty, with a pending message, when none can be made.
const std::string &TempDir();
// Fixes the temporary directory from the environment now; answers it.
const std::string &SetupTemporaryDirectory();
// Takes another private directory a program of ours left as the temporary one, locked in
// place of the one held (the start that restores its snapshot); false when it cannot be had.
bool MoveToTemporaryDirectory(const std::string &directory);
// Makes the given directory the temporary one (tests, or a caller that chose its own).
void SetTempDir(const std::string &directory);
// The path of name in the temporary directory; empty when there is none. Never the bare
// name: that would be a file of whatever directory the program was started in.
std::string TempPath(const std::string &name);
// Why there is no temporary directory, naming the place tried and the system's reason, and
// what is off for it; empty while there is one. Said at start and by each command refused.
std::string TempDirProblem();

// The glass catalog set the main window creates; null while there is none.
TGlassCatalog *GetGlassCatalog();
void SetGlassCatalog(TGlassCatalog *catalog);

// The trace's saved copy of a ray (starts at the origin).
TCurrentRay &SavedRay();

// The raster record of the density image.
TFileData &DensityFileData();
