#include "editor/edit/editor_palettes.h"

#include <iterator>

#include "editor/edit/palette_placement.h"
#include "document/system/system_image.h"
#include "editor/canvas/edit_graph.h"
#include "editor/commands/editor_commands.h"
#include "editor/commands/menu_state.h"
#include "editor/settings/editor_settings.h"
#include "platform/gui/bars/gadget_window.h"
#include "platform/gui/bars/gadgets.h"
#include "platform/gui/menus/accelerators.h"
#include "platform/gui/menus/menu.h"
#include "platform/gui/menus/menu_window.h"
#include "platform/gui/windows/screen.h"

namespace {

constexpr int kTools = 0;
constexpr int kZoom = 1;
constexpr int kConfigurations = 2;
// The settings file keeps the palettes in this order: tools, configurations, zoom.
constexpr int kToolsSlot = 0;
constexpr int kConfigurationsSlot = 1;
constexpr int kZoomSlot = 2;
constexpr int kColumns = 2;

const TPaletteKind kKinds[3] = {
    {"Tools", kToolsPaletteButtons, static_cast<int>(std::size(kToolsPaletteButtons)), kColumns,
     kToolsSlot, CM_TOOLS_PALETTE, 18, false},
    {"Zoom", kZoomPaletteButtons, static_cast<int>(std::size(kZoomPaletteButtons)), kColumns,
     kZoomSlot, CM_ZOOM_PALETTE, 96, false},
    {"Config", kConfigurationPaletteButtons,
     static_cast<int>(std::size(kConfigurationPaletteButtons)), kColumns, kConfigurationsSlot,
     CM_CONFIGURATIONS_PALETTE, 0, true},
};

// The commands whose buttons the menu rules press (the others are the commands' toggles).
constexpr int kRulePressed[] = {CM_PROPERTIES_OF_SELECTED, CM_3D_IMAGE, CM_PSF_MTF,
                                CM_IMAGE_SYNTHESIS};

TOToolBox *MakeBox(const TPaletteKind &kind) {
  RegisterPaletteGlyphs();
  auto *box = new TOToolBox(nullptr, kind.columns);
  for (int k = 0; k < kind.buttonCount; ++k) {
    const int id = kind.buttons[k];
    box->Insert(*new TButtonGadget(TResId(id), id, TButtonGadget::Command, true));
  }
  return box;
}

bool Holds(const TPaletteKind &kind, int command) {
  for (int k = 0; k < kind.buttonCount; ++k)
    if (kind.buttons[k] == command) return true;
  return false;
}

TEditorPalette *PaletteAt(const TEditorTools &tools, int which) {
  switch (which) {
    case kTools: return tools.toolsPalette;
    case kZoom: return tools.zoomPalette;
    default: return tools.configPalette;
  }
}

SIZE SizeOf(const RECT &rect) { return SIZE{rect.right - rect.left, rect.bottom - rect.top}; }

SIZE ScreenSize() { return SIZE{GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}; }

// A palette with no stored place stands in a column beside the frame, off the drawing
// (where the image plane usually is), below the palettes already there; only where the
// screen has no room beside the frame does it take its place at the canvas's corner.
POINT FirstPalettePlace(const TEditorTools &tools, int which, const TPaletteKind &kind, const RECT &frame,
                        const RECT &canvas, SIZE size) {
  constexpr int kGap = 4;
  POINT at = BesideFramePalettePlace(frame, canvas);
  if (at.x + size.cx > ScreenSize().cx) return kind.besideFrame ? at : DefaultPalettePlace(canvas, size, kind.xOffset);
  for (bool moved = true; moved;) {
    moved = false;
    for (int other = 0; other < 3; ++other) {
      const TEditorPalette *palette = PaletteAt(tools, other);
      if (other == which || palette == nullptr || palette->GetHandle() == nullptr) continue;
      const RECT standing = palette->GetWindowRect();
      const RECT mine{at.x, at.y, at.x + size.cx, at.y + size.cy};
      RECT common;
      if (IntersectRect(&common, &mine, &standing)) {
        // Under it, in one column with it.
        at = POINT{standing.left, standing.bottom + kGap};
        moved = true;
      }
    }
  }
  return at;
}

}  // namespace

