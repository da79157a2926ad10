#include "synthesis/lightsource/light_source_preview.h"

#include <cmath>
#include <vector>

#include "foundation/helpers/helpers.h"
#include "foundation/numerics/pi.h"
#include "foundation/numerics/vector.h"
#include "platform/core/message_box.h"
#include "platform/gui/windows/window.h"
#include "synthesis/lightsource/light_source.h"
#include "synthesis/lightsource/light_source_preview_data.h"
#include "toolkit/plot3d/paint3d.h"
#include "toolkit/pump/o_gauge.h"
#include "toolkit/render3d/drv3d.h"
#include "toolkit/render3d/o_palette.h"

namespace {

constexpr int kPreviewSize = 300;
constexpr COLORREF kPreviewBackground = RGB(0, 0, 64);
constexpr COLORREF kAxisColor = RGB(255, 255, 255);
// The view looks down at 35 degrees and round at 70.
constexpr double kViewAngleA = 35.0 * kPi / 180.0;
constexpr double kViewAngleB = 70.0 * kPi / 180.0;

// The axes from the point `origin` of the picture, `length` pixels each.
void DrawAxes(TDrv3D &renderer, const DPOINT3 &origin, double length) {
  renderer.Line3D(origin, DPOINT3(origin.x + length, origin.y, origin.z), kAxisColor);
  renderer.Line3D(origin, DPOINT3(origin.x, origin.y + length, origin.z), kAxisColor);
  renderer.Line3D(origin, DPOINT3(origin.x, origin.y, origin.z + length), kAxisColor);
}

// The zones' cloud fitted in the picture, the axes from the source's origin. Answers the
// origin's place in the picture's units.
DPOINT3 PaintZones(TDrv3D &renderer, TLightSource &source, int width, int height) {
  source.Prepare();
  const TZonePreviewFit fit = FitZonePreview(source, renderer.Projector(), renderer.ViewTransform(), width, height);
  const Vector unused;
  Vector point;
  int zone = -1;
  for (int i = 0; i < kZonePreviewPoints; ++i) {
    if (source.SampleZonePoint(unused, point, zone) == 0) break;
    renderer.PointLocal(DPOINT3((point.data[0] - fit.centreX) * fit.scale, point.data[1] * fit.scale,
                                point.data[2] * fit.scale),
                        ZonePreviewColor(zone));
  }
  return DPOINT3(-fit.centreX * fit.scale, 0.0, 0.0);
}

void PaintMesh(TDrv3D &renderer, const TLightSource &source, int width) {
  const double scale = MeshPreviewScale(source, width);
  const std::vector<int> groups = MeshColorGroups(source);
  const int segments = SharedPalette != nullptr ? SharedPalette->SegmentCount() : 0;
  const int count = source.Triangles.data == nullptr ? 0 : source.Triangles.cols * source.Triangles.rows;
  for (int k = 0; k < count; ++k) {
    const TTriangle &triangle = source.Triangles.data[k];
    const int object = triangle.Object;
    const int group = object >= 0 && object < static_cast<int>(groups.size()) ? groups[object] : 0;
    if (segments > 0) SharedPalette->SetRange(group % segments);
    auto scaled = [scale](const Vector &v) {
      return DPOINT3(v.data[0] * scale, v.data[1] * scale, v.data[2] * scale);
    };
    renderer.Polygon3D(scaled(triangle.A), scaled(triangle.B), scaled(triangle.C), false);
  }
}

}  // namespace

TPaint3D *PaintLightSource(TWindow *parent, TLightSource &source) {
  const bool zones = source.SourceType == kZoneSource;
  if (zones && (source.Zones.data == nullptr || source.Zones.cols * source.Zones.rows == 0)) {
    MessageBox(nullptr, "Quantity zones equal zerro!!", " ", MB_OK);
    return nullptr;
  }
  int left = 0;
  int top = 0;
  if (parent != nullptr) {
    const RECT frame = parent->GetWindowRect();
    left = frame.right;
    top = frame.top;
  }
  constexpr DWORD kStyle = WS_POPUP | WS_OVERLAPPED | WS_VISIBLE | WS_CAPTION | WS_SYSMENU |
                           WS_THICKFRAME | WS_VSCROLL | WS_HSCROLL;
  auto *window = new TPaint3D(parent, "Light Source", left, top, kPreviewSize, kPreviewSize,
                              kPreviewSize, kPreviewSize, kStyle, kPreviewBackground,
                              SharedPalette);
  if (!window->Create()) {
    delete window;
    return nullptr;
  }
  TDrv3D *renderer = window->LockRenderer();
  if (renderer == nullptr) return window;
  renderer->SetViewAngles(kViewAngleA, kViewAngleB);
  renderer->SetViewCentre(kPreviewSize / 2.0, kPreviewSize / 2.0);
  renderer->SetTransform(DANGLE3(0.0, kPi / 2.0, kPi / 2.0), DPOINT3(0.0, 0.0, 0.0));
  if (SharedPalette != nullptr) SharedPalette->SetRange(0);
  SetWaitCursor();
  const RECT client = window->GetClientRect();
  const int width = client.right;
  if (zones) {
    DrawAxes(*renderer, PaintZones(*renderer, source, width, client.bottom), width / 4.0);
  } else {
    PaintMesh(*renderer, source, width);
    DrawAxes(*renderer, DPOINT3(0.0, 0.0, 0.0), width / 2.0);
  }
  window->GrabClient(true);
  SetArrowCursor();
  return window;
}

void TGaugeSourceProgress::Begin(int maximum) {
  gauge_.SetColor(RGB(0, 0, 255));
  gauge_.Enter();
  gauge_.SetRange(0.0, maximum);
  gauge_.SetPosition(0.0);
}

int TGaugeSourceProgress::StepAndPump(int position) { return gauge_.StepAndPump(position); }

void TGaugeSourceProgress::SetText(const char *text) { gauge_.SetText(text); }

void TGaugeSourceProgress::End() { gauge_.Leave(); }
