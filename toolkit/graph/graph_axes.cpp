// TGraph's axes, tick labels and dotted grids.
#include "platform/core/font_faces.h"
#include "toolkit/graph/graph.h"

#include "toolkit/graph/nice_step.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

// The label face of the axes when the caller gives none.
constexpr const char *kLabelFace = kFaceSerif;
constexpr int kLabelHeight = 8;

// A y label's right end stands this far left of its axis.
constexpr int kYLabelGap = 3;

constexpr int kMinorTick = 2;
constexpr int kMajorTick = 5;
constexpr int kDotSpacing = 5;

// Digits of a label format are kept within what a double prints sensibly.
constexpr int kMaxFormatDigits = 20;

// A tick this fraction of a step past an end of the range is still on it (rounding).
constexpr double kStepRounding = 1e-9;

// A pass never draws more ticks than this, whatever the numbers.
constexpr long long kMaxTicksPerPass = 1 << 16;

int FormatDigits(double v) {
  if (!(v > 0.0) || !std::isfinite(v)) return 2;
  return std::min(static_cast<int>(std::trunc(std::fabs(std::log10(v)))) + 2, kMaxFormatDigits);
}

// The pixel span of one world step on an axis.
double PixelsPerStep(double step, double scale) { return std::fabs(step * scale); }

// The ticks and label format of one axis over [a, b] at `scale` pixels per unit: the
// step actually used (0 when none), the tick spacing and count per step, the exponent
// factor with its marker text, and the printf format of the labels.
struct TAxisLabelling {
  double step = 0.0;
  int ticksPerStep = 1;
  double spacing = 0.0;
  double factor = 1.0;
  std::string marker;
  char format[32] = "";
};

TAxisLabelling LabelAxis(double wanted, int subdivisions, double a, double b, double scale) {
  TAxisLabelling axis;
  double step = TGraph::AxisStep(wanted, a, b);
  // A step finer than a pixel gives way to one chosen from the range.
  if (step != 0.0 && PixelsPerStep(step, scale) < 1.0) step = TGraph::AxisStep(0.0, a, b);
  axis.step = step;
  if (step == 0.0) return axis;
  axis.ticksPerStep = std::max(subdivisions, 1);
  if (PixelsPerStep(step / axis.ticksPerStep, scale) < 1.0) axis.ticksPerStep = 1;
  axis.spacing = step / axis.ticksPerStep;
  axis.factor = ExponentScale(a, b, axis.marker);
  const int integerDigits = FormatDigits(std::max(std::fabs(a / axis.factor), std::fabs(b / axis.factor)));
  const int decimals = FormatDigits(std::fabs(axis.spacing / axis.factor));
  std::snprintf(axis.format, sizeof axis.format, "%%%d.%df", integerDigits + decimals + 2, decimals);
  return axis;
}

}  // namespace

double TGraph::AxisStep(double wanted, double a, double b) {
  if (std::fabs(wanted) <= kAxisZero) return NiceStep(0.2 * (b - a));
  return NiceStep(wanted);
}

double TGraph::AxisPosition(double lo, double hi, double step) {
  // A bound of exactly 0 counts as positive.
  if ((lo < 0.0) != (hi < 0.0)) return 0.0;
  const double low = std::min(lo, hi);
  if (step == 0.0) return low;
  return FirstMultipleAtOrAbove(low, step);
}

void TGraph::DrawAxes(double xStep, int xSubdivisions, double yStep, int ySubdivisions,
                      int gridMode, TOFont *font) {
  const double xs = AxisStep(xStep, x1_, x2_);
  const double ys = AxisStep(yStep, y1_, y2_);
  const double axisX = AxisPosition(x1_, x2_, xs);
  KeepRoomForYLabels(axisX, ys, ySubdivisions, font);
  const double axisY = AxisPosition(y1_, y2_, ys);
  const double usedX = DrawXLabels(axisY, xs, xSubdivisions, font);
  const double usedY = DrawYLabels(axisX, ys, ySubdivisions, font);
  if (gridMode % 10 > 0) DrawXGrid(usedX, false);
  if (gridMode > 10) DrawYGrid(usedY, false);
}

