#include "platform/gui/bars/glyph_painter.h"

#include <QFont>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygon>
#include <QRadialGradient>

#include "platform/core/font_faces.h"
#include "platform/gui/drawing/font_map.h"

namespace {

QColor ColorOf(COLORREF color) {
  return QColor(GetRValue(color), GetGValue(color), GetBValue(color));
}

Qt::PenStyle StyleOf(TGlyphPainter::TLineStyle style) {
  switch (style) {
    case TGlyphPainter::TLineStyle::kDash: return Qt::DashLine;
    case TGlyphPainter::TLineStyle::kDot: return Qt::DotLine;
    case TGlyphPainter::TLineStyle::kSolid: break;
  }
  return Qt::SolidLine;
}

}  // namespace

bool HasBitmapResource(TResId name) { return !BitmapResourceImage(name).isNull(); }

// The picture and the painter on it. The painter is begun when a shape is drawn and ended
// when a pixel is set directly, keeping the pen and brush across.
struct TGlyphPainter::TState {
  QImage image;
  QPainter painter;
  QPen pen{QColor(0, 0, 0)};
  QBrush brush{Qt::NoBrush};
  QPainterPath path;
  bool antialiased = false;

  QPainter &Painter() {
    if (!painter.isActive()) {
      painter.begin(&image);
      painter.setRenderHint(QPainter::Antialiasing, antialiased);
      painter.setPen(pen);
      painter.setBrush(brush);
    }
    return painter;
  }
  void End() {
    if (painter.isActive()) painter.end();
  }
};

TGlyphPainter::TGlyphPainter(int width, int height, COLORREF face) : state_(new TState) {
  state_->image = QImage(width, height, QImage::Format_RGB32);
  state_->image.fill(ColorOf(face));
}

TGlyphPainter::~TGlyphPainter() { state_->End(); }

void TGlyphPainter::SetAntialiased(bool on) {
  state_->antialiased = on;
  if (state_->painter.isActive()) state_->painter.setRenderHint(QPainter::Antialiasing, on);
}

void TGlyphPainter::SetPen(COLORREF color, double width, TLineStyle style) {
  state_->pen = QPen(ColorOf(color), width, StyleOf(style));
  if (state_->painter.isActive()) state_->painter.setPen(state_->pen);
}

void TGlyphPainter::SetNoPen() {
  state_->pen = QPen(Qt::NoPen);
  if (state_->painter.isActive()) state_->painter.setPen(state_->pen);
}

void TGlyphPainter::SetBrush(COLORREF color) {
  state_->brush = QBrush(ColorOf(color));
  if (state_->painter.isActive()) state_->painter.setBrush(state_->brush);
}

void TGlyphPainter::SetRadialBrush(TSpot centre, double radius, std::initializer_list<TGradientStop> stops) {
  QRadialGradient gradient(QPointF(centre.x, centre.y), radius);
  for (const TGradientStop &stop : stops) gradient.setColorAt(stop.at, ColorOf(stop.color));
  state_->brush = QBrush(gradient);
  if (state_->painter.isActive()) state_->painter.setBrush(state_->brush);
}

void TGlyphPainter::SetNoBrush() {
  state_->brush = QBrush(Qt::NoBrush);
  if (state_->painter.isActive()) state_->painter.setBrush(state_->brush);
}

void TGlyphPainter::Line(int x1, int y1, int x2, int y2) { state_->Painter().drawLine(x1, y1, x2, y2); }

void TGlyphPainter::Point(int x, int y) { state_->Painter().drawPoint(x, y); }

void TGlyphPainter::Rectangle(int x, int y, int width, int height) {
  state_->Painter().drawRect(x, y, width, height);
}

void TGlyphPainter::Ellipse(int x, int y, int width, int height) {
  state_->Painter().drawEllipse(x, y, width, height);
}

void TGlyphPainter::Polygon(std::initializer_list<POINT> corners) {
  QPolygon polygon;
  for (const POINT &corner : corners) polygon << QPoint(corner.x, corner.y);
  state_->Painter().drawPolygon(polygon);
}

void TGlyphPainter::Arc(int x, int y, int width, int height, int startAngle, int spanAngle) {
  state_->Painter().drawArc(x, y, width, height, startAngle, spanAngle);
}

void TGlyphPainter::Pie(int x, int y, int width, int height, int startAngle, int spanAngle) {
  state_->Painter().drawPie(x, y, width, height, startAngle, spanAngle);
}

void TGlyphPainter::Line(TSpot from, TSpot to) {
  state_->Painter().drawLine(QPointF(from.x, from.y), QPointF(to.x, to.y));
}

void TGlyphPainter::Ellipse(TSpot corner, double width, double height) {
  state_->Painter().drawEllipse(QRectF(corner.x, corner.y, width, height));
}

void TGlyphPainter::PolygonThrough(const std::vector<TSpot> &corners) {
  QPolygonF polygon;
  for (const TSpot &corner : corners) polygon << QPointF(corner.x, corner.y);
  state_->Painter().drawPolygon(polygon);
}

void TGlyphPainter::MoveTo(double x, double y) {
  state_->path = QPainterPath();
  state_->path.moveTo(x, y);
}

void TGlyphPainter::QuadTo(double controlX, double controlY, double x, double y) {
  state_->path.quadTo(controlX, controlY, x, y);
}

void TGlyphPainter::CubicTo(double x1, double y1, double x2, double y2, double x, double y) {
  state_->path.cubicTo(x1, y1, x2, y2, x, y);
}

void TGlyphPainter::StrokePath() {
  state_->Painter().drawPath(state_->path);
  state_->path = QPainterPath();
}

void TGlyphPainter::FillRect(int x, int y, int width, int height, COLORREF color) {
  state_->Painter().fillRect(x, y, width, height, ColorOf(color));
}

void TGlyphPainter::FillGradient(int x, int y, int width, int height, int fromX, int toX,
                                 std::initializer_list<TGradientStop> stops) {
  QLinearGradient gradient(fromX, 0, toX, 0);
  for (const TGradientStop &stop : stops) gradient.setColorAt(stop.at, ColorOf(stop.color));
  state_->Painter().fillRect(x, y, width, height, gradient);
}

void TGlyphPainter::SetPixel(int x, int y, COLORREF color) {
  state_->End();
  if (x < 0 || y < 0 || x >= state_->image.width() || y >= state_->image.height()) return;
  state_->image.setPixel(x, y, ColorOf(color).rgb());
}

void TGlyphPainter::CenteredText(const char *text) {
  state_->Painter().drawText(QRect(0, 0, state_->image.width(), state_->image.height()),
                           Qt::AlignCenter, QString::fromUtf8(text));
}

void TGlyphPainter::BoldTextIn(int x, int y, int width, int height, int pixelSize, const char *text) {
  QFont font(LiberationFamilyFor(kFaceArial, 0));
  font.setPixelSize(pixelSize);
  font.setBold(true);
  QPainter &painter = state_->Painter();
  painter.setFont(font);
  painter.drawText(QRect(x, y, width, height), Qt::AlignCenter, QString::fromUtf8(text));
}

void TGlyphPainter::Register(TResId name) {
  state_->End();
  RegisterBitmapResource(name, state_->image);
}
