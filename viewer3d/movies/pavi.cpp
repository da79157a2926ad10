#include "viewer3d/movies/pavi.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "platform/core/message_box.h"
#include "platform/gui/drawing/dc.h"
#include "platform/gui/drawing/gdi_objects.h"
#include "platform/gui/drawing/window_dc.h"
#include "platform/gui/windows/screen.h"
#include "viewer3d/movies/avi_reader.h"

namespace {

// Caption, system menu, sizing frame and minimize box; no maximize box, hidden.
constexpr DWORD kPlayerStyle = WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX;
constexpr int kPlayerX = 50;
constexpr int kPlayerY = 50;
constexpr int kPlayerWidth = 50;
constexpr double kMillisecondsPerSecond = 1000.0;

constexpr COLORREF kBarFace = RGB(192, 192, 192);
constexpr COLORREF kBarShadow = RGB(128, 128, 128);
constexpr COLORREF kBarLight = RGB(255, 255, 255);
constexpr COLORREF kGlyph = RGB(0, 0, 0);
constexpr COLORREF kThumb = RGB(0, 0, 128);

// The bar's parts, in pixels from the bar's top left.
constexpr int kButtonLeft = 4;
constexpr int kButtonTop = 3;
constexpr int kButtonSize = 16;
constexpr int kTrackLeft = 28;
constexpr int kTrackRightMargin = 60;
constexpr int kTrackTop = 9;
constexpr int kTrackHeight = 4;
constexpr int kThumbHalfWidth = 3;
constexpr int kThumbTop = 4;
constexpr int kThumbBottom = 18;
constexpr int kCounterRightMargin = 4;

}  // namespace

namespace {

const TResponseTableEntry kPaviTable[] = {
    EvMessage<WM_SIZE, &TPavi::EvSize>(),
    EvMessage<WM_CLOSE, &TPavi::EvClose>(),
    EvMessage<WM_DESTROY, &TPavi::EvDestroy>(),
    EvMessage<WM_TIMER, &TPavi::EvTimer>(),
    EvMessage<WM_LBUTTONDOWN, &TPavi::EvLButtonDown>(),
    EvMessage<WM_MOUSEMOVE, &TPavi::EvMouseMove>(),
    EvMessage<WM_LBUTTONUP, &TPavi::EvLButtonUp>(),
};

}  // namespace

TPavi::TPavi(TWindow *parentWindow) : TWindow(parentWindow) {
  Attr.Style = kPlayerStyle;
  Attr.X = kPlayerX;
  Attr.Y = kPlayerY;
  Attr.W = kPlayerWidth;
  Attr.H = 0;
  // The movie's size is what matters: the desktop's frame goes around it.
  keepClientWhenFramed = true;
  SetBkgndColor(kBarFace);
}

TPavi::~TPavi() = default;

bool TPavi::Find(TEventInfo &info) { return SearchResponseTable(kPaviTable, info) || TWindow::Find(info); }

void TPavi::SetupWindow() {
  TWindow::SetupWindow();
  // Shown only once a movie plays.
  ShowWindow(SW_HIDE);
}

int TPavi::FrameCount() const { return reader_ != nullptr ? reader_->FrameCount() : 0; }

SIZE TPavi::WantedClient() const {
  return SIZE{std::max(static_cast<int>(shown_.cx), kSmallestWidth), static_cast<int>(shown_.cy) + kBarHeight};
}

RECT TPavi::MovieRect() const { return RECT{0, 0, shown_.cx, shown_.cy}; }

RECT TPavi::ButtonRect() const {
  const int top = static_cast<int>(shown_.cy) + kButtonTop;
  return RECT{kButtonLeft, top, kButtonLeft + kButtonSize, top + kButtonSize};
}

RECT TPavi::TrackRect() const {
  const int clientWidth = WantedClient().cx;
  const int top = static_cast<int>(shown_.cy) + kTrackTop;
  return RECT{kTrackLeft, top, clientWidth - kTrackRightMargin, top + kTrackHeight};
}

