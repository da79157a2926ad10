#include "editor/animation/step_movie.h"

#include <utility>

#include "platform/gui/drawing/dc_kinds.h"
#include "platform/gui/drawing/gdi_objects.h"
#include "platform/gui/drawing/window_dc.h"
#include "platform/gui/windows/window.h"
#include "toolkit/render3d/o_dib.h"
#include "toolkit/render3d/o_palette.h"

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

// Every child window keeps a picture of its own, which its parent's never holds: the
// visible children (the canvas, bars, palettes docked in the window) are copied over the
// picture where they lie, each before its own children.
void CopyChildren(TWindow &window, TDC &target, const POINT &targetOrigin) {
  for (TWindow *child : window.GetChildren()) {
    if (child->GetHandle() == nullptr || !child->IsChild() || !child->IsWindowVisible()) continue;
    TWindowDC source(*child);
    const SIZE size = source.DeviceSize();
    const POINT origin = ImageOrigin(*child);
    target.BitBlt(origin.x - targetOrigin.x, origin.y - targetOrigin.y, size.cx, size.cy, source, 0, 0, SRCCOPY);
    CopyChildren(*child, target, targetOrigin);
  }
}

}  // namespace

std::string StepMovieTitle(const std::string &title, int frame) {
  const std::string label = "Step " + std::to_string(frame);
  // Only a label this function wrote is replaced: a "Step" in the system's name stays.
  const std::string mark = ", Step ";
  const std::size_t at = title.rfind(mark);
  if (at != std::string::npos) {
    const std::size_t digits = at + mark.size();
    bool number = digits < title.size();
    for (std::size_t i = digits; i < title.size() && number; ++i)
      number = title[i] >= '0' && title[i] <= '9';
    if (number) return title.substr(0, at) + ", " + label;
  }
  return title + ", " + label;
}

TStepMovieWriterFactory SetStepMovieWriterFactory(TStepMovieWriterFactory factory) {
  std::swap(Factory(), factory);
  return factory;
}

const TStepMovieWriterFactory &StepMovieWriterFactory() { return Factory(); }

std::unique_ptr<TODib> CaptureWindowPicture(TWindow &window) {
  if (window.GetHandle() == nullptr) return nullptr;
  TWindowDC screen(window);
  const SIZE size = screen.DeviceSize();
  if (size.cx <= 0 || size.cy <= 0) return nullptr;
  TBitmap bitmap(size.cx, size.cy);
  {
    TMemoryDC memory(screen);
    memory.SelectObject(bitmap);
    memory.BitBlt(0, 0, size.cx, size.cy, screen, 0, 0, SRCCOPY);
    CopyChildren(window, memory, ImageOrigin(window));
    memory.RestoreBitmap();
  }
  const HPALETTE palette = SharedPalette != nullptr ? static_cast<HPALETTE>(*SharedPalette) : nullptr;
  auto picture = std::make_unique<TODib>(static_cast<HBITMAP>(bitmap), palette);
  if (!picture->IsOK()) return nullptr;
  return picture;
}
