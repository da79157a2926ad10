#include "document/elements/edit_canvas.h"

namespace {

// World points this far apart make the rounding of device pixels negligible.
constexpr double kProbeSpan = 1.0e4;

}  // namespace

DPOINT TEditCanvas::DeviceToWorld(POINT device) const {
  const POINT o = WorldToDevice(0.0, 0.0);
  const POINT ex = WorldToDevice(kProbeSpan, 0.0);
  const POINT ey = WorldToDevice(0.0, kProbeSpan);
  // device - o = J (x, y) with the columns of J the images of the two steps.
  const double a = (ex.x - o.x) / kProbeSpan, b = (ey.x - o.x) / kProbeSpan;
  const double c = (ex.y - o.y) / kProbeSpan, d = (ey.y - o.y) / kProbeSpan;
  const double determinant = a * d - b * c;
  if (determinant == 0.0) return DPOINT{0.0, 0.0};
  const double u = device.x - o.x, v = device.y - o.y;
  return DPOINT{(d * u - b * v) / determinant, (a * v - c * u) / determinant};
}
