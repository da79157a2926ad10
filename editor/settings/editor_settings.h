#pragma once
// The editor's settings file: its values as one record, where the file lives, and how it
// is read and written section by section so that the sections other windows keep in the
// same file ([Aberrations Window], [Properties table], any unknown one) survive a write
// byte for byte. Uses foundation's sectioned text files and the spot settings record of
// analysis/spot; no window code.

#include <string>

#include "analysis/spot/spot_computation.h"
#include "foundation/filewrite/file_replace.h"

// The one name of the settings file, in every place that opens it.
constexpr const char *kSettingsFileName = "RodIru2Z.ini";
// A file of this name beside the program or the settings shortens the start-up picture.
constexpr const char *kFastOpenFileName = "fast_open.ini";

// The canvas bitmap a file without a size asks for.
constexpr int kDefaultGraphWidth = 550;
constexpr int kDefaultGraphHeight = 380;
// Entries of the recent-systems list, and how many of them are filed and shown.
constexpr int kRecentListSize = 10;
constexpr int kRecentShown = 5;

// One floating palette's place: its orientation and its window's left and top.
struct TPaletteSettings {
  bool present = false;  // the palette existed when the file was written / the file had it
  int direction = 0;
  int x = 0;
  int y = 0;
};

// Everything the editor keeps between runs. A read fills only what the file holds, so the
// caller fills the record with its present state (the options' defaults) first.
struct TEditorSettings {
  std::string helpFileName;
  int EnableSave = 1;
  int NStepUndoMax = 10;
  int EnablePosition = 1;
  bool havePosition = false;       // the file gave a frame rectangle
  int position[4] = {0, 0, 0, 0};  // left, top, right, bottom
  int graphSize[2] = {kDefaultGraphWidth, kDefaultGraphHeight};
  int bkColor[3] = {0, 0, 64};
  int EnableName = 1;
  std::string systemName;
  std::string recent[kRecentListSize];  // most recent first
  int GridAxes = 0;
  int FillComponent = 0;
  int ShowCourseBeam = 1;
  int ShowCardinalPlanes = 0;
  int ViewPropertiesOfSelectedElements = 0;
  TSpotSettingsRecord spot;
  // Tools palette, configurations palette, zoom (alignment) palette.
  TPaletteSettings palettes[3];
};

// The per-user directory the settings file lives in: $XDG_CONFIG_HOME/korvex, else
// ~/.config/korvex (made when missing). Empty when neither can be made.
std::string UserSettingsDirectory();

// A file of the user's own, named name, in the user's settings directory: when it does not
// exist yet and the program directory holds one (an installation's defaults), that one is
// copied there first. Without a settings directory, the one in the program directory.
std::string UserFilePath(const std::string &programDirectory, const char *name);

// The settings file to use (UserFilePath of "RodIru2Z.ini").
std::string SettingsFilePath(const std::string &programDirectory);

// Whether "fast_open.ini" stands beside the program or in the user's settings directory.
bool FastOpenRequested(const std::string &programDirectory);

// Reads the file into the record: a missing section or key leaves its value as it was; a
// size of 0 becomes 550 x 380. Values beyond what the program offers are held to it (the
// undo depth to what the preferences offer, the canvas and spot sizes, colour parts), a
// limit that is no number keeps its value; notes, when given, gets one line for each and
// for a damaged file (empty when all was well). Answers 1 when the file was read, 0 when
// it could not be opened (the record is then unchanged).
int ReadEditorSettings(const std::string &path, TEditorSettings &settings, std::string *notes = nullptr);

// Writes the record's sections into the file, keeping every other section: nothing when
// the file is read-only; only [Common] and [Save] when EnableSave is 0. At most five recent
// entries are filed. Answers 1 when the file was written; why, when given, says why not.
int WriteEditorSettings(const std::string &path, const TEditorSettings &settings,
                        TFileWriteResult *why = nullptr);