int TGraph::YLabelWidth(double step, int subdivisions, TOFont *font) {
  TDC *dc = MemoryDC() != nullptr ? MemoryDC() : WindowDC();
  if (subdivisions <= 0 || dc == nullptr) return 0;
  const TAxisLabelling axis = LabelAxis(step, subdivisions, y1_, y2_, scaleY_);
  if (axis.step == 0.0) return 0;
  TOFont labelFont = font != nullptr ? *font : TOFont(kLabelFace, kLabelHeight, 0, false);
  SelectLabelFont(labelFont);
  const double lo = std::min(y1_, y2_);
  const double hi = std::max(y1_, y2_);
  const double labelStep = std::fabs(axis.step);
  const double first = AxisPosition(y1_, y2_, axis.step);
  // The labelled ticks are the steps from the axis position both ways, within the range.
  const double firstIndex = std::ceil((lo - first) / labelStep - kStepRounding);
  int widest = 0;
  for (long long k = 0; k < kMaxTicksPerPass; ++k) {
    const double atY = first + (firstIndex + static_cast<double>(k)) * labelStep;
    if (atY > hi + kStepRounding * labelStep) break;
    const double value = std::fabs(atY) < kStepRounding * labelStep ? 0.0 : atY / axis.factor;
    const std::string text = LabelText(axis.format, value);
    widest = std::max(widest, static_cast<int>(dc->GetTextExtent(text.c_str()).cx));
  }
  RestoreFont();
  return widest;
}

void TGraph::KeepRoomForYLabels(double axisX, double step, int subdivisions, TOFont *font) {
  const int labelWidth = YLabelWidth(step, subdivisions, font);
  if (labelWidth == 0 || x2_ == x1_) return;
  // The axis stands at the fraction f of the plot's width: moving the plot's left edge by s
  // pixels (its right edge staying) moves the axis by s (1 - f).
  const double fraction = std::clamp((axisX - x1_) / (x2_ - x1_), 0.0, 1.0);
  const int shortBy = kYLabelGap + labelWidth - WorldToDevice(axisX, y1_).x;
  if (shortBy <= 0 || fraction >= 1.0) return;
  // One pixel more: the axis's device column is truncated.
  const int shift = static_cast<int>(std::ceil((shortBy + 1) / (1.0 - fraction)));
  // A plot too narrow to give the room keeps its place.
  if (shift >= plotWidth_) return;
  if (frame_) {
    // The frame drawn at the old left edge goes with it.
    const RECT vacated{std::max(plotLeft_ - 1, 0), std::max(plotTop_ - 1, 0), plotLeft_ + shift,
                       plotTop_ + plotHeight_ + 1};
    TBrush brush(GetHandleField());
    ForEachDrawDC([&](TDC &dc) { dc.FillRect(vacated, brush); });
  }
  SetPlotArea(plotLeft_ + shift, plotTop_, plotWidth_ - shift, plotHeight_, frame_, false);
  SetWorld(x1_, x2_, y1_, y2_);
}

void TGraph::SelectLabelFont(TOFont &font) {
  font.Create();
  if (TDC *dc = WindowDC()) font.SelectInto(*dc);
  if (TDC *dc = MemoryDC()) font.SelectInto(*dc);
}

std::string TGraph::LabelText(const char *format, double value) const {
  char text[64];
  std::snprintf(text, sizeof text, format, value);
  std::string label(text);
  // The field width pads on the left; a label sits on its tick without the padding.
  label.erase(0, label.find_first_not_of(' '));
  TrimTrailingZeros(label);
  // A whole number reads as "10", not "10.": the point goes with its last zero.
  if (label.size() > 1 && label.back() == '.') label.pop_back();
  return label;
}

double TGraph::DrawXLabels(double axisY, double step, int subdivisions, TOFont *font) {
  ResetClip();
  TOFont labelFont = font != nullptr ? *font : TOFont(kLabelFace, kLabelHeight, 0, false);
  SelectLabelFont(labelFont);
  const TAxisLabelling axis = LabelAxis(step, subdivisions, x1_, x2_, scaleX_);
  if (axis.step != 0.0) {
    const bool labels = subdivisions > 0;
    DrawXTicks(axisY, AxisPosition(x1_, x2_, axis.step), axis.spacing, axis.ticksPerStep, labels,
               axis.format, axis.factor);
    if (labels && axis.factor != 1.0) {
      const POINT p = ClampedDevice(x2_, axisY);
      TextOut(p.x - 2, p.y - 2, axis.marker.c_str(), TA_RIGHT | TA_BOTTOM);
    }
  }
  RestoreFont();
  return axis.step;
}

