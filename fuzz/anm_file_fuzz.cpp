// Reads a fuzzed animation file for an edited system of five air surfaces (three elements)
// and plays its lens animation. Expectations: an accepted file names only existing
// elements, once each and in order, with values inside the largest the animation takes;
// loaded, every record animates an existing element, and fifty steps leave every vertex
// and angle finite; a refused file leaves the records as they were; the beam section
// rewritten reads back with its new values and the element sections unchanged.
#include <cmath>
#include <cstdint>
#include <string>

#include "document/system/system_image.h"
#include "editor/animation/animation_file.h"
#include "editor/animation/lens_animation.h"
#include "fuzz/fuzz_scratch.h"
#include "fuzz/quiet_boxes.h"
#include "optics/model/model_globals.h"
#include "platform/core/message_box.h"

namespace {

constexpr int kSteps = 50;

void Setup() {
  static TQuietBoxes boxes;
  static bool done = false;
  if (done) return;
  done = true;
  SetMessageBoxProvider(&boxes);
  SetTempDir(FuzzScratchDirectory());
}

bool Finite(const DPOINT3 &p) { return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z); }

bool SameElements(const TAnimationFile &a, const TAnimationFile &b) {
  if (a.elements.size() != b.elements.size()) return false;
  for (std::size_t e = 0; e < a.elements.size(); ++e) {
    const TAnimationElement &x = a.elements[e], &y = b.elements[e];
    if (x.elementIndex != y.elementIndex || x.GoBack != y.GoBack) return false;
    for (int k = 0; k < 6; ++k)
      if (x.steps[k] != y.steps[k] || x.ranges[k][0] != y.ranges[k][0] || x.ranges[k][1] != y.ranges[k][1])
        return false;
    for (int k = 0; k < 3; ++k)
      if (x.rotationOrigin[k] != y.rotationOrigin[k]) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  Setup();
  const std::string path = WriteFuzzFile("input.anm", data, size);
  TSystemImage system;
  for (int i = 0; i < 5; ++i) system.AddSurface(new TEditSurface(10.0 * i, 0.0, 0.0));
  system.RebuildElements(nullptr);
  const int elementCount = system.ElementCount();
  FUZZ_CHECK(elementCount == 3, "the air surfaces did not make three elements");

  TAnimationFile file;
  std::string problem;
  const TAnimationFileStatus status = ReadAnimationFile(path, elementCount, file, problem);
  FUZZ_CHECK(status != TAnimationFileStatus::kMissing, "the written input was not found");
  if (status == TAnimationFileStatus::kDamaged) {
    FUZZ_CHECK(!problem.empty(), "a refused file without a reason");
    FUZZ_CHECK(file.elements.empty() && !file.hasBeamSection && file.beam.Nray == 0 && file.common.Continuous == 1,
               "a refused file changed the records");
    return 0;
  }
  FUZZ_CHECK(file.beam.Nray <= kAnimationMostRays && file.beam.NStep <= kAnimationMostSteps,
             "rays or steps beyond their most");
  int previous = -1;
  for (const TAnimationElement &element : file.elements) {
    FUZZ_CHECK(element.elementIndex > previous && element.elementIndex < elementCount, "element index");
    previous = element.elementIndex;
    for (int k = 0; k < 6; ++k)
      FUZZ_CHECK(std::fabs(element.steps[k]) <= kAnimationLargestValue &&
                     std::fabs(element.ranges[k][0]) <= kAnimationLargestValue &&
                     std::fabs(element.ranges[k][1]) <= kAnimationLargestValue,
                 "value beyond the largest");
  }

  TCommonAnimationInfo state;
  const int records = LoadLensAnimation(file, system, state);
  FUZZ_CHECK(records == static_cast<int>(file.elements.size()), "records differ from sections");
  FUZZ_CHECK(state.cycleLength >= 0, "negative cycle");
  if (records > 0) {
    FUZZ_CHECK(state.SavedCount() == system.SurfaceCount(), "saved surfaces");
    for (int step = 0; step < kSteps; ++step) ApplyLensAnimationStep(system, state);
    for (int i = 0; i < system.SurfaceCount(); ++i) {
      FUZZ_CHECK(Finite(system.GetSurfacePosition(i, 0, kGlobalFrame)), "vertex not finite");
      FUZZ_CHECK(Finite(system.GetSurfaceAngles(i, 0, kGlobalFrame)), "angles not finite");
    }
  }

  if (RewriteAnimationBeam(path, 7, -1.5, 2.25, 12) == 1) {
    TAnimationFile again;
    FUZZ_CHECK(ReadAnimationFile(path, elementCount, again, problem) == TAnimationFileStatus::kRead,
               "the rewritten file was refused: " + problem);
    FUZZ_CHECK(again.beam.Nray == 7 && again.beam.NStep == 12 && again.beam.beam[0] == -1.5 &&
                   again.beam.beam[1] == 2.25,
               "the rewritten beam section: " + ReadFuzzFile(path));
    FUZZ_CHECK(SameElements(file, again), "the rewrite changed an element section: " + ReadFuzzFile(path));
  }
  return 0;
}
