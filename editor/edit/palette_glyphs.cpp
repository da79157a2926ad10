// The pictures of the palettes' buttons, 16 x 15 pixels on the grey button face, drawn
// once and registered as bitmap resources under the buttons' command ids.

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <functional>

#include "editor/commands/editor_commands.h"
#include "editor/edit/editor_palettes.h"
#include "platform/gui/bars/resources.h"

namespace {

constexpr int kGlyphWidth = 16;
constexpr int kGlyphHeight = 15;

const QColor kFace(0xC0, 0xC0, 0xC0);
const QColor kInk(0, 0, 0);
const QColor kBlue(0, 0, 0xC0);
const QColor kRed(0xC0, 0, 0);
const QColor kGlass(0x40, 0xA0, 0xE0);
const QColor kYellow(0xE0, 0xC0, 0);

using TDraw = std::function<void(QPainter &)>;

void Lens(QPainter &p, int x, int top, int bottom) {
  QPainterPath path;
  path.moveTo(x, top);
  path.quadTo(x + 5, (top + bottom) / 2.0, x, bottom);
  path.quadTo(x - 5, (top + bottom) / 2.0, x, top);
  p.setBrush(kGlass);
  p.setPen(kInk);
  p.drawPath(path);
  p.setBrush(Qt::NoBrush);
}

void Arrow(QPainter &p, int x1, int y1, int x2, int y2) {
  p.drawLine(x1, y1, x2, y2);
  const int dx = x2 > x1 ? -3 : x2 < x1 ? 3 : 0;
  const int dy = y2 > y1 ? -3 : y2 < y1 ? 3 : 0;
  if (dx != 0) {
    p.drawLine(x2, y2, x2 + dx, y2 - 3);
    p.drawLine(x2, y2, x2 + dx, y2 + 3);
  } else {
    p.drawLine(x2, y2, x2 - 3, y2 + dy);
    p.drawLine(x2, y2, x2 + 3, y2 + dy);
  }
}

void Magnifier(QPainter &p) {
  p.setPen(QPen(kInk, 1));
  p.drawEllipse(2, 1, 8, 8);
  p.setPen(QPen(kInk, 2));
  p.drawLine(9, 9, 13, 13);
  p.setPen(QPen(kInk, 1));
}

struct TGlyphArt {
  int command;
  TDraw draw;
};

const TGlyphArt kArt[] = {
    {CM_SELECT, [](QPainter &p) {
       QPolygon arrow({QPoint(4, 1), QPoint(4, 12), QPoint(7, 9), QPoint(10, 14), QPoint(11, 13),
                       QPoint(9, 8), QPoint(12, 8)});
       p.setBrush(Qt::white);
       p.drawPolygon(arrow);
     }},
    {CM_DELETE, [](QPainter &p) {
       p.setPen(QPen(kRed, 2));
       p.drawLine(3, 3, 12, 12);
       p.drawLine(12, 3, 3, 12);
     }},
    {CM_UNDO, [](QPainter &p) {
       p.setPen(QPen(kBlue, 2));
       p.drawArc(3, 3, 10, 9, 90 * 16, -240 * 16);
       p.setPen(QPen(kBlue, 1));
       p.drawLine(8, 3, 4, 1);
       p.drawLine(8, 3, 5, 6);
     }},
    {CM_ALIGNMENT, [](QPainter &p) {
       p.setPen(QPen(kBlue, 1, Qt::DashLine));
       p.drawLine(0, 7, 15, 7);
       Lens(p, 5, 2, 12);
       Lens(p, 11, 2, 12);
     }},
    {CM_DECENTER, [](QPainter &p) {
       Lens(p, 7, 4, 13);
       p.setPen(kRed);
       Arrow(p, 12, 10, 12, 1);
     }},
    {CM_TILT, [](QPainter &p) {
       p.setPen(QPen(kInk, 2));
       p.drawLine(5, 13, 10, 2);
       p.setPen(kRed);
       p.drawArc(2, 2, 12, 12, 30 * 16, 60 * 16);
     }},
    {CM_PROPERTIES_OF_SELECTED, [](QPainter &p) {
       p.setBrush(Qt::white);
       p.drawRect(1, 2, 13, 10);
       for (int y = 5; y < 12; y += 3) p.drawLine(1, y, 14, y);
       p.drawLine(6, 2, 6, 12);
     }},
    {CM_NEW_SINGLE_SURFACE, [](QPainter &p) {
       p.setPen(QPen(kInk, 2));
       p.drawArc(4, 1, 14, 13, 120 * 16, 120 * 16);
       p.setPen(kRed);
       p.drawLine(11, 2, 11, 6);
       p.drawLine(9, 4, 13, 4);
     }},
    {CM_NEW_ELEMENT, [](QPainter &p) {
       Lens(p, 6, 2, 13);
       p.setPen(kRed);
       p.drawLine(12, 2, 12, 6);
       p.drawLine(10, 4, 14, 4);
     }},
    {CM_REAL_BEAMS, [](QPainter &p) {
       p.setPen(kBlue);
       for (int y : {3, 7, 11}) p.drawLine(0, y, 14, 7);
     }},
    {CM_ABERRATIONS, [](QPainter &p) {
       p.drawLine(1, 13, 14, 13);
       p.drawLine(2, 1, 2, 14);
       p.setPen(kRed);
       QPainterPath curve;
       curve.moveTo(2, 13);
       curve.cubicTo(7, 12, 10, 8, 14, 2);
       p.drawPath(curve);
     }},
    {CM_SPOT_DIAGRAM, [](QPainter &p) {
       p.setPen(kBlue);
       for (QPoint dot : {QPoint(7, 7), QPoint(5, 6), QPoint(9, 8), QPoint(6, 9), QPoint(8, 5),
                          QPoint(4, 8), QPoint(10, 6), QPoint(7, 10), QPoint(7, 4), QPoint(11, 9)})
         p.drawPoint(dot);
     }},
    {CM_BEAM_ANIMATION, [](QPainter &p) {
       p.setPen(kBlue);
       p.drawLine(0, 3, 8, 7);
       p.drawLine(0, 11, 8, 7);
       p.setBrush(kInk);
       p.drawPolygon(QPolygon({QPoint(10, 3), QPoint(15, 7), QPoint(10, 11)}));
     }},
    {CM_LENS_ANIMATION, [](QPainter &p) {
       Lens(p, 5, 2, 13);
       p.setBrush(kInk);
       p.drawPolygon(QPolygon({QPoint(10, 3), QPoint(15, 7), QPoint(10, 11)}));
     }},
    {CM_PAUSE_ANIMATION, [](QPainter &p) {
       p.fillRect(4, 3, 3, 10, kInk);
       p.fillRect(9, 3, 3, 10, kInk);
     }},
    {CM_IMAGE_SYNTHESIS, [](QPainter &p) {
       p.setBrush(Qt::white);
       p.drawRect(1, 2, 13, 11);
       p.setBrush(kYellow);
       p.setPen(Qt::NoPen);
       p.drawEllipse(9, 4, 3, 3);
       p.setBrush(QColor(0, 0x80, 0));
       p.drawPolygon(QPolygon({QPoint(2, 12), QPoint(6, 6), QPoint(10, 12)}));
     }},
    {CM_3D_IMAGE, [](QPainter &p) {
       p.setBrush(kGlass);
       p.drawRect(2, 5, 8, 8);
       p.drawPolygon(QPolygon({QPoint(2, 5), QPoint(6, 1), QPoint(14, 1), QPoint(10, 5)}));
       p.drawPolygon(QPolygon({QPoint(10, 5), QPoint(14, 1), QPoint(14, 9), QPoint(10, 13)}));
     }},
    {CM_PSF_MTF, [](QPainter &p) {
       p.drawLine(1, 13, 14, 13);
       p.setPen(kRed);
       QPainterPath peak;
       peak.moveTo(1, 13);
       peak.cubicTo(6, 13, 6, 1, 7.5, 1);
       peak.cubicTo(9, 1, 9, 13, 14, 13);
       p.drawPath(peak);
     }},
    {CM_SCALE_SYSTEM, [](QPainter &p) {
       p.drawLine(1, 10, 14, 10);
       for (int x = 1; x <= 14; x += 3) p.drawLine(x, 10, x, x % 2 ? 6 : 8);
     }},
    {CM_SELECT_ZOOM, [](QPainter &p) {
       Magnifier(p);
       p.setPen(QPen(kRed, 1, Qt::DotLine));
       p.drawRect(4, 3, 4, 4);
     }},
    {CM_ZOOM_OUT, [](QPainter &p) {
       Magnifier(p);
       p.drawLine(4, 5, 8, 5);
     }},
    {CM_ACTUAL_SIZE, [](QPainter &p) {
       p.drawRect(3, 3, 9, 8);
       p.setPen(kRed);
       Arrow(p, 7, 7, 1, 7);
       Arrow(p, 8, 7, 14, 7);
     }},
    {CM_PREV_CONFIGURATION, [](QPainter &p) {
       p.setBrush(kBlue);
       p.setPen(Qt::NoPen);
       p.drawPolygon(QPolygon({QPoint(11, 2), QPoint(4, 7), QPoint(11, 12)}));
     }},
    {CM_NEXT_CONFIGURATION, [](QPainter &p) {
       p.setBrush(kBlue);
       p.setPen(Qt::NoPen);
       p.drawPolygon(QPolygon({QPoint(4, 2), QPoint(11, 7), QPoint(4, 12)}));
     }},
    {CM_INSERT_CONFIGURATION, [](QPainter &p) {
       p.fillRect(7, 2, 2, 11, QColor(0, 0x80, 0));
       p.fillRect(2, 6, 12, 2, QColor(0, 0x80, 0));
     }},
    {CM_DELETE_CONFIGURATION, [](QPainter &p) { p.fillRect(2, 6, 12, 3, kRed); }},
};

}  // namespace

void RegisterPaletteGlyphs() {
  static bool registered = false;
  if (registered) return;
  registered = true;
  for (const TGlyphArt &art : kArt) {
    const TResId name(art.command);
    if (!BitmapResourceImage(name).isNull()) continue;
    QImage image(kGlyphWidth, kGlyphHeight, QImage::Format_RGB32);
    image.fill(kFace);
    QPainter painter(&image);
    painter.setPen(kInk);
    art.draw(painter);
    painter.end();
    RegisterBitmapResource(name, image);
  }
}
