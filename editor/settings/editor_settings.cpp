#include "editor/settings/editor_settings.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "foundation/containers/string_class.h"
#include "foundation/textfiles/read_nf.h"

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

std::string SettingsFilePath(const std::string &programDirectory) {
  const std::string beside = Join(programDirectory, kSettingsFileName);
  const std::string userDirectory = UserSettingsDirectory();
  if (userDirectory.empty()) return beside;
  const std::string own = Join(userDirectory, kSettingsFileName);
  if (!Exists(own) && Exists(beside)) {
    std::error_code error;
    fs::copy_file(beside, own, error);
  }
  return own;
}

bool FastOpenRequested(const std::string &programDirectory) {
  return Exists(Join(programDirectory, kFastOpenFileName)) ||
         Exists(Join(UserSettingsDirectory(), kFastOpenFileName));
}

int ReadEditorSettings(const std::string &path, TEditorSettings &settings) {
  TRead1NF file;
  if (file.Open(path, 0) == nullptr) return 0;

  if (file.ReadSection("[Common]")) {
    STRING help;
    file.AddText("HlpFileName", &help);
    file.ParseSection(0);
    if (!help.empty()) settings.helpFileName = help;
  }
  if (file.ReadSection("[Save]")) {
    file.AddInt("EnableSave", &settings.EnableSave);
    file.AddInt("NStepUndoMax", &settings.NStepUndoMax);
    file.ParseSection(0);
  }
  if (file.ReadSection("[Fields]")) {
    int position[4] = {settings.position[0], settings.position[1], settings.position[2],
                       settings.position[3]};
    int size[2] = {0, 0};
    int color[3] = {0, 0, 64};
    const int positionMark = position[0] = position[2] = -0x7fffffff;
    file.AddInt("EnablePosition", &settings.EnablePosition);
    file.AddInt("Position", position, 4);
    file.AddInt("GraphSize", size, 2);
    file.AddInt("BkColor", color, 3);
    file.ParseSection(0);
    if (position[0] != positionMark || position[2] != positionMark) {
      settings.havePosition = true;
      for (int k = 0; k < 4; ++k) settings.position[k] = position[k];
    }
    settings.graphSize[0] = size[0] != 0 ? size[0] : kDefaultGraphWidth;
    settings.graphSize[1] = size[1] != 0 ? size[1] : kDefaultGraphHeight;
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
    if (!name.empty()) settings.systemName = name;
    for (int k = 0; k < kRecentListSize; ++k) settings.recent[k] = files[k];
  }
  if (file.ReadSection("[Options]")) {
    file.AddInt("GridAxes", &settings.GridAxes);
    file.AddInt("FillComponent", &settings.FillComponent);
    file.AddInt("ShowCourseBeam", &settings.ShowCourseBeam);
    file.AddInt("ShowCardinalPlanes", &settings.ShowCardinalPlanes);
    file.AddInt("ViewPropertiesOfSelectedElements", &settings.ViewPropertiesOfSelectedElements);
    file.ParseSection(0);
  }
  // The spot window's place, colour and scale start over before the section is read; its
  // field, ray count and ranges keep what the record held.
  TSpotSettingsRecord &spot = settings.spot;
  spot.position[0] = spot.position[1] = 1;
  spot.bkColor[0] = spot.bkColor[1] = spot.bkColor[2] = 0;
  spot.scaleMode = 0;
  if (file.ReadSection("[Spot]")) {
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
  file.Close();
  return 1;
}

int WriteEditorSettings(const std::string &path, const TEditorSettings &settings) {
  // A read-only file is the user's choice to keep it as it is, whoever runs the program
  // (the administrator may write anything, but the file says it is not to be written).
  struct stat status {};
  if (::stat(path.c_str(), &status) == 0 &&
      ((status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 || ::access(path.c_str(), W_OK) != 0))
    return 0;
  TRead1NF file;
  std::FILE *out = file.Open(path, 1);
  if (out == nullptr) return 0;

  file.SelectSection("[Common]");
  std::fprintf(out, "HlpFileName=%s\n\n", settings.helpFileName.c_str());
  file.Reset();
  file.SelectSection("[Save]");
  std::fprintf(out, "EnableSave=%d\n", settings.EnableSave);
  std::fprintf(out, "NStepUndoMax=%d\n\n", settings.NStepUndoMax);
  file.Reset();
  if (settings.EnableSave == 0) return file.Close();

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
  std::fprintf(out, "SystemName=%s\n\n", settings.systemName.c_str());
  int filed = 0;
  for (int k = 0; k < kRecentListSize && filed < kRecentShown; ++k) {
    if (settings.recent[k].empty()) continue;
    std::fprintf(out, "{ File=\"%s\"; }\n", settings.recent[k].c_str());
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
  std::fprintf(out, "Mmin=%.17g; Mmax=%.17g;\n", spot.Mmin, spot.Mmax);
  std::fprintf(out, "Smin=%.17g; Smax=%.17g;\n\n", spot.Smin, spot.Smax);
  file.Reset();

  for (int p = 0; p < 3; ++p) {
    const TPaletteSettings &palette = settings.palettes[p];
    if (!palette.present) continue;
    file.SelectSection(kPaletteSections[p]);
    std::fprintf(out, "Direction=%d\n", palette.direction);
    std::fprintf(out, "x=%d; y=%d\n\n", palette.x, palette.y);
    file.Reset();
  }
  return file.Close();
}
