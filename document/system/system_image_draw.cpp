// The drawing of the edited system: the elements' outlines from their surfaces' meridional
// profiles, the glass between them, mirrors' backs, the cardinal planes, the grid, and the
// real-ray fans of the field values traced through the batch trace, handed to the canvas
// as world figures.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "document/elements/edit_canvas.h"
#include "document/elements/element_grouping.h"
#include "document/system/cardinal_points.h"
#include "document/system/system_image.h"
#include "optics/model/model_globals.h"

namespace {

// A fan drawn with more rays than this is drawn with this many.
constexpr int kMaxDrawnRaysPerFan = 1001;
// A lens array's profile is taken this finely, so that its lenslets show.
constexpr int kLensArrayProfilePoints = 257;
// Hits a ray may leave in a light pipe beyond one per surface.
constexpr int kPipeHitsPerRay = 400;
// Ticks on a mirror's back: their number and their length as a share of its semi-height.
constexpr int kMirrorTicks = 9;
constexpr double kMirrorTickShare = 0.08;
// The cardinal planes reach this far beyond the largest semi-height.
constexpr double kCardinalReach = 1.1;
// Focal points are drawn this share of the planes' height.
constexpr double kFocalMarkShare = 0.15;
constexpr COLORREF kCardinalColor = 0x00FF00;
constexpr COLORREF kGridColor = 0x808080;
// Ends of two surfaces closer in height than this share are joined straight.
constexpr double kSameHeight = 1e-9;
// An element is outlined through at most this many surfaces (a cemented group has a few);
// one of more is drawn as its profiles alone.
constexpr int kMaxOutlineSurfaces = 32;
// The elements that are not selected, drawn beside a selection.
constexpr COLORREF kPlainColor = 0xFFFFFF;

// The warnings the last picture's fans told. A picture drawn again and again (a pan redraws
// at every mouse move, a window uncovers it) warns of a beam once; a new picture takes back
// what the one before told, so a warning the change has mended (or one of the system opened
// before) does not outlive it.
std::string &PictureWarnings() {
  static std::string told;
  return told;
}

// Each line of `text` that is not empty, in its order.
template <class Visit>
void EachLine(const std::string &text, Visit visit) {
  std::size_t from = 0;
  while (from < text.size()) {
    std::size_t end = text.find('\n', from);
    if (end == std::string::npos) end = text.size();
    if (end > from) visit(text.substr(from, end - from));
    from = end + 1;
  }
}

// The warnings waiting, less those the last picture told: taken out of the waiting ones.
std::string TakeWaitingBesidesPicture() {
  const std::string waiting = TakePendingMessage();
  std::string kept;
  EachLine(waiting, [&](const std::string &line) {
    bool told = false;
    EachLine(PictureWarnings(), [&](const std::string &own) { told = told || own == line; });
    if (!told) kept += (kept.empty() ? "" : "\n") + line;
  });
  return kept;
}

int Count(const Mem<double> &list) { return list.Cells(); }

// The surface's profile into out (room for kLensArrayProfilePoints); the number of points.
int DrawnProfile(const TEditSurface &surface, DPOINT *out) {
  const int wanted = surface.HasRasterZones() ? kLensArrayProfilePoints : kProfilePoints;
  return SurfaceProfilePoints(surface, out, wanted);
}

bool Untilted(const TSurface &s) {
  return s.general.angles[0] == 0.0 && s.general.angles[1] == 0.0 && s.general.angles[2] == 0.0;
}

// The edge from the end a of one surface to the end b of the next: the rim of the larger
// one runs along the axis to the smaller one's end and steps across to it, as lenses are
// ground; surfaces that are turned are joined straight. The points after a; their count.
int JoinEnds(const DPOINT &a, const DPOINT &b, bool stepped, DPOINT *out) {
  int n = 0;
  if (stepped && std::fabs(std::fabs(a.y) - std::fabs(b.y)) > kSameHeight * (1.0 + std::fabs(a.y)))
    out[n++] = std::fabs(a.y) > std::fabs(b.y) ? DPOINT{b.x, a.y} : DPOINT{a.x, b.y};
  out[n++] = b;
  return n;
}

// The element's surfaces with their profiles, in order; false when one has no profile.
struct TElementOutline {
  int count = 0;
  int points[kMaxOutlineSurfaces] = {};
  bool stepped[kMaxOutlineSurfaces] = {};  // joined to the previous surface by a step
  DPOINT profiles[kMaxOutlineSurfaces][kLensArrayProfilePoints];
};

// Where segment p0-p1 meets segment q0-q1, as the fractions t along the first and u along
// the second; false when they are parallel or do not meet.
bool SegmentsMeet(const DPOINT &p0, const DPOINT &p1, const DPOINT &q0, const DPOINT &q1,
                  double &t, double &u) {
  // p0 + t (p1 - p0) = q0 + u (q1 - q0), solved by Cramer's rule.
  const double rx = p1.x - p0.x, ry = p1.y - p0.y;
  const double sx = q1.x - q0.x, sy = q1.y - q0.y;
  const double determinant = rx * sy - ry * sx;
  if (determinant == 0.0) return false;
  const double wx = q0.x - p0.x, wy = q0.y - p0.y;
  t = (wx * sy - wy * sx) / determinant;
  u = (wx * ry - wy * rx) / determinant;
  return t >= 0.0 && t <= 1.0 && u >= 0.0 && u <= 1.0;
}

// The part of a profile that is drawn: from place `from` to place `to` (a place is a
// point index plus the fraction of the way to the next point), ending at the points given.
struct TProfileSpan {
  double from = 0.0;
  double to = 0.0;
  DPOINT first;
  DPOINT last;
};

// Two neighbouring faces that cross before their rims bound glass only between their
// crossings nearest the middle of the aperture: beyond them the faces have passed each
// other, and a lens ground to those rims would have none left. Both spans end there. A
// crossing within half a profile step of the middle is a touch of faces with no thickness
// between their vertices, not a crossing.
void CutAtCrossing(const DPOINT *a, int na, TProfileSpan &spanA, const DPOINT *b, int nb,
                   TProfileSpan &spanB) {
  const double middleA = 0.5 * (na - 1), middleB = 0.5 * (nb - 1);
  bool upper = false, lower = false;
  double upperA = 0.0, upperB = 0.0, lowerA = 0.0, lowerB = 0.0;
  DPOINT upperPoint, lowerPoint;
  for (int i = 0; i + 1 < na; ++i) {
    for (int j = 0; j + 1 < nb; ++j) {
      double t = 0.0, u = 0.0;
      if (!SegmentsMeet(a[i], a[i + 1], b[j], b[j + 1], t, u)) continue;
      const double atA = i + t, atB = j + u;
      const DPOINT point{a[i].x + t * (a[i + 1].x - a[i].x), a[i].y + t * (a[i + 1].y - a[i].y)};
      if (atA < middleA - 0.5 && atB < middleB - 0.5 && (!upper || atA > upperA)) {
        upper = true;
        upperA = atA;
        upperB = atB;
        upperPoint = point;
      } else if (atA > middleA + 0.5 && atB > middleB + 0.5 && (!lower || atA < lowerA)) {
        lower = true;
        lowerA = atA;
        lowerB = atB;
        lowerPoint = point;
      }
    }
  }
  auto keepFrom = [](TProfileSpan &span, double at, const DPOINT &point) {
    if (at <= span.from) return;
    span.from = at;
    span.first = point;
  };
  auto keepTo = [](TProfileSpan &span, double at, const DPOINT &point) {
    if (at >= span.to) return;
    span.to = at;
    span.last = point;
  };
  if (upper) {
    keepFrom(spanA, upperA, upperPoint);
    keepFrom(spanB, upperB, upperPoint);
  }
  if (lower) {
    keepTo(spanA, lowerA, lowerPoint);
    keepTo(spanB, lowerB, lowerPoint);
  }
}

// Keeps the span of the profile in place; the number of points left.
int KeepSpan(DPOINT *profile, int n, const TProfileSpan &span) {
  if (span.from <= 0.0 && span.to >= n - 1) return n;
  DPOINT kept[kLensArrayProfilePoints];
  int count = 0;
  kept[count++] = span.first;
  for (int i = static_cast<int>(std::floor(span.from)) + 1; i < span.to && i < n; ++i)
    kept[count++] = profile[i];
  kept[count++] = span.last;
  std::copy(kept, kept + count, profile);
  return count;
}

bool TakeOutline(const TOpticalElement &element, TElementOutline &outline) {
  outline.count = 0;
  if (element.SurfaceCount() > kMaxOutlineSurfaces) return false;
  const TSurface *previous = nullptr;
  for (int k = 0; k < element.SurfaceCount(); ++k) {
    const TEditSurface *s = element.surfaces.data[k];
    if (s == nullptr) return false;
    const int n = DrawnProfile(*s, outline.profiles[outline.count]);
    if (n < 2) return false;
    outline.points[outline.count] = n;
    outline.stepped[outline.count] = previous != nullptr && Untilted(*previous) && Untilted(*s);
    ++outline.count;
    previous = s;
  }
  // Faces that cross end where they cross, for the outline and the glass alike.
  TProfileSpan spans[kMaxOutlineSurfaces];
  for (int k = 0; k < outline.count; ++k) {
    const int n = outline.points[k];
    spans[k] = TProfileSpan{0.0, static_cast<double>(n - 1), outline.profiles[k][0],
                            outline.profiles[k][n - 1]};
  }
  for (int k = 1; k < outline.count; ++k)
    CutAtCrossing(outline.profiles[k - 1], outline.points[k - 1], spans[k - 1], outline.profiles[k],
                  outline.points[k], spans[k]);
  for (int k = 0; k < outline.count; ++k)
    outline.points[k] = KeepSpan(outline.profiles[k], outline.points[k], spans[k]);
  return outline.count > 0;
}

// The element's outline: every surface's profile and the edges that join their ends.
void DrawElement(TEditCanvas &canvas, const TOpticalElement &element, COLORREF color) {
  static TElementOutline outline;
  if (!TakeOutline(element, outline)) {
    // A surface without a profile, or too many surfaces: draw what there is.
    DPOINT profile[kLensArrayProfilePoints];
    for (int k = 0; k < element.SurfaceCount(); ++k) {
      const TEditSurface *s = element.surfaces.data[k];
      const int n = s != nullptr ? DrawnProfile(*s, profile) : 0;
      if (n > 1) canvas.DrawWorldPolyline(profile, n, color);
    }
    return;
  }
  for (int k = 0; k < outline.count; ++k) {
    canvas.DrawWorldPolyline(outline.profiles[k], outline.points[k], color);
    if (k == 0) continue;
    for (int end : {0, 1}) {
      DPOINT edge[3];
      const DPOINT &a = end == 0 ? outline.profiles[k - 1][0]
                                 : outline.profiles[k - 1][outline.points[k - 1] - 1];
      const DPOINT &b = end == 0 ? outline.profiles[k][0] : outline.profiles[k][outline.points[k] - 1];
      edge[0] = a;
      const int n = JoinEnds(a, b, outline.stepped[k], edge + 1);
      canvas.DrawWorldPolyline(edge, n + 1, color);
    }
  }
}

// The glass of an element of two or more surfaces: down its first profile, along the lower
// edges, up its last profile and back along the upper edges.
void FillElement(TEditCanvas &canvas, const TOpticalElement &element, COLORREF color) {
  static TElementOutline outline;
  static DPOINT polygon[2 * kLensArrayProfilePoints + 4 * kMaxOutlineSurfaces];
  if (element.SurfaceCount() < 2 || !TakeOutline(element, outline) || outline.count < 2) return;
  int n = 0;
  for (int i = 0; i < outline.points[0]; ++i) polygon[n++] = outline.profiles[0][i];
  for (int k = 1; k < outline.count; ++k)
    n += JoinEnds(outline.profiles[k - 1][outline.points[k - 1] - 1],
                  outline.profiles[k][outline.points[k] - 1], outline.stepped[k], polygon + n);
  const int last = outline.count - 1;
  for (int i = outline.points[last] - 2; i >= 0; --i) polygon[n++] = outline.profiles[last][i];
  for (int k = last; k > 0; --k)
    n += JoinEnds(outline.profiles[k][0], outline.profiles[k - 1][0], outline.stepped[k], polygon + n);
  --n;  // the polygon closes on its first point by itself
  canvas.FillWorldPolygon(polygon, n, color);
}

// Short ticks on the side of a mirror away from the light that reaches it.
void DrawMirrorBack(TEditCanvas &canvas, const TOpticalSystem &system, int index,
                    COLORREF color) {
  const TSurface *s = system.Surface(index);
  const TSurface *before = system.Surface(index - 1);
  if (s == nullptr || before == nullptr || s->general.semiHeightExt <= 0.0) return;
  // The surface's axis in world coordinates, turned away from the previous vertex.
  const DPOINT3 axis = s->Rotate(DPOINT3(1.0, 0.0, 0.0), 1);
  double nx = axis.x, ny = axis.y;
  const double towards = (s->general.vertex[0] - before->general.vertex[0]) * nx +
                         (s->general.vertex[1] - before->general.vertex[1]) * ny;
  if (towards < 0.0) {
    nx = -nx;
    ny = -ny;
  }
  const double length = kMirrorTickShare * s->general.semiHeightExt;
  DPOINT profile[kMirrorTicks];
  if (SurfaceProfilePoints(*static_cast<const TEditSurface *>(s), profile, kMirrorTicks) < 2)
    return;
  for (const DPOINT &p : profile) {
    // Slanted like a hatch: along the axis and a little across it.
    const DPOINT tick[2] = {p, DPOINT{p.x + length * (nx - 0.5 * ny), p.y + length * (ny + 0.5 * nx)}};
    canvas.DrawWorldPolyline(tick, 2, color);
  }
}

void DrawCardinalPlanes(TEditCanvas &canvas, const TSystemImage &system) {
  const TCardinalPoints points = ComputeCardinalPoints(system);
  if (!points.valid) return;
  double height = 0.0;
  for (int i = 1; i + 1 < system.SurfaceCount(); ++i)
    height = std::max(height, system.Surface(i)->general.semiHeightExt);
  if (height <= 0.0) return;
  height *= kCardinalReach;
  const double mark = kFocalMarkShare * height;
  struct TPlane {
    double x;
    double half;
    const char *label;
  };
  const TPlane planes[4] = {{points.front, mark, "F"},
                            {points.frontPrincipal, height, "H"},
                            {points.backPrincipal, height, "H'"},
                            {points.back, mark, "F'"}};
  for (const TPlane &plane : planes) {
    const DPOINT line[2] = {DPOINT{plane.x, plane.half}, DPOINT{plane.x, -plane.half}};
    canvas.DrawWorldPolyline(line, 2, kCardinalColor);
    canvas.DrawWorldText(plane.x, plane.half, plane.label, kCardinalColor);
  }
}

}  // namespace

