// Turning a system round: light then runs from the old image side to the old object side.

#include "optics/whole/system_turn.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <new>
#include <utility>
#include <vector>

#include "optics/model/model_globals.h"
#include "optics/model/optical_system.h"
#include "optics/trace/image_coordinate.h"
#include "platform/core/message_box.h"

namespace {

constexpr double kRadiansToDegrees = 57.295779513093144;
// Field values smaller than this are written as exactly 0.
constexpr double kZeroField = 1e-10;

}  // namespace

std::vector<int> TurnedSurfaceMap(int count) {
  std::vector<int> map(static_cast<std::size_t>(std::max(count, 0)));
  for (int i = 0; i < count; ++i) map[i] = count - 1 - i;
  return map;
}

void TOpticalSystem::TurnSystem() {
  const int n = SurfaceCount();
  if (n == 0) return;
  for (int i = 0; i < n; ++i)
    if (surfaces.data[i] == nullptr) return;

  // The user's choice of stop is turned with the surfaces.
  const int givenStop = info.Naper;

  // New field values, seen from the image side; fields whose chief ray fails are dropped.
  Mem<double> &fields = info.AlfaM;
  const int fieldCount = fields.Cells();
  int kept = 0;
  for (int k = 0; k < fieldCount; ++k) {
    const double f = fields.data[k];
    MarkModelChanged();
    SolveChiefRay(f, 0.0);
    TCurrentRay chief = MakeRay(f, 0.0, 0.0, 0.0);
    chief.traceThrough = 1;
    TraceRay(chief, kTracePlain, nullptr, 0);
    if (chief.status == kRayStopped || chief.status == kRayTotalReflection ||
        chief.status == kRayMissedSurface)
      continue;
    double value =
        info.ImageFinite != 0 ? chief.y : ImageAngle(chief.M, chief.L) * kRadiansToDegrees;
    if (std::fabs(value) < kZeroField || !std::isfinite(value)) value = 0.0;
    fields.data[kept++] = value;
  }
  if (kept == 0) {
    if (fields.Allocate(1, 1)) fields.data[0] = 0.0;
  } else {
    fields.Resize(kept, 1);
  }
  info.Unit = info.ImageFinite != 0 ? 2 : 0;

  // The reversed surfaces, each behind the medium that was in front of it.
  std::unique_ptr<TSurface[]> turned(new (std::nothrow) TSurface[n]);
  if (!turned) {
    ShowNotEnoughMemory();
    return;
  }
  const std::vector<int> map = TurnedSurfaceMap(n);
  for (int b = n - 1; b >= 0; --b) {
    TSurface &target = turned[map[b]];
    target.CopyFrom(*surfaces.data[b]);
    if (b == 0) continue;
    const TGeneralParameters &before = surfaces.data[b - 1]->general;
    if (before.materialKind != 0) {
      target.general.glass = b > 1 ? surfaces.data[b - 2]->general.glass : "1.";
    } else {
      target.general.glass = before.glass;
    }
  }
  for (int i = 0; i < n; ++i) surfaces.data[i]->CopyFrom(turned[i]);
  // The turned system is traced along the same lines with the directions reversed, and a
  // hologram's kick, order x wavelength factor x phase gradient, is added to the direction:
  // kept as it was, it would bend the reversed light the other way (a lens of f 100 acting
  // as one of -100). Its fringes are the same; the order changes sign with the direction.
  for (int i = 0; i < n; ++i)
    if (THOEParameters *hologram = surfaces.data[i]->hoe) hologram->pD = -hologram->pD;

  info.TurnSystem = 1 - info.TurnSystem;
  std::swap(info.ObjectFinite, info.ImageFinite);
  // No stop given (0), or one past the list, stays as it was given.
  info.Naper = givenStop >= 1 && givenStop <= n ? n + 1 - givenStop : givenStop;
  // A given diameter becomes the exit pupil's, which the turned system enters by; a pupil
  // taken from the stop (0) still is, since the stop is the same surface.
  if (info.Dentr > 0.0) info.Dentr = info.exitPupilDiameter;
  MarkModelChanged();
}
