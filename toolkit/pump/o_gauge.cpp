#include "toolkit/pump/o_gauge.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr const char *kDefaultFormat = "%d %%";

}  // namespace

TOGauge::TOGauge(TWindow *parentWindow, const char *titleText, int id, int xPos, int yPos, int w,
                 int h, bool isHorizontal, int barMargin, TModule *module)
    : TGauge(parentWindow, titleText, id, xPos, yPos, w, h, isHorizontal, barMargin, module),
      gaugeId(id) {}

TOGauge::TOGauge(TWindow *parentWindow, int id, const char *formatText, bool isHorizontal,
                 int barMargin, TModule *module)
    : TGauge(parentWindow, formatText != nullptr ? formatText : kDefaultFormat, id, 0, 0, 0, 0,
             isHorizontal, barMargin, module),
      placeholder(new TControl(parentWindow, id, module)),
      gaugeId(id) {
  // Until it is made, the gauge answers to no id, so that the dialog gives the template's
  // item to the placeholder and not to the gauge of the same id.
  Attr.Id = IDC_STATIC;
}

bool TOGauge::Create() {
  Attr.Id = gaugeId;
  return TGauge::Create();
}

void TOGauge::MoveOverControl() {
  if (placeholder == nullptr || !placeholder->IsWindow() || GetParentO() == nullptr) return;
  const RECT screen = placeholder->GetWindowRect();
  POINT topLeft{screen.left, screen.top};
  GetParentO()->ScreenToClient(topLeft);
  MoveWindow(topLeft.x, topLeft.y, screen.right - screen.left, screen.bottom - screen.top, true);
}

void TOGauge::SetRange(double minValue, double maxValue) {
  minimum = minValue;
  maximum = maxValue;
}

void TOGauge::GetRange(double &minValue, double &maxValue) const {
  minValue = minimum;
  maxValue = maximum;
}

int TOGauge::SetPosition(double newPosition) {
  position = newPosition;
  const double span = maximum - minimum;
  double percent = span != 0.0 ? (newPosition - minimum) * 100.0 / span : 0.0;
  // An empty range, or a range or value that is not finite, has no percentage to show.
  if (!std::isfinite(percent)) percent = 0.0;
  const int shown = static_cast<int>(std::clamp(percent, 0.0, 100.0));
  SetValue(shown);
  return shown;
}

int TOGauge::StepAndPump(double newPosition) {
  SetPosition(newPosition);
  return Pump();
}

int TOGauge::Maximum() const {
  if (!std::isfinite(maximum)) return 0;
  return static_cast<int>(std::clamp(maximum, -2.0e9, 2.0e9));
}

void TOGauge::SetText(const char *text) {
  TWindow *owner = GetParentO();
  if (owner == nullptr) return;
  if (TWindow *line = owner->ChildWithId(kProgressTextControl)) line->SetWindowText(text != nullptr ? text : "");
}
