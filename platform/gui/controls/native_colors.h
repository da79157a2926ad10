#pragma once
// The colours of a control shown by a Qt widget: before the widget paints, the control's
// parent is asked (WM_CTLCOLOR*) and the answer becomes the widget's palette. The widget
// outlives its control (Qt deletes it later, and a grab may paint it meanwhile): the control
// is looked up by its handle at each paint, and a destroyed one is never asked.

#include <QObject>

#include "platform/core/types.h"

class QWidget;
class TControl;

class TNativeColors final : public QObject {
 public:
  // Watches `painted` (the widget, or the viewport it paints on) for `control` of `kind`.
  TNativeColors(TControl &control, UINT kind, QWidget *widget, QWidget *painted);
  // Asks the parent now and gives the widget the colours (repaints only on a change).
  void Apply();

 protected:
  bool eventFilter(QObject *watched, QEvent *event) override;

 private:
  HWND handle;
  UINT kind;
  QWidget *widget;
  COLORREF background = 0xFFFFFFFF;
  COLORREF text = 0xFFFFFFFF;
};
