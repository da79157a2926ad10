#pragma once
// The editor's three floating palettes: "Tools", "Zoom" and "Config". Their buttons send
// the editor's own command ids; the palette shows its hints in the editor's status bar and
// its "&Close" hides it through the editor, which keeps the object until it goes itself.

#include "editor/edit/editor_tools.h"
#include "toolkit/palettes/tool_bar_wnd.h"

class TOpticalEditor;

// What tells the three apart: caption, buttons, grid, settings slot and menu item.
struct TPaletteKind {
  const char *caption;
  const int *buttons;
  int buttonCount;
  int columns;
  int settingsSlot;  // index into the editor settings' palettes
  int menuItem;
  int xOffset;       // default distance from the canvas's right edge
};

class TEditorPalette : public TToolBarWnd {
 public:
  TEditorPalette(TOpticalEditor *editor, const TPaletteKind &kind);

  void ShowHint(const char *text) override;
  void ClosePalette() override;
  LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
  const TPaletteKind &Kind() const { return kind_; }

 private:
  TOpticalEditor *editor_;
  const TPaletteKind &kind_;
};

class TToolsBox : public TEditorPalette {
 public:
  explicit TToolsBox(TOpticalEditor *editor);
};

class TAlignmentBox : public TEditorPalette {
 public:
  explicit TAlignmentBox(TOpticalEditor *editor);
};

class TConfigBox : public TEditorPalette {
 public:
  explicit TConfigBox(TOpticalEditor *editor);
};

// The editor's palette that holds the button, or null.
TToolBarWnd *PaletteHolding(const TEditorTools &tools, int command);
void SetPaletteButtonDown(TToolBarWnd &palette, int command, bool down);
// Registers the buttons' pictures (once).
void RegisterPaletteGlyphs();
