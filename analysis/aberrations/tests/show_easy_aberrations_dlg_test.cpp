#include "analysis/aberrations/show_easy_aberrations_dlg.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>

#include "analysis/aberrations/aberration_plot.h"
#include "analysis/legend/view_indication_dlg.h"
#include "optics/model/model_globals.h"
#include "optics/model/tests/system_test_support.h"
#include "platform/gui/controls/combo_box.h"
#include "platform/gui/menus/menu.h"
#include "platform/gui/menus/menu_window.h"
#include "platform/gui/printing/capture_printer.h"
#include "platform/gui/windows/screen.h"
#include "platform/gui/windows/test_kit.h"
#include "toolkit/graph/c_graph.h"
#include "toolkit/render3d/o_palette.h"
#include "toolkit/texteditor/text_editor.h"

namespace {

using W = TShowEasyAberrationsDlg;

class AberrationsWindow : public SystemTest {
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
    settingsPath = Scratch("RodIru2Z.ini");
    SetTempDir(Scratch(""));
  }
  void TearDown() override {
    owner.reset();
    DestroySharedPalette();
    SystemTest::TearDown();
  }
  W *Open() {
    auto *window = new W(owner.get(), &system, settingsPath);
    EXPECT_TRUE(window->Create());
    window->ShowWindow(SW_SHOW);
    test_kit::RunFor(20);
    return window;
  }
  static void Choose(W *window, TComboBox *list, int id, int entry) {
    list->SetSelIndex(entry);
    window->SendMessage(WM_COMMAND, static_cast<WPARAM>((CBN_SELCHANGE << 16) | id),
                        reinterpret_cast<LPARAM>(list->GetHandle()));
  }
  static int CountColor(TCGraph *graph, COLORREF color) {
    int count = 0;
    const SIZE size = graph->GetBitmapSize();
    for (int y = 0; y < size.cy; ++y)
      for (int x = 0; x < size.cx; ++x)
        if (test_kit::ClientPixel(*graph, x, y) == color) ++count;
    return count;
  }
  std::string SettingsText() const {
    std::ifstream in(settingsPath);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  std::unique_ptr<TWindow> owner;
  TOpticalSystem system;
  std::string settingsPath;
};

TEST_F(AberrationsWindow, OpensOnAllBeamsAtTheWorkingWavelengthAndKeepsListsApart) {
  W *window = Open();
  TComboBox *beams = window->BeamList();
  TComboBox *lambdas = window->LambdaList();
  ASSERT_NE(beams, nullptr);
  ASSERT_NE(lambdas, nullptr);
  EXPECT_EQ(beams->GetCount(), 4);  // "All beams" and three beams
  EXPECT_EQ(lambdas->GetCount(), 4);
  EXPECT_EQ(beams->GetSelIndex(), 0);
  EXPECT_EQ(lambdas->GetString(lambdas->GetSelIndex()), "0.55");
  EXPECT_EQ(window->Computation().curveCount, 3);
  EXPECT_EQ(window->GetWindowText(), "Aberrations (Transverse)");
  EXPECT_EQ(window->ChildWithId(W::kLeftLabel)->GetWindowText(), "Meridional (mm)");
  EXPECT_EQ(window->ChildWithId(W::kRightLabel)->GetWindowText(), "Sagittal (mm)");

  // "All" wavelengths while all beams are shown: the beam list gives way.
  Choose(window, lambdas, W::kLambdaList, 0);
  EXPECT_EQ(beams->GetSelIndex(), 1);
  EXPECT_EQ(window->Computation().BeamIndex, 0);
  EXPECT_EQ(window->Computation().LambdaIndex, -1);
  EXPECT_EQ(window->Computation().curveCount, 3);
  // And the reverse.
  Choose(window, beams, W::kBeamList, 0);
  EXPECT_EQ(lambdas->GetSelIndex(), 1);
  EXPECT_EQ(window->Computation().LambdaIndex, 0);
  EXPECT_EQ(window->Computation().BeamIndex, -1);
  // A refill never lands on both "All" either.
  window->UpdateLabels();
  EXPECT_FALSE(beams->GetSelIndex() == 0 && lambdas->GetSelIndex() == 0);
  // Distortion leaves the beam choice alone but disables the list.
  window->SendMessage(WM_COMMAND, CM_ABERR_DISTORTION, 0);
  EXPECT_FALSE(beams->IsWindowEnabled());
  EXPECT_FALSE(beams->GetSelIndex() == 0 && lambdas->GetSelIndex() == 0);
  EXPECT_EQ(window->GetWindowText(), "Aberrations (Distortion)");
  EXPECT_EQ(window->ChildWithId(W::kLeftLabel)->GetWindowText(), "Distortion (%)");
  window->SendMessage(WM_COMMAND, CM_ABERR_WAVE, 0);
  EXPECT_TRUE(beams->IsWindowEnabled());
  EXPECT_EQ(window->ChildWithId(W::kLeftLabel)->GetWindowText(), "Meridional");
  window->Destroy();
}

TEST_F(AberrationsWindow, CurvesAreDrawnInTheLegendsColours) {
  W *window = Open();
  // One wavelength, all beams: the fixed colours, as the legend lists the beams.
  window->SendMessage(WM_COMMAND, CM_ABERR_COLORS, 0);
  TViewIndicationDlg *legend = window->Legend();
  ASSERT_NE(legend, nullptr);
  for (int c = 0; c < 3; ++c) {
    EXPECT_EQ(window->CurveColor(c), legend->RowTextColor(c)) << c;
    EXPECT_EQ(window->CurveColor(c), kAberrationColorTable[c]) << c;
    EXPECT_GT(CountColor(window->Graph(0), window->CurveColor(c)), 10) << c;
    EXPECT_GT(CountColor(window->Graph(1), window->CurveColor(c)), 10) << c;
  }
  // All wavelengths of one beam: the palette ramp, the same as the legend's rows.
  Choose(window, window->LambdaList(), W::kLambdaList, 0);
  ASSERT_EQ(window->Computation().curveCount, 3);
  for (int c = 0; c < 3; ++c) {
    EXPECT_EQ(window->CurveColor(c), legend->RowTextColor(c)) << c;
    EXPECT_NE(window->CurveColor(c), kAberrationColorTable[c]) << c;
    EXPECT_GT(CountColor(window->Graph(0), window->CurveColor(c)), 10) << c;
  }
  // Distortion takes the same rule.
  window->SendMessage(WM_COMMAND, CM_ABERR_DISTORTION, 0);
  for (int c = 0; c < 3; ++c) {
    EXPECT_EQ(window->CurveColor(c), legend->RowTextColor(c)) << c;
    EXPECT_GT(CountColor(window->Graph(0), window->CurveColor(c)), 5) << c;
  }
  window->Destroy();
}

TEST_F(AberrationsWindow, VignettedPointIsMarkedAndNotJoinedAndFarPointsAreSkipped) {
  W *window = Open();
  TAberrationComputation &r = window->Results();
  constexpr int kPoints = 11;
  r.ViewMode = kViewTransverse;
  r.curveCount = 1;
  r.wavelengthsComputed = 1;
  r.fanDiameter = 2.0;
  r.TransMmin = -1.0;
  r.TransMmax = 1.0;
  r.FirstValues.Allocate(1, kPoints);
  r.Abscissae.Allocate(1, kPoints);
  r.PassFlags.Allocate(1, kPoints);
  r.PointCounts.Allocate(1, 1);
  r.PointCounts.data[0] = kPoints;
  for (int i = 0; i < kPoints; ++i) {
    r.Abscissae.data[i] = 1.0 - 0.2 * i;  // from the top of the pupil down
    r.FirstValues.data[i] = 0.5;
    r.PassFlags.data[i] = i == 5 ? 0 : 1;  // the ray through x = 0 is vignetted
  }
  r.FirstValues.data[2] = 100.0;  // far outside: x = 0.6 is not drawn
  TCGraph *graph = window->Graph(0);
  window->PrepareGraph(graph);
  window->DrawFanGraph(true);
  const COLORREF yellow = kAberrationColorTable[0];
  auto at = [&](double x, int up = 0) {
    const POINT p = graph->WorldToDevice(x, 0.5);
    return test_kit::ClientPixel(*graph, p.x, p.y - up);
  };
  const SIZE size = graph->GetBitmapSize();
  ASSERT_LT(graph->WorldToDevice(1.0, 0.5).x, size.cx) << size.cx;
  EXPECT_EQ(at(-0.5), yellow);          // an ordinary stretch of line
  EXPECT_EQ(at(0.0), yellow);           // the vignetted point's marker ...
  EXPECT_EQ(at(0.0, 2), yellow);        // ... is a filled square around it
  EXPECT_NE(at(-0.5, 2), yellow);       // the line itself is one pixel thin
  EXPECT_NE(at(-0.12), yellow);         // no line to the vignetted point
  EXPECT_NE(at(0.12), yellow);          // nor from it
  EXPECT_EQ(at(0.6), yellow);           // the far point's neighbours are joined past it
  const POINT far = graph->WorldToDevice(0.6, 1.1);
  EXPECT_NE(test_kit::ClientPixel(*graph, far.x, far.y), yellow);
  window->Destroy();
}

class SettingsOnEveryWayOut : public AberrationsWindow, public ::testing::WithParamInterface<int> {};

TEST_P(SettingsOnEveryWayOut, ScaleRangesAndPlaceAreStored) {
  W *window = Open();
  window->SendMessage(WM_COMMAND, CM_ABERR_KEEP, 0);
  const double storedMin = window->Computation().TransMmin;
  ASSERT_LT(storedMin, 0.0);
  HWND handle = window->GetHandle();
  switch (GetParam()) {
    case 0:
      window->Destroy();  // the editor deletes it
      break;
    case 1:
      window->SendMessage(WM_SYSCOMMAND, SC_CLOSE, 0);  // system menu, title-bar button
      break;
    default:
      window->SendMessage(WM_CLOSE, 0, 0);
      break;
  }
  test_kit::RunFor(20);
  const std::string text = SettingsText();
  EXPECT_NE(text.find("[Aberrations Window]"), std::string::npos) << text;
  EXPECT_NE(text.find("Scale=1;"), std::string::npos) << text;
  EXPECT_EQ(text.find("TransMmin=1e+20"), std::string::npos) << text;
  TAberrationsSettings back;
  ASSERT_EQ(ReadAberrationsSettings(settingsPath, back), 1);
  EXPECT_EQ(back.TransMmin, storedMin);
  EXPECT_GE(back.position[0], 0);
  EXPECT_GT(back.position[2], 0);
  // Every way out also closes the window.
  EXPECT_FALSE(IsWindow(handle));
}

TEST_F(AberrationsWindow, ResizingLaysTheGraphsOutAgainAndNeverShrinksBelowTheStart) {
  W *window = Open();
  const RECT start = window->GetWindowRect();
  const RECT startClient = window->GetClientRect();
  const SIZE graphStart = window->Graph(1)->GetBitmapSize();
  const RECT listStart = window->BeamList()->GetWindowRect();
  window->SetWindowPos(nullptr, 0, 0, start.right - start.left + 200, start.bottom - start.top + 100,
                       SWP_NOMOVE | SWP_NOZORDER);
  window->SendMessage(WM_TIMER, W::kLayoutTimer, 0);
  const SIZE grown = window->Graph(1)->GetBitmapSize();
  EXPECT_NEAR(grown.cx, graphStart.cx + 100, 2);
  EXPECT_NEAR(grown.cy, graphStart.cy + 100, 2);
  const RECT list = window->BeamList()->GetWindowRect();
  EXPECT_EQ(list.left - listStart.left, 100);
  EXPECT_EQ(list.top - listStart.top, 100);
  // The curves are drawn again into the larger pictures.
  EXPECT_GT(CountColor(window->Graph(1), kAberrationColorTable[1]), 10);

  window->SetWindowPos(nullptr, 0, 0, 50, 50, SWP_NOMOVE | SWP_NOZORDER);
  window->SendMessage(WM_TIMER, W::kLayoutTimer, 0);
  const RECT sprung = window->GetClientRect();
  EXPECT_EQ(sprung.right, startClient.right);
  EXPECT_GE(sprung.bottom, startClient.bottom);
  EXPECT_NEAR(window->Graph(1)->GetBitmapSize().cx, graphStart.cx, 2);
  window->Destroy();
}

INSTANTIATE_TEST_SUITE_P(Ways, SettingsOnEveryWayOut, ::testing::Values(0, 1, 2));

TEST_F(AberrationsWindow, StoredSettingsAreTakenAndTheReportGoesToTheTemporaryDirectory) {
  TAberrationsSettings s;
  s.position[0] = -50;
  s.position[1] = 100000;
  s.bkColor[0] = s.bkColor[1] = s.bkColor[2] = 255;
  s.scale = 2;
  s.TransMmin = -0.2;
  s.TransMmax = 0.1;
  ASSERT_EQ(WriteAberrationsSettings(settingsPath, s), 1);
  W *window = Open();
  EXPECT_EQ(window->Computation().ScaleMode, kScaleFixed);
  EXPECT_EQ(window->Computation().TransMmin, -0.2);
  HMENU menu = GetMenu(window->GetHandle());
  EXPECT_EQ(GetMenuState(menu, CM_ABERR_FIXED, MF_BYCOMMAND) & MF_CHECKED, MF_CHECKED);
  const RECT r = window->GetWindowRect();
  EXPECT_GE(r.left, 0);
  EXPECT_LE(r.bottom, GetSystemMetrics(SM_CYSCREEN));
  // A white background draws black axes.
  EXPECT_GT(CountColor(window->Graph(0), RGB(0, 0, 0)), 20);

  const std::string path = window->WriteReportFile("aberrat.txt");
  EXPECT_EQ(path, Scratch("aberrat.txt"));
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  EXPECT_NE(text.str().find("Transverse aberration"), std::string::npos);
  EXPECT_NE(text.str().find("Lambda: 0.55 µm"), std::string::npos);
  EXPECT_EQ(BoxCount(), 0u);
  // "As text" opens the report in a text window of its own.
  window->CmReportAsText();
  TTextEditor *viewer = nullptr;
  for (TWindow *child : window->GetChildren()) {
    if (auto *found = dynamic_cast<TTextEditor *>(child)) viewer = found;
  }
  ASSERT_NE(viewer, nullptr);
  EXPECT_NE(viewer->GetHandle(), nullptr);
  EXPECT_EQ(viewer->Title(), "System aberrations");
  EXPECT_EQ(viewer->ReportFile(), path);
  EXPECT_NE(viewer->Client()->GetFileName(), nullptr);
  std::string shown(static_cast<std::size_t>(viewer->Client()->GetTextLen()) + 1, '\0');
  shown.resize(static_cast<std::size_t>(
      viewer->Client()->GetText(shown.data(), static_cast<int>(shown.size()))));
  EXPECT_EQ(shown, text.str());
  EXPECT_EQ(BoxCount(), 0u);
  // "Print" prints the report on the printer from a file of its own, removed once
  // printed; the report the viewer shows, edited and saved, stays the user's byte for byte.
  {
    const std::string edited = "Edited by the user\r\n" + text.str();
    { std::ofstream(path, std::ios::binary) << edited; }
    TCapturePrinter printer;
    printer.SetA4(100, 100);
    window->CmPrint();
    ASSERT_EQ(printer.pages.size(), 1u);
    EXPECT_EQ(printer.titles.front(), "System aberrations");
    int ink = 0;
    const QImage &page = printer.pages.front();
    for (int y = 0; y < page.height(); ++y)
      for (int x = 0; x < page.width(); ++x) ink += (page.pixel(x, y) & 0xFFu) < 128 ? 1 : 0;
    EXPECT_GT(ink, 500);
    std::ifstream kept(path, std::ios::binary);
    EXPECT_EQ(std::string((std::istreambuf_iterator<char>(kept)), std::istreambuf_iterator<char>()), edited);
    EXPECT_FALSE(std::filesystem::exists(Scratch("aberrpr.txt")));
    EXPECT_EQ(BoxCount(), 0u);
    // A second "As text" while that viewer is open: a file of its own, the user's kept.
    window->CmReportAsText();
    TTextEditor *second = dynamic_cast<TTextEditor *>(window->GetChildren().back());
    ASSERT_TRUE(second != nullptr && second != viewer);
    EXPECT_EQ(second->ReportFile(), Scratch("aberrat2.txt"));
    std::ifstream still(path, std::ios::binary);
    EXPECT_EQ(std::string((std::istreambuf_iterator<char>(still)), std::istreambuf_iterator<char>()), edited);
  }
  // A directory that cannot take the report: the user is told, no path is answered.
  SetTempDir(Scratch("no/such/directory"));
  EXPECT_EQ(window->WriteReportFile("aberrat.txt"), "");
  EXPECT_EQ(BoxCount(), 1u);
  window->Destroy();
}

}  // namespace
