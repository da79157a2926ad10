#include "editor/insert/element_insertion.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <vector>

#include "document/elements/element_grouping.h"
#include "document/system/system_image.h"
#include "editor/insert/lens_of_focus.h"
#include "editor/insert/placement.h"
#include "foundation/numerics/pi.h"

namespace {

// Prepares the changed system and regroups it, keeping the user's pupil settings.
void RefreshInsertedSystem(TSystemImage &system) {
  UpdateKeepingPupil(system, true);
  system.SetUnsavedChanges(1);
}

// Marks the surfaces first..last and the elements they form as the selection.
void SelectInsertedRange(TSystemImage &system, int first, int last) {
  system.ClearSelection();
  for (int e = 0; e < system.ElementCount(); ++e) {
    TOpticalElement &element = system.elements.data[e];
    const int at = system.IndexOfSurface(element.FirstSurface());
    if (at < first || at > last) continue;
    element.mark = 1;
    if (system.selectedElement < 0) system.selectedElement = e;
    for (int k = 0; k < element.SurfaceCount(); ++k) element.surfaces.data[k]->SetMark(1);
  }
  system.hasSelection = system.selectedElement >= 0 ? 1 : 0;
}

}  // namespace

void TurnFollowingSurfaces(TSystemImage &system, const TInsertedElementInfo &info, int last, double turn) {
  const int n = system.SurfaceCount();
  const TSurface *pivot = system.Surface(last);
  if (pivot == nullptr || last + 1 > n - 1) return;
  const DPOINT3 centre(pivot->general.vertex[0], pivot->general.vertex[1], pivot->general.vertex[2]);
  if (turn != 0.0) system.RotateGroupAboutPoint(last + 1, n - 1, centre, DPOINT3(0.0, 0.0, turn));
  TPlacedRay leaving;
  const bool traced = ChiefRayLeaving(system, last, leaving);
  if (traced) {
    const double added = std::remainder(std::atan2(leaving.direction.y, leaving.direction.x) - info.tilt - turn, 2.0 * kPi);
    if (added != 0.0) system.RotateGroupAboutPoint(last + 1, n - 1, centre, DPOINT3(0.0, 0.0, added));
    turn += added;
  }
  const double ux = std::cos(info.tilt + turn);
  const double uy = std::sin(info.tilt + turn);
  if (traced) {
    // Shifted across the leaving ray until the line the chief ray took through the placed
    // vertex, turned with them, is that ray: what stood on the beam (a fold mirror and what
    // it sends the light to as well) stands on it again.
    const double c = std::cos(turn);
    const double s = std::sin(turn);
    const double px = info.position.x - centre.x;
    const double py = info.position.y - centre.y;
    const double dx = leaving.point.x - (centre.x + px * c - py * s);
    const double dy = leaving.point.y - (centre.y + px * s + py * c);
    const double along = dx * ux + dy * uy;
    const DPOINT3 across(dx - along * ux, dy - along * uy, 0.0);
    if (across.x != 0.0 || across.y != 0.0) system.ShiftSurfaces(last + 1, n - 1, across, 1);
  }
  // An image plane that directly follows never stands in front of the last vertex; one
  // behind other surfaces stays where they send the light.
  if (last + 1 != n - 1) return;
  const double *image = system.Surface(n - 1)->general.vertex;
  const double along = (image[0] - centre.x) * ux + (image[1] - centre.y) * uy;
  if (along < 0.0) system.ShiftSurfaces(n - 1, n - 1, DPOINT3(-2.0 * along * ux, -2.0 * along * uy, 0.0), 1);
}


TSystemImage::TCopiedBeam CopiedBeamOf(TSystemImage &source) {
  TSystemImage::TCopiedBeam beam;
  int first = -1;
  int last = -1;
  for (int e = 0; e < source.ElementCount(); ++e) {
    const TOpticalElement &element = source.elements.data[e];
    if (element.mark == 0) continue;
    const int from = source.IndexOfSurface(element.FirstSurface());
    const int to = source.IndexOfSurface(element.LastSurface());
    if (from < 1 || to < from) continue;
    first = first < 0 ? from : std::min(first, from);
    last = std::max(last, to);
  }
  TPlacedRay in;
  TPlacedRay out;
  // The ray reaching the first surface is the one leaving the surface before it.
  if (first < 1 || !ChiefRayLeaving(source, first - 1, in) || !ChiefRayLeaving(source, last, out)) return beam;
  beam.known = true;
  beam.in = std::atan2(in.direction.y, in.direction.x);
  beam.out = std::atan2(out.direction.y, out.direction.x);
  return beam;
}

TSystemImage::TCopiedBeam OwnBeamOf(TSystemImage &element) {
  for (int e = 0; e < element.ElementCount(); ++e) element.elements.data[e].mark = 1;
  const TSystemImage::TCopiedBeam beam = CopiedBeamOf(element);
  element.ClearSelection();
  return beam;
}

