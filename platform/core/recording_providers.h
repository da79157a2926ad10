#pragma once
// Providers for tests: they record what was asked and give set answers. Installing one
// in the constructor and restoring the previous provider in the destructor keeps tests
// independent of each other.

#include <deque>
#include <string>
#include <vector>

#include "platform/core/clock.h"
#include "platform/core/cursor.h"
#include "platform/core/message_box.h"

struct TRecordedMessageBox {
  HWND owner = nullptr;
  std::string text;
  std::string caption;
  UINT flags = 0;
};

class TRecordingMessageBoxProvider final : public TMessageBoxProvider {
 public:
  TRecordingMessageBoxProvider();
  ~TRecordingMessageBoxProvider() override;
  TRecordingMessageBoxProvider(const TRecordingMessageBoxProvider &) = delete;
  TRecordingMessageBoxProvider &operator=(const TRecordingMessageBoxProvider &) = delete;

  int ShowMessageBox(HWND owner, const std::string &text, const std::string &caption,
                     UINT flags) override;
  void Beep(UINT soundType) override;

  // Answers given in order; once they run out, boxes answer IDOK.
  void QueueAnswer(int answer) { answers.push_back(answer); }

  std::vector<TRecordedMessageBox> boxes;
  std::vector<UINT> beeps;

 private:
  std::deque<int> answers;
  TMessageBoxProvider *previous;
};

class TRecordingCursorProvider final : public TCursorProvider {
 public:
  TRecordingCursorProvider();
  ~TRecordingCursorProvider() override;
  TRecordingCursorProvider(const TRecordingCursorProvider &) = delete;
  TRecordingCursorProvider &operator=(const TRecordingCursorProvider &) = delete;

  void SetCursorShape(TCursorShape shape) override { shapes.push_back(shape); }
  std::vector<TCursorShape> shapes;

 private:
  TCursorProvider *previous;
};

// A clock that moves only when the test says so.
class TManualClockProvider final : public TClockProvider {
 public:
  explicit TManualClockProvider(DWORD start = 0);
  ~TManualClockProvider() override;
  TManualClockProvider(const TManualClockProvider &) = delete;
  TManualClockProvider &operator=(const TManualClockProvider &) = delete;

  DWORD TickCount() override { return now; }
  void Advance(DWORD milliseconds) { now += milliseconds; }
  DWORD now;

 private:
  TClockProvider *previous;
};
