#include "toolkit/graph/c_graph.h"

namespace {

const TResponseTableEntry kCGraphTable[] = {
    EvCommand<&TCGraph::CmBackgroundColor>(CM_GRAPH_BACKGROUND_COLOR),
};

}  // namespace

TCGraph::TCGraph(TWindow *dialog, int left, int top, int w, int h,
                 std::uint32_t styleAndOptions, COLORREF backColor, TOPalette *palette,
                 TModule *module)
    : TGraph(dialog, left, top, w, h, styleAndOptions, backColor, palette, module),
      dialog_(dialog) {}

TCGraph::~TCGraph() { Destroy(); }

bool TCGraph::Find(TEventInfo &info) {
  return SearchResponseTable(kCGraphTable, info) || TGraphWindow::Find(info);
}

void TCGraph::CmBackgroundColor() {
  TGraphWindow::CmBackgroundColor();
  // Sent whether or not the colour changed.
  if (dialog_ != nullptr && dialog_->IsWindow()) {
    dialog_->SendMessage(WM_GRAPH_BACKGROUND_CHANGED, 0, static_cast<LPARAM>(GetHandleField()));
  }
}
