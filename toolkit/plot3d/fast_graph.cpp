#include "toolkit/plot3d/fast_graph.h"

#include <new>

#include "platform/core/message_box.h"
#include "toolkit/render3d/o_dib.h"

TFastGraph::TFastGraph(TWindow *parentWindow, const char *caption, int left, int top, int clientWidth,
                       int clientHeight, int virtualWidth, int virtualHeight, DWORD style,
                       COLORREF backColor, TOPalette *palette)
    : TDibWindow(parentWindow, caption, left, top, clientWidth, clientHeight, virtualWidth, virtualHeight,
                 style, backColor, palette) {}

TFastGraph::~TFastGraph() = default;

void TFastGraph::SetupWindow() {
  TDibWindow::SetupWindow();
  const int bits = DeviceBits();
  int colors = 0;
  if (bits == 1) colors = 2;
  else if (bits == 4) colors = 16;
  else if (bits == 8) colors = 256;
  if (colors > 0)
    picture_.reset(new (std::nothrow) TODib(VirtualWidth(), VirtualHeight(), colors, DIB_PAL_COLORS));
  else
    picture_.reset(new (std::nothrow) TODib(VirtualWidth(), VirtualHeight()));
  if (!picture_ || !picture_->IsOK()) {
    picture_.reset();
    return;
  }
  picture_->Clear(InitialFill(*picture_));
  if (bits == 8) ApplyIndexTable(*picture_);
}

TODib *TFastGraph::LockDib(const TODib *bitmap) {
  mode_ = kPictureDrawing;
  if (bitmap == nullptr) return picture_.get();
  if (!picture_ || bitmap->Width() != picture_->Width() ||
      bitmap->Height() != picture_->Height()) {
    MessageBox(GetHandle(), "NewDibSize != DibSize", "Warning", MB_OK | MB_ICONASTERISK);
    return picture_.get();
  }
  // A copy: the window never holds a bitmap its caller may free.
  std::unique_ptr<TODib> copy(new (std::nothrow) TODib(*bitmap));
  if (copy && copy->IsOK()) picture_ = std::move(copy);
  return picture_.get();
}

void TFastGraph::GrabClient(bool show) {
  if (mode_ == kPictureDrawing) {
    if (show) ShowDib();
    mode_ = kIdle;
    return;
  }
  TDibWindow::GrabClient(show);
}
