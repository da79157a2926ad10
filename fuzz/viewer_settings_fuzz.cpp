// Reads a fuzzed "View_3D.ini" as the 3-D viewer does. Expectations: whatever the file
// holds, every value the viewer takes lies within its bounds and is finite, a value that
// was refused is named in the message, and a missing size keeps the caller's. The
// rotation's counts are let through below their bounds (the rotation reads them so).
#include <cmath>
#include <cstdint>
#include <string>

#include "fuzz/fuzz_scratch.h"
#include "viewer3d/settings/viewer_settings.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  const std::string path = WriteFuzzFile("View_3D.ini", data, size);

  int width = 550, height = 410;
  const TSettingsReading sizes = ReadSceneSize(path, width, height);
  FUZZ_CHECK(width == 550 || (width >= kSceneSizeMin && width <= kSceneSizeMax), std::to_string(width));
  FUZZ_CHECK(height == 410 || (height >= kSceneSizeMin && height <= kSceneSizeMax), std::to_string(height));
  FUZZ_CHECK(sizes.fault.empty() || sizes.fault.find("View_3D.ini") != std::string::npos, sizes.fault);

  TViewerSettings viewer;
  const TSettingsReading read = ReadViewerSettings(path, viewer);
  FUZZ_CHECK(viewer.nQuality >= kQualityMin && viewer.nQuality <= kQualityMax, std::to_string(viewer.nQuality));
  FUZZ_CHECK(std::isfinite(viewer.rotStep) && viewer.rotStep != 0.0 &&
                 std::fabs(viewer.rotStep) <= kRotStepMaxDegrees * kRadiansPerDegree * (1 + 1e-12),
             std::to_string(viewer.rotStep));
  FUZZ_CHECK(std::isfinite(viewer.initialTurn.ax + viewer.initialTurn.ay + viewer.initialTurn.az), read.fault);

  TStereoSettings stereo;
  ReadStereoSettings(path, stereo);
  FUZZ_CHECK(std::isfinite(stereo.stereoRot) &&
                 std::fabs(stereo.stereoRot) <= kStereoRotMaxDegrees * kRadiansPerDegree * (1 + 1e-12),
             std::to_string(stereo.stereoRot));
  FUZZ_CHECK(std::isfinite(stereo.coefStereoTrans) && std::fabs(stereo.coefStereoTrans) <= kStereoShareMax,
             std::to_string(stereo.coefStereoTrans));

  TAnimationSettings animation;
  const TSettingsReading turns = ReadAnimationSettings(path, animation);
  for (const double step : {animation.rotStep.ax, animation.rotStep.ay, animation.rotStep.az})
    FUZZ_CHECK(std::isfinite(step) && std::fabs(step) <= kRotStepMaxDegrees * kRadiansPerDegree * (1 + 1e-12),
               turns.fault);
  FUZZ_CHECK(animation.nRotStep <= kRotationFramesMax, std::to_string(animation.nRotStep));
  FUZZ_CHECK(animation.nFrameRepeat <= kFrameRepeatMax, std::to_string(animation.nFrameRepeat));
  return 0;
}
