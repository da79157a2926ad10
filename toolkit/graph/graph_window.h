#pragma once
// TGraphWindow: a plot window that keeps its picture in a memory bitmap. Figures are drawn
// into the bitmap, into the window or into both (the draw flags); painting only copies the
// bitmap to the window, so a graph is never recomputed when it is uncovered, scrolled,
// resized, duplicated or printed. A right-button menu duplicates the graph, shows it
// transparently over what lies behind it, changes its background colour or repaints it.

#include "foundation/containers/string_class.h"
#include "platform/gui/drawing/dc_kinds.h"
#include "platform/gui/drawing/window_dc.h"
#include "platform/gui/windows/window.h"

#include <cstdint>
#include <memory>
#include <utility>

class TOPalette;

// Option bits, carried in bits 8-15 of the style given to the constructors.
enum TGraphOption : std::uint32_t {
  kGraphMemoryOnly = 0x0100,  // draw into the bitmap only; the window starts hidden
  kGraphDrawMemory = 0x0200,
  kGraphDrawWindow = 0x0400,
  kGraphScrollBars = 0x0800,  // added when the style asks for scroll bars
  kGraphStretch = 0x1000,     // no scrolling: the bitmap is stretched over the client
  kGraphWindowSize = 0x2000,  // width and height are the whole window's
  kGraphClientSize = 0x4000,  // width and height are the client area's (the default)
  kGraphMenu = 0x8000,        // the right-button window menu from set-up on
};
constexpr std::uint32_t kGraphOptionMask = 0xFF00;

// Commands of the window menu.
constexpr UINT CM_GRAPH_TRANSPARENT = 0x401;
constexpr UINT CM_GRAPH_BACKGROUND_COLOR = 0x402;
constexpr UINT CM_GRAPH_DUPLICATE = 0x403;
constexpr UINT CM_GRAPH_REFRESH = 0x404;

// The timer that grabs the screen behind a hidden transparent window.
constexpr UINT kGrabTimerId = 1;

class TGraphWindow : public TWindow {
 public:
  TGraphWindow(TWindow *parentWindow, std::uint32_t styleAndOptions, COLORREF backColor,
               TOPalette *palette, TModule *module = nullptr);
  // A width or height below 1 reaches to the parent's edge less the request.
  TGraphWindow(TWindow *parentWindow, int left, int top, int w, int h,
               std::uint32_t styleAndOptions, COLORREF backColor, TOPalette *palette,
               TModule *module = nullptr);
  // The parent given by handle: a window this graph does not own or keep.
  TGraphWindow(HWND parentHandle, std::uint32_t styleAndOptions, COLORREF backColor,
               TOPalette *palette, TModule *module = nullptr);
  TGraphWindow(HWND parentHandle, int left, int top, int w, int h, std::uint32_t styleAndOptions,
               COLORREF backColor, TOPalette *palette, TModule *module = nullptr);
  ~TGraphWindow() override;

  bool Create() override;
  void Paint(TDC &dc, bool erase, RECT &rect) override;
  void GetWindowClass(TWindowClass &classInfo) override;
  const char *GetClassName() override;
  void SetupWindow() override;
  bool Find(TEventInfo &info) override;

  // Queries and setters.
  std::pair<TDC *, TDC *> GetDCs() const { return {windowDC_.get(), memoryDC_.get()}; }
  bool IsMemoryDrawing() const { return drawToMemory_; }
  bool IsWindowDrawing() const { return drawToWindow_; }
  SIZE GetBitmapSize() const { return bitmapSize_; }
  SIZE GetClientSize() const;
  SIZE ClientSize() const { return GetClientSize(); }
  POINT GetScrollOffset() const { return scrollOffset_; }
  bool IsTransparent() const { return transparent_; }
  bool IsScrollable() const { return scrollable_; }
  bool IsBitmapValid() const { return bitmapValid_; }
  // Hidden, waiting for the timer that grabs the screen behind it.
  bool IsGrabPending() const { return grabPending_; }
  std::uint32_t GetOptions() const { return options_; }
  COLORREF GetHandleField() const { return backgroundColor_; }
  // Stores a colour without repainting; returns the old one.
  COLORREF SetBackColorValue(COLORREF color);
  void SetCopyMode(DWORD rop) { copyMode_ = rop; }
  DWORD GetCopyMode() const { return copyMode_; }
  int GetROP2() const;
  // Applies the mode to both contexts; returns the window context's previous mode.
  int SetROP2(int mode);
  void SetOption(bool menuEnabled) { menuEnabled_ = menuEnabled; }
  bool IsMenuEnabled() const { return menuEnabled_; }
  void SetKeepMovedX(bool keep) { keepMovedX_ = keep; }
  void SetKeepMovedY(bool keep) { keepMovedY_ = keep; }
  // The parent of duplicates.
  void SetFlag(TWindow *duplicateParent) { duplicateParent_ = duplicateParent; }
  void SetTitle(const char *titleText) { title_ = titleText ? titleText : ""; }
  TGraphWindow *GetLastDuplicate() const { return lastDuplicate_; }
  // Selects and realises the palette in both contexts; returns the previous one.
  TOPalette *SetPalette(TOPalette *palette);
  TOPalette *GetPalette() const { return palette_; }

