#include "viewer3d/settings/viewer_settings.h"

#include <sys/stat.h>

#include <cmath>
#include <cstdio>

#include <algorithm>
#include <map>
#include <set>
#include <vector>

#include "foundation/textfiles/read_nf.h"
#include "foundation/textfiles/text_functions.h"

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

// An angle in the degrees a file gives: 30, not 29.999999999999996.
double Degrees(double radians) { return std::round(radians * kDegreesPerRadian * 1e9) / 1e9; }

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

// Every key of each section, whichever reading takes it: a key no reading takes is
// misspelt.
bool IsViewerKey(const std::string &section, const std::string &key) {
  static const std::map<std::string, std::set<std::string>> kKeys = {
      {"[viewer]", {"iwsize", "ihsize", "nquality", "rotstep", "rotstep_x0", "rotstep_y0", "rotstep_z0"}},
      {"[stereo]", {"stereorot", "coefstereotrans"}},
      {"[animation]", {"rotstep_x", "rotstep_y", "rotstep_z", "nrotstep", "isgoback", "nframerepeat"}}};
  const auto keys = kKeys.find(section);
  return keys != kKeys.end() && keys->second.count(key) != 0;
}

// Reads one section: the variables registered, the section parsed, and the values then
// checked and taken; a section the reader cannot read whole leaves every value as it was.
// The reading that tells makes the notes that another reading of the same section would
// repeat: keys no reading knows; the one that tells the file, sections of no reading and a
// last line without its line end (the file may have been cut short).
enum class TTells { kValues, kKeys, kFile };
template <class Register, class Take>
TSettingsReading ReadSectionOf(const std::string &path, const char *section, TTells telling, Register registerKeys,
                               Take take) {
  TSettingsReading reading;
  TRead1NF file;
  reading.opened = file.Open(path, 0) != nullptr;
  const bool tells = telling != TTells::kValues;
  std::string cut;
  if (reading.opened && telling == TTells::kFile && file.ScanDamage(true, false).find("cut short") != std::string::npos)
    cut = "File " + path + " ends inside a line, so it may have been cut short; what it gives is used.";
  if (telling == TTells::kFile)
    file.NameUnknownSections([](const std::string &header) {
      return header == "[viewer]" || header == "[stereo]" || header == "[animation]";
    });
  if (!reading.opened || file.ReadSection(section) == 0) {
    if (tells) reading.fault = KeyNotesText(file.KeyNotes(), "File " + path) + cut;
    while (!reading.fault.empty() && reading.fault.back() == '\n') reading.fault.pop_back();
    return reading;
  }
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
  const std::string lowerSection = LowerCaseAnsi(section);
  std::erase_if(held, [tells, &lowerSection](const TReadNFKeyNote &note) {
    std::string key = LowerCaseAnsi(note.key);
    key.erase(std::remove(key.begin(), key.end(), ' '), key.end());
    if (!tells && (note.kind == TReadNFNoteKind::kRepeatedKey || note.kind == TReadNFNoteKind::kSectionTwice))
      return true;
    return (note.kind == TReadNFNoteKind::kUnknownKey || note.kind == TReadNFNoteKind::kNotAKey) &&
           (!tells || IsViewerKey(lowerSection, key));
  });
  std::string notes = KeyNotesText(held, "File " + path);
  while (!notes.empty() && notes.back() == '\n') notes.pop_back();
  if (!notes.empty()) reading.fault += (reading.fault.empty() ? "" : "\n") + notes;
  if (!cut.empty()) reading.fault += (reading.fault.empty() ? "" : "\n") + cut;
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
      path, "[Viewer]", TTells::kValues,
      [&](TRead1NF &file) {
        file.AddInt2("iwSize", &readWidth, "ihSize", &readHeight);
        file.Limit("iwSize", kSceneSizeMin, kSceneSizeMax);
        file.Limit("ihSize", kSceneSizeMin, kSceneSizeMax);
      },
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
  double stepDegrees = Degrees(defaults.rotStep);
  double turnDegrees[3] = {0.0, 0.0, 0.0};
  const char *turnKeys[3] = {"RotStep_x0", "RotStep_y0", "RotStep_z0"};
  return ReadSectionOf(
      path, "[Viewer]", TTells::kFile,
      [&](TRead1NF &file) {
        file.AddInt("nQuality", &quality);
        file.Limit("nQuality", kQualityMin, kQualityMax);
        file.AddDouble("RotStep", &stepDegrees);
        file.Limit("RotStep", -kRotStepMaxDegrees, kRotStepMaxDegrees);
        file.AddDouble3(turnKeys[0], &turnDegrees[0], turnKeys[1], &turnDegrees[1], turnKeys[2], &turnDegrees[2]);
        for (const char *key : turnKeys) file.Limit(key, -kInitialTurnMaxDegrees, kInitialTurnMaxDegrees);
      },
      [&](TFaults &faults) {
        Bound(faults, "nQuality", quality, kQualityMin, kQualityMax, defaults.nQuality);
        BoundDegrees(faults, "RotStep", stepDegrees, kRotStepMaxDegrees, true, Degrees(defaults.rotStep));
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
  double turnDegrees = Degrees(defaults.stereoRot);
  double share = defaults.coefStereoTrans;
  return ReadSectionOf(
      path, "[Stereo]", TTells::kKeys,
      [&](TRead1NF &file) {
        file.AddDouble2("StereoRot", &turnDegrees, "CoefStereoTrans", &share);
        file.Limit("StereoRot", -kStereoRotMaxDegrees, kStereoRotMaxDegrees);
        file.Limit("CoefStereoTrans", -kStereoShareMax, kStereoShareMax);
      },
      [&](TFaults &faults) {
        BoundDegrees(faults, "StereoRot", turnDegrees, kStereoRotMaxDegrees, false,
                     Degrees(defaults.stereoRot));
        BoundDegrees(faults, "CoefStereoTrans", share, kStereoShareMax, false, defaults.coefStereoTrans);
        stereo.stereoRot = turnDegrees * kRadiansPerDegree;
        stereo.coefStereoTrans = share;
      });
}

TSettingsReading ReadAnimationSettings(const std::string &path, TAnimationSettings &animation) {
  const TAnimationSettings defaults;
  animation = defaults;
  double stepDegrees[3] = {Degrees(defaults.rotStep.ax), Degrees(defaults.rotStep.ay),
                           Degrees(defaults.rotStep.az)};
  int frames = defaults.nRotStep, goBack = defaults.isGoBack, repeat = defaults.nFrameRepeat;
  const char *stepKeys[3] = {"RotStep_x", "RotStep_y", "RotStep_z"};
  return ReadSectionOf(
      path, "[Animation]", TTells::kKeys,
      [&](TRead1NF &file) {
        file.AddDouble3(stepKeys[0], &stepDegrees[0], stepKeys[1], &stepDegrees[1], stepKeys[2], &stepDegrees[2]);
        for (const char *key : stepKeys) file.Limit(key, -kRotStepMaxDegrees, kRotStepMaxDegrees);
        file.AddInt3("nRotStep", &frames, "IsGoBack", &goBack, "nFrameRepeat", &repeat);
      },
      [&](TFaults &faults) {
        const double defaultSteps[3] = {defaults.rotStep.ax, defaults.rotStep.ay, defaults.rotStep.az};
        for (int k = 0; k < 3; ++k)
          BoundDegrees(faults, stepKeys[k], stepDegrees[k], kRotStepMaxDegrees, false,
                       Degrees(defaultSteps[k]));
        if (frames > kRotationFramesMax) Bound(faults, "nRotStep", frames, 0, kRotationFramesMax, defaults.nRotStep);
        if (repeat > kFrameRepeatMax) Bound(faults, "nFrameRepeat", repeat, 1, kFrameRepeatMax, defaults.nFrameRepeat);
        animation.rotStep = DANGLE3(stepDegrees[0] * kRadiansPerDegree, stepDegrees[1] * kRadiansPerDegree,
                                    stepDegrees[2] * kRadiansPerDegree);
        animation.nRotStep = frames;
        animation.isGoBack = goBack;
        animation.nFrameRepeat = repeat;
      });
}