void TSystemImage::Draw(TEditCanvas *canvas, COLORREF outline, COLORREF fill, COLORREF ray,
                        int flag) {
  if (canvas == nullptr) return;
  if (options.GridAxes != 0) canvas->DrawGridAxes(kGridColor);
  if (options.FillComponent != 0)
    for (int e = 0; e < ElementCount(); ++e) FillElement(*canvas, elements.data[e], fill);
  // The object and image planes, then every element's outline.
  DPOINT profile[kLensArrayProfilePoints];
  for (int i : {0, SurfaceCount() - 1}) {
    const TEditSurface *s = EditSurface(i);
    if (s == nullptr) continue;
    const int n = DrawnProfile(*s, profile);
    if (n > 1) canvas->DrawWorldPolyline(profile, n, outline);
  }
  for (int e = 0; e < ElementCount(); ++e) DrawElement(*canvas, elements.data[e], outline);
  for (int i = 1; i + 1 < SurfaceCount(); ++i)
    if (Surface(i) != nullptr && IsMirrorSurface(*Surface(i)) && EditSurface(i) != nullptr)
      DrawMirrorBack(*canvas, *this, i, outline);
  if (options.ShowCardinalPlanes != 0) DrawCardinalPlanes(*canvas, *this);
  if (flag != 0 && options.ShowCourseBeam != 0) DrawRayFans(*canvas, ray);
}