double TGraph::DrawYLabels(double axisX, double step, int subdivisions, TOFont *font) {
  ResetClip();
  TOFont labelFont = font != nullptr ? *font : TOFont(kLabelFace, kLabelHeight, 0, false);
  SelectLabelFont(labelFont);
  const TAxisLabelling axis = LabelAxis(step, subdivisions, y1_, y2_, scaleY_);
  if (axis.step != 0.0) {
    const bool labels = subdivisions > 0;
    DrawYTicks(axisX, AxisPosition(y1_, y2_, axis.step), axis.spacing, axis.ticksPerStep, labels,
               axis.format, axis.factor);
    if (labels && axis.factor != 1.0) {
      const POINT p = ClampedDevice(axisX, y2_);
      TextOut(p.x + 2, p.y, axis.marker.c_str(), TA_LEFT | TA_TOP);
    }
  }
  RestoreFont();
  return axis.step;
}

void TGraph::DrawXTicks(double axisY, double first, double spacing, int subdivisions, bool labels,
                        const char *format, double factor) {
  MoveTo(x1_, axisY, false);
  MoveTo(x2_, axisY, true);
  ResetClip();
  // Toward x2 with +spacing, then toward x1 with -spacing; the first tick is drawn once.
  const double ends[2] = {x2_, x1_};
  const double signs[2] = {1.0, -1.0};
  for (int pass = 0; pass < 2; ++pass) {
    const double delta = signs[pass] * spacing;
    const double direction = delta > 0 ? 1.0 : -1.0;
    for (long long k = pass; k < kMaxTicksPerPass; ++k) {
      const double atX = first + static_cast<double>(k) * delta;
      if (direction * (ends[pass] - atX) < 0.0) break;
      const POINT p = ClampedDevice(atX, axisY);
      const bool major = k % subdivisions == 0;
      const int length = major ? kMajorTick : kMinorTick;
      ForEachDrawDC([&](TDC &dc) {
        dc.MoveTo(p.x, p.y);
        dc.LineTo(p.x, p.y - length);
      });
      if (major && labels) {
        // A value that is zero but for rounding prints as 0, not -0.
        const double value = std::fabs(atX) < 1e-9 * std::fabs(spacing) ? 0.0 : atX / factor;
        const std::string text = LabelText(format, value);
        if (k == 0) {
          TextOut(p.x + 2, p.y + 3, text.c_str(), TA_LEFT | TA_TOP);
        } else {
          TextOut(p.x, p.y + 3, text.c_str(), TA_CENTER | TA_TOP);
        }
      }
    }
  }
}

void TGraph::DrawYTicks(double axisX, double first, double spacing, int subdivisions, bool labels,
                        const char *format, double factor) {
  MoveTo(axisX, y1_, false);
  MoveTo(axisX, y2_, true);
  ResetClip();
  TEXTMETRIC metrics;
  if (TDC *dc = MemoryDC()) dc->GetTextMetrics(metrics);
  const int halfHeight = metrics.tmHeight / 2;
  const double ends[2] = {y2_, y1_};
  const double signs[2] = {1.0, -1.0};
  for (int pass = 0; pass < 2; ++pass) {
    const double delta = signs[pass] * spacing;
    const double direction = delta > 0 ? 1.0 : -1.0;
    for (long long k = pass; k < kMaxTicksPerPass; ++k) {
      const double atY = first + static_cast<double>(k) * delta;
      if (direction * (ends[pass] - atY) < 0.0) break;
      const POINT p = ClampedDevice(axisX, atY);
      const bool major = k % subdivisions == 0;
      const int length = major ? kMajorTick : kMinorTick;
      ForEachDrawDC([&](TDC &dc) {
        dc.MoveTo(p.x, p.y);
        dc.LineTo(p.x + length, p.y);
      });
      if (major && labels) {
        const double value = std::fabs(atY) < 1e-9 * std::fabs(spacing) ? 0.0 : atY / factor;
        const std::string text = LabelText(format, value);
        const int baseline = k == 0 ? p.y - 2 : p.y + halfHeight;
        TextOut(p.x - 3, baseline, text.c_str(), TA_RIGHT | TA_BASELINE);
      }
    }
  }
}

