#include "platform/gui/controls/scroll_bar.h"

#include <QScrollBar>
#include <QSignalBlocker>
#include <algorithm>

#include "platform/gui/windows/key_codes.h"

TScrollBar::TScrollBar(TWindow *parentWindow, int id, int xPos, int yPos, int w, int h, bool isHorizontal,
                       TModule *module)
    : TControl(parentWindow, id, nullptr, xPos, yPos, w, h, module) {
  Attr.Style |= isHorizontal ? SBS_HORZ : SBS_VERT;
}

TScrollBar::TScrollBar(TWindow *parentWindow, int resourceId, TModule *module)
    : TControl(parentWindow, resourceId, module) {}

void TScrollBar::Tell(UINT code, int pos) {
  TWindow *owner = GetParentO();
  if (owner == nullptr || !owner->IsWindow()) return;
  const UINT msg = (GetStyle() & SBS_VERT) ? WM_VSCROLL : WM_HSCROLL;
  owner->SendMessage(msg, static_cast<WPARAM>(MAKELPARAM(static_cast<int>(code), pos)),
                     reinterpret_cast<LPARAM>(GetHandle()));
}

void TScrollBar::SetupWindow() {
  TControl::SetupWindow();
  bar = new QScrollBar((GetStyle() & SBS_VERT) ? Qt::Vertical : Qt::Horizontal);
  bar->setRange(minimum, maximum);
  bar->setValue(position);
  QObject::connect(bar, &QAbstractSlider::actionTriggered, bar, [this](int action) {
    UINT code = SB_ENDSCROLL;
    if (!ScrollCodeOfAction(action, code)) return;
    const int pos = bar->sliderPosition();
    if (code != SB_THUMBTRACK) bar->setSliderPosition(position);  // the parent decides
    Tell(code, pos);
  });
  QObject::connect(bar, &QAbstractSlider::sliderReleased, bar, [this]() {
    Tell(SB_THUMBPOSITION, bar->sliderPosition());
    Tell(SB_ENDSCROLL, 0);
    const QSignalBlocker blocker(bar);
    bar->setValue(position);
  });
  SetNativeWidget(bar);
}

void TScrollBar::GetRange(int &minValue, int &maxValue) {
  SendMessage(SBM_GETRANGE, reinterpret_cast<WPARAM>(&minValue), reinterpret_cast<LPARAM>(&maxValue));
}

LRESULT TScrollBar::DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case SBM_SETRANGE:
    case SBM_SETRANGEREDRAW: {
      minimum = static_cast<int>(static_cast<std::intptr_t>(wParam));
      maximum = std::max(minimum, static_cast<int>(lParam));
      position = std::clamp(position, minimum, maximum);
      if (bar != nullptr) {
        const QSignalBlocker blocker(bar);
        bar->setRange(minimum, maximum);
        bar->setValue(position);
      }
      return 1;
    }
    case SBM_GETRANGE:
      if (wParam != 0) *reinterpret_cast<int *>(wParam) = minimum;
      if (lParam != 0) *reinterpret_cast<int *>(lParam) = maximum;
      return 0;
    case SBM_SETPOS: {
      const int previous = position;
      position = std::clamp(static_cast<int>(static_cast<std::intptr_t>(wParam)), minimum, maximum);
      if (bar != nullptr) {
        const QSignalBlocker blocker(bar);
        bar->setValue(position);
      }
      return previous;
    }
    case SBM_GETPOS:
      return position;
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS;
    default:
      return TControl::DefWindowProc(msg, wParam, lParam);
  }
}
