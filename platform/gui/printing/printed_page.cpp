#include "platform/gui/printing/printed_page.h"

#include <algorithm>

#include <QFontMetricsF>
#include <QPainter>
#include <QPen>

namespace {

constexpr std::uint32_t kWhite = 0xFFFFFFFFu;

bool RowIsBlank(const QImage &image, int y, int from, int to) {
  const auto *row = reinterpret_cast<const std::uint32_t *>(image.constScanLine(y));
  return std::all_of(row + from, row + to, [](std::uint32_t p) { return (p | 0xFF000000u) == kWhite; });
}

}  // namespace

QRect TPrintedPage::InkedRect() const {
  if (picture.isNull()) return QRect();
  const QImage image = picture.format() == QImage::Format_RGB32 || picture.format() == QImage::Format_ARGB32
                           ? picture
                           : picture.convertToFormat(QImage::Format_RGB32);
  const int width = image.width();
  int top = 0;
  while (top < image.height() && RowIsBlank(image, top, 0, width)) ++top;
  if (top == image.height()) return QRect();
  int bottom = image.height() - 1;
  while (bottom > top && RowIsBlank(image, bottom, 0, width)) --bottom;
  int left = width;
  int right = -1;
  for (int y = top; y <= bottom; ++y) {
    const auto *row = reinterpret_cast<const std::uint32_t *>(image.constScanLine(y));
    for (int x = 0; x < left; ++x) {
      if ((row[x] | 0xFF000000u) != kWhite) {
        left = x;
        break;
      }
    }
    for (int x = width - 1; x > right; --x) {
      if ((row[x] | 0xFF000000u) != kWhite) {
        right = x;
        break;
      }
    }
  }
  return QRect(QPoint(left, top), QPoint(right, bottom));
}

bool TPrintedPage::PictureIsBlank() const { return InkedRect().isNull(); }

void TPrintedPage::PaintTextAndLines(QPainter &painter) const {
  painter.save();
  for (const TPrintedLine &line : lines) {
    QPen pen(QColor::fromRgb(line.color));
    pen.setWidthF(std::max(1.0, line.width));
    pen.setCapStyle(Qt::FlatCap);
    painter.setPen(pen);
    painter.drawLine(line.from, line.to);
  }
  for (const TPrintedText &text : texts) {
    painter.save();
    if (!text.clip.isNull()) painter.setClipRect(text.clip);
    painter.translate(text.origin);
    if (text.turnDegrees != 0.0) painter.rotate(-text.turnDegrees);
    painter.setFont(text.font);
    painter.setPen(QColor::fromRgb(text.color));
    painter.drawText(text.baseline, text.text);
    painter.restore();
  }
  painter.restore();
}

QImage TPrintedPage::Rendered() const {
  QImage page = picture.convertToFormat(QImage::Format_RGB32);
  QPainter painter(&page);
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.setRenderHint(QPainter::TextAntialiasing, false);
  PaintTextAndLines(painter);
  return page;
}

std::vector<std::string> TPrintedPage::WordsOnPaper(int width, int height) const {
  std::vector<std::string> words;
  const QRectF paper(0.0, 0.0, width, height);
  for (const TPrintedText &text : texts) {
    if (text.turnDegrees != 0.0) continue;
    const QFontMetricsF metrics(text.font);
    const QPointF start = text.origin + text.baseline;
    QRectF room = paper;
    if (!text.clip.isNull()) room = room.intersected(text.clip);
    // Half a dot of slack for the rounding of advances.
    room.adjust(-0.5, -0.5, 0.5, 0.5);
    const QString &line = text.text;
    for (qsizetype i = 0; i < line.size();) {
      if (line[i].isSpace()) {
        ++i;
        continue;
      }
      qsizetype end = i;
      while (end < line.size() && !line[end].isSpace()) ++end;
      const double left = start.x() + metrics.horizontalAdvance(line.left(i));
      const double right = start.x() + metrics.horizontalAdvance(line.left(end));
      const QRectF box(QPointF(left, start.y() - metrics.ascent()), QPointF(right, start.y() + metrics.descent()));
      if (room.contains(box)) words.push_back(line.mid(i, end - i).toStdString());
      i = end;
    }
  }
  return words;
}
