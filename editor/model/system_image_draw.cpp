// The drawing of the edited system: the elements' outlines from their surfaces' meridional
// profiles and the real-ray fans of the field values, handed to the canvas as world
// polylines.

#include <vector>

#include "editor/model/edit_canvas.h"
#include "editor/model/system_image.h"

namespace {

int Count(const Mem<double> &list) { return list.data != nullptr ? list.cols * list.rows : 0; }

}  // namespace

void TSystemImage::Draw(TEditCanvas *canvas, COLORREF outline, COLORREF fill, COLORREF ray,
                        int flag) {
  (void)fill;  // the outlines are drawn unfilled
  if (canvas == nullptr) return;
  // Every surface's profile, from its top edge to its bottom edge.
  DPOINT profile[kProfilePoints];
  for (int i = 0; i < SurfaceCount(); ++i) {
    const TEditSurface *s = EditSurface(i);
    if (s == nullptr) continue;
    const int n = SurfaceProfilePoints(*s, profile, kProfilePoints);
    if (n > 1) canvas->DrawWorldPolyline(profile, n, outline);
  }
  // The edges that join the surfaces of an element into its outline.
  for (int e = 0; e < ElementCount(); ++e) {
    const TOpticalElement &element = elements.data[e];
    DPOINT top[2];
    DPOINT bottom[2];
    bool previous = false;
    for (int k = 0; k < element.SurfaceCount(); ++k) {
      const TEditSurface *s = element.surfaces.data[k];
      if (s == nullptr) continue;
      const int n = SurfaceProfilePoints(*s, profile, kProfilePoints);
      if (n < 2) {
        previous = false;
        continue;
      }
      top[1] = profile[0];
      bottom[1] = profile[n - 1];
      if (previous) {
        canvas->DrawWorldPolyline(top, 2, outline);
        canvas->DrawWorldPolyline(bottom, 2, outline);
      }
      top[0] = top[1];
      bottom[0] = bottom[1];
      previous = true;
    }
  }
  if (flag == 0 || SurfaceCount() < 2 || Count(info.AlfaM) == 0) return;
  // One meridional fan per field value, each ray from its start through its hits.
  beams.SetOwner(this);
  BuildRayFans(info.AlfaM, beams);
  Mem<TIntersectionPoint> hits;
  std::vector<DPOINT> path;
  const int beamCount = beams.beams.data != nullptr ? beams.beams.cols * beams.beams.rows : 0;
  for (int b = 0; b < beamCount; ++b) {
    const TRaysPar &beam = beams.beams.data[b];
    const int rays = beam.rays.data != nullptr ? beam.rays.cols * beam.rays.rows : 0;
    for (int r = 0; r < rays; ++r) {
      TCurrentRay traced = beam.rays.data[r];
      const DPOINT start{traced.x, traced.y};
      TraceRay(traced, kTracePlainGlobal, &hits, 0);
      const int n = hits.data != nullptr ? hits.cols * hits.rows : 0;
      path.clear();
      path.push_back(start);
      // The list ends at its end mark (after the last surface the ray reached).
      for (int k = 0; k < n && hits.data[k].x != kHitListEnd; ++k)
        path.push_back(DPOINT{hits.data[k].x, hits.data[k].y});
      if (path.size() > 1) canvas->DrawWorldPolyline(path.data(), static_cast<int>(path.size()), ray);
    }
  }
}
