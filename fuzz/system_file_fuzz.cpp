// Reads a fuzzed optical system file into a system that already holds the singlet example,
// prepares it and traces one ray. Expectations: a refused file leaves the loaded system as
// it was (unless the file was read whole and its preparation failed); an accepted one
// prepares and traces without a fault, its hit list closed by the end marker.
#include <cstdint>
#include <string>
#include <vector>

#include "foundation/containers/mem.h"
#include "fuzz/fuzz_scratch.h"
#include "fuzz/quiet_boxes.h"
#include "optics/glass/glass_catalog.h"
#include "optics/model/model_globals.h"
#include "optics/model/optical_system.h"
#include "optics/model/ray.h"
#include "optics/model/surface.h"
#include "platform/core/message_box.h"

namespace {

constexpr double kDLine = 0.5875618;

struct TSystemState {
  std::vector<const TSurface *> surfaces;
  std::vector<double> radii;
  std::string name, title, remark;

  explicit TSystemState(const TOpticalSystem &system)
      : name(system.name), title(system.title), remark(system.remark) {
    for (int i = 0; i < system.SurfaceCount(); ++i) {
      surfaces.push_back(system.Surface(i));
      radii.push_back(system.Surface(i)->general.R);
    }
  }
  bool operator==(const TSystemState &) const = default;
};

// The singlet example, read once: each input starts from a copy of it.
const TOpticalSystem &Singlet() {
  static TGlassCatalog catalogs(FUZZ_GLASS_DIRECTORY, "schott");
  static TQuietBoxes boxes;
  static const TOpticalSystem singlet = [] {
    SetGlassCatalog(&catalogs);
    SetMessageBoxProvider(&boxes);
    TOpticalSystem system;
    if (system.ReadFile(FUZZ_EXAMPLE_DIRECTORY "/singlet.os", 2) != 1)
      FuzzFailure("the singlet did not read", FUZZ_EXAMPLE_DIRECTORY "/singlet.os");
    return TOpticalSystem(system);
  }();
  return singlet;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  const std::string path = WriteFuzzFile("input.os", data, size);
  TOpticalSystem system(Singlet());
  const TSystemState before(system);
  if (system.ReadFile(path, 2) != 1) {
    // 0 also answers a file read whole whose preparation failed: the system then holds what
    // was read, and preparing it fails again.
    FUZZ_CHECK(TSystemState(system) == before || system.materialsMissing != 0 ||
                   system.Prepare(0.0, 1, 0) < 0,
               "a refused file changed the loaded system");
    return 0;
  }
  FUZZ_CHECK(system.Prepare(kDLine, 1, 0) >= -1, "preparation status");
  const int count = system.SurfaceCount();
  if (count == 0) return 0;
  double x = 0.0, y = 0.0, z = 0.0;
  system.Surface(0)->GetPosition(x, y, z);
  TCurrentRay ray(x - 1.0, y + 0.5, z + 0.25);
  ray.L = 1.0;
  ray.M = 0.0;
  ray.N = 0.0;
  Mem<TIntersectionPoint> hits;
  system.TraceRay(ray, -1, &hits, 0);
  // Light-pipe walls add hits of their own, so the list is not bounded by the surfaces;
  // it always ends with its marker.
  const int recorded = hits.cols * hits.rows;
  FUZZ_CHECK(recorded >= 1 && hits.data[recorded - 1].x == kHitListEnd, "hit list unmarked");
  return 0;
}
