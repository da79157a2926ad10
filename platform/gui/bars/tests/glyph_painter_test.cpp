// Button pictures painted without Qt by the window code: each call draws what a Qt painter
// with the same pen and brush draws, pixel for pixel, so the pictures stay as they were.

#include "platform/gui/bars/glyph_painter.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include "platform/gui/drawing/font_map.h"
#include "platform/gui/windows/test_kit.h"

namespace {

constexpr int kWidth = 16;
constexpr int kHeight = 15;
constexpr COLORREF kFace = RGB(0xC0, 0xC0, 0xC0);
const QColor kQtFace(0xC0, 0xC0, 0xC0);

class GlyphPainter : public ::testing::Test {
 protected:
  void SetUp() override { test_kit::EnsureApplication(); }

  static QImage Reference() {
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    image.fill(kQtFace);
    return image;
  }
  // The number of pixels in which the registered picture differs from the reference.
  static int Differences(int id, const QImage &reference) {
    const QImage picture = BitmapResourceImage(TResId(id));
    EXPECT_FALSE(picture.isNull()) << id;
    if (picture.isNull() || picture.size() != reference.size()) return kWidth * kHeight;
    int differing = 0;
    for (int y = 0; y < kHeight; ++y)
      for (int x = 0; x < kWidth; ++x) differing += picture.pixel(x, y) != reference.pixel(x, y) ? 1 : 0;
    return differing;
  }
  // Pixels of the reference not of the face colour: a drawing that draws nothing proves
  // nothing.
  static int Drawn(const QImage &reference) {
    int drawn = 0;
    for (int y = 0; y < kHeight; ++y)
      for (int x = 0; x < kWidth; ++x) drawn += reference.pixel(x, y) != kQtFace.rgb() ? 1 : 0;
    return drawn;
  }
};

TEST_F(GlyphPainter, PensBrushesLinesAndShapesDrawAsAQtPainterDoes) {
  constexpr int kId = 31001;
  TGlyphPainter painter(kWidth, kHeight, kFace);
  painter.Line(1, 1, 14, 1);
  painter.SetPen(RGB(0xC0, 0, 0), 2);
  painter.Line(3, 3, 12, 12);
  painter.SetPen(RGB(0, 0, 0xC0), 1, TGlyphPainter::TLineStyle::kDash);
  painter.Line(0, 7, 15, 7);
  painter.SetPen(RGB(0, 0, 0));
  painter.SetBrush(RGB(0xFF, 0xFF, 0xFF));
  painter.Rectangle(1, 9, 5, 4);
  painter.Polygon({{10, 3}, {15, 7}, {10, 11}});
  painter.SetNoBrush();
  painter.Ellipse(2, 1, 8, 8);
  painter.Arc(3, 3, 10, 9, 90 * 16, -240 * 16);
  painter.Point(14, 13);
  painter.Register(kId);

  QImage reference = Reference();
  QPainter p(&reference);
  p.setPen(QColor(0, 0, 0));
  p.drawLine(1, 1, 14, 1);
  p.setPen(QPen(QColor(0xC0, 0, 0), 2));
  p.drawLine(3, 3, 12, 12);
  p.setPen(QPen(QColor(0, 0, 0xC0), 1, Qt::DashLine));
  p.drawLine(0, 7, 15, 7);
  p.setPen(QColor(0, 0, 0));
  p.setBrush(Qt::white);
  p.drawRect(1, 9, 5, 4);
  p.drawPolygon(QPolygon({QPoint(10, 3), QPoint(15, 7), QPoint(10, 11)}));
  p.setBrush(Qt::NoBrush);
  p.drawEllipse(2, 1, 8, 8);
  p.drawArc(3, 3, 10, 9, 90 * 16, -240 * 16);
  p.drawPoint(14, 13);
  p.end();

  EXPECT_GT(Drawn(reference), 40);
  EXPECT_EQ(Differences(kId, reference), 0);
  EXPECT_TRUE(HasBitmapResource(TResId(kId)));
  // An identifier no case paints stays without a picture, whichever cases ran before.
  EXPECT_FALSE(HasBitmapResource(TResId(kId - 1)));
}

TEST_F(GlyphPainter, CurvesFillsGradientsAndPixelsDrawAsAQtPainterDoes) {
  constexpr int kId = 31002;
  TGlyphPainter painter(kWidth, kHeight, kFace);
  painter.SetPixel(0, 0, RGB(0xFF, 0xFF, 0));
  painter.SetBrush(RGB(0x40, 0xA0, 0xE0));
  painter.MoveTo(5, 2);
  painter.QuadTo(10, 7.5, 5, 13);
  painter.QuadTo(0, 7.5, 5, 2);
  painter.StrokePath();
  painter.SetNoBrush();
  painter.SetPen(RGB(0xC0, 0, 0));
  painter.MoveTo(1, 13);
  painter.CubicTo(6, 13, 6, 1, 7.5, 1);
  painter.StrokePath();
  // A pixel set between shapes keeps the pen and brush of the shapes around it.
  painter.SetPixel(15, 0, RGB(0, 0x80, 0));
  painter.Line(9, 13, 14, 13);
  painter.FillRect(12, 2, 3, 5, RGB(0, 0x80, 0));
  painter.FillGradient(8, 9, 7, 3, 8, 14, {{0.0, RGB(0, 0, 0xFF)}, {1.0, RGB(0xFF, 0, 0)}});
  painter.SetPixel(-1, 3, RGB(0, 0, 0));  // outside: nothing
  painter.Register(kId);

  QImage reference = Reference();
  reference.setPixel(0, 0, qRgb(0xFF, 0xFF, 0));
  QPainter p(&reference);
  p.setPen(QColor(0, 0, 0));
  p.setBrush(QColor(0x40, 0xA0, 0xE0));
  QPainterPath lens;
  lens.moveTo(5, 2);
  lens.quadTo(10, 7.5, 5, 13);
  lens.quadTo(0, 7.5, 5, 2);
  p.drawPath(lens);
  p.setBrush(Qt::NoBrush);
  p.setPen(QColor(0xC0, 0, 0));
  QPainterPath peak;
  peak.moveTo(1, 13);
  peak.cubicTo(6, 13, 6, 1, 7.5, 1);
  p.drawPath(peak);
  p.end();
  reference.setPixel(15, 0, qRgb(0, 0x80, 0));
  p.begin(&reference);
  p.setPen(QColor(0xC0, 0, 0));
  p.drawLine(9, 13, 14, 13);
  p.fillRect(12, 2, 3, 5, QColor(0, 0x80, 0));
  QLinearGradient gradient(8, 0, 14, 0);
  gradient.setColorAt(0.0, QColor(0, 0, 0xFF));
  gradient.setColorAt(1.0, QColor(0xFF, 0, 0));
  p.fillRect(8, 9, 7, 3, gradient);
  p.end();

  EXPECT_GT(Drawn(reference), 40);
  EXPECT_EQ(Differences(kId, reference), 0);
}

TEST_F(GlyphPainter, SmoothedShapesBetweenPixelsPiesShadesAndBoldLettersDrawAsAQtPainterDoes) {
  constexpr int kId = 31003;
  TGlyphPainter painter(kWidth, kHeight, kFace);
  painter.SetAntialiased(true);
  painter.SetRadialBrush({5.5, 5.0}, 7.0, {{0.0, RGB(0xFF, 0xFF, 0xFF)}, {1.0, RGB(0x28, 0x64, 0x8C)}});
  painter.PolygonThrough({{7.5, 1.0}, {13.5, 7.0}, {7.5, 13.0}, {1.5, 7.0}});
  painter.SetBrush(RGB(0x40, 0xA0, 0xE0));
  painter.Pie(1, 1, 13, 13, 90 * 16, 90 * 16);
  painter.SetPen(RGB(0xC0, 0, 0), 1.5);
  painter.Line({0.5, 13.5}, {15.0, 10.0});
  painter.SetNoBrush();
  painter.Ellipse({9.5, 1.0}, 5.0, 4.0);
  painter.BoldTextIn(0, 0, 7, 15, 9, "X");
  painter.Register(kId);

  QImage reference = Reference();
  QPainter p(&reference);
  p.setRenderHint(QPainter::Antialiasing, true);
  p.setPen(QColor(0, 0, 0));
  QRadialGradient shade(QPointF(5.5, 5.0), 7.0);
  shade.setColorAt(0.0, QColor(0xFF, 0xFF, 0xFF));
  shade.setColorAt(1.0, QColor(0x28, 0x64, 0x8C));
  p.setBrush(shade);
  p.drawPolygon(QPolygonF({QPointF(7.5, 1.0), QPointF(13.5, 7.0), QPointF(7.5, 13.0), QPointF(1.5, 7.0)}));
  p.setBrush(QColor(0x40, 0xA0, 0xE0));
  p.drawPie(1, 1, 13, 13, 90 * 16, 90 * 16);
  p.setPen(QPen(QColor(0xC0, 0, 0), 1.5));
  p.drawLine(QPointF(0.5, 13.5), QPointF(15.0, 10.0));
  p.setBrush(Qt::NoBrush);
  p.drawEllipse(QRectF(9.5, 1.0, 5.0, 4.0));
  QFont font(LiberationFamilyFor("Arial", 0));
  font.setPixelSize(9);
  font.setBold(true);
  p.setFont(font);
  p.drawText(QRect(0, 0, 7, 15), Qt::AlignCenter, "X");
  p.end();

  EXPECT_GT(Drawn(reference), 60);
  EXPECT_EQ(Differences(kId, reference), 0);
}

}  // namespace
