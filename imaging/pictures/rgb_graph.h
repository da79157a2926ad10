#pragma once
// TRGBGraph: the small "Color" window of a picture. It shows the CIE 1931 chromaticity
// diagram of the colours the CIE RGB primaries can show and marks the chromaticity of the
// picture pixel under the mouse, with x, y and the pixel's channels as text; in trail mode
// the marks add up and the diagram stays.

#include "platform/core/font_faces.h"
#include "toolkit/graph/graph.h"
#include "toolkit/graph/o_font.h"

class TRGBGraph : public TGraph {
 public:
  TRGBGraph(TWindow *picture, int left, int top);
  ~TRGBGraph() override;

  void SetupWindow() override;
  bool Find(TEventInfo &info) override;

  // color: red in the low byte; trail 1 adds a mark without redrawing the diagram.
  void ShowColor(COLORREF color, int trail);

  void EvSysCommand(UINT command, const POINT &point);
  void EvDestroy();

 private:
  void DrawDiagram();
  TOFont labelFont_{kFaceSerif, 8};
};

// Makes, shows and captions a colour-of-point window at a screen point.
TRGBGraph *CreateRGBGraph(TWindow *picture, int left, int top);
