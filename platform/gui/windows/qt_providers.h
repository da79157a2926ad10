#pragma once
// The Qt implementations of platform/core's providers: message boxes and beeps, the cursor
// shape and the monotonic clock. Constructing TQtProviders installs all of them; its
// destructor puts the previous ones back.

#include <QElapsedTimer>

#include "platform/core/clock.h"
#include "platform/core/cursor.h"
#include "platform/core/message_box.h"

class TQtMessageBoxProvider final : public TMessageBoxProvider {
 public:
  int ShowMessageBox(HWND owner, const std::string &text, const std::string &caption,
                     UINT flags) override;
  void Beep(UINT soundType) override;
};

class TQtCursorProvider final : public TCursorProvider {
 public:
  ~TQtCursorProvider() override;
  void SetCursorShape(TCursorShape shape) override;

 private:
  bool waiting = false;
};

class TQtClockProvider final : public TClockProvider {
 public:
  TQtClockProvider();
  DWORD TickCount() override;

 private:
  QElapsedTimer timer;
};

class TQtProviders {
 public:
  TQtProviders();
  ~TQtProviders();
  TQtProviders(const TQtProviders &) = delete;
  TQtProviders &operator=(const TQtProviders &) = delete;

 private:
  TQtMessageBoxProvider messageBoxes;
  TQtCursorProvider cursor;
  TQtClockProvider clock;
  TMessageBoxProvider *previousMessageBoxes;
  TCursorProvider *previousCursor;
  TClockProvider *previousClock;
};

// The buttons and answers of a box type, as the Qt provider maps them (tested alone).
struct TMessageBoxButton {
  int StandardButton;  // a QMessageBox::StandardButton
  int Answer;          // the ID* value it gives
};
int MessageBoxButtons(UINT flags, TMessageBoxButton buttons[3]);
