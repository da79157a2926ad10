// The 3-D viewer's button pictures, 16 x 15 pixels on the grey button face, drawn once and
// registered as bitmap resources under the commands' ids, and the buttons' hint texts.

#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

#include "foundation/numerics/pi.h"
#include "platform/gui/bars/glyph_painter.h"
#include "viewer3d/palette/viewer_commands.h"

namespace {

using TSpot = TGlyphPainter::TSpot;

constexpr int kGlyphWidth = 16;
constexpr int kGlyphHeight = 15;
// The pixel height of the letters on the buttons.
constexpr int kLetterPixels = 9;

constexpr COLORREF kFace = RGB(0xC0, 0xC0, 0xC0);
constexpr COLORREF kInk = RGB(0, 0, 0);
constexpr COLORREF kWhite = RGB(0xFF, 0xFF, 0xFF);
constexpr COLORREF kGlass = RGB(0x40, 0xA0, 0xE0);
// The glass in shadow: its hue at five eighths of its brightness.
constexpr COLORREF kGlassShade = RGB(0x28, 0x64, 0x8C);
constexpr COLORREF kFilm = RGB(0x40, 0x40, 0x40);
constexpr COLORREF kEyeGlass = RGB(0x60, 0x60, 0x60);
constexpr COLORREF kRay = RGB(0, 0, 0xC0);
constexpr COLORREF kRed = RGB(0xC0, 0, 0);
constexpr COLORREF kGreen = RGB(0, 0x80, 0);
constexpr COLORREF kBlue = RGB(0, 0, 0xC0);

using TDraw = std::function<void(TGlyphPainter &)>;

struct TGlyphArt {
  int command;
  TDraw draw;
};

// A letter in the left part of the button.
void Letter(TGlyphPainter &p, const char *text, COLORREF color) {
  p.SetPen(color);
  p.BoldTextIn(0, 0, 7, 15, kLetterPixels, text);
}

// A filled arrow head at tip, pointing away from from, in the colour given.
void ArrowHead(TGlyphPainter &p, TSpot tip, TSpot from, COLORREF color) {
  const double dx = tip.x - from.x, dy = tip.y - from.y;
  const double length = std::max(1e-9, std::hypot(dx, dy));
  const double ux = dx / length, uy = dy / length, nx = -uy, ny = ux;
  p.SetBrush(color);
  p.PolygonThrough({tip,
                    {tip.x - 3.5 * ux + 2.5 * nx, tip.y - 3.5 * uy + 2.5 * ny},
                    {tip.x - 3.5 * ux - 2.5 * nx, tip.y - 3.5 * uy - 2.5 * ny}});
  p.SetNoBrush();
}

// A turn about an axis: the axis letter and a round arrow, clockwise for minus.
TDraw Turn(const char *axis, COLORREF color, bool plus) {
  return [axis, color, plus](TGlyphPainter &p) {
    Letter(p, axis, color);
    p.SetPen(kInk, 1.2);
    // Three quarters of a circle from the top, ending in the arrow.
    const int start = 90 * 16, span = (plus ? 270 : -270) * 16;
    p.Arc(7, 2, 8, 10, start, span);
    const TSpot tip = plus ? TSpot{15, 7} : TSpot{7, 7};
    ArrowHead(p, tip, {tip.x, tip.y - 3}, kInk);
  };
}

// A shift along an axis: the letter and a straight arrow (z slants out of the screen).
TDraw Shift(const char *axis, COLORREF color, TSpot from, TSpot to) {
  return [axis, color, from, to](TGlyphPainter &p) {
    Letter(p, axis, color);
    p.SetPen(kInk, 1.2);
    p.Line(from, to);
    ArrowHead(p, to, from, kInk);
  };
}

void Lens(TGlyphPainter &p, double x, double top, double bottom) {
  p.SetBrush(kGlass);
  p.SetPen(kInk);
  p.MoveTo(x, top);
  p.QuadTo(x + 5, (top + bottom) / 2.0, x, bottom);
  p.QuadTo(x - 5, (top + bottom) / 2.0, x, top);
  p.StrokePath();
  p.SetNoBrush();
}

void Magnifier(TGlyphPainter &p, bool plus) {
  p.SetPen(kInk, 1);
  p.SetBrush(kWhite);
  p.Ellipse(1, 1, 9, 9);
  p.SetNoBrush();
  p.Line(3, 5, 8, 5);
  if (plus) p.Line(5, 3, 5, 8);
  p.SetPen(kInk, 2);
  p.Line(10, 10, 14, 14);
}

// A ball shaded more or less finely: the three qualities, with 5, 8 or 24 sides.
TDraw Ball(int sides) {
  return [sides](TGlyphPainter &p) {
    p.SetRadialBrush({5.5, 5.0}, 7.0, {{0.0, kWhite}, {1.0, kGlassShade}});
    p.SetPen(kInk);
    std::vector<TSpot> outline;
    for (int k = 0; k < sides; ++k) {
      const double a = 2.0 * kPi * k / sides;
      outline.push_back({7.5 + 6.0 * std::cos(a), 7.0 + 6.0 * std::sin(a)});
    }
    p.PolygonThrough(outline);
    p.SetNoBrush();
  };
}

void Frame(TGlyphPainter &p) {
  p.SetPen(kInk, 1, TGlyphPainter::TLineStyle::kDot);
  p.Rectangle(0, 0, 15, 14);
}

const TGlyphArt kArt[] = {
    {CM_FAST_DRAFT_QUALITY, Ball(5)},
    {CM_DRAFT_QUALITY, Ball(8)},
    {CM_FINE_QUALITY, Ball(24)},
    {CM_ROTATE_X_PLUS, Turn("X", kRed, true)},
    {CM_ROTATE_X_MINUS, Turn("X", kRed, false)},
    {CM_ROTATE_Y_PLUS, Turn("Y", kGreen, true)},
    {CM_ROTATE_Y_MINUS, Turn("Y", kGreen, false)},
    {CM_ROTATE_Z_PLUS, Turn("Z", kBlue, true)},
    {CM_ROTATE_Z_MINUS, Turn("Z", kBlue, false)},
    {CM_MOVE_X_PLUS, Shift("X", kRed, {7, 7}, {15, 7})},
    {CM_MOVE_X_MINUS, Shift("X", kRed, {15, 7}, {7, 7})},
    {CM_MOVE_Y_PLUS, Shift("Y", kGreen, {11, 13}, {11, 2})},
    {CM_MOVE_Y_MINUS, Shift("Y", kGreen, {11, 2}, {11, 13})},
    {CM_MOVE_Z_PLUS, Shift("Z", kBlue, {14, 2}, {8, 12})},
    {CM_MOVE_Z_MINUS, Shift("Z", kBlue, {8, 12}, {14, 2})},
    {CM_ZOOM_IN, [](TGlyphPainter &p) { Magnifier(p, true); }},
    {CM_ZOOM_OUT_VIEW, [](TGlyphPainter &p) { Magnifier(p, false); }},
    {CM_ACTUAL_VIEW, [](TGlyphPainter &p) { p.BoldTextIn(0, 0, 16, 15, kLetterPixels, "1:1"); }},
    {CM_ROTATE_TOOLS, [](TGlyphPainter &p) {
       p.SetPen(kRed, 1.5);
       p.Arc(2, 2, 11, 11, 100 * 16, 300 * 16);
       ArrowHead(p, {7, 2}, {10, 2.5}, kRed);
     }},
    {CM_MOVE_TOOLS, [](TGlyphPainter &p) {
       p.SetPen(kRed, 1.2);
       p.Line(TSpot{2, 7}, TSpot{14, 7});
       p.Line(TSpot{8, 1}, TSpot{8, 13});
       ArrowHead(p, {1, 7}, {5, 7}, kRed);
       ArrowHead(p, {15, 7}, {11, 7}, kRed);
       ArrowHead(p, {8, 0.5}, {8, 4}, kRed);
       ArrowHead(p, {8, 13.5}, {8, 10}, kRed);
     }},
    {CM_SHOW_AXES, [](TGlyphPainter &p) {
       p.SetPen(kRed, 1.5);
       p.Line(TSpot{5, 11}, TSpot{15, 11});
       p.SetPen(kGreen, 1.5);
       p.Line(TSpot{5, 11}, TSpot{5, 1});
       p.SetPen(kBlue, 1.5);
       p.Line(TSpot{5, 11}, TSpot{1, 14});
     }},
    {CM_SHOW_RAYS, [](TGlyphPainter &p) {
       Lens(p, 5, 1, 13);
       p.SetPen(kRay);
       for (double y : {2.0, 7.0, 12.0}) {
         p.Line(TSpot{0, y}, TSpot{5, y});
         p.Line(TSpot{5, y}, TSpot{15, 7});
       }
     }},
    {CM_FIT_ELEMENTS, [](TGlyphPainter &p) {
       Frame(p);
       Lens(p, 8, 2, 12);
     }},
    {CM_FIT_ELEMENTS_AND_RAYS, [](TGlyphPainter &p) {
       Frame(p);
       Lens(p, 6, 2, 12);
       p.SetPen(kRay);
       p.Line(TSpot{2, 4}, TSpot{13, 7});
       p.Line(TSpot{2, 10}, TSpot{13, 7});
     }},
    {CM_SECTIONS, [](TGlyphPainter &p) {
       p.SetBrush(kGlass);
       p.SetPen(kInk);
       p.Pie(1, 1, 13, 13, 90 * 16, 270 * 16);
       p.SetNoBrush();
     }},
    {CM_STEREO, [](TGlyphPainter &p) {
       p.SetPen(kInk, 1.2);
       p.SetBrush(kEyeGlass);
       p.Ellipse(TSpot{0.5, 4}, 6, 5);
       p.Ellipse(TSpot{9.5, 4}, 6, 5);
       p.SetNoBrush();
       p.Line(TSpot{6.5, 6}, TSpot{9.5, 6});
     }},
    {CM_SWAP_EYES, [](TGlyphPainter &p) {
       p.SetPen(kInk, 1.2);
       p.Ellipse(TSpot{0.5, 1}, 5, 4);
       p.Ellipse(TSpot{10.5, 1}, 5, 4);
       p.SetPen(kRed, 1.2);
       p.Line(TSpot{3, 10}, TSpot{13, 10});
       ArrowHead(p, {1.5, 10}, {5, 10}, kRed);
       ArrowHead(p, {14.5, 10}, {11, 10}, kRed);
     }},
    {CM_CREATE_ANIMATION, [](TGlyphPainter &p) {
       p.FillRect(1, 2, 14, 11, kFilm);
       for (int x = 2; x < 15; x += 3) {
         p.FillRect(x, 3, 1, 1, kWhite);
         p.FillRect(x, 11, 1, 1, kWhite);
       }
       p.SetBrush(kRed);
       p.SetNoPen();
       p.Ellipse(TSpot{5.5, 5}, 5, 5);
     }},
    {CM_PLAY_ANIMATION, [](TGlyphPainter &p) {
       p.SetBrush(kGreen);
       p.SetPen(kInk);
       p.PolygonThrough({{4, 2}, {13, 7.5}, {4, 13}});
     }},
};

struct THint {
  int id;
  const char *text;
};

const THint kHints[] = {
    {CM_FAST_DRAFT_QUALITY, "Fast draft quality"},
    {CM_DRAFT_QUALITY, "Draft quality"},
    {CM_FINE_QUALITY, "Fine quality"},
    {CM_ROTATE_X_PLUS, "Rotation (+) around OX"},
    {CM_ROTATE_X_MINUS, "Rotation (-) around OX"},
    {CM_ROTATE_Y_PLUS, "Rotation (+) around OY"},
    {CM_ROTATE_Y_MINUS, "Rotation (-) around OY"},
    {CM_ROTATE_Z_PLUS, "Rotation (+) around OZ"},
    {CM_ROTATE_Z_MINUS, "Rotation (-) around OZ"},
    {CM_MOVE_X_PLUS, "Move (+) along OX"},
    {CM_MOVE_X_MINUS, "Move (-) along OX"},
    {CM_MOVE_Y_PLUS, "Move (+) along OY"},
    {CM_MOVE_Y_MINUS, "Move (-) along OY"},
    {CM_MOVE_Z_PLUS, "Move (+) along OZ"},
    {CM_MOVE_Z_MINUS, "Move (-) along OZ"},
    {CM_ZOOM_IN, "Zoom in (x2)"},
    {CM_ZOOM_OUT_VIEW, "Zoom out (:2)"},
    {CM_ACTUAL_VIEW, "Actual view (1:1)"},
    {CM_ROTATE_TOOLS, "Rotate tools menu"},
    {CM_MOVE_TOOLS, "Move tools menu"},
    {CM_SHOW_AXES, "Show/Hide system coordinat axes"},
    {CM_SHOW_RAYS, "Show/Hide rays"},
    {CM_FIT_ELEMENTS, "Paint system elements inside window"},
    {CM_FIT_ELEMENTS_AND_RAYS, "Paint system elements and rays inside window"},
    {CM_SECTIONS, "Sections"},
    {CM_STEREO, "Stereo Regime on/off"},
    {CM_SWAP_EYES, "3D Glasses Phase Toggle"},
    {CM_CREATE_ANIMATION, "Create Animation"},
    {CM_PLAY_ANIMATION, "Play Animation"},
};

}  // namespace

void RegisterViewerResources() {
  static bool registered = false;
  if (registered) return;
  registered = true;
  for (const TGlyphArt &art : kArt) {
    TGlyphPainter painter(kGlyphWidth, kGlyphHeight, kFace);
    painter.SetAntialiased(true);
    art.draw(painter);
    painter.Register(TResId(art.command));
  }
  for (const THint &hint : kHints) RegisterString(static_cast<UINT>(hint.id), hint.text);
}