TEditorPalette::TEditorPalette(TWindow *frameWindow, TPaletteCommands &owner, const TPaletteKind &kind)
    : TToolBarWnd(frameWindow, kind.caption, MakeBox(kind)), owner_(owner), kind_(kind) {}

void TEditorPalette::ShowHint(const char *hint) {
  if (!owner_.FrameIsCurrent()) return;
  if (TStatusBar *status = owner_.StatusBar()) status->SetHintText(hint);
}

void TEditorPalette::ClosePalette() {
  if (!owner_.FrameIsCurrent()) return;
  for (int which = 0; which < 3; ++which)
    if (&kKinds[which] == &kind_) owner_.ShowPalette(which, 0);
}

LRESULT TEditorPalette::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  // Closed from outside (the window manager's close, Alt+F4, the caption's close box): put
  // away as its own "Close" does, so its menu command brings it back. Destroyed, it would
  // stay the editor's palette without a window.
  if (msg == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_CLOSE && owner_.FrameIsCurrent()) {
    ClosePalette();
    return 0;
  }
  const LRESULT result = TToolBarWnd::WindowProc(msg, wParam, lParam);
  // Moved by its caption or re-laid out: the place the settings keep follows.
  // Only while the editor is whole: a palette going with it tells nobody.
  if ((msg == WM_MOVE || msg == WM_SIZE) && GetHandle() != nullptr && owner_.FrameIsCurrent())
    owner_.StorePalettePlaces();
  return result;
}

TToolsBox::TToolsBox(TWindow *frameWindow, TPaletteCommands &owner) : TEditorPalette(frameWindow, owner, kKinds[kTools]) {}

TAlignmentBox::TAlignmentBox(TWindow *frameWindow, TPaletteCommands &owner)
    : TEditorPalette(frameWindow, owner, kKinds[kZoom]) {}

TConfigBox::TConfigBox(TWindow *frameWindow, TPaletteCommands &owner)
    : TEditorPalette(frameWindow, owner, kKinds[kConfigurations]) {}

TToolBarWnd *PaletteHolding(const TEditorTools &tools, int command) {
  for (int which = 0; which < 3; ++which) {
    TEditorPalette *palette = PaletteAt(tools, which);
    if (palette != nullptr && Holds(kKinds[which], command)) return palette;
  }
  return nullptr;
}

void SetPaletteButtonDown(TToolBarWnd &palette, int command, bool down) {
  if (palette.GetButtonState(command) == TToolBarWnd::kNoButton) return;
  palette.SetButtonState(command, down ? TButtonGadget::Down : TButtonGadget::Up);
}

TPaletteCommands::TPaletteCommands(TEditorFrame &frame, TWindow &window) : frame_(frame), window_(window) {}

bool TPaletteCommands::FrameIsCurrent() const { return frame_.IsCurrent(); }

TStatusBar *TPaletteCommands::StatusBar() const { return frame_.StatusBar(); }

void TPaletteCommands::ShowToolsBar(int mode) { ShowPalette(kTools, mode); }

void TPaletteCommands::ShowAlignmentBar(int mode) { ShowPalette(kZoom, mode); }

void TPaletteCommands::ShowConfigurationBar(int mode) { ShowPalette(kConfigurations, mode); }

void TPaletteCommands::CmToolsPalette(WPARAM wParam, LPARAM) {
  ShowToolsBar(static_cast<int>(LOWORD(wParam)));
}

void TPaletteCommands::CmZoomPalette(WPARAM wParam, LPARAM) {
  ShowAlignmentBar(static_cast<int>(LOWORD(wParam)));
}

void TPaletteCommands::CmConfigurationsPalette(WPARAM wParam, LPARAM) {
  ShowConfigurationBar(static_cast<int>(LOWORD(wParam)));
}

