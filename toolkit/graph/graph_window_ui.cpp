#include "toolkit/graph/graph_window_ui.h"

#include "platform/gui/windows/window.h"

#include <QAction>
#include <QColor>
#include <QColorDialog>
#include <QCursor>
#include <QMenu>
#include <QPoint>
#include <QString>

namespace {

QColor ToQColor(COLORREF color) {
  return QColor(GetRValue(color), GetGValue(color), GetBValue(color));
}

// The desktop's own menu and colour dialog.
class TDesktopGraphWindowUi final : public TGraphWindowUi {
 public:
  UINT TrackMenu(TWindow &owner, const std::vector<TGraphMenuItem> &items,
                 POINT screenPoint) override {
    QMenu menu(owner.HostWidget());
    for (const TGraphMenuItem &item : items) {
      if (item.Id == 0) {
        menu.addSeparator();
        continue;
      }
      QAction *action = menu.addAction(QString::fromStdString(item.Text));
      action->setData(item.Id);
      action->setCheckable(item.Checked);
      action->setChecked(item.Checked);
    }
    QAction *chosen = menu.exec(QPoint(screenPoint.x, screenPoint.y));
    return chosen != nullptr ? chosen->data().toUInt() : 0;
  }

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
