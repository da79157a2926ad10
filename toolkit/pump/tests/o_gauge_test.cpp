// The progress gauge: its percentage of a floating-point range, its picture against the
// plain gauge's, Escape through StepAndPump, its progress text, and a PSF computation that
// reports to it and stops at Escape.

#include "toolkit/pump/o_gauge.h"

#include <gtest/gtest.h>

#include <QImage>
#include <cmath>
#include <limits>
#include <memory>

#include "optics/glass/glass_catalog.h"
#include "optics/model/model_globals.h"
#include "optics/model/optical_system.h"
#include "optics/psf/psf_progress.h"
#include "platform/core/recording_providers.h"
#include "platform/gui/controls/static_control.h"
#include "platform/gui/windows/test_kit.h"

namespace {

constexpr int kGaugeId = 300;
constexpr int kEscape = 27;

class OGauge : public ::testing::Test {
 protected:
  void SetUp() override {
    test_kit::EnsureApplication();
    frame = new TWindow(nullptr, "frame");
    frame->Attr.Style = WS_POPUP | WS_VISIBLE;
    frame->Attr.W = 320;
    frame->Attr.H = 120;
    ASSERT_TRUE(frame->Create());
    frame->SetBkgndColor(0xC0C0C0);
  }
  void TearDown() override { delete frame; }

  // A gauge of the frame, created and painted.
  template <class Gauge, class... Args>
  Gauge *Make(Args... args) {
    auto *gauge = new Gauge(frame, args...);
    EXPECT_TRUE(gauge->Create());
    return gauge;
  }
  static QImage Picture(TWindow &window) {
    window.Invalidate();
    window.UpdateWindow();
    return test_kit::WindowPixels(window);
  }
  TWindow *frame = nullptr;
};

TEST_F(OGauge, ShowsTheWholePercentOfItsRange) {
  auto *gauge = Make<TOGauge>("", kGaugeId, 10, 10, 200, 24);
  EXPECT_EQ(gauge->SetPosition(37.9), 37);
  EXPECT_EQ(gauge->GetValue(), 37);
  EXPECT_EQ(gauge->GetPosition(), 37.9);
  // "37 %": the same picture as the plain gauge at 37 of 0..100, and not the one at 38.
  auto *plain = Make<TGauge>("%d %%", kGaugeId + 1, 10, 50, 200, 24);
  plain->SetValue(37);
  const QImage shown = Picture(*gauge);
  EXPECT_EQ(shown, Picture(*plain));
  plain->SetValue(38);
  EXPECT_NE(shown, Picture(*plain));

  // Another range: 2.5 of -5..5 is three quarters.
  gauge->SetRange(-5.0, 5.0);
  double low = 0.0, high = 0.0;
  gauge->GetRange(low, high);
  EXPECT_EQ(low, -5.0);
  EXPECT_EQ(high, 5.0);
  EXPECT_EQ(gauge->SetPosition(2.5), 75);
  EXPECT_EQ(gauge->Maximum(), 5);
}

TEST_F(OGauge, EmptyRangeOrNonNumberShowsNothingInsteadOfDividingByZero) {
  auto *gauge = Make<TOGauge>("", kGaugeId, 10, 10, 200, 24);
  gauge->SetPosition(50.0);
  gauge->SetRange(3.0, 3.0);
  EXPECT_EQ(gauge->SetPosition(3.0), 0);
  EXPECT_EQ(gauge->SetPosition(7.0), 0);
  EXPECT_EQ(gauge->GetValue(), 0);
  gauge->SetRange(0.0, 10.0);
  EXPECT_EQ(gauge->SetPosition(std::numeric_limits<double>::quiet_NaN()), 0);
  // Past either end the bar stops at its end.
  EXPECT_EQ(gauge->SetPosition(1.0e300), 100);
  EXPECT_EQ(gauge->SetPosition(-4.0), 0);
}

TEST_F(OGauge, StepAndPumpAnswersZeroAfterEscape) {
  auto *gauge = Make<TOGauge>("", kGaugeId, 10, 10, 200, 24);
  // Nothing entered: no computation to keep going.
  EXPECT_EQ(gauge->StepAndPump(1.0), 0);
  gauge->Enter();
  EXPECT_EQ(gauge->StepAndPump(10.0), 1);
  test_kit::PostKey(*frame, kEscape);
  EXPECT_EQ(gauge->StepAndPump(20.0), 0);
  EXPECT_EQ(gauge->GetValue(), 20);
  // The cancelled computation has left: later steps stop too.
  EXPECT_EQ(gauge->StepAndPump(30.0), 0);
  // Another cancel key, pressed with Alt.
  gauge->SetCancelKey('Q');
  gauge->Enter();
  test_kit::PostKey(*frame, kEscape);
  EXPECT_EQ(gauge->StepAndPump(40.0), 1);
  test_kit::PostKey(*frame, 'Q', true);
  EXPECT_EQ(gauge->StepAndPump(50.0), 0);
}

TEST_F(OGauge, TextGoesToTheProgressLineOfItsWindow) {
  auto *line = Make<TStatic>(kProgressTextControl, "", 10, 80, 300, 16);
  auto *gauge = Make<TOGauge>("", kGaugeId, 10, 10, 200, 24);
  TProgressGauge &progress = *gauge;
  progress.SetText("PSF nodes. Times: elapsed- 00:01, estimated- 00:10");
  EXPECT_EQ(line->GetWindowText(), "PSF nodes. Times: elapsed- 00:01, estimated- 00:10");
}

// Presses Escape (as the user would, into the window) when the bar reaches a step.
class TEscapeAtStep final : public TOGauge {
 public:
  TEscapeAtStep(TWindow *parentWindow, int escapeStep)
      : TOGauge(parentWindow, "", kGaugeId, 10, 10, 200, 24), step_(escapeStep) {}
  int StepAndPump(double newPosition) override {
    positions.push_back(newPosition);
    if (static_cast<int>(newPosition) == step_) test_kit::PostKey(*GetParentO(), kEscape);
    return TOGauge::StepAndPump(newPosition);
  }
  std::vector<double> positions;

