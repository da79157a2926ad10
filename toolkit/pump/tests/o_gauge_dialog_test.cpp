// The gauge of a dialog: laid over its placeholder control once the dialog is made.

#include <gtest/gtest.h>

#include <memory>

#include "platform/gui/windows/test_kit.h"
#include "toolkit/dialogs/color_dlg.h"
#include "toolkit/pump/o_gauge.h"

namespace {

constexpr int kPlaceholder = 300;
constexpr int kLabel = 301;

const TDialogTemplate kProgressDlg{"GaugeProgressTest", DS_MODALFRAME | WS_POPUP | WS_CAPTION, 10, 10, 200, 80,
                                   "Progress", {
    {"STATIC", "Tracing", kLabel, SS_LEFT, 5, 5, 100, 10},
    {"STATIC", "", kPlaceholder, SS_BLACKFRAME, 5, 20, 150, 12},
    {"STATIC", "", kProgressTextControl, SS_LEFT, 5, 40, 190, 10},
    {"BUTTON", "Cancel", IDCANCEL, BS_PUSHBUTTON | WS_TABSTOP, 5, 58, 40, 14},
}};
const TDialogRegistration kProgressRegistration(kProgressDlg);

class TProgressDlg : public TColorDlg {
 public:
  explicit TProgressDlg(TWindow *parentWindow)
      : TColorDlg(parentWindow, "GaugeProgressTest"), gauge(new TOGauge(this, kPlaceholder)) {}
  void SetupWindow() override {
    TColorDlg::SetupWindow();
    gauge->MoveOverControl();
  }
  TOGauge *gauge;
};

TEST(OGaugeInDialog, LiesOverItsPlaceholderAndWritesTheProgressLine) {
  test_kit::EnsureApplication();
  auto owner = std::make_unique<TWindow>(nullptr, "owner");
  owner->Attr.Style = WS_POPUP | WS_VISIBLE;
  owner->Attr.W = 500;
  owner->Attr.H = 300;
  ASSERT_TRUE(owner->Create());
  auto *dialog = new TProgressDlg(owner.get());
  ASSERT_TRUE(dialog->Create());
  TWindow *placeholder = nullptr;
  for (TWindow *child : dialog->GetChildren())
    if (child->GetId() == kPlaceholder && child != dialog->gauge) placeholder = child;
  ASSERT_NE(placeholder, nullptr);
  const RECT under = placeholder->GetWindowRect();
  const RECT over = dialog->gauge->GetWindowRect();
  EXPECT_GT(under.right - under.left, 100);
  EXPECT_EQ(over.left, under.left);
  EXPECT_EQ(over.top, under.top);
  EXPECT_EQ(over.right, under.right);
  EXPECT_EQ(over.bottom, under.bottom);
  EXPECT_EQ(dialog->gauge->GetId(), kPlaceholder);

  dialog->gauge->SetRange(0.0, 200.0);
  EXPECT_EQ(dialog->gauge->SetPosition(50.0), 25);
  TProgressGauge &progress = *dialog->gauge;
  progress.SetText("Rays: 50 of 200");
  char text[64] = {};
  dialog->GetDlgItemText(kProgressTextControl, text, sizeof text);
  EXPECT_STREQ(text, "Rays: 50 of 200");
  EXPECT_EQ(progress.Maximum(), 200);
}

}  // namespace
