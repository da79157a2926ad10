#pragma once
// The 3-D viewer's settings file "View_3D.ini", which the program reads and never writes:
// [Viewer] "nQuality", "RotStep", "RotStep_x0", "RotStep_y0", "RotStep_z0", "iwSize",
// "ihSize"; [Stereo] "StereoRot", "CoefStereoTrans"; [Animation] "RotStep_x", "RotStep_y",
// "RotStep_z", "nRotStep", "IsGoBack", "nFrameRepeat". Angles are degrees in the file and
// radians here. The file ships beside the program; a copy in the user's configuration
// directory (beside the editor's own settings) takes precedence when there is one.
//
// A missing file or key leaves the default. A value the viewer cannot use (outside its
// bounds, not finite) or a section the reader could not read whole also gives the default,
// and the reading answers a text that names the file, the section, the key and the value,
// for the viewer to show.

#include <string>

#include "foundation/containers/points.h"

constexpr const char *kViewerSettingsFileName = "View_3D.ini";

constexpr double kDegreesPerRadian = 57.29577951308232;
constexpr double kRadiansPerDegree = 0.017453292519943295;

// The bounds the values are held to before they size or step anything.
constexpr int kQualityMin = 1;
constexpr int kQualityMax = 50;
constexpr int kSceneSizeMin = 16;
constexpr int kSceneSizeMax = 4096;
constexpr double kRotStepMaxDegrees = 180.0;
constexpr double kInitialTurnMaxDegrees = 360000.0;
constexpr double kStereoRotMaxDegrees = 45.0;
constexpr double kStereoShareMax = 10.0;
constexpr int kRotationFramesMax = 100000;
constexpr int kFrameRepeatMax = 1000;

// [Viewer], as the viewer's setup takes it.
struct TViewerSettings {
  int nQuality = 10;
  double rotStep = 30.0 * kRadiansPerDegree;
  DANGLE3 initialTurn;  // "RotStep_x0", "RotStep_y0", "RotStep_z0"
};

// [Stereo], read at each press of the stereo button. The share of the scene's width the fit
// shifts a stereo pair by defaults to 0: the fit centres the elements' box on the origin
// and the stereo turn is about that origin, so both halves of the pair stay centred.
struct TStereoSettings {
  double stereoRot = 4.0 * kRadiansPerDegree;
  double coefStereoTrans = 0.0;
};

// [Animation], read at each system rotation: the turn after each frame about x, y and z,
// the number of frames, whether the second half of them turns back, and the frame periods
// each picture stands for. Absent keys: a full turn about y in 36 frames of 10 degrees,
// each frame shown once, not turning back.
struct TAnimationSettings {
  DANGLE3 rotStep{0.0, 10.0 * kRadiansPerDegree, 0.0};
  int nRotStep = 36;
  int isGoBack = 0;
  int nFrameRepeat = 1;
};

// What a reading met: whether the file opened, and the faults found ("" when none).
struct TSettingsReading {
  bool opened = false;
  std::string fault;
};

// The user's copy when it exists, else the file beside the program.
std::string ViewerSettingsPath(const std::string &programDirectory, const std::string &userDirectory);

// "iwSize" and "ihSize"; width and height come in as the caller's size and stay when absent.
TSettingsReading ReadSceneSize(const std::string &path, int &width, int &height);
// [Viewer] without the scene size.
TSettingsReading ReadViewerSettings(const std::string &path, TViewerSettings &settings);
TSettingsReading ReadStereoSettings(const std::string &path, TStereoSettings &stereo);
// A count of frames of 0 or below, or a repeat below 1, is let through: the rotation reads
// them as no frames and as 1.
TSettingsReading ReadAnimationSettings(const std::string &path, TAnimationSettings &animation);