  // The mouse point of a message (client pixels) in bitmap pixels.
  POINT ToBitmap(const POINT &clientPoint) const;

  // Drawing support.
  bool CreateBitmap(int sizeX, int sizeY);
  void Clear();
  void Refresh();
  void Redraw();
  void CopyWindowToBitmap();
  void ResetClip();
  void ScrollTo(int atX, int atY);
  void UpdateScrollRange();
  // Paints pixels of the old background colour in the new one; every other pixel changes
  // by the same exclusive-or, so drawings stay visible.
  void SetBackgroundColor(COLORREF color);

  // Transparent mode, the window list and duplicates.
  void SetTransparent(bool on);
  void GrabBackground(bool grab);
  TGraphWindow *DuplicateWithOptions(TWindow *duplicateParent, std::uint32_t extraOptions);
  // The transparent graph windows, the front one first.
  static const std::vector<TGraphWindow *> &TransparentWindows();

  // Response-table handlers.
  void CmTransparent();
  void CmBackgroundColor();
  void CmDuplicate();
  void CmRefreshWindow();
  bool EvEraseBkgnd(HDC dc);
  void EvHScroll(UINT code, UINT thumb, HWND bar);
  void EvVScroll(UINT code, UINT thumb, HWND bar);
  void EvMove(const POINT &origin);
  void EvRButtonDown(UINT keys, const POINT &point);
  void EvLButtonDown(UINT keys, const POINT &point);
  void EvLButtonUp(UINT keys, const POINT &point);
  void EvMouseMove(UINT keys, const POINT &point);
  void EvSetFocus(HWND lostFocus);
  void EvSize(UINT sizeType, const SIZE &size);
  void EvSysCommand(UINT command, const POINT &point);
  void EvTimer(UINT timerId);
  void EvDestroy();

 protected:
  // Runs `draw` on each context that drawing is enabled for: window, then memory.
  template <class F>
  void ForEachDrawDC(F &&draw) {
    if (drawToWindow_ && windowDC_) draw(*windowDC_);
    if (drawToMemory_ && memoryDC_) draw(*memoryDC_);
  }
  TDC *WindowDC() const { return windowDC_.get(); }
  TDC *MemoryDC() const { return memoryDC_.get(); }
  // The screen behind the client taken by the last grab of transparent mode; null when none.
  TDC *GrabbedBackgroundDC() const { return transparent_ ? backgroundDC_.get() : nullptr; }
  bool PlotClipSelected() const { return plotClipSelected_; }
  void SetPlotClipSelected(bool selected) { plotClipSelected_ = selected; }

 private:
  void Init(std::uint32_t styleAndOptions, COLORREF backColor, TOPalette *palette);
  void SetDrawFlags(std::uint32_t options);
  void ApplyWindowMapping();
  void SyncScrollOffset();
  void FreeBackground();
  void SnapToStart();
  void ReleaseContexts();
  void RemoveFromTransparentList();
  void MoveToFrontOfList();
  void FillWith(TDC &dc, COLORREF color);

  std::uint32_t options_ = 0;
  std::unique_ptr<TClientDC> windowDC_;
  std::unique_ptr<TMemoryDC> memoryDC_;
  HBITMAP bitmap_ = nullptr;
  std::unique_ptr<TMemoryDC> backgroundDC_;
  HBITMAP backgroundBitmap_ = nullptr;
  bool bitmapValid_ = false;
  COLORREF backgroundColor_ = 0xFFFFFF;
  bool foreignParent_ = false;
  POINT startPosition_{};
  SIZE requestedSize_{};
  SIZE bitmapSize_{};
  SIZE clientSize_{};
  int focusGuard_ = 1;
  bool transparent_ = false;
  bool keepMovedX_ = true;
  bool keepMovedY_ = true;
  bool menuEnabled_ = false;
  bool scrollable_ = true;
  POINT scrollOffset_{};
  bool plotClipSelected_ = false;
  DWORD copyMode_ = SRCCOPY;
  int lineMode_ = R2_COPYPEN;
  TGraphWindow *lastDuplicate_ = nullptr;
  TWindow *duplicateParent_ = nullptr;
  STRING title_;
  bool drawToMemory_ = true;
  bool drawToWindow_ = true;
  TOPalette *palette_ = nullptr;
  bool updatingScrollRange_ = false;
  bool grabPending_ = false;
  // Where the client lay on the screen at the last grab.
  POINT grabbedAt_{-100000, -100000};
};

// new, Create, UpdateWindow: the window, ready.
TGraphWindow *NewGraphWindow(TWindow *parentWindow, std::uint32_t styleAndOptions, COLORREF backColor,
                             TOPalette *palette, TModule *module = nullptr);
TGraphWindow *NewGraphWindow(TWindow *parentWindow, int left, int top, int w, int h,
                             std::uint32_t styleAndOptions, COLORREF backColor,
                             TOPalette *palette, TModule *module = nullptr);
TGraphWindow *NewGraphWindow(HWND parentHandle, std::uint32_t styleAndOptions, COLORREF backColor,
                             TOPalette *palette, TModule *module = nullptr);
TGraphWindow *NewGraphWindow(HWND parentHandle, int left, int top, int w, int h,
                             std::uint32_t styleAndOptions, COLORREF backColor,
                             TOPalette *palette, TModule *module = nullptr);
