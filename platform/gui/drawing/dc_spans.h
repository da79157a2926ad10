#pragma once
// Pixel spans: the coverage of a figure as runs of pixels on rows (image coordinates).
// Wide lines are built as spans so that their cost follows the pixels they cover, not
// their bounding box, and a figure's pieces (the segments of a polyline and their round
// joints) are merged before they are drawn, so a mix mode touches each pixel once.

#include <QRect>

#include <vector>

namespace dc_spans {

struct TSpan {
  int Y;
  int Left;   // inclusive
  int Right;  // inclusive
};

class TSpanList {
 public:
  void Add(int y, int left, int right) {
    if (right >= left) spans_.push_back({y, left, right});
  }
  // Adds the pixels whose centres lie closer than width / 2 to the segment between two
  // pixels (round ends). Odd widths centre on the pixels, even widths on their corners,
  // so a width-w horizontal line covers exactly w rows. Only rows inside `clip` are made.
  void AddWideSegment(int x0, int y0, int x1, int y1, int width, const QRect &clip);
  // Sorts the spans and merges those that overlap or touch on a row.
  void Merge();
  const std::vector<TSpan> &Spans() const { return spans_; }
  void Clear() { spans_.clear(); }

 private:
  std::vector<TSpan> spans_;
};

}  // namespace dc_spans