void TSystemImage::DrawRayFans(TEditCanvas &canvas, COLORREF color) {
  const int surfaceCount = SurfaceCount();
  const std::string waiting = TakeWaitingBesidesPicture();
  // A system that cannot be traced draws no beam (none of the system before).
  const bool traced = surfaceCount >= 2 && Count(info.AlfaM) > 0 && Traceable();
  if (!traced) beams.beams.Clear();
  if (traced) {
    // One meridional fan per field value, as many rays as the system's setting asks.
    beams.SetOwner(this);
    const int setting = beams.raysPerBeam;
    beams.raysPerBeam = std::clamp(setting, 1, kMaxDrawnRaysPerFan);
    BuildRayFans(info.AlfaM, beams);
    beams.raysPerBeam = setting;
  }
  // This picture's own warnings, each once, after those that were waiting besides.
  PictureWarnings() = TakePendingMessage();
  AppendPendingMessage(waiting);
  EachLine(PictureWarnings(), [](const std::string &line) { AppendPendingMessage(line); });
  if (!traced) return;
  const int beamCount = beams.beams.Cells();
  std::size_t total = 0;
  for (int b = 0; b < beamCount; ++b) {
    const TRaysPar &beam = beams.beams.data[b];
    total += beam.rays.data != nullptr ? static_cast<std::size_t>(beam.rays.cols * beam.rays.rows) : 0;
  }
  if (total == 0) return;
  // Work lists kept from drawing to drawing: they grow only for a larger picture.
  const int stride = surfaceCount + 1 + (info.EnablePipe != 0 ? kPipeHitsPerRay : 0);
  if (drawRays_.size() < total) drawRays_.resize(total);
  if (drawHits_.size() < total * stride) drawHits_.resize(total * stride);
  if (drawPath_.size() < static_cast<std::size_t>(stride) + 1) drawPath_.resize(stride + 1);
  std::size_t at = 0;
  for (int b = 0; b < beamCount; ++b) {
    const TRaysPar &beam = beams.beams.data[b];
    const int rays = beam.rays.Cells();
    for (int r = 0; r < rays; ++r) drawRays_[at++] = beam.rays.data[r];
  }
  if (drawStarts_.size() < total) drawStarts_.resize(total);
  for (std::size_t r = 0; r < total; ++r) drawStarts_[r] = DPOINT{drawRays_[r].x, drawRays_[r].y};
  const TRayHitLists lists{drawHits_.data(), stride};
  TraceRays(drawRays_.data(), static_cast<int>(total), kTracePlainGlobal, nullptr, nullptr, &lists);
  // Each ray from its start through its hits.
  DPOINT *path = drawPath_.data();
  for (std::size_t r = 0; r < total; ++r) {
    const TIntersectionPoint *hits = drawHits_.data() + r * stride;
    int n = 0;
    path[n++] = drawStarts_[r];
    for (int k = 0; k < stride && hits[k].x != kHitListEnd; ++k) path[n++] = DPOINT{hits[k].x, hits[k].y};
    if (n > 1) canvas.DrawWorldPolyline(path, n, color);
  }
}

