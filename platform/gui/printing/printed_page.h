#pragma once
// A printed page as the printer device receives it: a picture of everything drawn on raster
// terms (bitmaps, fills, figures), and the texts and lines that a device drawing them itself
// puts on the page as text and strokes, over the picture. Coordinates are device dots of
// the printable area.

#include <cstdint>
#include <string>
#include <vector>

#include <QFont>
#include <QImage>
#include <QPointF>
#include <QRectF>
#include <QString>

// One run of text: its baseline starts at `baseline` after the page is turned
// `turnDegrees` counter-clockwise about `origin`.
struct TPrintedText {
  QPointF origin;
  double turnDegrees = 0.0;
  QPointF baseline;  // relative to origin, before the turn
  QFont font;        // its pixel size in dots
  std::uint32_t color = 0xFF000000u;
  QString text;
  QRectF clip;       // null: the page
};

// One straight stroke of a solid pen, end to end.
struct TPrintedLine {
  QPointF from;
  QPointF to;
  double width = 1.0;  // dots
  std::uint32_t color = 0xFF000000u;
};

struct TPrintedPage {
  QImage picture;
  std::vector<TPrintedText> texts;
  std::vector<TPrintedLine> lines;

  // Whether anything was drawn into the picture (it is white otherwise).
  bool PictureIsBlank() const;
  // The smallest rectangle of the picture that holds every non-white pixel (null when blank).
  QRect InkedRect() const;
  // Draws the lines and then the texts with the painter, whose unit is one dot.
  void PaintTextAndLines(class QPainter &painter) const;
  // The whole page as one image: the picture with the lines and texts drawn over it.
  QImage Rendered() const;
  // The words (split at blanks) of the level texts that stand wholly on a page of
  // `width` x `height` dots and inside their clip, in drawing order: what the paper shows
  // of them. A word reaching past an edge is left out.
  std::vector<std::string> WordsOnPaper(int width, int height) const;
};
