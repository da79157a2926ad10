// The paraxial constants of the selected elements, worked out on a copy that holds only
// them, with an object at infinity and an image plane of their own, and their note on the
// canvas.

#include <cmath>
#include <cstdio>
#include <memory>
#include <new>
#include <vector>

#include "document/elements/edit_canvas.h"
#include "document/system/system_image.h"
#include "optics/model/model_globals.h"
#include "platform/core/message_box.h"

namespace {

DPOINT3 VertexOf(const TSurface &s) { return DPOINT3(s.general.vertex[0], s.general.vertex[1], s.general.vertex[2]); }
DPOINT3 AnglesOf(const TSurface &s) { return DPOINT3(s.general.angles[0], s.general.angles[1], s.general.angles[2]); }

// Puts `plane` square to the axis of `at`'s frame, `along` mm from its vertex along that
// axis (negative: before it), tilted as `at` is.
void PlaceOnAxis(TSurface &plane, const TSurface &at, double along) {
  const DPOINT3 to = RotatePoint(VertexOf(at), DPOINT3(along, 0.0, 0.0), AnglesOf(at), 1);
  plane.SetPosition(to.x, to.y, to.z);
  const DPOINT3 angles = AnglesOf(at);
  plane.SetAngles(angles.x, angles.y, angles.z);
}

// Clear of the sag of a surface as deep as it is high.
double ClearOf(const TSurface &s) { return 1.0 + std::fabs(s.general.semiHeightExt); }

}  // namespace

bool TSystemImage::SelectionParameters(TSelectionParameters &out, std::string *why) const {
  if (hasSelection == 0) return false;
  bool any = false;
  for (int e = 0; e < ElementCount(); ++e) any = any || elements.data[e].mark != 0;
  if (!any) return false;
  // The copy keeps the object, the image and the selected surfaces in their order. The stop
  // stays the stop when it is among them (at its place in the copy); otherwise the copy has
  // none and its first surface bounds the beam.
  std::vector<bool> kept(SurfaceCount(), false);
  if (!kept.empty()) kept.front() = kept.back() = true;
  for (int e = 0; e < ElementCount(); ++e) {
    const TOpticalElement &element = elements.data[e];
    for (int k = 0; element.mark != 0 && k < element.SurfaceCount(); ++k)
      if (const int i = IndexOfSurface(element.surfaces.data[k]); i >= 0) kept[i] = true;
  }
  // Naper counts from 1; 0 is none.
  const int stop = info.Naper - 1;
  int stopInCopy = 0;
  if (stop > 0 && stop < SurfaceCount() - 1 && kept[stop]) {
    for (int i = 0; i <= stop; ++i) stopInCopy += kept[i] ? 1 : 0;
  }
  std::unique_ptr<TSystemImage> copy(new (std::nothrow) TSystemImage);
  if (!copy) {
    ShowNotEnoughMemory();
    return false;
  }
  // The copy's failures are told in the note, never as the edited system's warnings: its
  // own solves (the first with the old image plane) leave the pending text as it was.
  const std::string pending = TakePendingMessage();
  const auto keepPending = [&pending] {
    TakePendingMessage();
    AppendPendingMessage(pending);
  };
  CopySelection(*copy, nullptr);
  const int n = copy->SurfaceCount();
  if (n < 3) {
    keepPending();
    return false;
  }
  copy->info.Naper = stopInCopy;
  // The elements' own conjugates: parallel light along the first selected surface's axis,
  // and an image plane square to the last one's, on the side the light leaves it (the
  // turned system runs against the axes, a mirror turns the light back).
  double leaving = info.TurnSystem != 0 ? -1.0 : 1.0;
  const double entering = leaving;
  for (int i = 1; i < n - 1; ++i)
    if (copy->Surface(i)->general.materialKind == 1) leaving = -leaving;
  PlaceOnAxis(*copy->Surface(0), *copy->Surface(1), -entering * ClearOf(*copy->Surface(1)));
  PlaceOnAxis(*copy->Surface(n - 1), *copy->Surface(n - 2), leaving * ClearOf(*copy->Surface(n - 2)));
  copy->info.ObjectFinite = 0;
  copy->info.ImageFinite = 1;
  MarkModelChanged();
  const int prepared = copy->PrepareAndUpdatePupils(0.0, 0.0);
  const int firstOrder = prepared < 0 ? -1 : copy->FirstOrderParaxial();
  keepPending();
  const TOpticalSystemInformation &in = copy->info;
  const char *reason = nullptr;
  if (copy->materialsMissing != 0) reason = "a glass of them is missing";
  else if (prepared < 1 || firstOrder != 1) reason = "no ray parallel to their axis passes them";
  else if (!std::isfinite(in.focalLength) || in.focalLength == 0.0) reason = "they have no focus (afocal)";
  if (reason != nullptr) {
    if (why != nullptr) *why = reason;
    return false;
  }
  out.focalLength = in.focalLength;
  out.backFocus = in.backFocalDistance;
  out.entranceAperture = in.entrancePupilDiameter;
  out.exitAperture = in.exitPupilDiameter;
  return true;
}

void TSystemImage::ShowGeneralParameters(TEditCanvas *canvas) const {
  if (canvas == nullptr) return;
  TSelectionParameters p;
  std::string why;
  if (!SelectionParameters(p, &why)) {
    // Without a selection a note left from the last one would show figures of elements
    // no longer selected.
    if (why.empty())
      canvas->CloseNote();
    else
      canvas->ShowNote("No first-order figures for the selection: " + why + ".");
    return;
  }
  char text[256];
  std::snprintf(text, sizeof text,
                "Focal length: %.4f\nBack focus: %.4f\nEntrance aperture: %.4f\nExit aperture: %.4f",
                p.focalLength, p.backFocus, p.entranceAperture, p.exitAperture);
  canvas->ShowNote(text);
}
