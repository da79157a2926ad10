#pragma once
// TCGraph: the graph that a dialog embeds. A new background colour is reported to the
// dialog, so that it can repaint its other graphs to match.

#include "toolkit/graph/graph.h"

// Sent to the owning dialog with the graph's background colour in lParam.
constexpr UINT WM_GRAPH_BACKGROUND_CHANGED = WM_USER + 2;

class TCGraph : public TGraph {
 public:
  TCGraph(TWindow *dialog, int left, int top, int w, int h, std::uint32_t styleAndOptions,
          COLORREF backColor, TOPalette *palette, TModule *module = nullptr);
  ~TCGraph() override;

  bool Find(TEventInfo &info) override;
  void CmBackgroundColor();
  TWindow *Dialog() const { return dialog_; }

 private:
  TWindow *dialog_;
};
