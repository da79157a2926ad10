#include "editor/settings/editor_settings.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "foundation/containers/string_class.h"
#include "document/system/options_image.h"
#include "foundation/textfiles/read_nf.h"
#include "foundation/textfiles/section_keys.h"
#include "optics/systemfile/system_file_format.h"

namespace {

namespace fs = std::filesystem;

constexpr const char *kUserDirectoryName = "korvex";

bool Exists(const std::string &path) {
  std::error_code error;
  return !path.empty() && fs::is_regular_file(path, error);
}

std::string Join(const std::string &directory, const char *name) {
  if (directory.empty()) return name;
  return directory.back() == '/' ? directory + name : directory + "/" + name;
}

const char *const kPaletteSections[3] = {"[Tools bar]", "[Configuration bar]", "[Alignment bar]"};

// Values beyond these are no settings of ours: the canvas bitmap, a spot cell and the
// spot's rays are sized from them at start-up, and a colour part is one byte.
constexpr int kLargestGraphSide = 16384;
constexpr int kLargestSpotField = 4096;
constexpr int kMostSpotRays = 1000000;
constexpr int kLargestColorPart = 255;
constexpr int kLargestSpotScale = 2;

// Holds value to least .. most; a value moved is named in notes.
void Bound(const char *key, int &value, int least, int most, std::string &notes) {
  if (value >= least && value <= most) return;
  const int taken = value < least ? least : most;
  notes += "\n" + std::string(key) + "=" + std::to_string(value) + " is taken as " + std::to_string(taken) + ".";
  value = taken;
}

// A limit that is no finite number goes back to what it was.
void Finite(const char *key, double &value, double kept, std::string &notes) {
  if (std::isfinite(value)) return;
  notes += "\n" + std::string(key) + " is not a number; " + FormatNumber(kept) + " is kept.";
  value = kept;
}

void BoundColor(const char *key, int color[3], std::string &notes) {
  for (int k = 0; k < 3; ++k) Bound(key, color[k], 0, kLargestColorPart, notes);
}

}  // namespace

std::string UserSettingsDirectory() {
  std::string base;
  if (const char *config = std::getenv("XDG_CONFIG_HOME"); config != nullptr && *config == '/')
    base = config;
  else if (const char *home = std::getenv("HOME"); home != nullptr && *home != '\0')
    base = std::string(home) + "/.config";
  if (base.empty()) return {};
  const std::string directory = Join(base, kUserDirectoryName);
  std::error_code error;
  fs::create_directories(directory, error);
  return fs::is_directory(directory, error) ? directory : std::string();
}

std::string UserFilePath(const std::string &programDirectory, const char *name) {
  const std::string beside = Join(programDirectory, name);
  const std::string userDirectory = UserSettingsDirectory();
  if (userDirectory.empty()) return beside;
  const std::string own = Join(userDirectory, name);
  if (!Exists(own) && Exists(beside)) {
    std::error_code error;
    fs::copy_file(beside, own, error);
  }
  return own;
}

std::string SettingsFilePath(const std::string &programDirectory) {
  return UserFilePath(programDirectory, kSettingsFileName);
}

bool FastOpenRequested(const std::string &programDirectory) {
  return Exists(Join(programDirectory, kFastOpenFileName)) ||
         Exists(Join(UserSettingsDirectory(), kFastOpenFileName));
}

namespace {

// Closes the writer: 1 when the file was written, else 0 with the cause.
int Finish(TRead1NF &file, TFileWriteResult &result) {
  const int written = file.Close();
  result = file.WriteResult();
  if (written == 0 && result.Written()) result = TFileWriteResult{TFileWriteFault::kFailed, EIO};
  return written;
}

}  // namespace