void KeepImagePlaneBehind(TSystemImage &system, const TInsertedElementInfo &info, int last) {
  const int n = system.SurfaceCount();
  const TSurface *end = system.Surface(last);
  if (end == nullptr || last + 1 != n - 1) return;
  const double *image = system.Surface(n - 1)->general.vertex;
  const double ux = std::cos(info.tilt);
  const double uy = std::sin(info.tilt);
  const double along = (image[0] - end->general.vertex[0]) * ux + (image[1] - end->general.vertex[1]) * uy;
  if (along < 0.0) system.ShiftSurfaces(n - 1, n - 1, DPOINT3(-2.0 * along * ux, -2.0 * along * uy, 0.0), 1);
}

int EndInsertion(TSystemImage &system, TInsertedElementInfo &info, int first, int last) {
  info.insertedCount = last - first + 1;
  RefreshInsertedSystem(system);
  system.FollowMovedSurfaces(info.stands);
  SelectInsertedRange(system, first, last);
  return 1;
}

double RelativeIndexBehind(TSystemImage &system, int k, const std::string &glass, std::string &error) {
  TEditSurface *surface = system.EditSurface(k);
  if (surface == nullptr) {
    error = "No place was chosen for the element";
    return 0.0;
  }
  const std::string medium = surface->general.glass;
  // The glass's index at the working wavelength, as the preparation finds it.
  surface->general.glass = glass;
  system.Update();
  const double nGlass = std::fabs(surface->general.nAfter);
  const double nMedium = std::fabs(surface->general.nBefore);
  const bool missing = system.materialsMissing != 0;
  surface->general.glass = medium;
  RefreshInsertedSystem(system);
  if (missing || !(nMedium > 0.0)) {
    error = "The glass " + glass + " is not in the catalogs";
    return 0.0;
  }
  return nGlass / nMedium;
}

int InsertLens(TSystemImage &system, TInsertedElementInfo &info, double focal,
               const std::string &glass, double thickness, std::string &error) {
  const int k = info.placedSurface;
  TEditSurface *first = system.EditSurface(k);
  if (first == nullptr || info.insertedCount != 0) {
    error = "No place was chosen for the lens";
    return 0;
  }
  if (IsAirGlass(glass) || IsMirrorSurface(*first) || glass == "refl") {
    error = "Choose the glass of the lens";
    return 0;
  }
  const std::string medium = first->general.glass;
  const double relativeIndex = RelativeIndexBehind(system, k, glass, error);
  if (!(relativeIndex > 0.0)) return 0;
  first = system.EditSurface(k);
  const TLensRadii radii = LensRadiiForFocus(focal, relativeIndex, thickness);
  if (!radii.error.empty()) {
    error = radii.error;
    return 0;
  }
  const double wanted = info.apertureDiameter > 0.0 ? 0.5 * info.apertureDiameter
                                                    : first->general.semiHeightExt;
  const double semi = LensSemiHeight(radii, thickness, wanted);
  const double x = first->general.vertex[0] + thickness * std::cos(info.tilt);
  const double y = first->general.vertex[1] + thickness * std::sin(info.tilt);
  TGeneralParameters front = first->GetGeneralParameters();
  front.type = kSurfaceSphere;
  front.glass = glass;
  front.semiHeightExt = semi;
  front.semiWidthExt = semi;
  TGeneralParameters rear = front;
  rear.glass = medium;
  rear.vertex[0] = x;
  rear.vertex[1] = y;
  TElementReach reach;
  AddFaceReach(info, FaceOf(front, radii.r1), reach);
  AddFaceReach(info, FaceOf(rear, radii.r2), reach);
  error = PlacementRoom(system, info, reach);
  if (!error.empty()) return 0;

  TEditSurface *second = new (std::nothrow) TEditSurface(*first);
  if (second == nullptr) {
    RefreshInsertedSystem(system);
    error = "Not enough memory";
    return 0;
  }
  first->SetGeneralParameters(&front);
  first->SetRadius(radii.r1);
  second->SetGeneralParameters(&rear);
  second->SetRadius(radii.r2);
  second->SetAngles(rear.angles[0], rear.angles[1], rear.angles[2]);
  const int stored = k + 1 >= system.SurfaceCount() ? system.AddSurface(second)
                                                     : system.InsertSurface(second, k + 1);
  if (!stored) {
    delete second;
    RefreshInsertedSystem(system);
    error = "Not enough memory";
    return 0;
  }
  system.FollowStopSurface(k + 1, 1);
  KeepImagePlaneBehind(system, info, k + 1);
  return EndInsertion(system, info, k, k + 1);
}

