#pragma once
// The editor's three floating palettes: "Tools", "Zoom" and "Config", and TPaletteCommands,
// which makes, shows and places them. Their buttons send the editor's own command ids; a
// palette shows its hints in the editor's status bar and its "&Close" hides it through its
// owner, which keeps the object until it goes itself.

#include "editor/commands/editor_frame.h"
#include "editor/edit/editor_tools.h"
#include "toolkit/palettes/tool_bar_wnd.h"

class TEditorMenuState;
class TPaletteCommands;

// What tells the three apart: caption, buttons, grid, settings slot and menu item.
struct TPaletteKind {
  const char *caption;
  const int *buttons;
  int buttonCount;
  int columns;
  int settingsSlot;  // index into the editor settings' palettes
  int menuItem;
  int xOffset;       // default distance from the canvas's right edge
  bool besideFrame;  // first placed outside the frame instead, off the drawing
};

class TEditorPalette : public TToolBarWnd {
 public:
  TEditorPalette(TWindow *frameWindow, TPaletteCommands &owner, const TPaletteKind &kind);

  void ShowHint(const char *text) override;
  void ClosePalette() override;
  LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
  const TPaletteKind &Kind() const { return kind_; }

 private:
  TPaletteCommands &owner_;
  const TPaletteKind &kind_;
};

class TToolsBox : public TEditorPalette {
 public:
  TToolsBox(TWindow *frameWindow, TPaletteCommands &owner);
};

class TAlignmentBox : public TEditorPalette {
 public:
  TAlignmentBox(TWindow *frameWindow, TPaletteCommands &owner);
};

class TConfigBox : public TEditorPalette {
 public:
  TConfigBox(TWindow *frameWindow, TPaletteCommands &owner);
};

// The editor's palette that holds the button, or null.
TToolBarWnd *PaletteHolding(const TEditorTools &tools, int command);
void SetPaletteButtonDown(TToolBarWnd &palette, int command, bool down);
// Registers the buttons' pictures (once).
void RegisterPaletteGlyphs();

// The View menu's palette items and the palettes' places: each palette is made on its
// first showing and kept until the editor goes.
class TPaletteCommands {
 public:
  TPaletteCommands(TEditorFrame &frame, TWindow &window);

  // Palettes: mode 0 hides, 1 shows, 2 re-places only, any other value toggles.
  void ShowToolsBar(int mode);
  void ShowAlignmentBar(int mode);
  void ShowConfigurationBar(int mode);
  // The View menu's palette items (the command id is the toggling mode).
  void CmToolsPalette(WPARAM wParam, LPARAM lParam);
  void CmZoomPalette(WPARAM wParam, LPARAM lParam);
  void CmConfigurationsPalette(WPARAM wParam, LPARAM lParam);
  // One palette (0 tools, 1 zoom, 2 configurations) as the three functions above do it.
  void ShowPalette(int which, int mode);
  // The visible palettes keep their offset from the canvas's top-right corner.
  void PlacePalettes();
  // The palettes go with the frame: those showing hide when it is hidden or minimised, and
  // show again when it comes back.
  void FollowFrame(bool frameShown);
  // At set-up: the canvas reads the tool record, the tools and zoom palettes show and the
  // configurations palette is made, hidden.
  void SetUpEditTools();
  // Every palette's layout and place go into the settings the editor writes on closing.
  void StorePalettePlaces();
  // Puts the menu rules' button states on the palettes; the analysis windows' toggles are
  // down while their windows are open.
  void ApplyPaletteStates(const TEditorMenuState &menuState, bool aberrationsOpen, bool spotOpen);
  // What the palettes ask: whether the editor is whole, and its status bar.
  bool FrameIsCurrent() const;
  TStatusBar *StatusBar() const;

 private:
  TEditorFrame &frame_;
  TWindow &window_;
  bool hiddenWithFrame_[3] = {false, false, false};
  // A palette put back at its stored screen place while the frame was not yet shown: the
  // canvas settles once the frame shows, and the palette's offset is taken from there,
  // with the palette left where it was put (else it would creep with every start).
  bool offsetPending_[3] = {false, false, false};
  // Where each palette was put when it was made: a window never shown may report another
  // place (the desktop's) until it is shown.
  POINT madeAt_[3] = {};
  // Whether each palette has been shown since it was made: until then its window reports a
  // place of the desktop's choosing, and the place kept is the one it was made at.
  bool shownOnce_[3] = {false, false, false};
};
