// The pictures of the palettes' buttons, 16 x 15 pixels on the grey button face, drawn
// once and registered as bitmap resources under the buttons' command ids.

#include <functional>

#include "editor/commands/editor_commands.h"
#include "editor/edit/editor_palettes.h"
#include "platform/gui/bars/glyph_painter.h"

namespace {

constexpr int kGlyphWidth = 16;
constexpr int kGlyphHeight = 15;

constexpr COLORREF kFace = RGB(0xC0, 0xC0, 0xC0);
constexpr COLORREF kInk = RGB(0, 0, 0);
constexpr COLORREF kWhite = RGB(0xFF, 0xFF, 0xFF);
constexpr COLORREF kBlue = RGB(0, 0, 0xC0);
constexpr COLORREF kRed = RGB(0xC0, 0, 0);
constexpr COLORREF kGreen = RGB(0, 0x80, 0);
constexpr COLORREF kGlass = RGB(0x40, 0xA0, 0xE0);
constexpr COLORREF kYellow = RGB(0xE0, 0xC0, 0);
using TStyle = TGlyphPainter::TLineStyle;

using TDraw = std::function<void(TGlyphPainter &)>;

void Lens(TGlyphPainter &p, int x, int top, int bottom) {
  p.MoveTo(x, top);
  p.QuadTo(x + 5, (top + bottom) / 2.0, x, bottom);
  p.QuadTo(x - 5, (top + bottom) / 2.0, x, top);
  p.SetBrush(kGlass);
  p.SetPen(kInk);
  p.StrokePath();
  p.SetNoBrush();
}

void Arrow(TGlyphPainter &p, int x1, int y1, int x2, int y2) {
  p.Line(x1, y1, x2, y2);
  const int dx = x2 > x1 ? -3 : x2 < x1 ? 3 : 0;
  const int dy = y2 > y1 ? -3 : y2 < y1 ? 3 : 0;
  if (dx != 0) {
    p.Line(x2, y2, x2 + dx, y2 - 3);
    p.Line(x2, y2, x2 + dx, y2 + 3);
  } else {
    p.Line(x2, y2, x2 - 3, y2 + dy);
    p.Line(x2, y2, x2 + 3, y2 + dy);
  }
}

void Magnifier(TGlyphPainter &p) {
  p.SetPen(kInk, 1);
  p.Ellipse(2, 1, 8, 8);
  p.SetPen(kInk, 2);
  p.Line(9, 9, 13, 13);
  p.SetPen(kInk, 1);
}

struct TGlyphArt {
  int command;
  TDraw draw;
};

const TGlyphArt kArt[] = {
    {CM_SELECT, [](TGlyphPainter &p) {
       p.SetBrush(kWhite);
       p.Polygon({{4, 1}, {4, 12}, {7, 9}, {10, 14}, {11, 13}, {9, 8}, {12, 8}});
     }},
    {CM_DELETE, [](TGlyphPainter &p) {
       p.SetPen(kRed, 2);
       p.Line(3, 3, 12, 12);
       p.Line(12, 3, 3, 12);
     }},
    {CM_UNDO, [](TGlyphPainter &p) {
       p.SetPen(kBlue, 2);
       p.Arc(3, 3, 10, 9, 90 * 16, -240 * 16);
       p.SetPen(kBlue, 1);
       p.Line(8, 3, 4, 1);
       p.Line(8, 3, 5, 6);
     }},
    {CM_ALIGNMENT, [](TGlyphPainter &p) {
       p.SetPen(kBlue, 1, TStyle::kDash);
       p.Line(0, 7, 15, 7);
       Lens(p, 5, 2, 12);
       Lens(p, 11, 2, 12);
     }},
    {CM_DECENTER, [](TGlyphPainter &p) {
       Lens(p, 7, 4, 13);
       p.SetPen(kRed);
       Arrow(p, 12, 10, 12, 1);
     }},
    {CM_TILT, [](TGlyphPainter &p) {
       p.SetPen(kInk, 2);
       p.Line(5, 13, 10, 2);
       p.SetPen(kRed);
       p.Arc(2, 2, 12, 12, 30 * 16, 60 * 16);
     }},
    {CM_PROPERTIES_OF_SELECTED, [](TGlyphPainter &p) {
       p.SetBrush(kWhite);
       p.Rectangle(1, 2, 13, 10);
       for (int y = 5; y < 12; y += 3) p.Line(1, y, 14, y);
       p.Line(6, 2, 6, 12);
     }},
    {CM_NEW_SINGLE_SURFACE, [](TGlyphPainter &p) {
       p.SetPen(kInk, 2);
       p.Arc(4, 1, 14, 13, 120 * 16, 120 * 16);
       p.SetPen(kRed);
       p.Line(11, 2, 11, 6);
       p.Line(9, 4, 13, 4);
     }},
    {CM_NEW_ELEMENT, [](TGlyphPainter &p) {
       Lens(p, 6, 2, 13);
       p.SetPen(kRed);
       p.Line(12, 2, 12, 6);
       p.Line(10, 4, 14, 4);
     }},
    {CM_REAL_BEAMS, [](TGlyphPainter &p) {
       p.SetPen(kBlue);
       for (int y : {3, 7, 11}) p.Line(0, y, 14, 7);
     }},
    {CM_ABERRATIONS, [](TGlyphPainter &p) {
       p.Line(1, 13, 14, 13);
       p.Line(2, 1, 2, 14);
       p.SetPen(kRed);
       p.MoveTo(2, 13);
       p.CubicTo(7, 12, 10, 8, 14, 2);
       p.StrokePath();
     }},
    {CM_SPOT_DIAGRAM, [](TGlyphPainter &p) {
       p.SetPen(kBlue);
       for (POINT dot : {POINT{7, 7}, POINT{5, 6}, POINT{9, 8}, POINT{6, 9}, POINT{8, 5},
                         POINT{4, 8}, POINT{10, 6}, POINT{7, 10}, POINT{7, 4}, POINT{11, 9}})
         p.Point(dot.x, dot.y);
     }},
    {CM_BEAM_ANIMATION, [](TGlyphPainter &p) {
       p.SetPen(kBlue);
       p.Line(0, 3, 8, 7);
       p.Line(0, 11, 8, 7);
       p.SetBrush(kInk);
       p.Polygon({{10, 3}, {15, 7}, {10, 11}});
     }},
    {CM_LENS_ANIMATION, [](TGlyphPainter &p) {
       Lens(p, 5, 2, 13);
       p.SetBrush(kInk);
       p.Polygon({{10, 3}, {15, 7}, {10, 11}});
     }},
    {CM_PAUSE_ANIMATION, [](TGlyphPainter &p) {
       p.FillRect(4, 3, 3, 10, kInk);
       p.FillRect(9, 3, 3, 10, kInk);
     }},
    {CM_IMAGE_SYNTHESIS, [](TGlyphPainter &p) {
       p.SetBrush(kWhite);
       p.Rectangle(1, 2, 13, 11);
       p.SetBrush(kYellow);
       p.SetNoPen();
       p.Ellipse(9, 4, 3, 3);
       p.SetBrush(kGreen);
       p.Polygon({{2, 12}, {6, 6}, {10, 12}});
     }},
    {CM_3D_IMAGE, [](TGlyphPainter &p) {
       p.SetBrush(kGlass);
       p.Rectangle(2, 5, 8, 8);
       p.Polygon({{2, 5}, {6, 1}, {14, 1}, {10, 5}});
       p.Polygon({{10, 5}, {14, 1}, {14, 9}, {10, 13}});
     }},
    {CM_PSF_MTF, [](TGlyphPainter &p) {
       p.Line(1, 13, 14, 13);
       p.SetPen(kRed);
       p.MoveTo(1, 13);
       p.CubicTo(6, 13, 6, 1, 7.5, 1);
       p.CubicTo(9, 1, 9, 13, 14, 13);
       p.StrokePath();
     }},
    {CM_SCALE_SYSTEM, [](TGlyphPainter &p) {
       p.Line(1, 10, 14, 10);
       for (int x = 1; x <= 14; x += 3) p.Line(x, 10, x, x % 2 ? 6 : 8);
     }},
    {CM_SELECT_ZOOM, [](TGlyphPainter &p) {
       Magnifier(p);
       p.SetPen(kRed, 1, TStyle::kDot);
       p.Rectangle(4, 3, 4, 4);
     }},
    {CM_ZOOM_OUT, [](TGlyphPainter &p) {
       Magnifier(p);
       p.Line(4, 5, 8, 5);
     }},
    {CM_ACTUAL_SIZE, [](TGlyphPainter &p) {
       p.Rectangle(3, 3, 9, 8);
       p.SetPen(kRed);
       Arrow(p, 7, 7, 1, 7);
       Arrow(p, 8, 7, 14, 7);
     }},
    {CM_PREV_CONFIGURATION, [](TGlyphPainter &p) {
       p.SetBrush(kBlue);
       p.SetNoPen();
       p.Polygon({{11, 2}, {4, 7}, {11, 12}});
     }},
    {CM_NEXT_CONFIGURATION, [](TGlyphPainter &p) {
       p.SetBrush(kBlue);
       p.SetNoPen();
       p.Polygon({{4, 2}, {11, 7}, {4, 12}});
     }},
    {CM_INSERT_CONFIGURATION, [](TGlyphPainter &p) {
       p.FillRect(7, 2, 2, 11, kGreen);
       p.FillRect(2, 6, 12, 2, kGreen);
     }},
    {CM_DELETE_CONFIGURATION, [](TGlyphPainter &p) { p.FillRect(2, 6, 12, 3, kRed); }},
};

}  // namespace

void RegisterPaletteGlyphs() {
  static bool registered = false;
  if (registered) return;
  registered = true;
  for (const TGlyphArt &art : kArt) {
    const TResId name(art.command);
    if (HasBitmapResource(name)) continue;
    TGlyphPainter painter(kGlyphWidth, kGlyphHeight, kFace);
    art.draw(painter);
    painter.Register(name);
  }
}
