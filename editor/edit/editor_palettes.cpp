#include "editor/edit/editor_palettes.h"

#include <iterator>

#include "editor/edit/palette_placement.h"
#include "editor/shell/optical_editor.h"
#include "platform/gui/bars/gadget_window.h"
#include "platform/gui/bars/gadgets.h"
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
     kToolsSlot, CM_TOOLS_PALETTE, 18},
    {"Zoom", kZoomPaletteButtons, static_cast<int>(std::size(kZoomPaletteButtons)), kColumns,
     kZoomSlot, CM_ZOOM_PALETTE, 96},
    {"Config", kConfigurationPaletteButtons,
     static_cast<int>(std::size(kConfigurationPaletteButtons)), kColumns, kConfigurationsSlot,
     CM_CONFIGURATIONS_PALETTE, 197},
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

}  // namespace

TEditorPalette::TEditorPalette(TOpticalEditor *editor, const TPaletteKind &kind)
    : TToolBarWnd(editor, kind.caption, MakeBox(kind)), editor_(editor), kind_(kind) {}

void TEditorPalette::ShowHint(const char *hint) {
  if (TOpticalEditor::Current() != editor_) return;
  if (TStatusBar *status = editor_->GetStatusBar()) status->SetHintText(hint);
}

void TEditorPalette::ClosePalette() {
  if (TOpticalEditor::Current() != editor_) return;
  for (int which = 0; which < 3; ++which)
    if (&kKinds[which] == &kind_) editor_->ShowPalette(which, 0);
}

LRESULT TEditorPalette::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  const LRESULT result = TToolBarWnd::WindowProc(msg, wParam, lParam);
  // Moved by its caption or re-laid out: the place the settings keep follows.
  // Only while the editor is whole: a palette going with it tells nobody.
  if ((msg == WM_MOVE || msg == WM_SIZE) && GetHandle() != nullptr &&
      TOpticalEditor::Current() == editor_)
    editor_->StorePalettePlaces();
  return result;
}

TToolsBox::TToolsBox(TOpticalEditor *editor) : TEditorPalette(editor, kKinds[kTools]) {}

TAlignmentBox::TAlignmentBox(TOpticalEditor *editor) : TEditorPalette(editor, kKinds[kZoom]) {}

TConfigBox::TConfigBox(TOpticalEditor *editor) : TEditorPalette(editor, kKinds[kConfigurations]) {}

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

void TOpticalEditor::ShowToolsBar(int mode) { ShowPalette(kTools, mode); }

void TOpticalEditor::ShowAlignmentBar(int mode) { ShowPalette(kZoom, mode); }

void TOpticalEditor::ShowConfigurationBar(int mode) { ShowPalette(kConfigurations, mode); }

void TOpticalEditor::CmToolsPalette(WPARAM wParam, LPARAM) {
  ShowToolsBar(static_cast<int>(LOWORD(wParam)));
}

void TOpticalEditor::CmZoomPalette(WPARAM wParam, LPARAM) {
  ShowAlignmentBar(static_cast<int>(LOWORD(wParam)));
}

void TOpticalEditor::CmConfigurationsPalette(WPARAM wParam, LPARAM) {
  ShowConfigurationBar(static_cast<int>(LOWORD(wParam)));
}