int ReadEditorSettings(const std::string &path, TEditorSettings &settings, std::string *notesOut) {
  TRead1NF file;
  if (file.Open(path, 0) == nullptr) return 0;
  std::string notes;
  // A damaged file is still read as far as it goes (the settings are the user's), and said.
  const std::string damage = file.ScanDamage(true, false);
  if (!damage.empty()) notes += "\nAs " + damage + ", what could be read is used.";

  // The windows keep their own sections in the file: only a header near one read is told.
  file.NameUnknownSections(nullptr, true);
  if (file.ReadSection("[Common]")) {
    STRING help;
    file.AddText("HlpFileName", &help);
    file.ParseSection(0);
    if (!help.empty()) settings.helpFileName = DecodeFileName(help);
  }
  if (file.ReadSection("[Save]")) {
    file.AddInt("EnableSave", &settings.EnableSave);
    file.AddInt("NStepUndoMax", &settings.NStepUndoMax);
    file.ParseSection(0);
    // The undo ring is sized from it at start-up: no more than the preferences offer.
    Bound("NStepUndoMax", settings.NStepUndoMax, kMinUndoSteps, kMaxUndoSteps, notes);
  }
  if (file.ReadSection("[Fields]")) {
    int position[4] = {settings.position[0], settings.position[1], settings.position[2],
                       settings.position[3]};
    int size[2] = {kDefaultGraphWidth, kDefaultGraphHeight};
    int color[3] = {0, 0, 64};
    const int positionMark = position[0] = position[2] = -0x7fffffff;
    file.AddInt("EnablePosition", &settings.EnablePosition);
    file.AddInt("Position", position, 4);
    file.AddInt("GraphSize", size, 2);
    file.AddInt("BkColor", color, 3);
    // The mark of a place not given lies outside: a value not read is said as none used.
    file.Limit("Position", positionMark + 1, 0x7fffffff);
    file.ParseSection(0);
    if (position[0] != positionMark || position[2] != positionMark) {
      settings.havePosition = true;
      for (int k = 0; k < 4; ++k) settings.position[k] = position[k];
    }
    settings.graphSize[0] = size[0] != 0 ? size[0] : kDefaultGraphWidth;
    settings.graphSize[1] = size[1] != 0 ? size[1] : kDefaultGraphHeight;
    Bound("GraphSize", settings.graphSize[0], 1, kLargestGraphSide, notes);
    Bound("GraphSize", settings.graphSize[1], 1, kLargestGraphSide, notes);
    BoundColor("BkColor", color, notes);
    for (int k = 0; k < 3; ++k) settings.bkColor[k] = color[k];
  }
  for (std::string &entry : settings.recent) entry.clear();
  if (file.ReadSection("[Names]")) {
    STRING name;
    STRING files[kRecentListSize];
    file.AddInt("EnableName", &settings.EnableName);
    file.AddText("SystemName", &name);
    file.AddText("File", files, kRecentListSize);
    file.ParseSection(0);
    // Names are written escaped as in the system file (a quote or a line end would end or
    // split the item); earlier files hold them raw, which read the same unless they hold
    // such an escape themselves.
    if (!name.empty()) settings.systemName = DecodeFileName(name);
    for (int k = 0; k < kRecentListSize; ++k) settings.recent[k] = DecodeFileName(files[k]);
  }
  if (file.ReadSection("[Options]")) {
    file.AddInt("GridAxes", &settings.GridAxes);
    file.AddInt("FillComponent", &settings.FillComponent);
    file.AddInt("ShowCourseBeam", &settings.ShowCourseBeam);
    file.AddInt("ShowCardinalPlanes", &settings.ShowCardinalPlanes);
    file.AddInt("ViewPropertiesOfSelectedElements", &settings.ViewPropertiesOfSelectedElements);
    // Each is a check box: on or off.
    for (const char *key : {"GridAxes", "FillComponent", "ShowCourseBeam", "ShowCardinalPlanes",
                            "ViewPropertiesOfSelectedElements"})
      file.Limit(key, 0, 1);
    file.ParseSection(0);
  }
  // The spot window's place, colour and scale start over before the section is read; its
  // field, ray count and ranges keep what the record held.
  TSpotSettingsRecord &spot = settings.spot;
  spot.position[0] = spot.position[1] = 1;
  spot.bkColor[0] = spot.bkColor[1] = spot.bkColor[2] = 0;
  spot.scaleMode = 0;
  if (file.ReadSection("[Spot]")) {
    const TSpotSettingsRecord before = spot;
    file.AddInt("Field", &spot.fieldSize);
    file.AddInt("Nray", &spot.rayNumber);
    file.AddInt("Position", spot.position, 2);
    file.AddInt("BkColor", spot.bkColor, 3);
    file.AddInt("Scale", &spot.scaleMode);
    file.AddDouble("Mmin", &spot.Mmin);
    file.AddDouble("Mmax", &spot.Mmax);
    file.AddDouble("Smin", &spot.Smin);
    file.AddDouble("Smax", &spot.Smax);
    file.ParseSection(0);
    Bound("Field", spot.fieldSize, 0, kLargestSpotField, notes);
    Bound("Nray", spot.rayNumber, 0, kMostSpotRays, notes);
    Bound("Scale", spot.scaleMode, 0, kLargestSpotScale, notes);
    BoundColor("BkColor", spot.bkColor, notes);
    Finite("Mmin", spot.Mmin, before.Mmin, notes);
    Finite("Mmax", spot.Mmax, before.Mmax, notes);
    Finite("Smin", spot.Smin, before.Smin, notes);
    Finite("Smax", spot.Smax, before.Smax, notes);
  }
  for (int p = 0; p < 3; ++p) {
    if (!file.ReadSection(kPaletteSections[p])) continue;
    TPaletteSettings &palette = settings.palettes[p];
    palette.present = true;
    file.AddInt("Direction", &palette.direction);
    file.AddInt("x", &palette.x);
    file.AddInt("y", &palette.y);
    file.ParseSection(0);
  }
  // Keys misspelt or given twice and values not of their kind: named by key and line.
  std::vector<TReadNFKeyNote> keys = file.KeyNotes();
  file.Close();
  // A key the writer always writes that the file lacks keeps the setting as it was: said,
  // with the value the next save writes.
  const std::vector<TReadNFKeyNote> leftOut = KeysLeftOutOf(
      path, [&settings](const std::string &scratch) { return WriteEditorSettings(scratch, settings) == 1; }, {}, false);
  keys.insert(keys.end(), leftOut.begin(), leftOut.end());
  const std::string keyNotes = KeyNotesText(keys, "The settings file " + path);
  if (!keyNotes.empty()) notes += "\n" + keyNotes.substr(0, keyNotes.size() - 1);
  if (notesOut != nullptr) *notesOut = notes;
  return 1;
}

