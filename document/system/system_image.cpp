// The edited system: its elements, regions, view window, selection and clipboard copies.

#include "document/system/system_image.h"

#include <algorithm>
#include <cstdio>
#include <new>

#include "document/elements/edit_canvas.h"
#include "document/elements/edit_path.h"
#include "document/elements/element_grouping.h"
#include "optics/model/model_globals.h"
#include "platform/core/message_box.h"

namespace {

// The view window leaves this share of the system's size free on every side.
constexpr double kExtentMargin = 0.05;
// Half the size of the view window of a system without extent, in mm.
constexpr double kEmptyHalfSize = 1.0;

}  // namespace

TSystemImage::TSystemImage() : beams(this) {
  if (valueList.Allocate(1, 1)) valueList.data[0] = 0.0;
}

TSystemImage::~TSystemImage() { elements.Clear(); }

TEditSurface *TSystemImage::EditSurface(int i) const {
  return dynamic_cast<TEditSurface *>(Surface(i));
}

void TSystemImage::Clear() {
  ++revision_;
  elements.Clear();
  configurations.Clear();
  shapes_.clear();
  currentConfiguration = 0;
  Dzr = 0.0;
  ClearSelection();
  beams.Clear();
  configurationsLeftOut_.clear();
  DeleteAllSurfaces();
  TOpticalSystem blank;
  blank.name = name;
  static_cast<TOpticalSystem &>(*this) = blank;
  modified_ = 0;
  numbersTaken_ = false;
}

bool TSystemImage::PromoteSurfaces(
    std::vector<std::pair<const TSurface *, TEditSurface *>> *replaced) {
  bool any = false;
  for (int i = 0; i < SurfaceCount(); ++i) {
    TSurface *s = surfaces.data[i];
    if (s == nullptr) continue;
    TEditSurface *edit = dynamic_cast<TEditSurface *>(s);
    if (edit == nullptr) {
      edit = new (std::nothrow) TEditSurface(*s);
      if (edit == nullptr) {
        ShowNotEnoughMemory();
        continue;
      }
      if (replaced != nullptr) replaced->emplace_back(s, edit);
      std::replace(numbered_.begin(), numbered_.end(), static_cast<const TSurface *>(s), static_cast<const TSurface *>(edit));
      surfaces.data[i] = edit;
      delete s;
      any = true;
    }
    edit->Data();
  }
  return any;
}

void TSystemImage::Update() {
  std::vector<const TSurface *> first;
  std::vector<int> marks;
  for (int e = 0; e < ElementCount(); ++e) {
    first.push_back(elements.data[e].FirstSurface());
    marks.push_back(elements.data[e].mark);
  }
  std::vector<std::pair<const TSurface *, TEditSurface *>> replaced;
  const bool promoted = PromoteSurfaces(&replaced);
  // Every road to another temperature (the General page, an edit that brings in a private
  // glass) tells once that the private catalog's thermal data are not applied.
  if (SurfaceCount() > 0 && Prepare(0.0, 1, 0) >= 0) TellPrivateThermalData();
  if (promoted) {
    for (const TSurface *&f : first)
      for (const auto &[from, to] : replaced)
        if (f == from) f = to;
    Regroup(first, marks);
  } else {
    UpdateRegions();
  }
  FollowSurfaceNumbers();
}

void TSystemImage::RebuildElements(const TEditCanvas *canvas) {
  if (canvas != nullptr) canvas_ = canvas;
  std::vector<const TSurface *> first;
  std::vector<int> marks;
  for (int e = 0; e < ElementCount(); ++e) {
    first.push_back(elements.data[e].FirstSurface());
    marks.push_back(elements.data[e].mark);
  }
  std::vector<std::pair<const TSurface *, TEditSurface *>> replaced;
  PromoteSurfaces(&replaced);
  for (const TSurface *&f : first)
    for (const auto &[from, to] : replaced)
      if (f == from) f = to;
  Regroup(first, marks);
  ComputeExtent();
  FollowSurfaceNumbers();
}

