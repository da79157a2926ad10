// Ellipses and arcs, the polygon fill mode, and saving and restoring a context's state.
#include "platform/gui/drawing/dc.h"

#include "foundation/numerics/pi.h"
#include "platform/gui/drawing/dc_spans.h"

#include <algorithm>
#include <cmath>

using dc_spans::TSpanList;

namespace {

// An ellipse by its centre and semi-axes in image pixels; a pixel belongs to it when its
// centre lies inside.
struct TEllipseShape {
  double CenterX;
  double CenterY;
  double SemiX;
  double SemiY;

  // The row's pixels [first, last]; false when the row misses the ellipse.
  bool Row(int y, int &first, int &last) const {
    if (SemiX <= 0 || SemiY <= 0) return false;
    const double v = (y + 0.5 - CenterY) / SemiY;
    if (v * v > 1.0) return false;
    const double half = SemiX * std::sqrt(1.0 - v * v);
    first = static_cast<int>(std::ceil(CenterX - half - 0.5));
    last = static_cast<int>(std::floor(CenterX + half - 0.5));
    return last >= first;
  }
};

// The outline band of the ellipse, `width` pixels thick, inside it.
void AddRing(const TEllipseShape &outer, int width, const QRect &clip, TSpanList &ring,
             TSpanList *inside) {
  const TEllipseShape inner{outer.CenterX, outer.CenterY, outer.SemiX - width,
                            outer.SemiY - width};
  const int top = std::max(clip.top(), static_cast<int>(std::floor(outer.CenterY - outer.SemiY)));
  const int bottom =
      std::min(clip.bottom(), static_cast<int>(std::ceil(outer.CenterY + outer.SemiY)));
  for (int y = top; y <= bottom; ++y) {
    int first = 0;
    int last = 0;
    if (!outer.Row(y, first, last)) continue;
    int innerFirst = 0;
    int innerLast = 0;
    if (width > 0 && inner.Row(y, innerFirst, innerLast)) {
      ring.Add(y, first, innerFirst - 1);
      ring.Add(y, innerLast + 1, last);
      if (inside != nullptr) inside->Add(y, innerFirst, innerLast);
    } else if (width > 0) {
      ring.Add(y, first, last);
    } else if (inside != nullptr) {
      inside->Add(y, first, last);
    }
  }
}

double Normalized(double angle) {
  const double turn = 2.0 * kPi;
  angle = std::fmod(angle, turn);
  return angle < 0 ? angle + turn : angle;
}

}  // namespace

int TDC::SetPolyFillMode(int mode) {
  if (mode != ALTERNATE && mode != WINDING) return 0;
  const int previous = polyFillMode_;
  polyFillMode_ = mode;
  return previous;
}

BOOL TDC::Ellipse(int left, int top, int right, int bottom) {
  Sync();
  if (!image_) return 1;
  const QRect figure = ImageRect(left, top, right, bottom);
  if (figure.isEmpty()) return 1;
  const TEllipseShape shape{figure.left() + figure.width() / 2.0,
                            figure.top() + figure.height() / 2.0, figure.width() / 2.0,
                            figure.height() / 2.0};
  const bool hasPen = pen_->logPen.lopnStyle != PS_NULL;
  const bool hasBrush = brush_->logBrush.lbStyle != BS_NULL;
  const int width = hasPen ? std::max(1, DevicePenWidth()) : 0;
  TSpanList ring;
  TSpanList inside;
  AddRing(shape, width, clipBounds_, ring, &inside);
  if (hasBrush) {
    inside.Merge();
    MixSpans(inside, Resolve(brush_->logBrush.lbColor), rop2_);
  }
  if (hasPen) {
    ring.Merge();
    MixSpans(ring, Resolve(pen_->logPen.lopnColor), rop2_);
  }
  return 1;
}