int WriteEditorSettings(const std::string &path, const TEditorSettings &settings, TFileWriteResult *why) {
  TFileWriteResult ignored;
  TFileWriteResult &result = why != nullptr ? *why : ignored;
  // A read-only file is the user's choice to keep it as it is, whoever runs the program
  // (the administrator may write anything, but the file says it is not to be written):
  // the writer refuses it.
  TRead1NF file;
  std::FILE *out = file.Open(path, 1);
  result = file.WriteResult();
  if (out == nullptr) return 0;

  file.SelectSection("[Common]");
  std::fprintf(out, "HlpFileName=%s\n\n", EncodeFileName(settings.helpFileName).c_str());
  file.Reset();
  file.SelectSection("[Save]");
  std::fprintf(out, "EnableSave=%d\n", settings.EnableSave);
  std::fprintf(out, "NStepUndoMax=%d\n\n", settings.NStepUndoMax);
  file.Reset();
  if (settings.EnableSave == 0) return Finish(file, result);

  file.SelectSection("[Fields]");
  std::fprintf(out, "EnablePosition=%d\n", settings.EnablePosition);
  std::fprintf(out, "Position=%d, %d, %d, %d\n", settings.position[0], settings.position[1],
               settings.position[2], settings.position[3]);
  std::fprintf(out, "GraphSize=%d, %d\n", settings.graphSize[0], settings.graphSize[1]);
  std::fprintf(out, "BkColor=%d, %d, %d\n\n", settings.bkColor[0], settings.bkColor[1],
               settings.bkColor[2]);
  file.Reset();

  file.SelectSection("[Names]");
  std::fprintf(out, "EnableName=%d\n", settings.EnableName);
  std::fprintf(out, "SystemName=%s\n\n", EncodeFileName(settings.systemName).c_str());
  int filed = 0;
  for (int k = 0; k < kRecentListSize && filed < kRecentShown; ++k) {
    if (settings.recent[k].empty()) continue;
    std::fprintf(out, "{ File=\"%s\"; }\n", EncodeFileName(settings.recent[k]).c_str());
    ++filed;
  }
  if (filed > 0) std::fprintf(out, "\n");
  file.Reset();

  file.SelectSection("[Options]");
  std::fprintf(out, "GridAxes=%d\n", settings.GridAxes);
  std::fprintf(out, "FillComponent=%d\n", settings.FillComponent);
  std::fprintf(out, "ShowCourseBeam=%d\n", settings.ShowCourseBeam);
  std::fprintf(out, "ShowCardinalPlanes=%d\n", settings.ShowCardinalPlanes);
  std::fprintf(out, "ViewPropertiesOfSelectedElements=%d\n\n",
               settings.ViewPropertiesOfSelectedElements);
  file.Reset();

  const TSpotSettingsRecord &spot = settings.spot;
  file.SelectSection("[Spot]");
  std::fprintf(out, "Field=%d\n", spot.fieldSize);
  std::fprintf(out, "Nray=%d\n", spot.rayNumber);
  std::fprintf(out, "Position=%d, %d;\n", spot.position[0], spot.position[1]);
  std::fprintf(out, "BkColor=%d, %d, %d;\n", spot.bkColor[0], spot.bkColor[1], spot.bkColor[2]);
  std::fprintf(out, "Scale=%d;\n", spot.scaleMode);
  // Written without the process's locale: a decimal comma would read back as two values.
  std::fprintf(out, "Mmin=%s; Mmax=%s;\n", FormatNumber(spot.Mmin).c_str(), FormatNumber(spot.Mmax).c_str());
  std::fprintf(out, "Smin=%s; Smax=%s;\n\n", FormatNumber(spot.Smin).c_str(), FormatNumber(spot.Smax).c_str());
  file.Reset();

  for (int p = 0; p < 3; ++p) {
    const TPaletteSettings &palette = settings.palettes[p];
    if (!palette.present) continue;
    file.SelectSection(kPaletteSections[p]);
    std::fprintf(out, "Direction=%d\n", palette.direction);
    std::fprintf(out, "x=%d; y=%d\n\n", palette.x, palette.y);
    file.Reset();
  }
  return Finish(file, result);
}
