#pragma once
// A test's frame that asks for help: the help viewer opens owned by it and is closed, with
// the frame, after each case; message boxes are recorded rather than shown.

#include <gtest/gtest.h>

#include "platform/core/recording_providers.h"
#include "platform/gui/bars/frame_window.h"
#include "platform/gui/windows/test_kit.h"
#include "toolkit/help/win_help.h"

class HelpOwnerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test_kit::EnsureApplication();
    owner_ = new TFrameWindow(nullptr, "Owner");
    ASSERT_TRUE(owner_->Create());
  }
  void TearDown() override {
    WinHelp(owner_->GetHandle(), nullptr, HELP_QUIT, 0);
    owner_->Destroy();
    delete owner_;
  }
  TFrameWindow *owner_ = nullptr;
  TRecordingMessageBoxProvider boxes_;
};
