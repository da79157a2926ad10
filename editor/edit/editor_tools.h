#pragma once
// The editor's tool state: the tool record the canvas reads (the three palettes, the active
// mouse tool and the canvas's mouse mode), the down state of the toggle buttons (kept here
// so that a hidden or not yet made palette loses nothing), the open quick tables, the
// remembered configuration and the palettes' offsets from the canvas's corner.

#include <map>
#include <vector>

#include "platform/core/types.h"

class TOpticalEditor;
class TToolsBox;
class TAlignmentBox;
class TConfigBox;
class TToolBarWnd;
class TQuickPositionTableDlg;
class TQuickInclinationTableDlg;
class TWindow;

// The canvas's mouse modes.
constexpr int kMousePan = 0;
constexpr int kMouseSelect = 32;
constexpr int kMouseMoveSelection = 64;
constexpr int kMouseZoom = 256;

// The main window's tool record.
struct TToolSelection {
  TToolsBox *toolsBox = nullptr;
  TAlignmentBox *zoomBox = nullptr;
  TConfigBox *configBox = nullptr;
  int tool = 0;  // command id of the active mouse tool, 0 for none
  int flags = 0;
  int mouseMode = kMousePan;

  // Zeroes the tool state (the palettes stay).
  void Clear();
  // Makes newTool the current tool. A different active tool gives up its button (and so
  // does keep's) unless it is keep itself; leaving the Select tool, unless keep is Select,
  // redraws the marked elements, ends the rubber band and returns to panning.
  void SetTool(TOpticalEditor &editor, int newTool, int keep);
};

class TEditorTools {
 public:
  TEditorTools() = default;
  // Deletes the quick tables still open and the ones that closed themselves.
  ~TEditorTools();
  TEditorTools(const TEditorTools &) = delete;
  TEditorTools &operator=(const TEditorTools &) = delete;

  TToolSelection selection;

  // The palette that holds the button, or null.
  TToolBarWnd *PaletteOf(int command) const;
  // The toggle state of a button (down = true), and setting it on its palette too.
  bool ButtonDown(int command) const;
  void SetButtonDown(int command, bool down);
  // Puts the kept states on a palette just made.
  void ApplyButtonStates(TToolBarWnd &palette) const;

  TQuickPositionTableDlg *positionTable = nullptr;
  TQuickInclinationTableDlg *inclinationTable = nullptr;
  // A table whose window went: its pointer is cleared and the object is deleted later,
  // never inside the going window's own dispatch.
  void Retire(TWindow *window);
  void DeleteRetired();

  // The configuration the last Base, Next or Previous command made current.
  int rememberedConfiguration = 0;
  // Each palette's offset from the canvas's top-right corner (tools, zoom, configurations),
  // taken whenever it is placed or moved.
  POINT paletteOffset[3]{};

 private:
  std::map<int, bool> down_;
  std::vector<TWindow *> retired_;
};
