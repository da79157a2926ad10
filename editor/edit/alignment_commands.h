#pragma once
// TAlignmentCommands: the Alignment menu. Lining the selected elements up on the axis of the
// surface before them, and the quick decenter and tilt tables, which open and close as
// toggles and are forgotten as soon as the user closes them.

#include "editor/commands/editor_frame.h"
#include "platform/core/types.h"

class TAlignmentCommands {
 public:
  TAlignmentCommands(TEditorFrame &frame, TWindow &window);

  void CmAlignment();
  void CmDecenter();
  void CmTilt();
  // A quick table whose window went (lParam: the table).
  void QuickTableClosed(WPARAM wParam, LPARAM table);

 private:
  TEditorFrame &frame_;
  TWindow &window_;
};
