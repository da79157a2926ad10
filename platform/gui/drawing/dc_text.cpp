// Text output of a device context: TextOut, ExtTextOut, DrawText and measuring.
#include "platform/gui/drawing/dc.h"

#include "platform/gui/drawing/font_map.h"

#include <QFontMetrics>
#include <QPainter>
#include <QString>
#include <QStringList>
#include <QTransform>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace {

QString TextOf(const char *text, int length) {
  if (!text) return QString();
  if (length < 0) return QString::fromUtf8(text);
  return QString::fromUtf8(text,
                           static_cast<qsizetype>(strnlen(text, static_cast<std::size_t>(length))));
}

// A line of DrawText output: pieces of text placed at horizontal offsets (tabs).
struct TextLine {
  std::vector<std::pair<int, QString>> pieces;
  int width = 0;
};

// Removes the mnemonic marks: "&x" shows x, "&&" shows one ampersand. The index of the
// first marked character in the result (the one drawn underlined) goes to `marked`, -1
// when there is none.
QString StripPrefixes(const QString &text, qsizetype *marked = nullptr) {
  QString result;
  result.reserve(text.size());
  if (marked != nullptr) *marked = -1;
  for (qsizetype i = 0; i < text.size(); ++i) {
    if (text[i] == QLatin1Char('&')) {
      if (i + 1 < text.size()) {
        ++i;
        if (marked != nullptr && *marked < 0 && text[i] != QLatin1Char('&')) *marked = result.size();
        result += text[i];
      }
      continue;
    }
    result += text[i];
  }
  return result;
}

TextLine LayOutLine(const QString &text, const QFontMetrics &metrics, bool expandTabs,
                    int tabWidth) {
  TextLine line;
  if (!expandTabs) {
    line.pieces.emplace_back(0, text);
    line.width = metrics.horizontalAdvance(text);
    return line;
  }
  int x = 0;
  const QStringList parts = text.split(QLatin1Char('\t'));
  for (qsizetype i = 0; i < parts.size(); ++i) {
    if (i > 0) x = (x / tabWidth + 1) * tabWidth;
    if (!parts[i].isEmpty()) line.pieces.emplace_back(x, parts[i]);
    x += metrics.horizontalAdvance(parts[i]);
  }
  line.width = x;
  return line;
}

// Breaks a paragraph at blanks and tabs so that each line fits `maxWidth` (a word longer
// than the width stays whole on its own line). A line's width counts its tabs expanded
// when they are; the blank or tab at a break is dropped.
QStringList BreakWords(const QString &paragraph, const QFontMetrics &metrics, int maxWidth,
                       bool expandTabs, int tabWidth) {
  QStringList lines;
  QString current;
  QString word;
  QChar before;  // the separator in front of `word`
  const auto place = [&] {
    const QString candidate = current.isEmpty() ? word : current + before + word;
    if (!current.isEmpty() && LayOutLine(candidate, metrics, expandTabs, tabWidth).width > maxWidth) {
      lines << current;
      current = word;
    } else {
      current = candidate;
    }
  };
  for (const QChar c : paragraph) {
    if (c != QLatin1Char(' ') && c != QLatin1Char('\t')) {
      word += c;
      continue;
    }
    place();
    before = c;
    word.clear();
  }
  place();
  lines << current;
  return lines;
}

}  // namespace

QFont TDC::CurrentQFont() const {
  // Heights and widths of a font are logical units: they scale with the mapping mode.
  LOGFONT logFont = font_->logFont;
  if (mapMode_ != MM_TEXT) {
    logFont.lfHeight = static_cast<LONG>(std::lround(logFont.lfHeight * std::fabs(ScaleY())));
    logFont.lfWidth = static_cast<LONG>(std::lround(logFont.lfWidth * std::fabs(ScaleX())));
    if (font_->logFont.lfHeight != 0 && logFont.lfHeight == 0) {
      logFont.lfHeight = font_->logFont.lfHeight < 0 ? -1 : 1;
    }
  }
  if (!fontCached_ || std::memcmp(&logFont, &cachedLogFont_, sizeof logFont) != 0) {
    cachedLogFont_ = logFont;
    cachedFont_ = FontFromLogFont(logFont, designMetrics_);
    cachedMetrics_ = MetricsOfLogFont(logFont, designMetrics_);
    fontCached_ = true;
  }
  return cachedFont_;
}

TEXTMETRIC TDC::CurrentMetrics() const {
  CurrentQFont();
  return cachedMetrics_;
}

int TDC::LogicalX(int deviceLength) const {
  return static_cast<int>(std::lround(deviceLength / std::fabs(ScaleX())));
}

int TDC::LogicalY(int deviceLength) const {
  return static_cast<int>(std::lround(deviceLength / std::fabs(ScaleY())));
}

