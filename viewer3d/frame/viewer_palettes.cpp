// The viewer's two floating palettes: turns (803-808) and shifts (809-814). At most one is
// open; each press of a palette button builds a new one where the viewer's last one of
// that kind stood. The viewer keeps no pointer to a palette that went, whichever way.

#include <algorithm>

#include "platform/gui/bars/gadget_window.h"
#include "viewer3d/frame/optical_viewer3d.h"
#include "viewer3d/palette/viewer_commands.h"

namespace {

constexpr int kPaletteButtons = 6;
constexpr int kPaletteColumns = 2;

// Where a palette stands now: its window's corner while it has one, else its last place.
POINT PlaceOf(const TToolsWnd &palette) {
  if (!palette.IsWindow()) return palette.Place();
  const RECT rect = palette.GetWindowRect();
  return POINT{rect.left, rect.top};
}

}  // namespace

void TOpticalViewer3D::CmRotateTools() {
  OpenPalette(CM_ROTATE_X_PLUS, rotatePalette_, movePalette_, rotatePlace_, movePlace_);
}

void TOpticalViewer3D::CmMoveTools() {
  OpenPalette(CM_MOVE_X_PLUS, movePalette_, rotatePalette_, movePlace_, rotatePlace_);
}

void TOpticalViewer3D::OpenPalette(int first, TToolsWnd *&palette, TToolsWnd *&other, POINT &place,
                                   POINT &otherPlace) {
  DeleteRetiredPalettes();
  if (palette != nullptr) return;
  const bool turns = first == CM_ROTATE_X_PLUS;
  SetButtonDown(turns ? CM_ROTATE_TOOLS : CM_MOVE_TOOLS, true);
  if (other != nullptr) {
    SetButtonDown(turns ? CM_MOVE_TOOLS : CM_ROTATE_TOOLS, false);
    DeletePalette(other, otherPlace);
  }
  auto *box = new TToolBox(nullptr, kPaletteColumns);
  for (int k = 0; k < kPaletteButtons; ++k)
    box->Insert(*new TButtonGadget(TResId(first + k), first + k, TButtonGadget::Command, true));
  // The palette stands on the viewer's own parent (the editor's window for its viewer).
  palette = new TToolsWnd(GetParentO(), "", box, this, place);
  if (!palette->Create()) DeletePalette(palette, place);
}

void TOpticalViewer3D::DeletePalette(TToolsWnd *&palette, POINT &place) {
  TToolsWnd *going = palette;
  if (going == nullptr) return;
  palette = nullptr;
  place = PlaceOf(*going);
  delete going;
}

void TOpticalViewer3D::DeleteRetiredPalettes() {
  std::vector<TToolsWnd *> going;
  going.swap(retiredPalettes_);
  for (TToolsWnd *palette : going) delete palette;
}

void TOpticalViewer3D::ClosePalettes() {
  DeletePalette(rotatePalette_, rotatePlace_);
  DeletePalette(movePalette_, movePlace_);
  DeleteRetiredPalettes();
}

void TOpticalViewer3D::PaletteClosedByUser(TToolsWnd &palette) {
  SetButtonDown(CM_ROTATE_TOOLS, false);
  SetButtonDown(CM_MOVE_TOOLS, false);
  if (&palette == rotatePalette_) rotatePlace_ = PlaceOf(palette);
  if (&palette == movePalette_) movePlace_ = PlaceOf(palette);
  rotatePalette_ = nullptr;
  movePalette_ = nullptr;
  // It closes itself now; the object goes at the next palette command or with the viewer.
  if (std::find(retiredPalettes_.begin(), retiredPalettes_.end(), &palette) == retiredPalettes_.end())
    retiredPalettes_.push_back(&palette);
}

void TOpticalViewer3D::PaletteGone(TToolsWnd &palette) {
  retiredPalettes_.erase(std::remove(retiredPalettes_.begin(), retiredPalettes_.end(), &palette),
                         retiredPalettes_.end());
  if (&palette == rotatePalette_) {
    rotatePlace_ = PlaceOf(palette);
    rotatePalette_ = nullptr;
    SetButtonDown(CM_ROTATE_TOOLS, false);
  }
  if (&palette == movePalette_) {
    movePlace_ = PlaceOf(palette);
    movePalette_ = nullptr;
    SetButtonDown(CM_MOVE_TOOLS, false);
  }
}