BOOL TDC::Arc(int left, int top, int right, int bottom, int startX, int startY, int endX,
              int endY) {
  Sync();
  if (!image_ || pen_->logPen.lopnStyle == PS_NULL) return 1;
  const QRect figure = ImageRect(left, top, right, bottom);
  if (figure.isEmpty()) return 1;
  const TEllipseShape shape{figure.left() + figure.width() / 2.0,
                            figure.top() + figure.height() / 2.0, figure.width() / 2.0,
                            figure.height() / 2.0};
  TSpanList ring;
  AddRing(shape, std::max(1, DevicePenWidth()), clipBounds_, ring, nullptr);
  ring.Merge();
  // Angles grow counter-clockwise on the screen, where y grows downwards.
  const QPoint start = ToImage(startX, startY);
  const QPoint end = ToImage(endX, endY);
  const double startAngle = std::atan2(shape.CenterY - start.y(), start.x() - shape.CenterX);
  const double endAngle = std::atan2(shape.CenterY - end.y(), end.x() - shape.CenterX);
  double sweep = Normalized(endAngle - startAngle);
  if (sweep == 0.0) sweep = 2.0 * kPi;
  TSpanList arc;
  for (const dc_spans::TSpan &span : ring.Spans()) {
    int runStart = 0;
    bool inRun = false;
    for (int x = span.Left; x <= span.Right + 1; ++x) {
      bool on = false;
      if (x <= span.Right) {
        const double angle = std::atan2(shape.CenterY - (span.Y + 0.5), x + 0.5 - shape.CenterX);
        on = Normalized(angle - startAngle) <= sweep;
      }
      if (on && !inRun) runStart = x;
      if (!on && inRun) arc.Add(span.Y, runStart, x - 1);
      inRun = on;
    }
  }
  MixSpans(arc, Resolve(pen_->logPen.lopnColor), rop2_);
  return 1;
}

int TDC::SaveDC() {
  TSavedState state{pen_,        brush_,     font_,       palette_,        textColor_,
                    bkColor_,    bkMode_,    textAlign_,  rop2_,           viewportOrg_,
                    windowOrg_,  mapMode_,   windowExt_,  viewportExt_,    current_,
                    polyFillMode_, hasSelectedClip_, selectedClip_};
  // Saved objects stay in use: deleting one now is refused, as for a selected one.
  for (HGDIOBJ object : {static_cast<HGDIOBJ>(pen_), static_cast<HGDIOBJ>(brush_),
                         static_cast<HGDIOBJ>(font_), static_cast<HGDIOBJ>(palette_)}) {
    if (object) ++object->selections;
  }
  savedStates_.push_back(std::move(state));
  return static_cast<int>(savedStates_.size());
}

BOOL TDC::RestoreDC(int savedDC) {
  const int count = static_cast<int>(savedStates_.size());
  const int level = savedDC < 0 ? count + 1 + savedDC : savedDC;
  if (level < 1 || level > count || savedDC == 0) return 0;
  Sync();
  TSavedState state = savedStates_[static_cast<std::size_t>(level) - 1];
  // Every state from the one restored on is given up, and its objects with it.
  for (int i = count - 1; i >= level - 1; --i) {
    const TSavedState &dropped = savedStates_[static_cast<std::size_t>(i)];
    for (HGDIOBJ object : {static_cast<HGDIOBJ>(dropped.Pen), static_cast<HGDIOBJ>(dropped.Brush),
                           static_cast<HGDIOBJ>(dropped.Font), static_cast<HGDIOBJ>(dropped.Palette)}) {
      if (object) --object->selections;
    }
  }
  savedStates_.resize(static_cast<std::size_t>(level) - 1);
  SelectObject(state.Pen);
  SelectObject(state.Brush);
  SelectObject(state.Font);
  SelectPalette(state.Palette);
  textColor_ = state.TextColor;
  bkColor_ = state.BkColor;
  bkMode_ = state.BkMode;
  textAlign_ = state.TextAlign;
  rop2_ = state.Rop2;
  viewportOrg_ = state.ViewportOrg;
  windowOrg_ = state.WindowOrg;
  mapMode_ = state.MapMode;
  windowExt_ = state.WindowExt;
  viewportExt_ = state.ViewportExt;
  current_ = state.Current;
  polyFillMode_ = state.PolyFillMode;
  hasSelectedClip_ = state.HasSelectedClip;
  selectedClip_ = state.SelectedClip;
  RebuildClip();
  return 1;
}
