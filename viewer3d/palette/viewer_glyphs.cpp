// The 3-D viewer's button pictures, 16 x 15 pixels on the grey button face, drawn once and
// registered as bitmap resources under the commands' ids, and the buttons' hint texts.

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <functional>

#include "platform/gui/bars/resources.h"
#include "viewer3d/palette/viewer_commands.h"

namespace {

constexpr int kGlyphWidth = 16;
constexpr int kGlyphHeight = 15;

const QColor kFace(0xC0, 0xC0, 0xC0);
const QColor kInk(0, 0, 0);
const QColor kGlass(0x40, 0xA0, 0xE0);
const QColor kRay(0, 0, 0xC0);
const QColor kRed(0xC0, 0, 0);
const QColor kGreen(0, 0x80, 0);
const QColor kBlue(0, 0, 0xC0);

using TDraw = std::function<void(QPainter &)>;

struct TGlyphArt {
  int command;
  TDraw draw;
};

// A letter in the left part of the button.
void Letter(QPainter &p, const char *text, const QColor &color) {
  QFont font("Liberation Sans");
  font.setPixelSize(9);
  font.setBold(true);
  p.setFont(font);
  p.setPen(color);
  p.drawText(QRect(0, 0, 7, 15), Qt::AlignCenter, text);
}

void ArrowHead(QPainter &p, QPointF tip, QPointF from) {
  const QPointF d = tip - from;
  const double length = std::max(1e-9, std::hypot(d.x(), d.y()));
  const QPointF u(d.x() / length, d.y() / length), n(-u.y(), u.x());
  QPolygonF head({tip, tip - 3.5 * u + 2.5 * n, tip - 3.5 * u - 2.5 * n});
  p.setBrush(p.pen().color());
  p.drawPolygon(head);
  p.setBrush(Qt::NoBrush);
}

// A turn about an axis: the axis letter and a round arrow, clockwise for minus.
TDraw Turn(const char *axis, const QColor &color, bool plus) {
  return [axis, color, plus](QPainter &p) {
    Letter(p, axis, color);
    p.setPen(QPen(kInk, 1.2));
    const QRectF circle(7, 2, 8, 10);
    // Three quarters of a circle from the top, ending in the arrow.
    const int start = 90 * 16, span = (plus ? 270 : -270) * 16;
    p.drawArc(circle, start, span);
    const QPointF tip = plus ? QPointF(15, 7) : QPointF(7, 7);
    ArrowHead(p, tip, QPointF(tip.x(), tip.y() - 3));
  };
}

// A shift along an axis: the letter and a straight arrow (z slants out of the screen).
TDraw Shift(const char *axis, const QColor &color, QPointF from, QPointF to) {
  return [axis, color, from, to](QPainter &p) {
    Letter(p, axis, color);
    p.setPen(QPen(kInk, 1.2));
    p.drawLine(from, to);
    ArrowHead(p, to, from);
  };
}

void Lens(QPainter &p, double x, double top, double bottom) {
  QPainterPath path;
  path.moveTo(x, top);
  path.quadTo(x + 5, (top + bottom) / 2.0, x, bottom);
  path.quadTo(x - 5, (top + bottom) / 2.0, x, top);
  p.setBrush(kGlass);
  p.setPen(kInk);
  p.drawPath(path);
  p.setBrush(Qt::NoBrush);
}

void Magnifier(QPainter &p, bool plus) {
  p.setPen(QPen(kInk, 1));
  p.setBrush(Qt::white);
  p.drawEllipse(1, 1, 9, 9);
  p.setBrush(Qt::NoBrush);
  p.drawLine(3, 5, 8, 5);
  if (plus) p.drawLine(5, 3, 5, 8);
  p.setPen(QPen(kInk, 2));
  p.drawLine(10, 10, 14, 14);
}

// A ball shaded more or less finely: the three qualities.
TDraw Ball(int sides) {
  return [sides](QPainter &p) {
    QPolygonF outline;
    for (int k = 0; k < sides; ++k) {
      const double a = 2.0 * 3.141592653589793 * k / sides;
      outline << QPointF(7.5 + 6.0 * std::cos(a), 7.0 + 6.0 * std::sin(a));
    }
    QRadialGradient shade(QPointF(5.5, 5.0), 7.0);
    shade.setColorAt(0.0, Qt::white);
    shade.setColorAt(1.0, kGlass.darker(160));
    p.setBrush(shade);
    p.setPen(kInk);
    p.drawPolygon(outline);
    p.setBrush(Qt::NoBrush);
  };
}

void Frame(QPainter &p) {
  p.setPen(QPen(kInk, 1, Qt::DotLine));
  p.drawRect(0, 0, 15, 14);
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
    {CM_MOVE_X_PLUS, Shift("X", kRed, QPointF(7, 7), QPointF(15, 7))},
    {CM_MOVE_X_MINUS, Shift("X", kRed, QPointF(15, 7), QPointF(7, 7))},
    {CM_MOVE_Y_PLUS, Shift("Y", kGreen, QPointF(11, 13), QPointF(11, 2))},
    {CM_MOVE_Y_MINUS, Shift("Y", kGreen, QPointF(11, 2), QPointF(11, 13))},
    {CM_MOVE_Z_PLUS, Shift("Z", kBlue, QPointF(14, 2), QPointF(8, 12))},
    {CM_MOVE_Z_MINUS, Shift("Z", kBlue, QPointF(8, 12), QPointF(14, 2))},
    {CM_ZOOM_IN, [](QPainter &p) { Magnifier(p, true); }},
    {CM_ZOOM_OUT_VIEW, [](QPainter &p) { Magnifier(p, false); }},
    {CM_ACTUAL_VIEW, [](QPainter &p) {
       QFont font("Liberation Sans");
       font.setPixelSize(9);
       font.setBold(true);
       p.setFont(font);
       p.drawText(QRect(0, 0, 16, 15), Qt::AlignCenter, "1:1");
     }},
    {CM_ROTATE_TOOLS, [](QPainter &p) {
       p.setPen(QPen(kRed, 1.5));
       p.drawArc(QRectF(2, 2, 11, 11), 100 * 16, 300 * 16);
       ArrowHead(p, QPointF(7, 2), QPointF(10, 2.5));
     }},
    {CM_MOVE_TOOLS, [](QPainter &p) {
       p.setPen(QPen(kRed, 1.2));
       p.drawLine(QPointF(2, 7), QPointF(14, 7));
       p.drawLine(QPointF(8, 1), QPointF(8, 13));
       ArrowHead(p, QPointF(1, 7), QPointF(5, 7));
       ArrowHead(p, QPointF(15, 7), QPointF(11, 7));
       ArrowHead(p, QPointF(8, 0.5), QPointF(8, 4));
       ArrowHead(p, QPointF(8, 13.5), QPointF(8, 10));
     }},
    {CM_SHOW_AXES, [](QPainter &p) {
       p.setPen(QPen(kRed, 1.5));
       p.drawLine(QPointF(5, 11), QPointF(15, 11));
       p.setPen(QPen(kGreen, 1.5));
       p.drawLine(QPointF(5, 11), QPointF(5, 1));
       p.setPen(QPen(kBlue, 1.5));
       p.drawLine(QPointF(5, 11), QPointF(1, 14));
     }},
    {CM_SHOW_RAYS, [](QPainter &p) {
       Lens(p, 5, 1, 13);
       p.setPen(kRay);
       for (double y : {2.0, 7.0, 12.0}) {
         p.drawLine(QPointF(0, y), QPointF(5, y));
         p.drawLine(QPointF(5, y), QPointF(15, 7));
       }
     }},
    {CM_FIT_ELEMENTS, [](QPainter &p) {
       Frame(p);
       Lens(p, 8, 2, 12);
     }},
    {CM_FIT_ELEMENTS_AND_RAYS, [](QPainter &p) {
       Frame(p);
       Lens(p, 6, 2, 12);
       p.setPen(kRay);
       p.drawLine(QPointF(2, 4), QPointF(13, 7));
       p.drawLine(QPointF(2, 10), QPointF(13, 7));
     }},
    {CM_SECTIONS, [](QPainter &p) {
       p.setBrush(kGlass);
       p.setPen(kInk);
       p.drawPie(QRectF(1, 1, 13, 13), 90 * 16, 270 * 16);
       p.setBrush(Qt::NoBrush);
     }},
    {CM_STEREO, [](QPainter &p) {
       p.setPen(QPen(kInk, 1.2));
       p.setBrush(QColor(0x60, 0x60, 0x60));
       p.drawEllipse(QRectF(0.5, 4, 6, 5));
       p.drawEllipse(QRectF(9.5, 4, 6, 5));
       p.setBrush(Qt::NoBrush);
       p.drawLine(QPointF(6.5, 6), QPointF(9.5, 6));
     }},
    {CM_SWAP_EYES, [](QPainter &p) {
       p.setPen(QPen(kInk, 1.2));
       p.drawEllipse(QRectF(0.5, 1, 5, 4));
       p.drawEllipse(QRectF(10.5, 1, 5, 4));
       p.setPen(QPen(kRed, 1.2));
       p.drawLine(QPointF(3, 10), QPointF(13, 10));
       ArrowHead(p, QPointF(1.5, 10), QPointF(5, 10));
       ArrowHead(p, QPointF(14.5, 10), QPointF(11, 10));
     }},
    {CM_CREATE_ANIMATION, [](QPainter &p) {
       p.fillRect(1, 2, 14, 11, QColor(0x40, 0x40, 0x40));
       for (int x = 2; x < 15; x += 3) {
         p.fillRect(x, 3, 1, 1, Qt::white);
         p.fillRect(x, 11, 1, 1, Qt::white);
       }
       p.setBrush(kRed);
       p.setPen(Qt::NoPen);
       p.drawEllipse(QRectF(5.5, 5, 5, 5));
     }},
    {CM_PLAY_ANIMATION, [](QPainter &p) {
       p.setBrush(kGreen);
       p.setPen(kInk);
       p.drawPolygon(QPolygonF({QPointF(4, 2), QPointF(13, 7.5), QPointF(4, 13)}));
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
    QImage image(kGlyphWidth, kGlyphHeight, QImage::Format_RGB32);
    image.fill(kFace);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(kInk);
    art.draw(painter);
    painter.end();
    RegisterBitmapResource(TResId(art.command), image);
  }
  for (const THint &hint : kHints) RegisterString(static_cast<UINT>(hint.id), hint.text);
}