BOOL TDC::GetTextMetrics(TEXTMETRIC &metrics) const {
  metrics = CurrentMetrics();
  if (mapMode_ != MM_TEXT) {
    for (LONG *v : {&metrics.tmHeight, &metrics.tmAscent, &metrics.tmDescent,
                    &metrics.tmInternalLeading, &metrics.tmExternalLeading}) {
      *v = LogicalY(*v);
    }
    metrics.tmAveCharWidth = LogicalX(metrics.tmAveCharWidth);
    metrics.tmMaxCharWidth = LogicalX(metrics.tmMaxCharWidth);
  }
  return 1;
}

SIZE TDC::GetTextExtent(const char *text, int length) const {
  const QFontMetrics metrics(CurrentQFont());
  const QString string = TextOf(text, length);
  return SIZE{LogicalX(metrics.horizontalAdvance(string)), LogicalY(CurrentMetrics().tmHeight)};
}

void TDC::DrawTextRun(QPoint imageAnchor, const QString &text, UINT align, bool opaque,
                      const QRect *clipRect) {
  if (!image_ || text.isEmpty()) return;
  const QFont font = CurrentQFont();
  const QFontMetrics metrics(font);
  const TEXTMETRIC tm = CurrentMetrics();
  const int width = metrics.horizontalAdvance(text);
  int left = 0;
  if ((align & TA_CENTER) == TA_CENTER) {
    left = -width / 2;
  } else if (align & TA_RIGHT) {
    left = -width;
  }
  int top = 0;
  if ((align & TA_BASELINE) == TA_BASELINE) {
    top = -tm.tmAscent;
  } else if (align & TA_BOTTOM) {
    top = -tm.tmHeight;
  }
  QTransform transform;
  transform.translate(imageAnchor.x(), imageAnchor.y());
  // Escapement is counter-clockwise in tenths of a degree; screen y grows downward.
  if (font_->logFont.lfEscapement % 3600 != 0) {
    transform.rotate(-font_->logFont.lfEscapement / 10.0);
  }
  QRegion clip = clip_;
  if (clipRect) clip &= *clipRect;
  if (clip.isEmpty()) return;
  const QRect box(left, top, width, tm.tmHeight);
  const double turn = font_->logFont.lfEscapement % 3600 != 0 ? font_->logFont.lfEscapement / 10.0 : 0.0;
  if (opaque) {
    QPainter painter(image_);
    painter.setClipRegion(clip);
    painter.setTransform(transform);
    painter.fillRect(box, QColor::fromRgb(Resolve(bkColor_)));
  }
  const QRect clipBox = clip == QRegion(baseClip_) ? QRect() : clip.boundingRect();
  if (TakeText(imageAnchor, turn, QPoint(left, top + tm.tmAscent), font, Resolve(textColor_), text, clipBox)) {
    MarkDirty(transform.mapRect(box).adjusted(-2, -2, 2, 2));
    return;
  }
  {
    QPainter painter(image_);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setRenderHint(QPainter::TextAntialiasing, false);
    painter.setClipRegion(clip);
    painter.setTransform(transform);
    painter.setFont(font);
    painter.setPen(QColor::fromRgb(Resolve(textColor_)));
    painter.drawText(QPoint(left, top + tm.tmAscent), text);
  }
  MarkDirty(transform.mapRect(box).adjusted(-2, -2, 2, 2));
}

BOOL TDC::TextOut(int x, int y, const char *text, int length) {
  return ExtTextOut(x, y, 0, nullptr, text, length);
}

BOOL TDC::ExtTextOut(int x, int y, UINT options, const RECT *rect, const char *text, int length) {
  Sync();
  if (!image_) return 1;
  const bool updateCurrent = (textAlign_ & TA_UPDATECP) != 0;
  const int refX = updateCurrent ? current_.x : x;
  const int refY = updateCurrent ? current_.y : y;
  QRect clipRect;
  if (rect) {
    const QPoint a = ToImage(rect->left, rect->top);
    const QPoint b = ToImage(rect->right, rect->bottom);
    if (b.x() > a.x() && b.y() > a.y()) clipRect = QRect(a, QPoint(b.x() - 1, b.y() - 1));
    if ((options & ETO_OPAQUE) && !clipRect.isEmpty()) {
      FillImageRect(clipRect, Resolve(bkColor_));
    }
  }
  const QString string = TextOf(text, length);
  const bool clipped = (options & ETO_CLIPPED) && rect;
  DrawTextRun(ToImage(refX, refY), string, textAlign_, bkMode_ == OPAQUE && !(options & ETO_OPAQUE),
              clipped ? &clipRect : nullptr);
  if (updateCurrent) {
    const QFontMetrics metrics(CurrentQFont());
    current_.x += LogicalX(metrics.horizontalAdvance(string));
  }
  return 1;
}