void TOpticalEditor::ShowPalette(int which, int mode) {
  if (GetHandle() == nullptr || canvas_ == nullptr || canvas_->GetHandle() == nullptr) return;
  const TPaletteKind &kind = kKinds[which];
  const RECT canvas = canvas_->GetWindowRect();
  TEditorPalette *palette = PaletteAt(editTools_, which);
  bool made = false;
  if (palette == nullptr) {
    if (mode == 2) return;
    // Read before the palette exists: its first moves store its place over the setting.
    const TPaletteSettings stored = settings_.palettes[kind.settingsSlot];
    switch (which) {
      case kTools: palette = new TToolsBox(this); break;
      case kZoom: palette = new TAlignmentBox(this); break;
      default: palette = new TConfigBox(this); break;
    }
    if (!palette->Create()) {
      delete palette;
      return;
    }
    palette->ShowWindow(SW_HIDE);
    switch (which) {
      case kTools: editTools_.toolsPalette = static_cast<TToolsBox *>(palette); break;
      case kZoom:
        editTools_.zoomPalette = static_cast<TAlignmentBox *>(palette);
        tools_.alignmentBox = palette;
        break;
      default:
        editTools_.configPalette = static_cast<TConfigBox *>(palette);
        tools_.configBox = palette;
        break;
    }
    editTools_.ApplyButtonStates(*palette);
    POINT at = DefaultPalettePlace(canvas, SizeOf(palette->GetWindowRect()), kind.xOffset);
    if (stored.present) {
      palette->SetLayout(stored.direction);
      at = POINT{stored.x, stored.y};
    }
    const SIZE size = SizeOf(palette->GetWindowRect());
    at = ClampPaletteToScreen(at, size, ScreenSize());
    palette->MoveWindow(at.x, at.y, size.cx, size.cy, true);
    editTools_.paletteOffset[which] = OffsetFromCanvasCorner(at, canvas);
    made = true;
  }
  if (which != kConfigurations && editTools_.zoomPalette != nullptr &&
      editTools_.ButtonDown(CM_SELECT_ZOOM))
    CmSelectZoom();
  const bool visible = palette->IsWindowVisible();
  const bool show = mode == 0 ? false : mode == 1 ? true : mode == 2 ? visible : !visible;
  HMENU menu = GetMenu(GetHandle());
  if (!show) {
    palette->ShowWindow(SW_HIDE);
    if (menu != nullptr) CheckMenuItem(menu, kind.menuItem, MF_BYCOMMAND | MF_UNCHECKED);
    if (made) UpdateMenus();
    return;
  }
  palette->ShowWindow(SW_SHOWNORMAL);
  if (menu != nullptr) CheckMenuItem(menu, kind.menuItem, MF_BYCOMMAND | MF_CHECKED);
  // A palette made just now stands where it belongs to the canvas as it is.
  if (!made) {
    const SIZE size = SizeOf(palette->GetWindowRect());
    const POINT at = ClampPaletteToScreen(PlaceAtCanvasOffset(canvas, editTools_.paletteOffset[which]),
                                          size, ScreenSize());
    palette->MoveWindow(at.x, at.y, size.cx, size.cy, true);
  }
  // A palette made or shown now takes the buttons' states; a mere re-placing needs none.
  if (made || !visible) UpdateMenus();
}

void TOpticalEditor::PlacePalettes() {
  for (int which = 0; which < 3; ++which) ShowPalette(which, 2);
}

void TOpticalEditor::ApplyPaletteStates() {
  // Toggles whose state lives elsewhere: the real beams option and the analysis windows.
  editTools_.SetButtonDown(CM_REAL_BEAMS, system_.options.ShowCourseBeam != 0);
  editTools_.SetButtonDown(CM_ABERRATIONS, aberrations_ != nullptr);
  editTools_.SetButtonDown(CM_SPOT_DIAGRAM, spot_ != nullptr);
  for (int which = 0; which < 3; ++which) {
    TEditorPalette *palette = PaletteAt(editTools_, which);
    if (palette == nullptr || palette->GetHandle() == nullptr) continue;
    const TPaletteKind &kind = palette->Kind();
    for (int k = 0; k < kind.buttonCount; ++k) {
      const int id = kind.buttons[k];
      palette->EnableGadget(id, menuState_.Button(id).enabled);
    }
    for (int id : kRulePressed)
      if (Holds(kind, id)) SetPaletteButtonDown(*palette, id, menuState_.Button(id).pressed);
  }
}

void TOpticalEditor::StorePalettePlaces() {
  const bool haveCanvas = canvas_ != nullptr && canvas_->GetHandle() != nullptr;
  for (int which = 0; which < 3; ++which) {
    TEditorPalette *palette = PaletteAt(editTools_, which);
    if (palette == nullptr || palette->GetHandle() == nullptr) continue;
    // Dragged by the user or placed by the editor: the offset follows.
    if (haveCanvas) {
      const RECT place = palette->GetWindowRect();
      editTools_.paletteOffset[which] =
          OffsetFromCanvasCorner(POINT{place.left, place.top}, canvas_->GetWindowRect());
    }
    TPaletteSettings &stored = settings_.palettes[kKinds[which].settingsSlot];
    const RECT place = palette->GetWindowRect();
    stored.present = true;
    stored.direction = palette->GetLayout();
    stored.x = place.left;
    stored.y = place.top;
  }
}

void TOpticalEditor::SetUpEditTools() {
  // The tool record lets the palettes' buttons up through the editor's button states.
  tools_.toolsBox = &editTools_;
  editTools_.canvas = canvas_;
  SetMouseMode(tools_.mouseMode);
  ShowToolsBar(1);
  ShowAlignmentBar(1);
}