void TSystemImage::Regroup(const std::vector<const TSurface *> &previousFirst,
                           const std::vector<int> &previousMark) {
  const std::vector<TSurfaceRange> ranges = GroupElements(*this);
  const int count = static_cast<int>(ranges.size());
  Mem<TOpticalElement> regrouped;
  // previous[e]: the element before the regrouping that element e continues, or -1.
  std::vector<int> previous(count, -1);
  if (count > 0 && !regrouped.Allocate(count, 1)) {
    elements.Clear();  // never left pointing at surfaces that may be gone
    return;
  }
  for (int e = 0; e < count; ++e) {
    TOpticalElement &element = regrouped.data[e];
    const int n = ranges[e].last - ranges[e].first + 1;
    if (!element.surfaces.Allocate(n, 1)) continue;
    for (int k = 0; k < n; ++k)
      element.surfaces.data[k] = dynamic_cast<TEditSurface *>(Surface(ranges[e].first + k));
    TEditSurface *first = element.FirstSurface();
    if (first != nullptr) {
      element.referencePoint =
          DPOINT3(first->general.vertex[0], first->general.vertex[1], first->general.vertex[2]);
    }
    for (std::size_t o = 0; o < previousFirst.size(); ++o) {
      if (previousFirst[o] != nullptr && previousFirst[o] == first) {
        previous[e] = static_cast<int>(o);
        element.mark = o < previousMark.size() ? previousMark[o] : 0;
        break;
      }
    }
  }

  // Every configuration keeps the positions of the elements that remain; a new element
  // stands where it is in the base configuration and has no offset in the others.
  for (int k = 0; k < ConfigurationCount(); ++k) {
    TConfigurationParameters &record = configurations.data[k];
    const int stored = record.positions.Cells();
    Mem<DPOINT3> positions;
    if (count > 0 && !positions.Allocate(count, 1)) continue;
    for (int e = 0; e < count; ++e) {
      const int o = previous[e];
      if (o >= 0 && o < stored)
        positions.data[e] = record.positions.data[o];
      else if (k == 0)
        positions.data[e] = regrouped.data[e].referencePoint;
    }
    record.positions = positions;
  }

  elements = regrouped;
  hasSelection = 0;
  for (int e = 0; e < count; ++e) hasSelection |= elements.data[e].mark != 0 ? 1 : 0;
  if (!hasSelection) {
    selectedElement = -1;
    selectedSurface = -1;
  } else if (selectedElement >= count || selectedElement < 0 ||
             elements.data[selectedElement].mark == 0) {
    selectedElement = -1;
    for (int e = 0; e < count && selectedElement < 0; ++e)
      if (elements.data[e].mark != 0) selectedElement = e;
  }
  if (selectedSurface >= SurfaceCount()) selectedSurface = -1;
  UpdateRegions();
}

void TSystemImage::UpdateRegions() {
  for (int e = 0; e < ElementCount(); ++e) {
    TOpticalElement &element = elements.data[e];
    element.UpdateRegion(canvas_);
    if (TEditSurface *first = element.FirstSurface()) {
      element.referencePoint =
          DPOINT3(first->general.vertex[0], first->general.vertex[1], first->general.vertex[2]);
    }
  }
}

void TSystemImage::SetCanvas(const TEditCanvas *canvas) {
  canvas_ = canvas;
  UpdateRegions();
}

void TSystemImage::ComputeExtent() {
  TWorldBox box;
  for (int i = 0; i < SurfaceCount(); ++i) {
    const TEditSurface *s = EditSurface(i);
    if (s == nullptr) continue;
    DPOINT profile[kProfilePoints];
    const int n = SurfaceProfilePoints(*s, profile, kProfilePoints);
    for (int k = 0; k < n; ++k) box.Add(profile[k].x, profile[k].y);
    box.Add(s->general.vertex[0], s->general.vertex[1]);
  }
  if (box.empty) {
    viewWindow = TViewWindow{-kEmptyHalfSize, kEmptyHalfSize, -kEmptyHalfSize, kEmptyHalfSize};
    return;
  }
  double margin = kExtentMargin * std::max(box.x2 - box.x1, box.y2 - box.y1);
  if (margin <= 0.0) margin = kEmptyHalfSize;
  viewWindow = TViewWindow{box.x1 - margin, box.x2 + margin, box.y1 - margin, box.y2 + margin};
}

int TSystemImage::InsertSurface(TEditSurface *surface, int index) {
  if (surface == nullptr) return 0;
  surface->Data();
  if (!TOpticalSystem::InsertSurface(surface, index)) return 0;
  modified_ = 1;
  return 1;
}

int TSystemImage::AddSurface(TEditSurface *surface) {
  if (surface == nullptr) return 0;
  surface->Data();
  if (TOpticalSystem::AddSurface(surface) == nullptr) return 0;
  modified_ = 1;
  return 1;
}

namespace {

// The stop number (from 1; 0: none) after `count` surfaces went in at `at`, or -count
// went out from there.
int FollowedStop(int stop, int at, int count) {
  if (stop <= 0 || count == 0) return stop;
  const int index = stop - 1;
  if (count > 0) return index >= at ? stop + count : stop;
  if (index >= at - count) return stop + count;
  return index >= at ? 0 : stop;
}

}  // namespace

void TSystemImage::FollowStopSurface(int at, int count) {
  info.Naper = FollowedStop(info.Naper, at, count);
  for (int k = 0; k < ConfigurationCount(); ++k) {
    TConfigurationParameters &record = configurations.data[k];
    record.Naper = FollowedStop(record.Naper, at, count);
  }
}

void TSystemImage::ClearSelection() {
  hasSelection = 0;
  selectedElement = -1;
  selectedSurface = -1;
  for (int e = 0; e < ElementCount(); ++e) elements.data[e].mark = 0;
  for (int i = 0; i < SurfaceCount(); ++i)
    if (TSurface *s = Surface(i); s != nullptr && s->editData != nullptr) s->editData->mark = 0;
}