 private:
  int step_;
};

TEST_F(OGauge, PsfComputationShowsProgressAndStopsAtEscape) {
  const std::string root = std::string(TEST_SOURCE_DIR) + "/..";
  TGlassCatalog catalog(root + "/resources/cglass", "schott");
  SetGlassCatalog(&catalog);
  TRecordingMessageBoxProvider boxes;
  TOpticalSystem system;
  ASSERT_EQ(system.ReadFile(root + "/resources/examples/parabolic_mirror.os", 0), 1);
  system.info.Nd = 64;
  system.info.Difrac = 1;

  auto *line = Make<TStatic>(kProgressTextControl, "", 10, 80, 300, 16);
  auto *gauge = Make<TEscapeAtStep>(12);
  SetPsfGauge(gauge);
  gauge->Enter();
  // The rows of the pupil are the steps; the window sets the range to them.
  gauge->SetRange(0.0, 64.0);
  BeginPsfJob();
  const int result = system.ComputePSFNodes(0.0, 0.0, 1);
  SetPsfGauge(nullptr);
  SetGlassCatalog(nullptr);

  EXPECT_EQ(result, 0);
  EXPECT_TRUE(PsfCancelled());
  ASSERT_EQ(gauge->positions.size(), 12u);
  EXPECT_EQ(gauge->positions.front(), 1.0);
  EXPECT_EQ(gauge->GetValue(), 12 * 100 / 64);
  EXPECT_EQ(line->GetWindowText().rfind("PSF nodes. Times: elapsed- ", 0), 0u);
  EXPECT_EQ(gauge->Queue().BusyCount(), 0);
}

}  // namespace
