#pragma once
// TGGraph: a graph with a rubber-band selection rectangle that the user draws and drags with
// the left button; owners read the selection to zoom or to pick a region.

#include "toolkit/graph/graph.h"

class TGGraph : public TGraph {
 public:
  TGGraph(TWindow *parentWindow, int left, int top, int w, int h, std::uint32_t styleAndOptions,
          COLORREF backColor, TOPalette *palette, TModule *module = nullptr);
  TGGraph(TWindow *parentWindow, std::uint32_t styleAndOptions, COLORREF backColor, TOPalette *palette,
          TModule *module = nullptr);
  TGGraph(HWND parentHandle, int left, int top, int w, int h, std::uint32_t styleAndOptions,
          COLORREF backColor, TOPalette *palette, TModule *module = nullptr);
  TGGraph(HWND parentHandle, std::uint32_t styleAndOptions, COLORREF backColor, TOPalette *palette,
          TModule *module = nullptr);
  ~TGGraph() override;

  void SetupWindow() override;
  bool Find(TEventInfo &info) override;

  void ClearSelectionFlags();
  // Erases the drawn rectangle, sets the mode; switching off clears the selection.
  void SetSelectMode(bool on);
  // Selection mode on, the rectangle (plot points, right and bottom exclusive) drawn.
  void SetSelection(int left, int top, int right, int bottom);
  RECT GetSelection() const { return selection_; }
  bool GetSelectMode() const { return selectMode_; }
  bool IsDragging() const { return dragging_; }
  // Draws the rectangle in exclusive-or: drawing it twice leaves the picture as it was.
  void DrawSelection();

  void EvMouseMove(UINT keys, const POINT &point);
  void EvLButtonDown(UINT keys, const POINT &point);
  void EvLButtonUp(UINT keys, const POINT &point);

 private:
  bool Contains(const POINT &plotPoint) const;

  RECT selection_{};
  POINT anchor_{};
  bool dragging_ = false;
  bool selectMode_ = false;
};

TGGraph *NewGGraph(TWindow *parentWindow, int left, int top, int w, int h,
                   std::uint32_t styleAndOptions, COLORREF backColor, TOPalette *palette,
                   TModule *module = nullptr);
TGGraph *NewGGraph(TWindow *parentWindow, std::uint32_t styleAndOptions, COLORREF backColor,
                   TOPalette *palette, TModule *module = nullptr);
TGGraph *NewGGraph(HWND parentHandle, int left, int top, int w, int h,
                   std::uint32_t styleAndOptions, COLORREF backColor, TOPalette *palette,
                   TModule *module = nullptr);
TGGraph *NewGGraph(HWND parentHandle, std::uint32_t styleAndOptions, COLORREF backColor,
                   TOPalette *palette, TModule *module = nullptr);