void TPavi::OpenMovie(const char *fileName) {
  SetCaption("Animation");
  ShowWindow(SW_HIDE);
  CloseMovie();
  failureShown_ = false;
  auto reader = std::make_unique<TAviReader>();
  TAviImage first;
  if (fileName == nullptr || !reader->Open(fileName) || !reader->ReadFrame(0, first)) {
    const std::string why = fileName != nullptr ? std::string(fileName) + ": " + reader->Error() : "no file";
    // The player is hidden: the box stands over the window that asked for the movie.
    TWindow *owner = GetParentO() != nullptr ? GetParentO() : this;
    MessageBox(owner->GetHandle(), "Unable to open Movie\n" + why, "", MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  reader_ = std::move(reader);
  picture_ = std::move(first);
  frame_ = 0;
  open_ = true;
  const double rate = kSpeed * reader_->FramesPerSecond();
  periodMs_ = static_cast<UINT>(std::max(1.0, std::round(kMillisecondsPerSecond / rate)));
  FitToMovie();
  ShowWindow(SW_SHOW);
  Play(true);
  Invalidate(false);
  UpdateWindow();
}

void TPavi::FitToMovie() {
  if (!open_ || GetHandle() == nullptr) return;
  const RECT client = GetClientRect();
  const RECT window = GetWindowRect();
  int frameWidth = (window.right - window.left) - client.right;
  int frameHeight = (window.bottom - window.top) - client.bottom;
  // A window still too small for its frame (as made, 0 high) has no client to measure by.
  if (client.right <= 0 || client.bottom <= 0) {
    RECT outer{0, 0, picture_.width, picture_.height + kBarHeight};
    AdjustWindowRect(&outer, GetStyle(), false);
    frameWidth = (outer.right - outer.left) - picture_.width;
    frameHeight = (outer.bottom - outer.top) - picture_.height - kBarHeight;
  }
  // A movie larger than the screen leaves (one scale for both sides) room for the frame
  // and the bar: the player's controls are never off the screen.
  const double roomWidth = GetSystemMetrics(SM_CXSCREEN) - frameWidth;
  const double roomHeight = GetSystemMetrics(SM_CYSCREEN) - frameHeight - kBarHeight;
  const double scale = std::min({1.0, roomWidth / std::max(picture_.width, 1), roomHeight / std::max(picture_.height, 1)});
  shown_ = scale < 1.0 ? SIZE{std::max(1, static_cast<int>(picture_.width * scale)),
                              std::max(1, static_cast<int>(picture_.height * scale))}
                       : SIZE{picture_.width, picture_.height};
  const SIZE wanted = WantedClient();
  fitting_ = true;
  SetWindowPos(nullptr, 0, 0, wanted.cx + frameWidth, wanted.cy + frameHeight,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  // The player sized to a large movie, or left near the screen's edge, moves onto it.
  const RECT outer = GetWindowRect();
  const POINT placed = PlaceOnScreen(outer);
  if (placed.x != outer.left || placed.y != outer.top)
    SetWindowPos(nullptr, placed.x, placed.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  fitting_ = false;
}

void TPavi::EvSize(UINT sizeType, const SIZE &size) {
  TWindow::EvSize(sizeType, size);
  if (!open_ || fitting_ || sizeType == SIZE_MINIMIZED) return;
  const SIZE wanted = WantedClient();
  if (size.cx != wanted.cx || size.cy != wanted.cy) FitToMovie();
}

void TPavi::CloseMovie() {
  KillTimer(kPlayTimer);
  playing_ = false;
  dragging_ = false;
  open_ = false;
  reader_.reset();
}

void TPavi::EvClose() {
  CloseMovie();
  DefaultProcessing();
}

void TPavi::EvDestroy() {
  CloseMovie();
  DefaultProcessing();
}

void TPavi::Play(bool play) {
  playing_ = play && open_;
  if (playing_) {
    SetTimer(kPlayTimer, periodMs_);
  } else {
    KillTimer(kPlayTimer);
  }
  if (GetHandle() != nullptr) {
    TClientDC dc(*this);
    DrawBar(dc);
  }
}

bool TPavi::ShowFrame(int frame) {
  if (!open_) return false;
  if (!reader_->ReadFrame(frame, picture_)) {
    Play(false);
    if (!failureShown_) {
      failureShown_ = true;
      MessageBox(GetHandle(), "Unable to show frame " + std::to_string(frame) + " of the movie: " + reader_->Error(),
                 "Animation", MB_OK | MB_ICONEXCLAMATION);
    }
    return false;
  }
  frame_ = frame;
  Invalidate(false);
  UpdateWindow();
  return true;
}

void TPavi::EvTimer(UINT timerId) {
  if (timerId != kPlayTimer || !open_ || !playing_ || dragging_) return;
  const int count = FrameCount();
  if (count > 0) ShowFrame((frame_ + 1) % count);
}

int TPavi::FrameAt(int pointX) const {
  const RECT track = TrackRect();
  const int trackWidth = std::max(1, static_cast<int>(track.right - track.left));
  const int last = std::max(0, FrameCount() - 1);
  const int frame = ((pointX - track.left) * last + trackWidth / 2) / trackWidth;
  return std::clamp(frame, 0, last);
}

void TPavi::EvLButtonDown(UINT, const POINT &point) {
  if (!open_) return;
  const RECT button = ButtonRect();
  if (point.x >= button.left && point.x < button.right && point.y >= button.top && point.y < button.bottom) {
    Play(!playing_);
    return;
  }
  const RECT track = TrackRect();
  const int barTop = static_cast<int>(shown_.cy);
  if (point.y >= barTop && point.x >= track.left - kThumbHalfWidth && point.x < track.right + kThumbHalfWidth) {
    dragging_ = true;
    SetCapture();
    ShowFrame(FrameAt(point.x));
  }
}

void TPavi::EvMouseMove(UINT, const POINT &point) {
  if (dragging_ && open_ && FrameAt(point.x) != frame_) ShowFrame(FrameAt(point.x));
}

void TPavi::EvLButtonUp(UINT, const POINT &) {
  if (!dragging_) return;
  dragging_ = false;
  ReleaseCapture();
}

void TPavi::Paint(TDC &dc, bool, RECT &) {
  const RECT client = GetClientRect();
  TBrush face(kBarFace);
  if (open_ && picture_.width > 0) {
    BITMAPINFO info{};
    info.bmiHeader.biWidth = picture_.width;
    info.bmiHeader.biHeight = picture_.height;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biSizeImage = static_cast<DWORD>(picture_.bits.size());
    const int shownWidth = static_cast<int>(shown_.cx), shownHeight = static_cast<int>(shown_.cy);
    if (shownWidth == picture_.width && shownHeight == picture_.height)
      dc.SetDIBitsToDevice(0, 0, picture_.width, picture_.height, 0, 0, 0, static_cast<UINT>(picture_.height),
                           picture_.bits.data(), &info, DIB_RGB_COLORS);
    else
      dc.StretchDIBits(0, 0, shownWidth, shownHeight, 0, 0, picture_.width, picture_.height, picture_.bits.data(),
                       &info, DIB_RGB_COLORS, SRCCOPY);
    // Beside a movie narrower than the bar.
    if (client.right > shownWidth) dc.FillRect(RECT{shownWidth, 0, client.right, shownHeight}, face);
  }
  DrawBar(dc);
}

void TPavi::DrawBar(TDC &dc) {
  if (!open_) return;
  const RECT client = GetClientRect();
  const int top = static_cast<int>(shown_.cy);
  TBrush face(kBarFace), shadow(kBarShadow), light(kBarLight), glyph(kGlyph), thumb(kThumb);
  dc.FillRect(RECT{0, top, std::max(client.right, WantedClient().cx), top + kBarHeight}, face);
  dc.FillRect(RECT{0, top, std::max(client.right, WantedClient().cx), top + 1}, light);

  // The button: raised, with a pause sign while playing and a play sign while paused.
  const RECT button = ButtonRect();
  dc.FillRect(RECT{button.left, button.top, button.right, button.top + 1}, light);
  dc.FillRect(RECT{button.left, button.top, button.left + 1, button.bottom}, light);
  dc.FillRect(RECT{button.left, button.bottom - 1, button.right, button.bottom}, shadow);
  dc.FillRect(RECT{button.right - 1, button.top, button.right, button.bottom}, shadow);
  if (playing_) {
    dc.FillRect(RECT{button.left + 4, button.top + 4, button.left + 7, button.bottom - 4}, glyph);
    dc.FillRect(RECT{button.left + 9, button.top + 4, button.left + 12, button.bottom - 4}, glyph);
  } else {
    const POINT triangle[3] = {{button.left + 5, button.top + 3}, {button.left + 12, button.top + 8},
                               {button.left + 5, button.top + 13}};
    const HBRUSH oldBrush = dc.SelectObject(static_cast<HBRUSH>(glyph));
    TPen outline(kGlyph);
    const HPEN oldPen = dc.SelectObject(static_cast<HPEN>(outline));
    dc.Polygon(triangle, 3);
    dc.SelectObject(oldPen);
    dc.SelectObject(oldBrush);
  }

  // The track, sunken, and the thumb at the frame shown.
  const RECT track = TrackRect();
  dc.FillRect(track, shadow);
  dc.FillRect(RECT{track.left, track.bottom - 1, track.right, track.bottom}, light);
  const int last = std::max(1, FrameCount() - 1);
  const int thumbX = track.left + static_cast<int>((static_cast<long long>(track.right - track.left) * frame_) / last);
  dc.FillRect(RECT{thumbX - kThumbHalfWidth, top + kThumbTop, thumbX + kThumbHalfWidth, top + kThumbBottom}, thumb);

  // The frame's number and the count.
  const std::string counter = std::to_string(frame_ + 1) + "/" + std::to_string(FrameCount());
  RECT text{track.right + kThumbHalfWidth + 2, top + 1, std::max(client.right, WantedClient().cx) - kCounterRightMargin,
            top + kBarHeight};
  dc.SetBkMode(TRANSPARENT);
  dc.SetTextColor(kGlyph);
  dc.DrawText(counter.c_str(), -1, text, DT_RIGHT | DT_VCENTER | DT_SINGLELINE);
}