int TDC::DrawText(const char *text, int length, RECT &rect, UINT format) {
  Sync();
  QString string = TextOf(text, length);
  qsizetype marked = -1;
  if (!(format & DT_NOPREFIX)) string = StripPrefixes(string, &marked);
  const QFontMetrics metrics(CurrentQFont());
  const TEXTMETRIC tm = CurrentMetrics();
  const int lineHeight = tm.tmHeight + ((format & DT_EXTERNALLEADING) ? tm.tmExternalLeading : 0);
  const int charsPerTab = (format & DT_TABSTOP) ? static_cast<int>((format >> 8) & 0xFF) : 8;
  const int tabWidth = std::max(1, charsPerTab * std::max(1, static_cast<int>(tm.tmAveCharWidth)));
  const bool expandTabs = (format & DT_EXPANDTABS) != 0;

  QStringList paragraphs;
  if (format & DT_SINGLELINE) {
    string.replace(QLatin1String("\r\n"), QLatin1String(" "));
    string.replace(QLatin1Char('\n'), QLatin1Char(' '));
    string.replace(QLatin1Char('\r'), QLatin1Char(' '));
    paragraphs << string;
  } else {
    string.remove(QLatin1Char('\r'));
    paragraphs = string.split(QLatin1Char('\n'));
  }
  std::vector<TextLine> lines;
  // The mnemonic's line and its place in that line's text.
  int markedLine = -1;
  qsizetype markedInLine = -1;
  qsizetype paragraphStart = 0;
  const auto noteMark = [&](const QString &lineText, qsizetype start) {
    if (marked >= start && marked < start + lineText.size()) {
      markedLine = static_cast<int>(lines.size());
      markedInLine = marked - start;
    }
  };
  for (const QString &paragraph : paragraphs) {
    if ((format & DT_WORDBREAK) && !(format & DT_SINGLELINE)) {
      const int breakWidth = ImageRect(rect.left, rect.top, rect.right, rect.top + 1).width();
      qsizetype from = 0;
      for (const QString &piece : BreakWords(paragraph, metrics, breakWidth, expandTabs, tabWidth)) {
        const qsizetype at = std::max<qsizetype>(0, paragraph.indexOf(piece, from));
        noteMark(piece, paragraphStart + at);
        from = at + piece.size();
        lines.push_back(LayOutLine(piece, metrics, expandTabs, tabWidth));
      }
    } else {
      noteMark(paragraph, paragraphStart);
      lines.push_back(LayOutLine(paragraph, metrics, expandTabs, tabWidth));
    }
    paragraphStart += paragraph.size() + 1;
  }
  int widest = 0;
  for (const TextLine &line : lines) widest = std::max(widest, line.width);
  const int textHeight = static_cast<int>(lines.size()) * lineHeight;

  if (format & DT_CALCRECT) {
    rect.right = rect.left + LogicalX(widest);
    rect.bottom = rect.top + LogicalY(textHeight);
    return LogicalY(textHeight);
  }
  // Laid out in image pixels inside the mapped rectangle.
  const QRect box = ImageRect(rect.left, rect.top, rect.right, rect.bottom);
  const QPoint corner = ToImage(rect.left, rect.top);
  const int left = box.isEmpty() ? corner.x() : box.left();
  const int top = box.isEmpty() ? corner.y() : box.top();
  const int width = box.isEmpty() ? 0 : box.width();
  const int height = box.isEmpty() ? 0 : box.height();
  const bool noClip = (format & DT_NOCLIP) != 0;
  if (!noClip && box.isEmpty()) return LogicalY(textHeight);
  int y = top;
  if (format & DT_SINGLELINE) {
    if (format & DT_VCENTER) {
      y = top + (height - textHeight) / 2;
    } else if (format & DT_BOTTOM) {
      y = top + height - textHeight;
    }
  }
  for (std::size_t k = 0; k < lines.size(); ++k) {
    const TextLine &line = lines[k];
    int x = left;
    if (format & DT_CENTER) {
      x = left + (width - line.width) / 2;
    } else if (format & DT_RIGHT) {
      x = left + width - line.width;
    }
    if (bkMode_ == OPAQUE && line.width > 0) {
      QRect cell(x, y, line.width, lineHeight);
      if (!noClip) cell &= box;
      FillImageRect(cell, Resolve(bkColor_));
    }
    for (const auto &[offset, piece] : line.pieces) {
      DrawTextRun(QPoint(x + offset, y), piece, TA_LEFT | TA_TOP, false, noClip ? nullptr : &box);
    }
    if (static_cast<int>(k) == markedLine && !(format & DT_HIDEPREFIX)) {
      // The mnemonic is underlined: one pixel below the baseline, as wide as its letter.
      // Its piece is found by counting the characters (and tabs) of the pieces before it.
      qsizetype remaining = markedInLine;
      for (const auto &[offset, piece] : line.pieces) {
        if (remaining < piece.size()) {
          const int from = x + offset + metrics.horizontalAdvance(piece.left(remaining));
          QRect under(from, y + tm.tmAscent + 1, std::max(1, metrics.horizontalAdvance(piece.at(remaining))), 1);
          if (!noClip) under &= box;
          FillImageRect(under, Resolve(textColor_));
          break;
        }
        remaining -= piece.size() + (expandTabs ? 1 : 0);
      }
    }
    y += lineHeight;
  }
  return LogicalY(textHeight);
}