int TSystemImage::SelectInRect(const TEditCanvas *canvas, const RECT &rect) {
  // The canvas may have scrolled or zoomed since the regions were made.
  if (canvas != nullptr) {
    canvas_ = canvas;
    UpdateRegions();
  }
  ClearSelection();
  int marked = 0;
  for (int e = 0; e < ElementCount(); ++e) {
    TOpticalElement &element = elements.data[e];
    const TEditPath *path = dynamic_cast<const TEditPath *>(element.region);
    if (path == nullptr || !path->Meets(rect)) continue;
    element.mark = 1;
    ++marked;
    if (selectedElement < 0) selectedElement = e;
    for (int k = 0; k < element.SurfaceCount(); ++k)
      if (element.surfaces.data[k] != nullptr) element.surfaces.data[k]->SetMark(1);
  }
  int surfacesMet = 0;
  int metIndex = -1;
  for (int i = 0; i < SurfaceCount(); ++i) {
    const TSurface *s = Surface(i);
    const TEditRegion *region =
        s != nullptr && s->editData != nullptr ? s->editData->region : nullptr;
    const TEditPath *path = dynamic_cast<const TEditPath *>(region);
    if (path != nullptr && path->Meets(rect)) {
      ++surfacesMet;
      metIndex = i;
    }
  }
  if (surfacesMet == 1) selectedSurface = metIndex;
  hasSelection = marked > 0 ? 1 : 0;
  return marked;
}

void TSystemImage::DeleteSelected(const TEditCanvas *canvas) {
  if (canvas != nullptr) canvas_ = canvas;
  std::vector<const TSurface *> first;
  std::vector<int> marks;
  std::vector<int> doomed;
  for (int e = 0; e < ElementCount(); ++e) {
    const TOpticalElement &element = elements.data[e];
    const bool remove = element.mark != 0;
    first.push_back(remove ? nullptr : element.FirstSurface());
    marks.push_back(0);
    if (!remove) continue;
    for (int k = 0; k < element.SurfaceCount(); ++k) {
      const int index = FindSurface(element.surfaces.data[k]);
      if (index >= 0) doomed.push_back(index);
    }
  }
  if (doomed.empty()) return;
  // The element list refers to the surfaces about to go: drop it before they do.
  elements.Clear();
  std::sort(doomed.rbegin(), doomed.rend());
  // From the last surface back, so each index still names the surface it named.
  for (int index : doomed) {
    DeleteSurface(index);
    FollowStopSurface(index, -1);
  }
  selectedElement = -1;
  selectedSurface = -1;
  Regroup(first, marks);
  Update();
  ComputeExtent();
  modified_ = 1;
}

void TSystemImage::CopySelection(TSystemImage &target, const TEditCanvas *canvas) const {
  if (&target == this) return;
  target.Assign(*this, 0);
  // Keep the marked elements: mark the others and delete them.
  for (int e = 0; e < target.ElementCount(); ++e)
    target.elements.data[e].mark = target.elements.data[e].mark != 0 ? 0 : 1;
  target.DeleteSelected(canvas);
  target.ClearSelection();
  target.modified_ = 1;
}

void TSystemImage::CutSelection(TSystemImage &target, const TEditCanvas *canvas) {
  if (&target == this) return;
  bool any = false;
  for (int e = 0; e < ElementCount(); ++e) any = any || elements.data[e].mark != 0;
  if (!any) return;
  CopySelection(target, canvas);
  DeleteSelected(canvas);
}

void TSystemImage::Assign(const TSystemImage &other, int flag) {
  if (&other == this) return;
  ++revision_;
  // The copy's surfaces are taken in the order they come, as a system read.
  numbersTaken_ = false;
  elements.Clear();
  static_cast<TOpticalSystem &>(*this) = other;  // clones every surface as it is
  configurations = other.configurations;
  currentConfiguration = other.currentConfiguration;
  Dzr = other.Dzr;
  valueList = other.valueList;
  valueListPair = other.valueListPair;
  // The fans are drawn and analysed with the rays per fan in force, which the beam
  // animation may have set apart from the file's; the copy's beams are its own.
  beams = other.beams;
  beams.SetOwner(this);
  Regroup({}, {});
  // Regrouping without a previous element list gives every configuration new positions;
  // the copies correspond element by element, so the source's records hold.
  configurations = other.configurations;
  // The copy's own surfaces stand where the other's do.
  shapes_ = other.shapes_;
  imageTaken_ = other.imageTaken_;
  for (TElementShape &shape : shapes_) {
    shape.firstSurface = Surface(shape.first);
    shape.lastSurface = Surface(shape.last);
  }
  // The same surfaces in the same order group alike: marks follow by position.
  for (int e = 0; e < ElementCount() && e < other.ElementCount(); ++e)
    elements.data[e].mark = other.elements.data[e].mark;
  hasSelection = other.hasSelection;
  selectedElement = other.selectedElement < ElementCount() ? other.selectedElement : -1;
  selectedSurface = other.selectedSurface < SurfaceCount() ? other.selectedSurface : -1;
  ComputeExtent();
  if (flag != 0) Update();
  modified_ = 1;
}
