#include "editor/shell/splash_picture.h"

#include <cmath>
#include <cstdint>

#include "toolkit/render3d/o_dib.h"

namespace {

// Glyphs of 5 x 7 cells, one row a string, for the letters of the name.
struct TGlyph {
  char letter;
  const char *rows[7];
};
constexpr TGlyph kGlyphs[] = {
    {'K', {"X...X", "X..X.", "X.X..", "XX...", "X.X..", "X..X.", "X...X"}},
    {'O', {".XXX.", "X...X", "X...X", "X...X", "X...X", "X...X", ".XXX."}},
    {'R', {"XXXX.", "X...X", "X...X", "XXXX.", "X.X..", "X..X.", "X...X"}},
    {'V', {"X...X", "X...X", "X...X", "X...X", "X...X", ".X.X.", "..X.."}},
    {'E', {"XXXXX", "X....", "X....", "XXXX.", "X....", "X....", "XXXXX"}},
    {'X', {"X...X", "X...X", ".X.X.", "..X..", ".X.X.", "X...X", "X...X"}},
};
constexpr int kCell = 5;  // pixels per glyph cell

constexpr int kAxisY = 100;
constexpr int kLensX = 150;
constexpr double kLensRadius = 130.0;  // of both faces
constexpr double kLensSemiHeight = 70.0;
constexpr int kFocusX = 300;

void PutGlyph(TODib &dib, const TGlyph &glyph, int left, int top) {
  for (int row = 0; row < 7; ++row)
    for (int column = 0; column < 5; ++column) {
      if (glyph.rows[row][column] != 'X') continue;
      for (int dy = 0; dy < kCell; ++dy)
        for (int dx = 0; dx < kCell; ++dx)
          dib.SetPixelRGB(left + column * kCell + dx, top + row * kCell + dy, 255, 255, 255);
    }
}

// Half the thickness of a symmetric biconvex lens at height h: the two caps' sag.
double HalfThickness(double h) {
  const double edgeSag = kLensRadius - std::sqrt(kLensRadius * kLensRadius - kLensSemiHeight * kLensSemiHeight);
  const double sag = kLensRadius - std::sqrt(kLensRadius * kLensRadius - h * h);
  return 2.0 + edgeSag - sag;
}

}  // namespace

bool WriteSplashPicture(const std::string &path) {
  TODib dib(kSplashWidth, kSplashHeight);
  if (!dib.IsOK()) return false;
  // A night-blue ground, lighter toward the bottom.
  for (int y = 0; y < kSplashHeight; ++y) {
    const auto blue = static_cast<BYTE>(64 + (96 * y) / kSplashHeight);
    for (int x = 0; x < kSplashWidth; ++x) dib.SetPixelRGB(x, y, 0, 16, blue);
  }
  // The lens, glass-green, between its two faces.
  for (int y = kAxisY - static_cast<int>(kLensSemiHeight); y <= kAxisY + kLensSemiHeight; ++y) {
    const double half = HalfThickness(y - kAxisY);
    for (int x = static_cast<int>(kLensX - half); x <= kLensX + half; ++x) dib.SetPixelRGB(x, y, 120, 200, 190);
  }
  // The axis, under the rays.
  for (int x = 0; x < kSplashWidth; x += 6) dib.SetPixelRGB(x, kAxisY, 200, 200, 200);
  // Parallel rays bent at the lens's middle plane toward the focus on the axis.
  for (int k = -3; k <= 3; ++k) {
    const int height = kAxisY + k * 18;
    dib.MoveTo(0, height);
    dib.LineTo(kLensX, height, RGB(255, 60, 40));
    dib.MoveTo(kLensX, height);
    dib.LineTo(kFocusX, kAxisY, RGB(255, 60, 40));
    // And on beyond the focus, spreading again.
    dib.MoveTo(kFocusX, kAxisY);
    dib.LineTo(kSplashWidth - 1, kAxisY - (height - kAxisY) * (kSplashWidth - 1 - kFocusX) / (kFocusX - kLensX),
               RGB(255, 60, 40));
  }
  // The name, centred below.
  const int nameWidth = 6 * 6 * kCell - kCell;
  int left = (kSplashWidth - nameWidth) / 2;
  for (char letter : std::string("KORVEX")) {
    for (const TGlyph &glyph : kGlyphs)
      if (glyph.letter == letter) PutGlyph(dib, glyph, left, 190);
    left += 6 * kCell;
  }
  return dib.WriteFile(path.c_str());
}