void TSystemImage::DrawMarked(TEditCanvas *canvas, COLORREF color) {
  if (canvas == nullptr) return;
  for (int e = 0; e < ElementCount(); ++e)
    if (elements.data[e].mark != 0) DrawElement(*canvas, elements.data[e], color);
}

void TSystemImage::MoveSelection(TEditCanvas *canvas, int surfaceIndex, POINT offset,
                                 COLORREF outline, COLORREF fill, COLORREF ray, int flag) {
  (void)surfaceIndex;  // the whole marked elements move
  if (canvas == nullptr) return;
  const DPOINT origin = canvas->DeviceToWorld(POINT{0, 0});
  const DPOINT moved = canvas->DeviceToWorld(offset);
  const double dx = moved.x - origin.x;
  const double dy = moved.y - origin.y;
  // The marked elements' vertices, put back exactly after the picture.
  std::vector<std::pair<TEditSurface *, DPOINT3>> kept;
  if (dx != 0.0 || dy != 0.0) {
    for (int e = 0; e < ElementCount(); ++e) {
      TOpticalElement &element = elements.data[e];
      if (element.mark == 0) continue;
      for (int k = 0; k < element.SurfaceCount(); ++k) {
        TEditSurface *s = element.surfaces.data[k];
        if (s == nullptr) continue;
        kept.emplace_back(s, DPOINT3(s->general.vertex[0], s->general.vertex[1], s->general.vertex[2]));
        s->SetPosition(s->general.vertex[0] + dx, s->general.vertex[1] + dy, s->general.vertex[2]);
      }
    }
  }
  // The rest in the plain colours, the selection in its own over it.
  const int fillSetting = options.FillComponent;
  Draw(canvas, kPlainColor, kPlainColor, ray, flag);
  options.FillComponent = 0;
  for (int e = 0; e < ElementCount(); ++e) {
    if (elements.data[e].mark == 0) continue;
    if (fillSetting != 0) FillElement(*canvas, elements.data[e], fill);
    DrawElement(*canvas, elements.data[e], outline);
  }
  options.FillComponent = fillSetting;
  for (const auto &[surface, vertex] : kept) surface->SetPosition(vertex.x, vertex.y, vertex.z);
}

int TSystemImage::MoveMarkedElements(double dx, double dy) {
  if (!std::isfinite(dx) || !std::isfinite(dy) || (dx == 0.0 && dy == 0.0)) return 0;
  int moved = 0;
  for (int e = 0; e < ElementCount(); ++e) {
    TOpticalElement &element = elements.data[e];
    if (element.mark == 0) continue;
    const DPOINT3 at = element.referencePoint;
    element.MoveTo(at.x + dx, at.y + dy, at.z);
    ++moved;
  }
  if (moved == 0) return 0;
  modified_ = 1;
  Update();
  return moved;
}