int PasteElement(TSystemImage &system, TInsertedElementInfo &info, const TSystemImage &clipboard,
                 std::string &error) {
  const int k = info.placedSurface;
  const TSurface *placed = system.Surface(k);
  if (placed == nullptr || info.insertedCount != 0) {
    error = "No place was chosen for the element";
    return 0;
  }
  const int n = clipboard.SurfaceCount();
  if (n < 3) {
    error = "The clipboard holds no element";
    return 0;
  }
  const std::string medium = placed->general.glass;
  const TSurface *head = clipboard.Surface(1);
  if (head == nullptr) {
    error = "The clipboard holds no element";
    return 0;
  }
  const DPOINT3 origin(head->general.vertex[0], head->general.vertex[1], head->general.vertex[2]);
  // The faces keep their angles to the beam they were copied with; without it the first
  // face stands square to the placed direction.
  const TSystemImage::TCopiedBeam &beam = clipboard.copiedBeam;
  const double turn = info.tilt - (beam.known ? beam.in : head->general.angles[2]);
  // Every face where it will stand: moved to the placed vertex, turned about it.
  TElementReach reach;
  // A group that reflects or whose faces do not all stand parallel (a fold, a prism) turns
  // the beam by what it did where it was copied; a lens's bending of an oblique chief ray
  // turns nothing after it.
  bool turning = false;
  for (int i = 1; i <= n - 2; ++i)
    if (const TSurface *s = clipboard.Surface(i))
      turning = turning || IsMirrorSurface(*s) || s->general.angles[2] != head->general.angles[2];
  reach.turn = beam.known && turning ? std::remainder(beam.out - beam.in, 2.0 * kPi) : 0.0;
  for (int i = 1; i <= n - 2; ++i) {
    const TSurface *source = clipboard.Surface(i);
    if (source == nullptr) continue;
    const double dx = source->general.vertex[0] - origin.x;
    const double dy = source->general.vertex[1] - origin.y;
    TSurface face(*source);
    face.SetPosition(info.position.x + dx * std::cos(turn) - dy * std::sin(turn),
                     info.position.y + dx * std::sin(turn) + dy * std::cos(turn), info.position.z + source->general.vertex[2] - origin.z);
    const double *a = source->general.angles;
    const DPOINT3 turned = TurnedAngles(DPOINT3(a[0], a[1], a[2]), DPOINT3(0.0, 0.0, turn));
    face.SetAngles(turned.x, turned.y, turned.z);
    AddFaceReach(info, face, reach);
  }
  error = PlacementRoom(system, info, reach);
  if (!error.empty()) return 0;
  std::vector<TEditSurface *> copies;
  for (int i = 1; i <= n - 2; ++i) {
    const TSurface *source = clipboard.Surface(i);
    TEditSurface *copy = source != nullptr ? new (std::nothrow) TEditSurface(*source) : nullptr;
    if (copy == nullptr) {
      for (TEditSurface *made : copies) delete made;
      error = source == nullptr ? "The clipboard holds no element" : "Not enough memory";
      return 0;
    }
    // Light-pipe walls join surfaces of the clipboard's system, not of this one.
    copy->ReplaceSurfaceLinks(nullptr, nullptr, 0);
    copy->SetMark(1);
    copies.push_back(copy);
  }
  TEditSurface *last = copies.back();
  if (!IsMirrorSurface(*last) && IsAirGlass(last->general.glass)) last->general.glass = medium;

  // The placed surface gives way to the copies (kept to come back should they not fit).
  const TEditSurface keptPlaced(*placed);
  ForgetElementOf(system, placed);
  system.ClearSelection();
  system.DeleteSurface(k);
  const int count = static_cast<int>(copies.size());
  for (int j = 0; j < count; ++j) {
    const int at = k + j;
    const int stored = at >= system.SurfaceCount() ? system.AddSurface(copies[j])
                                                   : system.InsertSurface(copies[j], at);
    if (!stored) {
      // What could not be stored is deleted; what was is taken out again.
      for (int r = j; r < count; ++r) delete copies[r];
      for (int r = j - 1; r >= 0; --r) system.DeleteSurface(k + r);
      if (TEditSurface *again = new (std::nothrow) TEditSurface(keptPlaced)) {
        if (!system.InsertSurface(again, k)) delete again;
      }
      error = "Not enough memory";
      RefreshInsertedSystem(system);
      return 0;
    }
  }
  // Moved so that the first vertex lies at the placed position, then turned about it.
  const DPOINT3 shift(info.position.x - origin.x, info.position.y - origin.y,
                      info.position.z - origin.z);
  system.ShiftSurfaces(k, k + count - 1, shift, 1);
  if (turn != 0.0)
    system.RotateGroupAboutPoint(k, k + count - 1, info.position, DPOINT3(0.0, 0.0, turn));
  system.FollowStopSurface(k, count - 1);
  // A group that turns the beam (a fold, a prism) carries what follows as a mirror does.
  if (reach.turn != 0.0)
    TurnFollowingSurfaces(system, info, k + count - 1, reach.turn);
  else
    KeepImagePlaneBehind(system, info, k + count - 1);
  return EndInsertion(system, info, k, k + count - 1);
}
