#include "editor/animation/step_movie.h"

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

// Every window of the program standing over the window on the screen, with or without a
// parent (palettes, the 3-D viewer, folders, the help), drawn as the screen shows it,
// bottom first (targetOrigin is where the target's corner lies).
void DrawWindowsOver(TWindow &window, TDC &target, const POINT &targetOrigin) {
  const std::vector<TWindow *> stacked = StackedTopLevelWindows();
  const auto self = std::find(stacked.begin(), stacked.end(), &window);
  if (self == stacked.end()) return;
  for (auto over = self + 1; over != stacked.end(); ++over) {
    const POINT origin = ImageOrigin(**over);
    DrawWindowAsShown(**over, target, origin.x - targetOrigin.x, origin.y - targetOrigin.y);
  }
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

std::string WithoutStepLabel(const std::string &title) { return title.substr(0, StepLabelAt(title)); }

TStepMovieWriterFactory SetStepMovieWriterFactory(TStepMovieWriterFactory factory) {
  std::swap(Factory(), factory);
  return factory;
}

const TStepMovieWriterFactory &StepMovieWriterFactory() { return Factory(); }

std::unique_ptr<TODib> CaptureWindowPicture(TWindow &window, const std::string &title) {
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
    DrawWindowAsShown(window, memory, 0, caption);
    const POINT origin = ImageOrigin(window);
    DrawWindowsOver(window, memory, POINT{origin.x, origin.y - caption});
    // The caption last, so the step's label is always in sight.
    DrawCaption(memory, size.cx, caption, title);
    memory.RestoreBitmap();
  }
  // The screen's own colours, as many as the picture holds: the shared palette of the 3-D
  // pictures lacks most of the editor's (the lens fill among them).
  auto picture = std::make_unique<TODib>(static_cast<HBITMAP>(bitmap), nullptr);
  if (!picture->IsOK()) return nullptr;
  return picture;
}
