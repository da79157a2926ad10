#pragma once
// TPaint3D: the 3-D paint window. Its picture is the bitmap of a depth-buffered renderer
// of a fixed virtual size; users draw into the renderer (LockRenderer), on the window
// (BeginWindowDraw) or on a memory bitmap (UpdateBitmap), each pass ended by GrabClient.
// The renderer is made for the display's depth: palettised below 24 bits, 24-bit above.

#include <memory>

#include "toolkit/plot3d/dib_window.h"

class TDrv3D;

class TPaint3D : public TDibWindow {
 public:
  TPaint3D(TWindow *parentWindow, const char *caption, int left, int top, int clientWidth, int clientHeight,
           int virtualWidth, int virtualHeight, DWORD style, COLORREF background,
           TOPalette *palette);
  ~TPaint3D() override;

  const char *GetClassName() override { return "Paint3D"; }
  void SetupWindow() override;
  void SetPalette(TOPalette *palette) override;

  // Makes the renderer for the display's depth and gives it the palette.
  void CreateRenderer();
  // Mode 1: the renderer with its depth buffer locked; null before set-up.
  TDrv3D *LockRenderer();
  void GrabClient(bool show) override;
  // A picture of the new size (the old one is lost); the window fits itself to it.
  void Resize(int virtualWidth, int virtualHeight);
  TDrv3D *Renderer() const { return renderer_.get(); }

  // Runs a modal loop over the window (made first when it is not yet) until EndModal gives
  // its result, or until the window object is deleted, which ends the loop with 2. -1 when
  // the window could not be made or a loop already runs.
  int RunModal();
  int IsRunningModal() const { return modalRun_ != nullptr ? 1 : 0; }

 protected:
  TODib *Picture() const override;

 private:
  // Shared with a running RunModal, which outlives the object when the loop ends by deletion.
  struct TModalRun {
    bool endedByDeletion = false;
  };
  std::unique_ptr<TDrv3D> renderer_;
  std::shared_ptr<TModalRun> modalRun_;
};
