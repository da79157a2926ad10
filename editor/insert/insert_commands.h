#pragma once
// TInsertCommands: the editor's commands that put something new into the system at a place
// shown on the canvas. Paste, New Single Surface, New Element, and the component library.
// All of them run the interactive placement, which waits inside the command, pumping
// messages, while the user picks the element to follow and then clicks where along the
// beam the new element stands.

#include "editor/commands/editor_frame.h"
#include "platform/core/types.h"

struct TInsertedElementInfo;

class TInsertCommands {
 public:
  TInsertCommands(TEditorFrame &frame, TWindow &window);

  // Waits, pumping messages, for the element to follow and the new element's place: 1 when
  // a surface was placed there (count 1: with the preceding radius; -1: plane), 0 when
  // cancelled or nothing chosen.
  int PlaceNewElement(int count, TInsertedElementInfo *info);
  void CmPaste();
  void CmNewSingleSurface();
  void CmNewElement();
  void CmComponentLibrary();
  bool NewSingleSurfaceDown() const { return singleSurfaceDown_; }
  bool NewElementDown() const { return newElementDown_; }

 private:
  void SetPlacementCheck(int command, bool down);
  int EndPlacement(int result);
  void AfterInsertion();
  // The object or image plane met by a press (device point), drawn as picked with the band
  // around it: the preceding surface's index, or -1 when the press meets neither.
  int PickPlane(POINT press);
  void RunElementFolder(TInsertedElementInfo &info, int firstPage, const char *label);

  TEditorFrame &frame_;
  TWindow &window_;
  // The New Single Surface and New Element toggles.
  bool singleSurfaceDown_ = false;
  bool newElementDown_ = false;
};