void TGraph::DrawGrid(double xStep, double yStep, bool edge) {
  if (xStep > kAxisZero) DrawXGrid(xStep, edge);
  if (yStep > kAxisZero) DrawYGrid(yStep, edge);
}

void TGraph::DrawXGrid(double step, bool edge) {
  if (!(std::fabs(step) > kAxisZero) || !std::isfinite(step)) return;
  const COLORREF color = GetPenColor();
  const double lo = std::min(x1_, x2_);
  const double hi = std::max(x1_, x2_);
  double first = std::floor(lo / step + 0.5 * (step > 0 ? 1.0 : -1.0)) * step;
  step = std::fabs(step);
  if (first < lo) first += step;
  // Lines closer than a pixel would only fill the plot.
  if (PixelsPerStep(step, scaleX_) >= 1.0) {
    for (long long k = 0; k < kMaxTicksPerPass; ++k) {
      const double atX = first + static_cast<double>(k) * step;
      if (!(hi - atX > 0.5 * step)) break;
      DottedVLine(atX, y1_, y2_, color, false);
    }
  }
  if (edge) {
    DottedVLine(x1_, y1_, y2_, color, true);
    DottedVLine(x2_, y1_, y2_, color, true);
  }
  RestorePens();
}

void TGraph::DrawYGrid(double step, bool edge) {
  if (!(std::fabs(step) > kAxisZero) || !std::isfinite(step)) return;
  const COLORREF color = GetPenColor();
  const double lo = std::min(y1_, y2_);
  const double hi = std::max(y1_, y2_);
  double first = std::floor(lo / step + 0.5 * (step > 0 ? 1.0 : -1.0)) * step;
  step = std::fabs(step);
  if (first < lo) first += step;
  if (PixelsPerStep(step, scaleY_) >= 1.0) {
    for (long long k = 0; k < kMaxTicksPerPass; ++k) {
      const double atY = first + static_cast<double>(k) * step;
      if (!(hi - atY > 0.5 * step)) break;
      DottedHLine(atY, x1_, x2_, color, false);
    }
  }
  if (edge) {
    DottedHLine(y1_, x1_, x2_, color, true);
    DottedHLine(y2_, x1_, x2_, color, true);
  }
  RestorePens();
}

void TGraph::DottedVLine(double atX, double ya, double yb, COLORREF color, bool edge) {
  const POINT a = WorldToDevice(atX, ya);
  const POINT b = WorldToDevice(atX, yb);
  const SIZE bitmap = GetBitmapSize();
  if (a.x < 0 || a.x >= bitmap.cx) return;
  long long upper = std::min(a.y, b.y);
  const long long lower = std::max(a.y, b.y);
  if (!edge) upper += kDotSpacing;
  // Only the dots that can land on the bitmap are visited.
  if (upper < 0) upper += (-upper + kDotSpacing - 1) / kDotSpacing * kDotSpacing;
  const long long last = std::min<long long>(lower, bitmap.cy);
  for (long long atY = upper; atY < last; atY += kDotSpacing) {
    ForEachDrawDC([&](TDC &dc) { dc.SetPixel(a.x, static_cast<int>(atY), color); });
  }
}

void TGraph::DottedHLine(double atY, double xa, double xb, COLORREF color, bool edge) {
  const POINT a = WorldToDevice(xa, atY);
  const POINT b = WorldToDevice(xb, atY);
  const SIZE bitmap = GetBitmapSize();
  if (a.y < 0 || a.y >= bitmap.cy) return;
  long long left = std::min(a.x, b.x);
  const long long right = std::max(a.x, b.x);
  if (!edge) left += kDotSpacing;
  if (left < 0) left += (-left + kDotSpacing - 1) / kDotSpacing * kDotSpacing;
  const long long last = std::min<long long>(right, bitmap.cx);
  for (long long atX = left; atX < last; atX += kDotSpacing) {
    ForEachDrawDC([&](TDC &dc) { dc.SetPixel(static_cast<int>(atX), a.y, color); });
  }
}
