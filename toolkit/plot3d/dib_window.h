#pragma once
// TDibWindow: what the 3-D paint window and the fast DIB window share. A scrollable window
// whose picture is a program DIB of a fixed virtual size, possibly larger than the window;
// painting copies the picture at the scroll position, and drawing passes run in one of
// three modes between a begin call and GrabClient:
//   1 into the picture itself (the derived class begins it),
//   2 on the window (BeginWindowDraw); GrabClient reads the client back into the picture,
//   3 on a memory bitmap holding a copy of the picture (UpdateBitmap); GrabClient moves it
//     back into the picture.
// The window never grows beyond its picture.

#include <memory>

#include "platform/gui/drawing/dc_kinds.h"
#include "platform/gui/drawing/gdi_objects.h"
#include "platform/gui/drawing/window_dc.h"
#include "platform/gui/windows/window.h"

class TODib;
class TOPalette;

enum TDrawingMode { kIdle = 0, kPictureDrawing = 1, kWindowDrawing = 2, kMemoryDrawing = 3 };

class TDibWindow : public TWindow {
 public:
  // x, y and the client size place the window; the virtual size is the picture's.
  TDibWindow(TWindow *parentWindow, const char *caption, int left, int top, int clientWidth,
             int clientHeight, int virtualWidth, int virtualHeight, DWORD style,
             COLORREF backColor, TOPalette *palette);
  ~TDibWindow() override;

  bool Create() override;
  void GetWindowClass(TWindowClass &classInfo) override;
  void SetupWindow() override;
  bool Find(TEventInfo &info) override;
  void Paint(TDC &dc, bool erase, RECT &rect) override;

  // Stores the palette (when not null) and realises it in the window's context.
  virtual void SetPalette(TOPalette *palette);
  TOPalette *Palette() const { return palette_; }

  // Mode 2: raises the window and returns its context.
  TDC *BeginWindowDraw();
  // Mode 3: a memory context over a copy of the picture.
  TDC *UpdateBitmap();
  // Copies the memory bitmap (mode 3) to the window.
  void ShowBitmap();
  // Copies the whole picture to the window at (0, 0).
  void ShowDib();
  // Copies the part of the picture in `rect` (picture coordinates) to its place.
  void ShowDibRect(const RECT &rect);
  // Ends the drawing pass: the picture takes what was drawn; with show, the window too.
  virtual void GrabClient(bool show);
  void EvSize(UINT sizeType, const SIZE &size);

  int VirtualWidth() const { return virtualWidth_; }
  int VirtualHeight() const { return virtualHeight_; }
  int DrawingMode() const { return mode_; }
  int DeviceBits() const { return deviceBits_; }
  COLORREF Background() const { return background_; }
  POINT ScrollPosition() const;
  TDC *WindowDC() const { return windowDC_.get(); }

  // The window rectangle's size for a client size, the style's frame and the scroll bars
  // the picture will need.
  static SIZE OuterSize(int clientWidth, int clientHeight, int virtualWidth, int virtualHeight,
                        DWORD style);

 protected:
  virtual TODib *Picture() const = 0;
  // The colour the picture is first filled with on this device (an index when palettised).
  COLORREF InitialFill(const TODib &picture) const;
  // An index colour table on palette displays, so the pixels are indices of the realised
  // palette.
  void ApplyIndexTable(TODib &picture) const;
  void SetVirtualSize(int newWidth, int newHeight);
  void UpdateScrollRange();
  void EndMemoryDrawing(bool show);
  void EndWindowDrawing();


  int mode_ = kIdle;

 private:
  std::unique_ptr<TClientDC> windowDC_;
  std::unique_ptr<TMemoryDC> memoryDC_;
  std::unique_ptr<TBitmap> memoryBitmap_;
  int virtualWidth_;
  int virtualHeight_;
  TOPalette *palette_;
  COLORREF background_;
  int deviceBits_ = 24;
  bool fitting_ = false;
};
