#include "editor/canvas/tool_selection.h"

#include "editor/canvas/edit_graph.h"

void TToolSelection::Clear() {
  tool = 0;
  flags = 0;
  mouseMode = kPanMouseMode;
}

void TToolSelection::SetTool(TEditGraph *canvas, int newTool, int keep) {
  if (tool != 0 && tool != newTool) {
    if (toolsBox != nullptr && tool != keep) {
      toolsBox->ReleaseButton(tool);
      if (keep != 0) toolsBox->ReleaseButton(keep);
    }
    if (tool == kSelectTool && keep != kSelectTool) {
      mouseMode = kPanMouseMode;
      if (canvas != nullptr) {
        canvas->SetSelectMode(false);
        canvas->Redraw();
      }
    }
  }
  tool = newTool;
}
