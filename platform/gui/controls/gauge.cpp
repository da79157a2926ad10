#include "platform/gui/controls/gauge.h"

#include <algorithm>
#include <cstdio>

#include "platform/gui/controls/control_paint.h"
#include "platform/gui/drawing/dc.h"
#include "platform/gui/drawing/sys_colors.h"

TGauge::TGauge(TWindow *parentWindow, const char *formatText, int id, int xPos, int yPos, int w, int h,
               bool isHorizontal, int barMargin, TModule *module)
    : TControl(parentWindow, id, nullptr, xPos, yPos, w, h, module),
      horizontal(isHorizontal),
      margin(std::max(0, barMargin)),
      barColor(GetSysColor(COLOR_HIGHLIGHT)) {
  if (formatText != nullptr && *formatText != '\0') format = formatText;
}

TGauge::TGauge(TWindow *parentWindow, int resourceId, TModule *module)
    : TControl(parentWindow, resourceId, module), barColor(GetSysColor(COLOR_HIGHLIGHT)) {}

void TGauge::SetRange(int minValue, int maxValue) {
  minimum = minValue;
  maximum = maxValue;
  SetValue(value);
  Invalidate(false);
}

void TGauge::GetRange(int &minValue, int &maxValue) const {
  minValue = minimum;
  maxValue = maximum;
}

void TGauge::SetValue(int newValue) {
  const int low = std::min(minimum, maximum);
  const int high = std::max(minimum, maximum);
  newValue = std::clamp(newValue, low, high);
  if (newValue == value) return;
  value = newValue;
  Invalidate(false);
}

void TGauge::SetColor(COLORREF color) {
  barColor = color;
  Invalidate(false);
}

void TGauge::SetLed(int spacing, int thicknessPercent) {
  ledSpacing = std::max(0, spacing);
  ledThickness = std::clamp(thicknessPercent, 1, 100);
  Invalidate(false);
}

int TGauge::Percent() const {
  if (maximum == minimum) return 0;
  return static_cast<int>(static_cast<long long>(value - minimum) * 100 / (maximum - minimum));
}

void TGauge::Paint(TDC &dc, bool, RECT &) {
  const RECT client = GetClientRect();
  const TControlColors colors = ParentColors(dc, CTLCOLOR_STATIC);
  // A sunken frame around the well.
  Frame3d(dc, client, GetSysColor(COLOR_BTNSHADOW), GetSysColor(COLOR_BTNHIGHLIGHT));
  const RECT well{client.left + 1, client.top + 1, client.right - 1, client.bottom - 1};
  FillSolid(dc, well, colors.Background);
  const RECT inside{well.left + margin, well.top + margin, well.right - margin, well.bottom - margin};
  if (inside.right <= inside.left || inside.bottom <= inside.top) return;
  const long long span = maximum - minimum;
  if (ledSpacing > 0 && span != 0) {
    // Segments k = 0, 1, ... start at k x spacing units; every one that starts below the
    // value is lit whole, the last possibly cut at the well's end.
    const long long length = horizontal ? inside.Width() : inside.Height();
    const long long filled = value - minimum;
    for (long long start = 0; start < filled; start += ledSpacing) {
      const long long from = start * length / span;
      const long long lit = std::max<long long>(1, static_cast<long long>(ledSpacing) * ledThickness * length / (100 * span));
      const long long to = std::min(length, from + lit);
      if (from >= length) break;
      const RECT segment = horizontal ? RECT{inside.left + static_cast<LONG>(from), inside.top,
                                             inside.left + static_cast<LONG>(to), inside.bottom}
                                      : RECT{inside.left, inside.bottom - static_cast<LONG>(to), inside.right,
                                             inside.bottom - static_cast<LONG>(from)};
      FillSolid(dc, segment, barColor);
    }
    return;
  }
  RECT bar = inside;
  if (horizontal) {
    bar.right = inside.left + static_cast<LONG>(span == 0 ? 0 : (value - minimum) * static_cast<long long>(inside.Width()) / span);
  } else {
    bar.top = inside.bottom - static_cast<LONG>(span == 0 ? 0 : (value - minimum) * static_cast<long long>(inside.Height()) / span);
  }
  FillSolid(dc, bar, barColor);
  if (!horizontal) return;
  char text[64];
  std::snprintf(text, sizeof text, format.c_str(), Percent());
  SelectFont(dc);
  dc.SetBkMode(TRANSPARENT);
  // The text in two halves: light where it lies over the bar, dark over the background.
  RECT area = well;
  dc.IntersectClipRect(bar);
  dc.SetTextColor(GetSysColor(COLOR_HIGHLIGHTTEXT));
  dc.DrawText(text, -1, area, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  dc.SelectClipRgn(nullptr);
  dc.IntersectClipRect({bar.right, well.top, well.right, well.bottom});
  dc.SetTextColor(colors.Text);
  dc.DrawText(text, -1, area, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  dc.SelectClipRgn(nullptr);
}
