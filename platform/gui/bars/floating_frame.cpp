#include "platform/gui/bars/floating_frame.h"

#include <QWidget>
#include <algorithm>

#include "platform/core/font_faces.h"
#include "platform/gui/bars/gadget_window.h"
#include "platform/gui/drawing/window_dc.h"
#include "platform/gui/menus/menu_window.h"
#include "platform/gui/windows/screen.h"

namespace {

constexpr LRESULT kHitClose = 20;  // HTCLOSE
constexpr COLORREF kCaptionColor = 0x800000;
constexpr COLORREF kCaptionText = 0xFFFFFF;
constexpr COLORREF kFace = 0xC0C0C0;

void Fill(TDC &dc, const RECT &rect, COLORREF color) {
  HBRUSH brush = CreateSolidBrush(color);
  dc.FillRect(rect, brush);
  DeleteObject(brush);
}

// Where a floating frame opens, and its size, until its owner places it or it shrinks to its
// client (pixels).
constexpr int kDefaultPlace = 100;
constexpr int kDefaultSide = 100;

}  // namespace

TFloatingFrame::TFloatingFrame(TWindow *parentWindow, const char *titleText, TWindow *clientWnd,
                               bool shrinkToClient, int captionPercent, bool, TModule *module)
    : TFrameWindow(parentWindow, titleText, clientWnd, shrinkToClient, module),
      captionPercent_(std::clamp(captionPercent, 10, 100)) {
  // The frame draws its own border and caption: no desktop frame around it.
  Attr.Style = WS_POPUP | WS_BORDER | WS_VISIBLE;
  Attr.X = Attr.Y = kDefaultPlace;
  Attr.W = Attr.H = kDefaultSide;
}

void TFloatingFrame::EnableTinyCaption(int captionPercent, bool closeBox) {
  if (captionPercent > 0) captionPercent_ = std::clamp(captionPercent, 10, 100);
  tinyCaption_ = true;
  closeBox_ = closeBox;
  if (IsWindow()) SetWindowPos(nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
}

int TFloatingFrame::CaptionHeight() const {
  return tinyCaption_ ? std::max(6, GetSystemMetrics(SM_CYCAPTION) * captionPercent_ / 100) : 0;
}

TFrameInsets TFloatingFrame::DrawnFrameInsets() const {
  TFrameInsets insets = TFrameWindow::DrawnFrameInsets();
  insets.Top += CaptionHeight();
  return insets;
}

void TFloatingFrame::PaintNonClient() {
  TFrameWindow::PaintNonClient();
  if (!IsWindow() || !tinyCaption_) return;
  const TFrameInsets insets = DrawnFrameInsets();
  const int border = insets.Left;
  const int captionHeight = CaptionHeight();
  const RECT whole = GetWindowRect();
  const RECT band{border, border, whole.Width() - border, border + captionHeight};
  TWindowDC dc(*this);
  Fill(dc, band, kCaptionColor);
  int textLeft = band.left + 2;
  if (GetStyle() & WS_SYSMENU) {
    // The system-menu square: a face-grey box with a short bar, as classic small captions have.
    const RECT box{band.left, band.top, band.left + captionHeight, band.bottom};
    Fill(dc, box, kFace);
    Fill(dc, {box.left + 2, box.top + captionHeight / 2 - 1, box.right - 2, box.top + captionHeight / 2 + 1}, 0x000000);
    textLeft = box.right + 2;
  }
  int textRight = band.right - 2;
  if (closeBox_) {
    const RECT box{band.right - captionHeight, band.top, band.right, band.bottom};
    Fill(dc, box, kFace);
    for (int i = 2; i < captionHeight - 2; ++i) {
      dc.SetPixel(box.left + i, box.top + i, 0);
      dc.SetPixel(box.right - 1 - i, box.top + i, 0);
    }
    textRight = box.left - 2;
  }
  LOGFONT logFont{};
  logFont.lfHeight = -std::max(6, captionHeight - 4);
  logFont.lfWeight = FW_BOLD;
  std::snprintf(logFont.lfFaceName, sizeof(logFont.lfFaceName), "%s", kFaceSansSerif);
  TFont font(logFont);
  dc.SelectObject(font);
  dc.SetBkMode(TRANSPARENT);
  dc.SetTextColor(kCaptionText);
  RECT textRect{textLeft, band.top, textRight, band.bottom};
  const std::string text = GetWindowText();
  dc.DrawText(text.c_str(), static_cast<int>(text.size()), textRect, DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX);
  dc.RestoreFont();
  dc.Flush();
}

void TFloatingFrame::SetupWindow() {
  TFrameWindow::SetupWindow();
  if (shrinkToClient_) FitToClient();
}

void TFloatingFrame::FitToClient() {
  TWindow *client = GetClientWindow();
  if (!IsWindow() || client == nullptr) return;
  SIZE size{client->Attr.W, client->Attr.H};
  if (auto *bar = dynamic_cast<TGadgetWindow *>(client)) bar->GetDesiredSize(size);
  const TFrameInsets insets = DrawnFrameInsets();
  const RECT outer = GetWindowRect();
  // Position and size together, so the corner never moves even for a moment.
  SetWindowPos(nullptr, outer.left, outer.top, size.cx + insets.Left + insets.Right,
               size.cy + insets.Top + insets.Bottom, SWP_NOZORDER);
  Layout();
}

LRESULT TFloatingFrame::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCHITTEST && tinyCaption_ && HostWidget() != nullptr) {
    const QPoint local = HostWidget()->mapFromGlobal(QPoint(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)));
    const TFrameInsets insets = DrawnFrameInsets();
    const int border = insets.Left;
    const int captionHeight = CaptionHeight();
    const RECT whole = GetWindowRect();
    if (local.y() >= border && local.y() < border + captionHeight && local.x() >= border &&
        local.x() < whole.Width() - border) {
      if ((GetStyle() & WS_SYSMENU) && local.x() < border + captionHeight) return HTSYSMENU;
      if (closeBox_ && local.x() >= whole.Width() - border - captionHeight) return kHitClose;
      return HTCAPTION;
    }
  }
  if (msg == WM_NCLBUTTONDOWN && static_cast<LRESULT>(wParam) == kHitClose) {
    return SendMessage(WM_SYSCOMMAND, SC_CLOSE, 0);
  }
  return TFrameWindow::WindowProc(msg, wParam, lParam);
}
