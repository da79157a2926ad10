#include "editor/animation/step_movie.h"

#include <QApplication>
#include <algorithm>
#include <utility>
#include <vector>

#include "platform/core/font_faces.h"
#include "platform/gui/drawing/dc_kinds.h"
#include "platform/gui/drawing/gdi_objects.h"
#include "platform/gui/drawing/window_dc.h"
#include "platform/gui/drawing/sys_colors.h"
#include "platform/gui/windows/screen.h"
#include "platform/gui/windows/window.h"
#include "toolkit/render3d/o_dib.h"

namespace {

TStepMovieWriterFactory &Factory() {
  static TStepMovieWriterFactory factory;
  return factory;
}

// Where the window's picture starts on the screen.
POINT ImageOrigin(TWindow &window) {
  const POINT client = window.ClientToScreen(POINT{0, 0});
  const POINT inImage = window.ClientOrigin();
  return POINT{client.x - inImage.x, client.y - inImage.y};
}

void CopyWindow(TWindow &window, TDC &target, const POINT &targetOrigin);

// Every child window keeps a picture of its own, which its parent's never holds: the
// visible children (the canvas, bars, palettes docked in the window) are copied over the
// picture where they lie, each before its own children.
void CopyChildren(TWindow &window, TDC &target, const POINT &targetOrigin) {
  for (TWindow *child : window.GetChildren())
    if (child->GetHandle() != nullptr && child->IsChild() && child->IsWindowVisible())
      CopyWindow(*child, target, targetOrigin);
}

// The program's own top-level windows the window owns, directly or through another (the
// 3-D viewer, the floating palettes), that are shown: bottom first, in the order they were
// made, the active one last, as it stands over the others.
void OwnedWindows(TWindow &window, std::vector<TWindow *> &found) {
  for (TWindow *child : window.GetChildren()) {
    if (child->GetHandle() == nullptr) continue;
    if (!child->IsChild() && child->IsWindowVisible()) found.push_back(child);
    OwnedWindows(*child, found);
  }
}

std::vector<TWindow *> StackedOwnedWindows(TWindow &window) {
  std::vector<TWindow *> owned;
  OwnedWindows(window, owned);
  const QWidget *active = QApplication::activeWindow();
  std::stable_partition(owned.begin(), owned.end(), [&](TWindow *w) { return w->HostWidget() != active; });
  return owned;
}

// A window's picture with its child windows, where it lies on the screen (targetOrigin is
// where the target's corner lies).
void CopyWindow(TWindow &window, TDC &target, const POINT &targetOrigin) {
  // Parts waiting for their paint are painted first, as the screen is about to show them.
  window.UpdateWindow();
  TWindowDC source(window);
  const SIZE size = source.DeviceSize();
  const POINT origin = ImageOrigin(window);
  target.BitBlt(origin.x - targetOrigin.x, origin.y - targetOrigin.y, size.cx, size.cy, source, 0, 0, SRCCOPY);
  CopyChildren(window, target, targetOrigin);
}

// Where a step label ", Step <digits>" ends the title, or npos (a "Step" elsewhere, say in
// the system's name, is no label).
std::size_t StepLabelAt(const std::string &title) {
  const std::string mark = ", Step ";
  const std::size_t at = title.rfind(mark);
  if (at == std::string::npos || at + mark.size() == title.size()) return std::string::npos;
  for (std::size_t i = at + mark.size(); i < title.size(); ++i)
    if (title[i] < '0' || title[i] > '9') return std::string::npos;
  return at;
}

// The window's caption drawn over the frame's top rows: the window's own picture never
// holds it (the desktop draws it). The step's label stands at its right end, in sight
// however long the title, which gives way before it.
void DrawCaption(TDC &dc, int width, int height, const std::string &title) {
  const TBrush fill(GetSysColor(COLOR_ACTIVECAPTION));
  dc.FillRect(RECT{0, 0, width, height}, fill);
  const TFont font(kFaceSansSerif, -std::max(8, height * 3 / 5), 0, 0, 700);
  dc.SelectObject(font);
  dc.SetBkMode(TRANSPARENT);
  dc.SetTextColor(GetSysColor(COLOR_CAPTIONTEXT));
  constexpr int kMargin = 4;
  // The title on the left, the step's label (when it ends the title) at the right end.
  const std::size_t at = StepLabelAt(title);
  RECT text{kMargin, 0, width - kMargin, height};
  dc.DrawText(title.substr(0, at).c_str(), -1, text, DT_LEFT | DT_SINGLELINE | DT_VCENTER);
  if (at != std::string::npos) {
    const std::string label = title.substr(at + 2);
    const int labelLeft = std::max(kMargin, width - kMargin - static_cast<int>(dc.GetTextExtent(label.c_str()).cx));
    dc.FillRect(RECT{labelLeft - 2 * kMargin, 0, width, height}, fill);
    RECT labelRect{labelLeft, 0, width - kMargin, height};
    dc.DrawText(label.c_str(), -1, labelRect, DT_LEFT | DT_SINGLELINE | DT_VCENTER);
  }
  dc.RestoreFont();
}

}  // namespace

std::string StepMovieTitle(const std::string &title, int frame) {
  const std::string label = "Step " + std::to_string(frame);
  const std::size_t at = StepLabelAt(title);
  return (at != std::string::npos ? title.substr(0, at) : title) + ", " + label;
}

TStepMovieWriterFactory SetStepMovieWriterFactory(TStepMovieWriterFactory factory) {
  std::swap(Factory(), factory);
  return factory;
}

const TStepMovieWriterFactory &StepMovieWriterFactory() { return Factory(); }

std::unique_ptr<TODib> CaptureWindowPicture(TWindow &window) {
  if (window.GetHandle() == nullptr) return nullptr;
  window.UpdateWindow();
  TWindowDC screen(window);
  const SIZE size = screen.DeviceSize();
  if (size.cx <= 0 || size.cy <= 0) return nullptr;
  const int caption = std::max(1, GetSystemMetrics(SM_CYCAPTION));
  TBitmap bitmap(size.cx, size.cy + caption);
  {
    TMemoryDC memory(screen);
    memory.SelectObject(bitmap);
    memory.BitBlt(0, caption, size.cx, size.cy, screen, 0, 0, SRCCOPY);
    const POINT origin = ImageOrigin(window);
    const POINT frameOrigin{origin.x, origin.y - caption};
    CopyChildren(window, memory, frameOrigin);
    // What the screen shows over the window: the program's own windows standing on it.
    for (TWindow *owned : StackedOwnedWindows(window)) CopyWindow(*owned, memory, frameOrigin);
    // The caption last, so the step's label is always in sight.
    DrawCaption(memory, size.cx, caption, window.GetWindowText());
    memory.RestoreBitmap();
  }
  // The screen's own colours, as many as the picture holds: the shared palette of the 3-D
  // pictures lacks most of the editor's (the lens fill among them).
  auto picture = std::make_unique<TODib>(static_cast<HBITMAP>(bitmap), nullptr);
  if (!picture->IsOK()) return nullptr;
  return picture;
}