void TPaletteCommands::ShowPalette(int which, int mode) {
  if (window_.GetHandle() == nullptr || frame_.Canvas() == nullptr || frame_.Canvas()->GetHandle() == nullptr) return;
  const TPaletteKind &kind = kKinds[which];
  const RECT canvas = frame_.Canvas()->GetWindowRect();
  TEditorPalette *palette = PaletteAt(frame_.EditTools(), which);
  bool made = false;
  if (palette == nullptr) {
    if (mode == 2) return;
    // Read before the palette exists: its first moves store its place over the setting.
    const TPaletteSettings stored = frame_.Settings().palettes[kind.settingsSlot];
    switch (which) {
      case kTools: palette = new TToolsBox(&window_, *this); break;
      case kZoom: palette = new TAlignmentBox(&window_, *this); break;
      default: palette = new TConfigBox(&window_, *this); break;
    }
    if (!palette->Create()) {
      delete palette;
      return;
    }
    // Keys pressed over a palette are the editor's own, its editing keys included.
    ShareOwnerAccelerators(palette->GetHandle(), true);
    palette->ShowWindow(SW_HIDE);
    switch (which) {
      case kTools: frame_.EditTools().toolsPalette = static_cast<TToolsBox *>(palette); break;
      case kZoom:
        frame_.EditTools().zoomPalette = static_cast<TAlignmentBox *>(palette);
        frame_.Tools().alignmentBox = palette;
        break;
      default:
        frame_.EditTools().configPalette = static_cast<TConfigBox *>(palette);
        frame_.Tools().configBox = palette;
        break;
    }
    frame_.EditTools().ApplyButtonStates(*palette);
    POINT at = FirstPalettePlace(frame_.EditTools(), which, kind, window_.GetWindowRect(), canvas,
                                 SizeOf(palette->GetWindowRect()));
    if (stored.present) {
      palette->SetLayout(stored.direction);
      at = POINT{stored.x, stored.y};
    }
    const SIZE size = SizeOf(palette->GetWindowRect());
    at = ClampPaletteToScreen(at, size, ScreenSize());
    palette->MoveWindow(at.x, at.y, size.cx, size.cy, true);
    frame_.EditTools().paletteOffset[which] = OffsetFromCanvasCorner(at, canvas);
    offsetPending_[which] = stored.present && !window_.IsWindowVisible();
    madeAt_[which] = at;
    shownOnce_[which] = false;
    made = true;
  }
  // Zoom mode ends whenever the tools or the zoom palette is shown or placed.
  if (which != kConfigurations && frame_.EditTools().zoomPalette != nullptr) frame_.LeaveZoomMode();
  const bool visible = palette->IsWindowVisible();
  const bool show = mode == 0 ? false : mode == 1 ? true : mode == 2 ? visible : !visible;
  HMENU menu = GetMenu(window_.GetHandle());
  if (!show) {
    palette->ShowWindow(SW_HIDE);
    if (menu != nullptr) CheckMenuItem(menu, kind.menuItem, MF_BYCOMMAND | MF_UNCHECKED);
    if (made) frame_.UpdateMenus();
    return;
  }
  // Where the palette belongs, taken before it shows: a palette shown for the first time may
  // report a place of the desktop's choosing on its way, which is no offset of the user's.
  const POINT offset = frame_.EditTools().paletteOffset[which];
  const RECT before = palette->GetWindowRect();
  palette->ShowWindow(SW_SHOWNORMAL);
  shownOnce_[which] = true;
  if (menu != nullptr) CheckMenuItem(menu, kind.menuItem, MF_BYCOMMAND | MF_CHECKED);
  if (!made && offsetPending_[which] && window_.IsWindowVisible()) {
    // Put back at its stored place before the frame settled: it stays there, and its offset
    // is taken from the canvas as it stands now. The place is the one it was made at, not
    // what the window reported before it was ever shown.
    const POINT at = madeAt_[which];
    frame_.EditTools().paletteOffset[which] = OffsetFromCanvasCorner(at, canvas);
    offsetPending_[which] = false;
    const SIZE size = SizeOf(before);
    palette->MoveWindow(at.x, at.y, size.cx, size.cy, true);
  } else if (!made) {
    // A palette shown again stands where it belongs to the canvas as it is.
    const SIZE size = SizeOf(palette->GetWindowRect());
    const POINT at = ClampPaletteToScreen(PlaceAtCanvasOffset(canvas, offset), size, ScreenSize());
    palette->MoveWindow(at.x, at.y, size.cx, size.cy, true);
  }
  // A palette made or shown now takes the buttons' states; a mere re-placing needs none.
  if (made || !visible) frame_.UpdateMenus();
}

