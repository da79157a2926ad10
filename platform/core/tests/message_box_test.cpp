#include "platform/core/message_box.h"

#include <gtest/gtest.h>

#include "platform/core/clock.h"
#include "platform/core/recording_providers.h"

TEST(MessageBoxProvider, RecordsTextCaptionFlagsAndGivesQueuedAnswers) {
  TRecordingMessageBoxProvider recorder;
  recorder.QueueAnswer(IDNO);
  EXPECT_EQ(MessageBox(nullptr, "Save changes?", "Editor", MB_YESNO | MB_ICONQUESTION), IDNO);
  EXPECT_EQ(MessageBox(nullptr, "Done", "Editor", MB_OK), IDOK);
  ASSERT_EQ(recorder.boxes.size(), 2u);
  EXPECT_EQ(recorder.boxes[0].text, "Save changes?");
  EXPECT_EQ(recorder.boxes[0].caption, "Editor");
  EXPECT_EQ(recorder.boxes[0].flags, MB_YESNO | MB_ICONQUESTION);
}

TEST(MessageBoxProvider, NotEnoughMemoryBoxHasItsFixedTextAndCaption) {
  TRecordingMessageBoxProvider recorder;
  ShowNotEnoughMemory();
  ASSERT_EQ(recorder.boxes.size(), 1u);
  EXPECT_EQ(recorder.boxes[0].text, "Not enough memory");
  EXPECT_EQ(recorder.boxes[0].caption, " Memory ");
  EXPECT_EQ(recorder.boxes[0].flags & MB_ICONMASK, MB_ICONINFORMATION);
}

TEST(MessageBoxProvider, BeepsAreRecordedAndProviderIsRestored) {
  TMessageBoxProvider *before = &CurrentMessageBoxProvider();
  {
    TRecordingMessageBoxProvider recorder;
    MessageBeep(MB_SIMPLEBEEP);
    ASSERT_EQ(recorder.beeps.size(), 1u);
    EXPECT_EQ(recorder.beeps[0], MB_SIMPLEBEEP);
    EXPECT_EQ(&CurrentMessageBoxProvider(), &recorder);
  }
  EXPECT_EQ(&CurrentMessageBoxProvider(), before);
}

TEST(ClockProvider, ManualClockStepsOnlyWhenAdvanced) {
  TManualClockProvider clock(0xFFFFFFF0u);
  EXPECT_EQ(GetTickCount(), 0xFFFFFFF0u);
  clock.Advance(0x20);
  // The 32-bit tick count wraps; callers subtract ticks as unsigned values.
  EXPECT_EQ(GetTickCount(), 0x10u);
  EXPECT_EQ(static_cast<DWORD>(GetTickCount() - 0xFFFFFFF0u), 0x20u);
}

TEST(ClockProvider, DefaultClockNeverRunsBackwards) {
  const DWORD first = GetTickCount();
  const DWORD second = GetTickCount();
  EXPECT_LE(static_cast<DWORD>(second - first), 1000u);
}

TEST(Colors, RgbPacksAsBlueGreenRed) {
  EXPECT_EQ(RGB(0x12, 0x34, 0x56), 0x00563412u);
  EXPECT_EQ(GetRValue(0x00563412u), 0x12);
  EXPECT_EQ(GetGValue(0x00563412u), 0x34);
  EXPECT_EQ(GetBValue(0x00563412u), 0x56);
}
