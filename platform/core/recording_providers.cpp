#include "platform/core/recording_providers.h"

TRecordingMessageBoxProvider::TRecordingMessageBoxProvider()
    : previous(SetMessageBoxProvider(this)) {}

TRecordingMessageBoxProvider::~TRecordingMessageBoxProvider() { SetMessageBoxProvider(previous); }

int TRecordingMessageBoxProvider::ShowMessageBox(HWND owner, const std::string &text,
                                                 const std::string &caption, UINT flags) {
  boxes.push_back({owner, text, caption, flags});
  if (answers.empty()) return IDOK;
  const int answer = answers.front();
  answers.pop_front();
  return answer;
}

void TRecordingMessageBoxProvider::Beep(UINT soundType) { beeps.push_back(soundType); }

TRecordingCursorProvider::TRecordingCursorProvider() : previous(SetCursorProvider(this)) {}

TRecordingCursorProvider::~TRecordingCursorProvider() { SetCursorProvider(previous); }

TManualClockProvider::TManualClockProvider(DWORD start)
    : now(start), previous(SetClockProvider(this)) {}

TManualClockProvider::~TManualClockProvider() { SetClockProvider(previous); }
