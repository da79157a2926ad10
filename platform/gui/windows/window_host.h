#pragma once
// The QWidget behind a TWindow: it shows the window's image and turns Qt's events into the
// window's messages. Internal to the window layer.

#include <cstdint>

#include <QPoint>
#include <QWidget>

#include "platform/core/types.h"

class QScrollBar;
class TWindow;

// Starts following the keys and buttons held (GetKeyState); once per program.
void WatchKeyState();
// Lets go of every key and button held, as at the program's start.
void ForgetKeyState();

class TWindowHost final : public QWidget {
 public:
  TWindowHost(TWindow *owner, QWidget *parentWidget, Qt::WindowFlags flags);
  ~TWindowHost() override;
  TWindowHost(const TWindowHost &) = delete;
  TWindowHost &operator=(const TWindowHost &) = delete;

  TWindow *Owner() const { return owner; }
  // The window object is going away: from now on the host delivers nothing.
  void Detach() { owner = nullptr; }
  QScrollBar *ScrollBar(int bar, bool create);
  // Starts moving the window with the mouse from a press on its drawn caption.
  void BeginCaptionDrag(const QPoint &globalPos);
  // The window state changed and its new size has not come yet: WM_SIZE waits for it.
  bool SizePending() const { return sizePending; }
  // When the window last came to the top of the screen (shown or raised; activating a
  // window does not raise it by itself): a later window stands over an earlier one.
  std::uint64_t StackStamp() const { return stackStamp; }

 protected:
  bool event(QEvent *event) override;
  bool focusNextPrevChild(bool next) override;
  void paintEvent(QPaintEvent *event) override;
  void resizeEvent(QResizeEvent *event) override;
  void moveEvent(QMoveEvent *event) override;
  void changeEvent(QEvent *event) override;
  void closeEvent(QCloseEvent *event) override;
  void mousePressEvent(QMouseEvent *event) override;
  void mouseReleaseEvent(QMouseEvent *event) override;
  void mouseDoubleClickEvent(QMouseEvent *event) override;
  void mouseMoveEvent(QMouseEvent *event) override;
  void wheelEvent(QWheelEvent *event) override;
  void keyPressEvent(QKeyEvent *event) override;
  void keyReleaseEvent(QKeyEvent *event) override;
  void timerEvent(QTimerEvent *event) override;

 private:
  void SendMouse(QMouseEvent *event, UINT msgOffset);
  void SendKey(QKeyEvent *event, bool down);

  TWindow *owner;
  QScrollBar *hBar = nullptr;
  QScrollBar *vBar = nullptr;
  bool dragging = false;
  bool sizePending = false;
  HWND pressTarget = nullptr;  // the window the last press went to (HTTRANSPARENT passes it on)
  std::uint64_t stackStamp = 0;
  QPoint dragOffset;  // cursor position less the window's top-left, screen pixels
};