void TPaletteCommands::PlacePalettes() {
  for (int which = 0; which < 3; ++which) ShowPalette(which, 2);
}

void TPaletteCommands::ApplyPaletteStates(const TEditorMenuState &menuState, bool aberrationsOpen, bool spotOpen) {
  // Toggles whose state lives elsewhere: the real beams option and the analysis windows.
  frame_.EditTools().SetButtonDown(CM_REAL_BEAMS, frame_.System().options.ShowCourseBeam != 0);
  frame_.EditTools().SetButtonDown(CM_ABERRATIONS, aberrationsOpen);
  frame_.EditTools().SetButtonDown(CM_SPOT_DIAGRAM, spotOpen);
  for (int which = 0; which < 3; ++which) {
    TEditorPalette *palette = PaletteAt(frame_.EditTools(), which);
    if (palette == nullptr || palette->GetHandle() == nullptr) continue;
    const TPaletteKind &kind = palette->Kind();
    for (int k = 0; k < kind.buttonCount; ++k) {
      const int id = kind.buttons[k];
      palette->EnableGadget(id, menuState.Button(id).enabled);
    }
    for (int id : kRulePressed)
      if (Holds(kind, id)) SetPaletteButtonDown(*palette, id, menuState.Button(id).pressed);
  }
}

void TPaletteCommands::StorePalettePlaces() {
  const bool haveCanvas = frame_.Canvas() != nullptr && frame_.Canvas()->GetHandle() != nullptr;
  for (int which = 0; which < 3; ++which) {
    TEditorPalette *palette = PaletteAt(frame_.EditTools(), which);
    if (palette == nullptr || palette->GetHandle() == nullptr) continue;
    TPaletteSettings &stored = frame_.Settings().palettes[kKinds[which].settingsSlot];
    if (!shownOnce_[which]) {
      // Never shown: it keeps the place it was made at (the settings file's, when it had one).
      stored.present = true;
      stored.direction = palette->GetLayout();
      stored.x = madeAt_[which].x;
      stored.y = madeAt_[which].y;
      continue;
    }
    // Dragged by the user or placed by the editor: the offset follows.
    if (haveCanvas) {
      const RECT place = palette->GetWindowRect();
      frame_.EditTools().paletteOffset[which] =
          OffsetFromCanvasCorner(POINT{place.left, place.top}, frame_.Canvas()->GetWindowRect());
    }
    const RECT place = palette->GetWindowRect();
    stored.present = true;
    stored.direction = palette->GetLayout();
    stored.x = place.left;
    stored.y = place.top;
  }
}

void TPaletteCommands::FollowFrame(bool frameShown) {
  for (int which = 0; which < 3; ++which) {
    TEditorPalette *palette = PaletteAt(frame_.EditTools(), which);
    if (palette == nullptr || palette->GetHandle() == nullptr) continue;
    if (!frameShown && palette->IsWindowVisible()) {
      // Hidden with the frame, not by the user: the View menu keeps its check mark.
      palette->ShowWindow(SW_HIDE);
      hiddenWithFrame_[which] = true;
    } else if (frameShown && hiddenWithFrame_[which]) {
      hiddenWithFrame_[which] = false;
      palette->ShowWindow(SW_SHOWNA);
    }
  }
}

void TPaletteCommands::SetUpEditTools() {
  // The tool record lets the palettes' buttons up through the editor's button states.
  frame_.Tools().toolsBox = &frame_.EditTools();
  frame_.EditTools().canvas = frame_.Canvas();
  frame_.SetMouseMode(frame_.Tools().mouseMode);
  ShowToolsBar(1);
  ShowAlignmentBar(1);
  ShowConfigurationBar(0);
}
