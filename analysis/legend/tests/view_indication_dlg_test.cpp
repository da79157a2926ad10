#include "analysis/legend/view_indication_dlg.h"

#include <gtest/gtest.h>

#include <memory>

#include "analysis/aberrations/aberration_plot.h"
#include "optics/model/optical_system.h"
#include "platform/gui/windows/test_kit.h"
#include "toolkit/render3d/o_palette.h"

namespace {

// An owner that counts the legend's notice of its end.
class TOwner : public TWindow {
 public:
  TOwner() : TWindow(nullptr, "owner") {
    Attr.Style = WS_POPUP | WS_VISIBLE;
    Attr.W = 300;
    Attr.H = 300;
  }
  LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
    if (msg == WM_COMMAND && LOWORD(wParam) == CM_LEGEND_DESTROYED) ++notices;
    return TWindow::WindowProc(msg, wParam, lParam);
  }
  int notices = 0;
};

class Legend : public ::testing::Test {
 protected:
  void SetUp() override {
    test_kit::EnsureApplication();
    CreateSharedPalette();
    owner = std::make_unique<TOwner>();
    ASSERT_TRUE(owner->Create());
    system.info.MonochromeSystem = 0;
    ASSERT_TRUE(system.info.Spectrum.Allocate(3, 1));
    system.info.Spectrum.data[0] = {0.48, 1.0};
    system.info.Spectrum.data[1] = {0.55, 1.0};
    system.info.Spectrum.data[2] = {0.65, 1.0};
    system.info.LambdaW = 0.55;
    SetBeams(3);
  }
  void TearDown() override {
    owner.reset();
    DestroySharedPalette();
  }
  void SetBeams(int n) {
    ASSERT_TRUE(system.info.AlfaM.Allocate(n, 1));
    for (int b = 0; b < n; ++b) system.info.AlfaM.data[b] = b;
  }
  TViewIndicationDlg *Open(int beam, int list, int mode) {
    auto *legend = new TViewIndicationDlg(owner.get(), &system, beam, list, mode);
    EXPECT_TRUE(legend->Create());
    legend->ShowWindow(SW_SHOW);
    test_kit::RunFor(20);
    return legend;
  }
  std::string Row(TViewIndicationDlg &legend, int k) {
    char text[64] = {};
    legend.GetDlgItemText(TViewIndicationDlg::kFirstRowId + k, text, sizeof text);
    return text;
  }
  std::unique_ptr<TOwner> owner;
  TOpticalSystem system;
};

TEST_F(Legend, MonochromeSpotLegendShowsTheWorkingWavelength) {
  system.info.MonochromeSystem = 1;
  TViewIndicationDlg *legend = Open(0, -1, kLegendSpot);
  char heading[32] = {};
  legend->GetDlgItemText(TViewIndicationDlg::kHeadingId, heading, sizeof heading);
  EXPECT_STREQ(heading, "Lambda");
  EXPECT_EQ(Row(*legend, 0), "0.55");
  EXPECT_EQ(Row(*legend, 1), "");
  SharedPalette->SetRange(9, 13);
  EXPECT_EQ(legend->RowTextColor(0), SharedPalette->ValueToColor(0.83));
  EXPECT_TRUE(legend->RowBlank(1));
  legend->Destroy();
  EXPECT_EQ(owner->notices, 1);
}

TEST_F(Legend, ManyBeamsFillTheRowsAndKeepTheFullHeight) {
  SetBeams(25);
  TViewIndicationDlg *legend = Open(-1, 0, kLegendAberrations);
  const RECT full = legend->GetWindowRect();
  EXPECT_EQ(Row(*legend, 19), "19");
  EXPECT_EQ(legend->RowTextColor(7), kAberrationColorTable[1]);
  // Fewer rows: the window ends half-way down the first empty row.
  legend->Layout(-1, -1);
  const RECT cut = legend->GetWindowRect();
  EXPECT_LT(cut.bottom - cut.top, full.bottom - full.top);
  TWindow *firstEmpty = legend->ChildWithId(TViewIndicationDlg::kFirstRowId + 3);
  ASSERT_NE(firstEmpty, nullptr);
  const RECT row = firstEmpty->GetWindowRect();
  const RECT client = legend->GetClientRect();
  POINT bottom{0, client.bottom};
  legend->ClientToScreen(bottom);
  EXPECT_NEAR(bottom.y, (row.top + row.bottom) / 2, 1);
  legend->Destroy();
}

TEST_F(Legend, OneWavelengthSystemTakesTheCurvesColours) {
  // With a single wavelength the aberration curves use the fixed colours: so does the
  // legend, whatever the list shows.
  ASSERT_TRUE(system.info.Spectrum.Allocate(1, 1));
  system.info.Spectrum.data[0] = {0.55, 1.0};
  TViewIndicationDlg *legend = Open(0, -1, kLegendAberrations);
  EXPECT_EQ(legend->RowTextColor(0), AberrationCurveColor(0, 1, true).color);
  legend->Destroy();
}

}  // namespace
