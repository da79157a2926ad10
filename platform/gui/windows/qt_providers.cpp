#include "platform/gui/windows/qt_providers.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMessageBox>

#include "platform/gui/windows/modal_scope.h"
#include "platform/gui/windows/window.h"

int MessageBoxButtons(UINT flags, TMessageBoxButton buttons[3]) {
  switch (flags & MB_TYPEMASK) {
    case MB_OKCANCEL:
      buttons[0] = {QMessageBox::Ok, IDOK};
      buttons[1] = {QMessageBox::Cancel, IDCANCEL};
      return 2;
    case MB_ABORTRETRYIGNORE:
      buttons[0] = {QMessageBox::Abort, IDABORT};
      buttons[1] = {QMessageBox::Retry, IDRETRY};
      buttons[2] = {QMessageBox::Ignore, IDIGNORE};
      return 3;
    case MB_YESNOCANCEL:
      buttons[0] = {QMessageBox::Yes, IDYES};
      buttons[1] = {QMessageBox::No, IDNO};
      buttons[2] = {QMessageBox::Cancel, IDCANCEL};
      return 3;
    case MB_YESNO:
      buttons[0] = {QMessageBox::Yes, IDYES};
      buttons[1] = {QMessageBox::No, IDNO};
      return 2;
    case MB_RETRYCANCEL:
      buttons[0] = {QMessageBox::Retry, IDRETRY};
      buttons[1] = {QMessageBox::Cancel, IDCANCEL};
      return 2;
    default:
      buttons[0] = {QMessageBox::Ok, IDOK};
      return 1;
  }
}

int TQtMessageBoxProvider::ShowMessageBox(HWND owner, const std::string &text,
                                          const std::string &caption, UINT flags) {
  TWindow *ownerWindow = WindowFromHandle(owner);
  QMessageBox box(ownerWindow != nullptr ? ownerWindow->HostWidget() : nullptr);
  box.setWindowTitle(QString::fromStdString(caption));
  box.setText(QString::fromStdString(text));
  switch (flags & MB_ICONMASK) {
    case MB_ICONHAND: box.setIcon(QMessageBox::Critical); break;
    case MB_ICONQUESTION: box.setIcon(QMessageBox::Question); break;
    case MB_ICONEXCLAMATION: box.setIcon(QMessageBox::Warning); break;
    case MB_ICONASTERISK: box.setIcon(QMessageBox::Information); break;
    default: break;
  }
  TMessageBoxButton buttons[3];
  const int count = MessageBoxButtons(flags, buttons);
  QMessageBox::StandardButtons standard;
  for (int i = 0; i < count; ++i) standard |= static_cast<QMessageBox::StandardButton>(buttons[i].StandardButton);
  box.setStandardButtons(standard);
  const int defaultIndex = (flags & MB_DEFBUTTON3) ? 2 : (flags & MB_DEFBUTTON2) ? 1 : 0;
  if (defaultIndex < count) {
    box.setDefaultButton(static_cast<QMessageBox::StandardButton>(buttons[defaultIndex].StandardButton));
  }
  int chosen = 0;
  {
    // A box made without an owner is modal to the whole program, as one with an owner.
    const TModalScope scope(&box);
    chosen = box.exec();
  }
  for (int i = 0; i < count; ++i) {
    if (chosen == buttons[i].StandardButton) return buttons[i].Answer;
  }
  // Closed without a button: the answer that cancels, else the default one.
  for (int i = 0; i < count; ++i) {
    if (buttons[i].Answer == IDCANCEL) return IDCANCEL;
  }
  return buttons[defaultIndex < count ? defaultIndex : 0].Answer;
}

void TQtMessageBoxProvider::Beep(UINT) { QApplication::beep(); }

TQtCursorProvider::~TQtCursorProvider() {
  if (waiting && QGuiApplication::instance() != nullptr) QGuiApplication::restoreOverrideCursor();
}

void TQtCursorProvider::SetCursorShape(TCursorShape shape) {
  const bool wantWait = shape == TCursorShape::Wait;
  if (wantWait == waiting) return;
  waiting = wantWait;
  if (wantWait) {
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
  } else {
    QGuiApplication::restoreOverrideCursor();
  }
}

TQtClockProvider::TQtClockProvider() { timer.start(); }

DWORD TQtClockProvider::TickCount() { return static_cast<DWORD>(timer.elapsed()); }

TQtProviders::TQtProviders()
    : previousMessageBoxes(SetMessageBoxProvider(&messageBoxes)),
      previousCursor(SetCursorProvider(&cursor)),
      previousClock(SetClockProvider(&clock)) {}

TQtProviders::~TQtProviders() {
  SetMessageBoxProvider(previousMessageBoxes);
  SetCursorProvider(previousCursor);
  SetClockProvider(previousClock);
}
