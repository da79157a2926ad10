// The paraxial constants of the selected elements, worked out on a copy that holds only
// them, and their note on the canvas.

#include <cmath>
#include <cstdio>
#include <memory>
#include <new>

#include "document/elements/edit_canvas.h"
#include "document/system/system_image.h"
#include "platform/core/message_box.h"

bool TSystemImage::SelectionParameters(TSelectionParameters &out) const {
  if (hasSelection == 0) return false;
  bool any = false;
  for (int e = 0; e < ElementCount(); ++e) any = any || elements.data[e].mark != 0;
  if (!any) return false;
  std::unique_ptr<TSystemImage> copy(new (std::nothrow) TSystemImage);
  if (!copy) {
    ShowNotEnoughMemory();
    return false;
  }
  CopySelection(*copy, nullptr);
  // A stop among the elements left out leaves the copy without one: its first surface
  // bounds the beam instead.
  if (copy->info.Naper > copy->SurfaceCount() - 2) copy->info.Naper = 0;
  if (copy->PrepareAndUpdatePupils(0.0, 0.0) < 0) return false;
  if (copy->FirstOrderParaxial() != 1) return false;
  const TOpticalSystemInformation &in = copy->info;
  if (!std::isfinite(in.focalLength) || in.focalLength == 0.0) return false;
  out.focalLength = in.focalLength;
  out.backFocus = in.backFocalDistance;
  out.entranceAperture = in.entrancePupilDiameter;
  out.exitAperture = in.exitPupilDiameter;
  return true;
}

void TSystemImage::ShowGeneralParameters(TEditCanvas *canvas) const {
  if (canvas == nullptr) return;
  TSelectionParameters p;
  if (!SelectionParameters(p)) return;
  char text[256];
  std::snprintf(text, sizeof text,
                "Focal length: %.4f\nBack focus: %.4f\nEntrance aperture: %.4f\nExit aperture: %.4f",
                p.focalLength, p.backFocus, p.entranceAperture, p.exitAperture);
  canvas->ShowNote(text);
}
