#include "toolkit/graph/graph_window_ui.h"

#include "platform/gui/windows/window.h"

#include <QColor>
#include <QColorDialog>

namespace {

QColor ToQColor(COLORREF color) {
  return QColor(GetRValue(color), GetGValue(color), GetBValue(color));
}

// The desktop's own colour dialog.
class TDesktopGraphWindowUi final : public TGraphWindowUi {
 public:
  bool ChooseColor(TWindow &owner, COLORREF current, COLORREF customColors[16],
                   COLORREF &chosen) override {
    for (int i = 0; i < 16 && i < QColorDialog::customCount(); ++i) {
      QColorDialog::setCustomColor(i, ToQColor(customColors[i]));
    }
    const QColor color = QColorDialog::getColor(ToQColor(current), owner.HostWidget());
    if (!color.isValid()) return false;
    chosen = RGB(color.red(), color.green(), color.blue());
    return true;
  }
};

TGraphWindowUi *installed = nullptr;

}  // namespace

TGraphWindowUi *SetGraphWindowUi(TGraphWindowUi *ui) {
  TGraphWindowUi *previous = installed;
  installed = ui;
  return previous;
}

TGraphWindowUi &CurrentGraphWindowUi() {
  static TDesktopGraphWindowUi desktop;
  return installed != nullptr ? *installed : desktop;
}
