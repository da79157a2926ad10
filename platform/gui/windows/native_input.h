#pragma once
// The input side of a window shown by a Qt widget of its own (TWindow::SetNativeWidget):
// the widget's keys and mouse buttons become the window's messages first, and the
// window's default processing of them hands them to the widget. Internal to the window
// layer.

#include <QObject>
#include <QPointer>
#include <memory>

#include "platform/core/types.h"

class QEvent;
class QWidget;
class TWindow;

class TNativeInput final : public QObject {
 public:
  TNativeInput(TWindow &owner, QWidget *widget);
  ~TNativeInput() override;
  TNativeInput(const TNativeInput &) = delete;
  TNativeInput &operator=(const TNativeInput &) = delete;

  QWidget *Widget() const { return widget; }
  // The default processing of an input message: the widget's own handling (now, inside the
  // handler that asked). False for messages the widget does not take.
  bool Default(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT &result);
  // Places the widget over the window's client area.
  void Layout();
  // The window is going: nothing more is translated or handed on.
  void Detach();

 protected:
  bool eventFilter(QObject *watched, QEvent *event) override;

 private:
  bool TranslateKey(QObject *watched, QEvent *event);
  bool TranslateMouse(QObject *watched, QEvent *event);
  void Deliver(QObject *target, QEvent &event);

  TWindow *owner;
  QPointer<QWidget> widget;
  // The Qt event being translated, so the default processing can hand on that very event.
  struct TPending {
    QObject *target = nullptr;
    QEvent *event = nullptr;
    UINT msg = 0;
    bool delivered = false;
  };
  TPending pending;
  bool delivering = false;  // our own hand-over passes the filter
};

bool NativeDefault(TNativeInput &input, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT &result);
void DeleteNativeInput(TNativeInput *input);
