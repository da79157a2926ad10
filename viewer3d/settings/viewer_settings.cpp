#include "viewer3d/settings/viewer_settings.h"

#include <sys/stat.h>

#include <cmath>
#include <cstdio>

#include <vector>

#include "foundation/textfiles/read_nf.h"

namespace {

std::string Join(const std::string &directory, const char *name) {
  if (directory.empty()) return name;
  return directory.back() == '/' ? directory + name : directory + "/" + name;
}

bool IsFile(const std::string &path) {
  struct stat info {};
  return !path.empty() && ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

std::string Number(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%.10g", value);
  return text;
}

// Collects the faults of one reading under the file's name.
class TFaults {
 public:
  TFaults(const std::string &path, const char *section) : path_(path), section_(section) {}
  void Add(const char *key, const std::string &value, const std::string &fallback) {
    text_ += (text_.empty() ? "" : "\n") + std::string("File ") + path_ + ", " + section_ + " " + key + "=" +
             value + ": not usable, " + fallback + " is taken.";
  }
  void Unreadable() {
    text_ += (text_.empty() ? "" : "\n") + std::string("File ") + path_ + ", " + section_ +
             ": the section cannot be read whole; its defaults are taken.";
  }
  const std::string &Text() const { return text_; }

 private:
  const std::string &path_;
  const char *section_;
  std::string text_;
};

// Keeps value when it lies within [low, high], else puts the fallback back and notes it.
void Bound(TFaults &faults, const char *key, int &value, int low, int high, int fallback) {
  if (value >= low && value <= high) return;
  faults.Add(key, std::to_string(value), std::to_string(fallback));
  value = fallback;
}

// The same for degrees: finite and |value| within the bound (above 0 when asked).
void BoundDegrees(TFaults &faults, const char *key, double &value, double bound, bool nonZero,
                  double fallback) {
  if (std::isfinite(value) && std::fabs(value) <= bound && (!nonZero || value != 0.0)) return;
  faults.Add(key, Number(value), Number(fallback));
  value = fallback;
}

// Reads one section: the variables registered, the section parsed, and the values then
// checked and taken; a section the reader cannot read whole leaves every value as it was.
template <class Register, class Take>
TSettingsReading ReadSectionOf(const std::string &path, const char *section, Register registerKeys, Take take) {
  TSettingsReading reading;
  TRead1NF file;
  reading.opened = file.Open(path, 0) != nullptr;
  if (!reading.opened || file.ReadSection(section) == 0) return reading;
  registerKeys(file);
  TFaults faults(path, section);
  if (file.ParseSection(0) == 0) {
    faults.Unreadable();
  } else {
    take(faults);
  }
  reading.fault = faults.Text();
  // Keys misspelt or given twice and values not of their kind: named by key and line.
  // Each reading registers only its own keys of the section, so keys it does not know
  // are another reading's: only what the values and records hold is told here.
  std::vector<TReadNFKeyNote> held = file.KeyNotes();
  std::erase_if(held, [](const TReadNFKeyNote &note) {
    return note.kind == TReadNFNoteKind::kUnknownKey || note.kind == TReadNFNoteKind::kNotAKey;
  });
  std::string notes = KeyNotesText(held, "File " + path);
  while (!notes.empty() && notes.back() == '\n') notes.pop_back();
  if (!notes.empty()) reading.fault += (reading.fault.empty() ? "" : "\n") + notes;
  return reading;
}

}  // namespace

std::string ViewerSettingsPath(const std::string &programDirectory, const std::string &userDirectory) {
  if (!userDirectory.empty()) {
    const std::string own = Join(userDirectory, kViewerSettingsFileName);
    if (IsFile(own)) return own;
  }
  return Join(programDirectory, kViewerSettingsFileName);
}

TSettingsReading ReadSceneSize(const std::string &path, int &width, int &height) {
  int readWidth = width, readHeight = height;
  return ReadSectionOf(
      path, "[Viewer]",
      [&](TRead1NF &file) { file.AddInt2("iwSize", &readWidth, "ihSize", &readHeight); },
      [&](TFaults &faults) {
        Bound(faults, "iwSize", readWidth, kSceneSizeMin, kSceneSizeMax, width);
        Bound(faults, "ihSize", readHeight, kSceneSizeMin, kSceneSizeMax, height);
        width = readWidth;
        height = readHeight;
      });
}

TSettingsReading ReadViewerSettings(const std::string &path, TViewerSettings &settings) {
  const TViewerSettings defaults;
  settings = defaults;
  int quality = defaults.nQuality;
  double stepDegrees = defaults.rotStep * kDegreesPerRadian;
  double turnDegrees[3] = {0.0, 0.0, 0.0};
  const char *turnKeys[3] = {"RotStep_x0", "RotStep_y0", "RotStep_z0"};
  return ReadSectionOf(
      path, "[Viewer]",
      [&](TRead1NF &file) {
        file.AddInt("nQuality", &quality);
        file.AddDouble("RotStep", &stepDegrees);
        file.AddDouble3(turnKeys[0], &turnDegrees[0], turnKeys[1], &turnDegrees[1], turnKeys[2], &turnDegrees[2]);
      },
      [&](TFaults &faults) {
        Bound(faults, "nQuality", quality, kQualityMin, kQualityMax, defaults.nQuality);
        BoundDegrees(faults, "RotStep", stepDegrees, kRotStepMaxDegrees, true, defaults.rotStep * kDegreesPerRadian);
        for (int k = 0; k < 3; ++k) BoundDegrees(faults, turnKeys[k], turnDegrees[k], kInitialTurnMaxDegrees, false, 0.0);
        settings.nQuality = quality;
        settings.rotStep = stepDegrees * kRadiansPerDegree;
        settings.initialTurn = DANGLE3(turnDegrees[0] * kRadiansPerDegree, turnDegrees[1] * kRadiansPerDegree,
                                       turnDegrees[2] * kRadiansPerDegree);
      });
}

TSettingsReading ReadStereoSettings(const std::string &path, TStereoSettings &stereo) {
  const TStereoSettings defaults;
  stereo = defaults;
  double turnDegrees = defaults.stereoRot * kDegreesPerRadian;
  double share = defaults.coefStereoTrans;
  return ReadSectionOf(
      path, "[Stereo]",
      [&](TRead1NF &file) { file.AddDouble2("StereoRot", &turnDegrees, "CoefStereoTrans", &share); },
      [&](TFaults &faults) {
        BoundDegrees(faults, "StereoRot", turnDegrees, kStereoRotMaxDegrees, false,
                     defaults.stereoRot * kDegreesPerRadian);
        BoundDegrees(faults, "CoefStereoTrans", share, kStereoShareMax, false, defaults.coefStereoTrans);
        stereo.stereoRot = turnDegrees * kRadiansPerDegree;
        stereo.coefStereoTrans = share;
      });
}

TSettingsReading ReadAnimationSettings(const std::string &path, TAnimationSettings &animation) {
  const TAnimationSettings defaults;
  animation = defaults;
  double stepDegrees[3] = {defaults.rotStep.ax * kDegreesPerRadian, defaults.rotStep.ay * kDegreesPerRadian,
                           defaults.rotStep.az * kDegreesPerRadian};
  int frames = defaults.nRotStep, goBack = defaults.isGoBack, repeat = defaults.nFrameRepeat;
  const char *stepKeys[3] = {"RotStep_x", "RotStep_y", "RotStep_z"};
  return ReadSectionOf(
      path, "[Animation]",
      [&](TRead1NF &file) {
        file.AddDouble3(stepKeys[0], &stepDegrees[0], stepKeys[1], &stepDegrees[1], stepKeys[2], &stepDegrees[2]);
        file.AddInt3("nRotStep", &frames, "IsGoBack", &goBack, "nFrameRepeat", &repeat);
      },
      [&](TFaults &faults) {
        const double defaultSteps[3] = {defaults.rotStep.ax, defaults.rotStep.ay, defaults.rotStep.az};
        for (int k = 0; k < 3; ++k)
          BoundDegrees(faults, stepKeys[k], stepDegrees[k], kRotStepMaxDegrees, false,
                       defaultSteps[k] * kDegreesPerRadian);
        if (frames > kRotationFramesMax) Bound(faults, "nRotStep", frames, 0, kRotationFramesMax, defaults.nRotStep);
        if (repeat > kFrameRepeatMax) Bound(faults, "nFrameRepeat", repeat, 1, kFrameRepeatMax, defaults.nFrameRepeat);
        animation.rotStep = DANGLE3(stepDegrees[0] * kRadiansPerDegree, stepDegrees[1] * kRadiansPerDegree,
                                    stepDegrees[2] * kRadiansPerDegree);
        animation.nRotStep = frames;
        animation.isGoBack = goBack;
        animation.nFrameRepeat = repeat;
      });
}
