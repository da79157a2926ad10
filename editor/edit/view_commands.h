#pragma once
// TViewCommands: the zoom commands (Select Zoom, Zoom Out, Actual Size), the scale dialog and
// the View menu's display switches (cardinal planes, real beams, properties of the
// selected elements).

#include "editor/commands/editor_frame.h"

class TViewCommands {
 public:
  TViewCommands(TEditorFrame &frame, TWindow &window);

  // Zoom mode: a toggle; the canvas then picks a rectangle to show.
  void CmSelectZoom();
  void CmZoomOut();
  void CmActualSize();
  void CmScaleSystem();
  void CmCardinalPlanes();
  void CmRealBeams();
  void CmViewPropertiesOfSelected();
  // Runs Select Zoom when its button is down, which leaves zoom mode.
  void LeaveZoomMode();
  // When the Select tool is on: a drag pans again, the band is dropped, the tool, its
  // button and its menu check are released.
  void LeaveSelectMode();

 private:
  TEditorFrame &frame_;
  TWindow &window_;
};
