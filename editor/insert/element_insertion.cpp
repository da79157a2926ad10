#include "editor/insert/element_insertion.h"

#include <cmath>
#include <new>
#include <vector>

#include "document/elements/element_grouping.h"
#include "document/system/system_image.h"
#include "editor/insert/lens_of_focus.h"
#include "editor/insert/placement.h"

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
  TGeneralParameters g = first->GetGeneralParameters();
  g.type = kSurfaceSphere;
  g.glass = glass;
  g.semiHeightExt = semi;
  g.semiWidthExt = semi;
  first->SetGeneralParameters(&g);
  first->SetRadius(radii.r1);

  g.glass = medium;
  second->SetGeneralParameters(&g);
  second->SetRadius(radii.r2);
  second->SetPosition(x, y, g.vertex[2]);
  second->SetAngles(g.angles[0], g.angles[1], g.angles[2]);
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
  const double turn = info.tilt - head->general.angles[2];
  // Every face where it will stand: moved to the placed vertex, turned about it.
  TElementReach reach;
  for (int i = 1; i <= n - 2; ++i) {
    const TSurface *source = clipboard.Surface(i);
    if (source == nullptr) continue;
    const double dx = source->general.vertex[0] - origin.x;
    const double dy = source->general.vertex[1] - origin.y;
    TSurface face(*source);
    face.SetPosition(info.position.x + dx * std::cos(turn) - dy * std::sin(turn),
                     info.position.y + dx * std::sin(turn) + dy * std::cos(turn), info.position.z + source->general.vertex[2] - origin.z);
    face.SetAngles(source->general.angles[0], source->general.angles[1], source->general.angles[2] + turn);
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
  KeepImagePlaneBehind(system, info, k + count - 1);
  return EndInsertion(system, info, k, k + count - 1);
}
