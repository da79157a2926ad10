#include "platform/gui/controls/native_colors.h"

#include <QEvent>
#include <QImage>
#include <QPalette>
#include <QWidget>

#include "platform/gui/controls/control.h"
#include "platform/gui/drawing/dc.h"

namespace {

QColor ToQColor(COLORREF color) { return QColor(GetRValue(color), GetGValue(color), GetBValue(color)); }

}  // namespace

TNativeColors::TNativeColors(TControl &owner, UINT colorKind, QWidget *shown, QWidget *painted)
    : QObject(shown), handle(owner.GetHandle()), kind(colorKind), widget(shown) {
  painted->installEventFilter(this);
}

void TNativeColors::Apply() {
  auto *control = dynamic_cast<TControl *>(WindowFromHandle(handle));
  if (control == nullptr) return;
  // The parent's handler sets colours on a context of ours: a scratch one, never drawn.
  QImage scratch(1, 1, QImage::Format_RGB32);
  TDC dc(&scratch, POINT{0, 0}, RECT{0, 0, 1, 1});
  const TControlColors colors = control->ParentColors(dc, kind);
  if (colors.Background == background && colors.Text == text) return;
  background = colors.Background;
  text = colors.Text;
  QPalette palette = widget->palette();
  for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
    palette.setColor(group, QPalette::Base, ToQColor(background));
    palette.setColor(group, QPalette::Window, ToQColor(background));
    palette.setColor(group, QPalette::Text, ToQColor(text));
    palette.setColor(group, QPalette::WindowText, ToQColor(text));
    palette.setColor(group, QPalette::ButtonText, ToQColor(text));
  }
  widget->setPalette(palette);
}

bool TNativeColors::eventFilter(QObject *, QEvent *event) {
  if (event->type() == QEvent::Paint) Apply();
  return false;
}
