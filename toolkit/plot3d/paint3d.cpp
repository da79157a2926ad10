#include "toolkit/plot3d/paint3d.h"

#include <new>

#include "toolkit/render3d/drv3d.h"
#include "toolkit/render3d/o_palette.h"

namespace {

// The result a modal loop ends with when its window is deleted.
constexpr int kModalEndedByDeletion = 2;

}  // namespace

TPaint3D::TPaint3D(TWindow *parentWindow, const char *caption, int left, int top, int clientWidth,
                   int clientHeight, int virtualWidth, int virtualHeight, DWORD style,
                   COLORREF backColor, TOPalette *palette)
    : TDibWindow(parentWindow, caption, left, top, clientWidth, clientHeight, virtualWidth, virtualHeight,
                 style, backColor, palette) {}

TPaint3D::~TPaint3D() {
  if (modalRun_ != nullptr) {
    modalRun_->endedByDeletion = true;
    EndModal(kModalEndedByDeletion);
  }
}

int TPaint3D::RunModal() {
  if (modalRun_ != nullptr || IsModal()) return -1;
  if (!IsWindow() && !Create()) return -1;
  const std::shared_ptr<TModalRun> run = std::make_shared<TModalRun>();
  modalRun_ = run;
  const int result = BeginModal();
  // Deleted while the loop ran: this object is gone, the run's record is not.
  if (run->endedByDeletion) return kModalEndedByDeletion;
  modalRun_.reset();
  return result;
}

TODib *TPaint3D::Picture() const { return renderer_.get(); }

void TPaint3D::SetupWindow() {
  TDibWindow::SetupWindow();
  CreateRenderer();
}

void TPaint3D::SetPalette(TOPalette *palette) {
  TDibWindow::SetPalette(palette);
  if (renderer_ && Palette() != nullptr) renderer_->SetPalette(Palette());
}

void TPaint3D::CreateRenderer() {
  renderer_.reset();
  const int bits = DeviceBits();
  int colors = 0;
  if (bits == 1) colors = 2;
  else if (bits == 4) colors = 16;
  else if (bits == 8) colors = 256;
  if (colors > 0)
    renderer_.reset(new (std::nothrow) TDrv3D(VirtualWidth(), VirtualHeight(), colors));
  else
    renderer_.reset(new (std::nothrow) TDrv3D(VirtualWidth(), VirtualHeight()));
  if (!renderer_ || !renderer_->IsOK()) {
    renderer_.reset();
    return;
  }
  renderer_->Clear(InitialFill(*renderer_));
  renderer_->SetPalette(Palette());
  if (bits == 8) ApplyIndexTable(*renderer_);
}

TDrv3D *TPaint3D::LockRenderer() {
  if (!renderer_) return nullptr;
  renderer_->Lock();
  mode_ = kPictureDrawing;
  return renderer_.get();
}

void TPaint3D::GrabClient(bool show) {
  if (mode_ == kPictureDrawing) {
    if (show) ShowDib();
    if (renderer_) renderer_->Unlock();
    mode_ = kIdle;
    return;
  }
  TDibWindow::GrabClient(show);
}

void TPaint3D::Resize(int virtualWidth, int virtualHeight) {
  ShowWindow(SW_HIDE);
  renderer_.reset();
  SetVirtualSize(virtualWidth, virtualHeight);
  CreateRenderer();
  const SIZE outer = OuterSize(VirtualWidth(), VirtualHeight(), VirtualWidth(), VirtualHeight(),
                               GetStyle());
  SetWindowPos(HWND_NOTOPMOST, 0, 0, outer.cx, outer.cy, SWP_NOMOVE | SWP_SHOWWINDOW);
  UpdateWindow();
}
