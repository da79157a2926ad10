#include "analysis/spot/spot_diagram.h"

#include <gtest/gtest.h>

#include <memory>

#include "optics/model/tests/system_test_support.h"
#include "platform/gui/menus/menu.h"
#include "platform/gui/menus/menu_window.h"
#include "platform/gui/windows/screen.h"
#include "platform/gui/windows/test_kit.h"
#include "toolkit/graph/c_graph.h"
#include "toolkit/render3d/o_palette.h"

namespace {

class SpotWindow : public SystemTest {
 protected:
  void SetUp() override {
    SystemTest::SetUp();
    test_kit::EnsureApplication();
    CreateSharedPalette();
    owner = std::make_unique<TWindow>(nullptr, "owner");
    owner->Attr.Style = WS_POPUP | WS_VISIBLE;
    owner->Attr.W = 200;
    owner->Attr.H = 200;
    ASSERT_TRUE(owner->Create());
    ASSERT_EQ(system.ReadFile(ExamplePath("cooke_triplet.os"), 0), 1);
    settings.fieldSize = 80;
    settings.rayNumber = 100;
  }
  void TearDown() override {
    owner.reset();
    DestroySharedPalette();
    SystemTest::TearDown();
  }
  TSpotDiagram *Open() {
    auto *window = new TSpotDiagram(owner.get(), &system, &settings);
    EXPECT_TRUE(window->Create());
    window->ShowWindow(SW_SHOW);
    test_kit::RunFor(20);
    return window;
  }
  std::unique_ptr<TWindow> owner;
  TOpticalSystem system;
  TSpotSettingsRecord settings;
};

TEST_F(SpotWindow, OneCellPerBeamWithColouredPoints) {
  TSpotDiagram *window = Open();
  const int beams = system.info.AlfaM.cols;
  ASSERT_EQ(beams, 3);
  TCGraph *graph = window->Graph();
  ASSERT_NE(graph, nullptr);
  EXPECT_EQ(graph->GetBitmapSize().cx, (80 + 10) * beams + 27);
  EXPECT_EQ(graph->GetBitmapSize().cy, 80 + 30);
  // The client holds the plot exactly.
  EXPECT_EQ(window->GetClientRect().right, graph->GetBitmapSize().cx);
  // Points of the on-axis cell are drawn in palette colours, not in the black background.
  int coloured = 0;
  for (int y = 10; y < 90; ++y)
    for (int x = 27; x < 107; ++x) {
      const COLORREF c = test_kit::ClientPixel(*graph, x, y);
      if (c != 0 && c != 0xC0C0C0 && c != 0xFFFFFF) ++coloured;
    }
  EXPECT_GT(coloured, 10);
  // Ranges were stored symmetric.
  EXPECT_EQ(settings.Mmin, -settings.Mmax);
  window->Destroy();
}

TEST_F(SpotWindow, ScaleCommandsCheckTheirItemAndAreSavedOnClose) {
  TSpotDiagram *window = Open();
  window->SendMessage(WM_COMMAND, CM_SPOT_FIXED, 0);
  HMENU menu = GetMenu(window->GetHandle());
  EXPECT_EQ(GetMenuState(menu, CM_SPOT_FIXED, MF_BYCOMMAND) & MF_CHECKED, MF_CHECKED);
  EXPECT_EQ(GetMenuState(menu, CM_SPOT_AUTO, MF_BYCOMMAND) & MF_CHECKED, 0u);
  window->Destroy();
  EXPECT_EQ(settings.scaleMode, 2);
}

TEST_F(SpotWindow, StoredPlaceOffTheScreenIsBroughtBack) {
  settings.position[0] = -40;
  settings.position[1] = 100000;
  TSpotDiagram *window = Open();
  const RECT r = window->GetWindowRect();
  EXPECT_GE(r.left, 0);
  EXPECT_LE(r.bottom, GetSystemMetrics(SM_CYSCREEN));
  window->Destroy();
}

TEST_F(SpotWindow, SettingsAreBoundFieldsThatRefuseWhatIsNoWholeNumber) {
  TSpotDiagram *window = Open();
  auto *dialog = new TSpotSettings(window, &settings);
  ASSERT_TRUE(dialog->Create());
  EXPECT_EQ(dialog->ChildWithId(TSpotSettings::kFieldEdit)->GetWindowText(), "80");
  EXPECT_EQ(dialog->ChildWithId(TSpotSettings::kRaysEdit)->GetWindowText(), "100");
  // Apply: a number that is not one is refused by its label, and nothing is recalculated.
  dialog->SetDlgItemText(TSpotSettings::kFieldEdit, "120");
  dialog->SetDlgItemText(TSpotSettings::kRaysEdit, "4OO");
  dialog->SendMessage(WM_COMMAND, TSpotSettings::kApply, 0);
  ASSERT_EQ(BoxCount(), 1U);
  EXPECT_EQ(Boxes().boxes[0].text, "Ray number: \"4OO\" is not a number.");
  EXPECT_EQ(settings.fieldSize, 80);
  EXPECT_EQ(settings.rayNumber, 100);
  // Mended, Ok takes both and the window is drawn with the new cell size.
  dialog->SetDlgItemText(TSpotSettings::kRaysEdit, "400");
  dialog->SendMessage(WM_COMMAND, IDOK, 0);
  EXPECT_EQ(settings.fieldSize, 120);
  EXPECT_EQ(settings.rayNumber, 400);
  EXPECT_EQ(window->Graph()->GetBitmapSize().cy, 120 + 30);
  // A size or a ray number below 1 is refused by the field's name; the record keeps its
  // values.
  auto *again = new TSpotSettings(window, &settings);
  ASSERT_TRUE(again->Create());
  again->SetDlgItemText(TSpotSettings::kFieldEdit, "0");
  again->SendMessage(WM_COMMAND, TSpotSettings::kApply, 0);
  ASSERT_EQ(BoxCount(), 2U);
  EXPECT_EQ(Boxes().boxes[1].text, "Size of field: 0 is no size; at least 1 pixel.");
  EXPECT_EQ(settings.fieldSize, 120);
  again->SetDlgItemText(TSpotSettings::kFieldEdit, "90");
  again->SetDlgItemText(TSpotSettings::kRaysEdit, "-5");
  again->SendMessage(WM_COMMAND, IDOK, 0);
  ASSERT_EQ(BoxCount(), 3U);
  EXPECT_EQ(Boxes().boxes[2].text, "Ray number: -5 is no ray number; at least 1 ray.");
  EXPECT_EQ(settings.fieldSize, 120);
  EXPECT_EQ(settings.rayNumber, 400);
  EXPECT_TRUE(again->IsWindow()) << "Ok keeps a refused dialog open";
  again->Destroy();
  delete again;
  if (dialog->IsWindow()) dialog->Destroy();
  delete dialog;
  window->Destroy();
}

// The settings dialog takes no ray count past the cap: one near the largest int would
// overflow the square of rays, and large ones would ask for memory without end. The
// message names the field; the record keeps its count.
TEST_F(SpotWindow, ARayNumberPastTheCapIsRefusedByName) {
  TSpotDiagram *window = Open();
  auto *settingsDialog = new TSpotSettings(window, &settings);
  TSpotSettings &dialog = *settingsDialog;
  ASSERT_TRUE(dialog.Create());
  for (const char *text : {"2147483647", "100001"}) {
    const std::size_t before = Boxes().boxes.size();
    dialog.SetDlgItemText(TSpotSettings::kRaysEdit, text);
    dialog.SendMessage(WM_COMMAND, TSpotSettings::kApply);
    ASSERT_EQ(Boxes().boxes.size(), before + 1) << text;
    EXPECT_EQ(Boxes().boxes.back().text.rfind("Ray number", 0), 0u) << Boxes().boxes.back().text;
    EXPECT_EQ(settings.rayNumber, 100) << text;
  }
  const std::size_t before = Boxes().boxes.size();
  dialog.SetDlgItemText(TSpotSettings::kRaysEdit, "100000");
  dialog.SendMessage(WM_COMMAND, TSpotSettings::kApply);
  EXPECT_EQ(Boxes().boxes.size(), before);
  EXPECT_EQ(settings.rayNumber, 100000);
  // A request past the cap from elsewhere (the settings file) is cut to it.
  EXPECT_EQ(SpotRaySide(2147483647), SpotRaySide(kMaxSpotRayNumber));
  dialog.Destroy();
  delete settingsDialog;
  window->Destroy();
}

}  // namespace
