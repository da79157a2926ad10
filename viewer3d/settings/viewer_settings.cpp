#include "viewer3d/settings/viewer_settings.h"

#include <sys/stat.h>

#include <cmath>
#include <cstdio>

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

// Opens the file and stands on the section; false (with nothing read) when either is missing.
bool OpenSection(TRead1NF &file, const std::string &path, const char *section, TSettingsReading &reading) {
  reading.opened = file.Open(path, 0) != nullptr;
  return reading.opened && file.ReadSection(section) != 0;
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
  TSettingsReading reading;
  TRead1NF file;
  if (!OpenSection(file, path, "[Viewer]", reading)) return reading;
  int readWidth = width, readHeight = height;
  file.AddInt("iwSize", &readWidth);
  file.AddInt("ihSize", &readHeight);
  TFaults faults(path, "[Viewer]");
  if (file.ParseSection(0) == 0) {
    faults.Unreadable();
  } else {
    Bound(faults, "iwSize", readWidth, kSceneSizeMin, kSceneSizeMax, width);
    Bound(faults, "ihSize", readHeight, kSceneSizeMin, kSceneSizeMax, height);
    width = readWidth;
    height = readHeight;
  }
  reading.fault = faults.Text();
  return reading;
}

TSettingsReading ReadViewerSettings(const std::string &path, TViewerSettings &settings) {
  TSettingsReading reading;
  const TViewerSettings defaults;
  settings = defaults;
  TRead1NF file;
  if (!OpenSection(file, path, "[Viewer]", reading)) return reading;
  int quality = defaults.nQuality;
  double stepDegrees = defaults.rotStep * kDegreesPerRadian;
  double turnDegrees[3] = {0.0, 0.0, 0.0};
  file.AddInt("nQuality", &quality);
  file.AddDouble("RotStep", &stepDegrees);
  file.AddDouble3("RotStep_x0", &turnDegrees[0], "RotStep_y0", &turnDegrees[1], "RotStep_z0", &turnDegrees[2]);
  TFaults faults(path, "[Viewer]");
  if (file.ParseSection(0) == 0) {
    faults.Unreadable();
    reading.fault = faults.Text();
    return reading;
  }
  Bound(faults, "nQuality", quality, kQualityMin, kQualityMax, defaults.nQuality);
  BoundDegrees(faults, "RotStep", stepDegrees, kRotStepMaxDegrees, true, defaults.rotStep * kDegreesPerRadian);
  const char *turnKeys[3] = {"RotStep_x0", "RotStep_y0", "RotStep_z0"};
  for (int k = 0; k < 3; ++k) BoundDegrees(faults, turnKeys[k], turnDegrees[k], kInitialTurnMaxDegrees, false, 0.0);
  settings.nQuality = quality;
  settings.rotStep = stepDegrees * kRadiansPerDegree;
  settings.initialTurn = DANGLE3(turnDegrees[0] * kRadiansPerDegree, turnDegrees[1] * kRadiansPerDegree,
                                 turnDegrees[2] * kRadiansPerDegree);
  reading.fault = faults.Text();
  return reading;
}

TSettingsReading ReadStereoSettings(const std::string &path, TStereoSettings &stereo) {
  TSettingsReading reading;
  const TStereoSettings defaults;
  stereo = defaults;
  TRead1NF file;
  if (!OpenSection(file, path, "[Stereo]", reading)) return reading;
  double turnDegrees = defaults.stereoRot * kDegreesPerRadian;
  double share = defaults.coefStereoTrans;
  file.AddDouble("StereoRot", &turnDegrees);
  file.AddDouble("CoefStereoTrans", &share);
  TFaults faults(path, "[Stereo]");
  if (file.ParseSection(0) == 0) {
    faults.Unreadable();
    reading.fault = faults.Text();
    return reading;
  }
  BoundDegrees(faults, "StereoRot", turnDegrees, kStereoRotMaxDegrees, false, defaults.stereoRot * kDegreesPerRadian);
  BoundDegrees(faults, "CoefStereoTrans", share, kStereoShareMax, false, defaults.coefStereoTrans);
  stereo.stereoRot = turnDegrees * kRadiansPerDegree;
  stereo.coefStereoTrans = share;
  reading.fault = faults.Text();
  return reading;
}

TSettingsReading ReadAnimationSettings(const std::string &path, TAnimationSettings &animation) {
  TSettingsReading reading;
  const TAnimationSettings defaults;
  animation = defaults;
  TRead1NF file;
  if (!OpenSection(file, path, "[Animation]", reading)) return reading;
  double stepDegrees[3] = {defaults.rotStep.ax * kDegreesPerRadian, defaults.rotStep.ay * kDegreesPerRadian,
                           defaults.rotStep.az * kDegreesPerRadian};
  int frames = defaults.nRotStep, goBack = defaults.isGoBack, repeat = defaults.nFrameRepeat;
  file.AddDouble3("RotStep_x", &stepDegrees[0], "RotStep_y", &stepDegrees[1], "RotStep_z", &stepDegrees[2]);
  file.AddInt("nRotStep", &frames);
  file.AddInt("IsGoBack", &goBack);
  file.AddInt("nFrameRepeat", &repeat);
  TFaults faults(path, "[Animation]");
  if (file.ParseSection(0) == 0) {
    faults.Unreadable();
    reading.fault = faults.Text();
    return reading;
  }
  const char *stepKeys[3] = {"RotStep_x", "RotStep_y", "RotStep_z"};
  const double defaultSteps[3] = {defaults.rotStep.ax, defaults.rotStep.ay, defaults.rotStep.az};
  for (int k = 0; k < 3; ++k)
    BoundDegrees(faults, stepKeys[k], stepDegrees[k], kRotStepMaxDegrees, false, defaultSteps[k] * kDegreesPerRadian);
  if (frames > kRotationFramesMax) Bound(faults, "nRotStep", frames, 0, kRotationFramesMax, defaults.nRotStep);
  if (repeat > kFrameRepeatMax) Bound(faults, "nFrameRepeat", repeat, 1, kFrameRepeatMax, defaults.nFrameRepeat);
  animation.rotStep = DANGLE3(stepDegrees[0] * kRadiansPerDegree, stepDegrees[1] * kRadiansPerDegree,
                              stepDegrees[2] * kRadiansPerDegree);
  animation.nRotStep = frames;
  animation.isGoBack = goBack;
  animation.nFrameRepeat = repeat;
  reading.fault = faults.Text();
  return reading;
}
