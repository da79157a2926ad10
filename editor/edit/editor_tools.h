#pragma once
// The editor's palettes and what goes with them: the down state of the toggle buttons (kept
// here so that a hidden or not yet made palette loses nothing; the tool record releases
// buttons through it), the open quick tables, the remembered configuration and the
// palettes' offsets from the canvas's corner.

#include <map>
#include <vector>

#include "editor/canvas/tool_selection.h"
#include "platform/core/types.h"

class TToolsBox;
class TAlignmentBox;
class TConfigBox;
class TToolBarWnd;
class TQuickPositionTableDlg;
class TQuickInclinationTableDlg;
class TWindow;
class TEditGraph;

class TEditorTools : public TToolButtons {
 public:
  TEditorTools() = default;
  // Deletes the quick tables still open and the ones that closed themselves.
  ~TEditorTools() override;
  TEditorTools(const TEditorTools &) = delete;
  TEditorTools &operator=(const TEditorTools &) = delete;

  TToolsBox *toolsPalette = nullptr;
  TAlignmentBox *zoomPalette = nullptr;
  TConfigBox *configPalette = nullptr;

  // TToolButtons: the tool record lets a button up.
  void ReleaseButton(int commandId) override { SetButtonDown(commandId, false); }
  // The open quick tables show the selected element of the system as it now is.
  void RefillTables();
  // The palette that holds the button, or null.
  TToolBarWnd *PaletteOf(int command) const;
  // The toggle state of a button (down = true), and setting it on its palette too.
  bool ButtonDown(int command) const;
  void SetButtonDown(int command, bool down);
  // Puts the kept states on a palette just made.
  void ApplyButtonStates(TToolBarWnd &palette) const;

  TQuickPositionTableDlg *positionTable = nullptr;
  TQuickInclinationTableDlg *inclinationTable = nullptr;
  // The canvas that passes the open tables its pending moves (told when a table goes).
  TEditGraph *canvas = nullptr;
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
