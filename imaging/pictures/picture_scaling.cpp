#include "imaging/pictures/picture_scaling.h"

#include <algorithm>

namespace {

// Display values are 0 .. 255; each channel is truncated to an integer before blending.
int Channel(float value) { return static_cast<int>(value); }

}  // namespace

void ScalePicture(const COLORVECTOR *pixels, int width, int height, const RECT &view,
                  int clientWidth, int clientHeight, std::uint8_t *rgb) {
  if (pixels == nullptr || rgb == nullptr || width < 1 || height < 1 || clientWidth < 1 ||
      clientHeight < 1) {
    return;
  }
  const double viewWidth = static_cast<double>(view.right - view.left + 1);
  const double viewHeight = static_cast<double>(view.bottom - view.top + 1);
  const double stepX = viewWidth / clientWidth;
  const double stepY = viewHeight / clientHeight;
  // Client pixel x covers the source span view.left + x * stepX .. view.left + (x + 1) *
  // stepX, image pixel i the span i .. i + 1. The blend is taken at the client pixel's
  // centre measured from the image pixels' centres, so both edges of the picture keep half
  // an image pixel of their outer pixels alike (sampling at the span's start shifted the
  // picture half a pixel up and left, leaving a whole pixel of the last column and row as
  // a band along the right and lower edges), and a click finds the pixel it is shown over.
  for (int y = 0; y < clientHeight; ++y) {
    const double sy = view.top + (y + 0.5) * stepY;
    if (sy < 0.0 || sy >= height) continue;
    const double fy = std::clamp(sy - 0.5, 0.0, height - 1.0);
    const int iy = static_cast<int>(fy);
    const double dy = fy - iy;
    const int iy2 = std::min(iy + 1, height - 1);
    const COLORVECTOR *upperRow = pixels + static_cast<long>(iy) * width;
    const COLORVECTOR *lowerRow = pixels + static_cast<long>(iy2) * width;
    std::uint8_t *out = rgb + static_cast<long>(y) * clientWidth * 3;
    for (int x = 0; x < clientWidth; ++x) {
      const double sx = view.left + (x + 0.5) * stepX;
      if (sx < 0.0 || sx >= width) continue;
      const double fx = std::clamp(sx - 0.5, 0.0, width - 1.0);
      const int ix = static_cast<int>(fx);
      const double dx = fx - ix;
      const int ix2 = std::min(ix + 1, width - 1);
      const COLORVECTOR &a = upperRow[ix];
      const COLORVECTOR &b = upperRow[ix2];
      const COLORVECTOR &c = lowerRow[ix];
      const COLORVECTOR &d = lowerRow[ix2];
      auto blend = [dx, dy](float av, float bv, float cv, float dv) {
        const int ai = Channel(av), bi = Channel(bv), ci = Channel(cv), di = Channel(dv);
        const int upper = static_cast<int>(ai + (bi - ai) * dx);
        const int lower = static_cast<int>(ci + (di - ci) * dx);
        const int value = static_cast<int>(upper + (lower - upper) * dy);
        return static_cast<std::uint8_t>(value & 0xFF);
      };
      out[x * 3 + 0] = blend(a.red, b.red, c.red, d.red);
      out[x * 3 + 1] = blend(a.green, b.green, c.green, d.green);
      out[x * 3 + 2] = blend(a.blue, b.blue, c.blue, d.blue);
    }
  }
}

POINT PictureSourcePixel(const RECT &view, int clientWidth, int clientHeight, POINT client) {
  const double kx = static_cast<double>(std::max(clientWidth, 1)) / (view.right - view.left + 1);
  const double ky =
      static_cast<double>(std::max(clientHeight, 1)) / (view.bottom - view.top + 1);
  return {static_cast<LONG>(client.x / kx + view.left), static_cast<LONG>(client.y / ky + view.top)};
}
