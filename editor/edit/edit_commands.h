#pragma once
// TEditCommands: the Edit menu's Delete, Select, Cut and Copy on the canvas's selection.

#include "editor/commands/editor_frame.h"

class TEditCommands {
 public:
  TEditCommands(TEditorFrame &frame, TWindow &window);

  void CmDelete();
  // The select tool: a toggle, its button and menu check follow.
  void CmSelect();
  void CmCut();
  void CmCopy();

 private:
  // Cut and Copy end selecting: the mode off through Select, and the button up whatever
  // the mode was.
  void LeaveSelectTool();

  TEditorFrame &frame_;
  TWindow &window_;
};
