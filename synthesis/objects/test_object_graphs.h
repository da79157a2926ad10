#pragma once
// The two graph windows of the bitmap test object. TGumGraph is the scene window: it shows
// the background picture and carries the frame of the part to capture; with one PSF for the
// field that N x N frame can only be moved, and its close box only hides it. TObjectGraph
// is the small popup holding the object picture over the scene: the mouse drags it about,
// and in transparent mode the scene shows through its white pixels (and, with the border
// switched off from its menu, through its frame).

#include <functional>

#include "toolkit/graph/g_graph.h"

// The object window's one menu command.
constexpr UINT CM_OBJECT_TOGGLE_BORDER = 101;

class TGumGraph : public TGGraph {
 public:
  TGumGraph(TWindow *parentWindow, int left, int top, int w, int h, std::uint32_t styleAndOptions,
            COLORREF backColor, TOPalette *palette, TModule *module = nullptr);
  TGumGraph(HWND parentHandle, int left, int top, int w, int h, std::uint32_t styleAndOptions,
            COLORREF backColor, TOPalette *palette, TModule *module = nullptr);
  ~TGumGraph() override;

  bool Find(TEventInfo &info) override;
  // A visible scene window is hidden instead of closed; a hidden one may close.
  bool CanClose() override;

  void EvLButtonDown(UINT keys, const POINT &point);
  void EvLButtonUp(UINT keys, const POINT &point);
  void EvMouseMove(UINT keys, const POINT &point);
  void EvClose();
  void EvSysCommand(UINT command, const POINT &point);

  // Told when the user has moved or drawn the frame anew.
  std::function<void()> onChanged;

 private:
  bool HasFocus() const;
};

class TObjectGraph : public TGGraph {
 public:
  TObjectGraph(TWindow *parentWindow, int left, int top, int w, int h,
               std::uint32_t styleAndOptions, COLORREF backColor, TOPalette *palette,
               TModule *module = nullptr);
  TObjectGraph(TWindow *parentWindow, std::uint32_t styleAndOptions, COLORREF backColor,
               TOPalette *palette, TModule *module = nullptr);
  TObjectGraph(HWND parentHandle, int left, int top, int w, int h, std::uint32_t styleAndOptions,
               COLORREF backColor, TOPalette *palette, TModule *module = nullptr);
  TObjectGraph(HWND parentHandle, std::uint32_t styleAndOptions, COLORREF backColor,
               TOPalette *palette, TModule *module = nullptr);
  ~TObjectGraph() override;

  bool Find(TEventInfo &info) override;
  // The graph's paint; then, when forced or transparent and still, every picture pixel that
  // is not pure white is painted over the window in its own colour.
  void Paint(TDC &dc, bool erase, RECT &rect) override;

  void EvMouseMove(UINT keys, const POINT &point);
  void EvLButtonDown(UINT keys, const POINT &point);
  void EvLButtonUp(UINT keys, const POINT &point);
  void EvRButtonDown(UINT keys, const POINT &point);
  void EvNcPaint(HRGN region);
  void EvNcLButtonDown(UINT hitTest, const POINT &screenPoint);
  void EvNcLButtonUp(UINT hitTest, const POINT &screenPoint);
  void CmToggleBorder();
  void EvSysCommand(UINT command, const POINT &point);

  // The menu's text for the border state.
  const char *BorderMenuText() const;

  // Told when the user has moved or resized the window.
  std::function<void()> onChanged;

  int dragging = 0;
  int forceRedraw = 0;
  int borderShown = 0;
  POINT anchor{};
};
