// The narcissus dialog driven as a user drives it: the record's values in the edits,
// Compute filling the table and the gauge, the input faults refused with their messages
// and the table kept, the scan positions as columns.

#include "analysis/narcissus/narciss_dlg.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <utility>
#include <memory>
#include <string>
#include <vector>

#include "analysis/narcissus/narcissus_radiometry.h"
#include "analysis/narcissus/narcissus_systems.h"
#include "document/system/system_image.h"
#include "document/system/tests/editor_test_support.h"
#include "foundation/numtext/number_text.h"
#include "platform/core/recording_providers.h"
#include "platform/gui/windows/test_kit.h"
#include "toolkit/pump/o_gauge.h"
#include "toolkit/tables/win_table_edit.h"

namespace {

class NarcissDialog : public EditorTest {
 protected:
  void SetUp() override {
    EditorTest::SetUp();
    test_kit::EnsureApplication();
    answers = std::make_unique<TRecordingMessageBoxProvider>();
    owner = std::make_unique<TWindow>(nullptr, "owner");
    owner->Attr.Style = WS_POPUP | WS_VISIBLE;
    owner->Attr.W = 200;
    owner->Attr.H = 200;
    ASSERT_TRUE(owner->Create());
    ASSERT_EQ(edited.Load(ExamplePath("infrared_scanner.os"), 0), 1);
    // Object at infinity, image finite: the analysis runs on the system turned round,
    // the detector first.
    system.Assign(edited, 0);
    system.ForEachConfiguration();
    system.Update();
    // Turned: the scanning mirror, the editor's surface 4 of 9 behind the window, is
    // surface 5 from the detector.
    ASSERT_EQ(system.Surface(5)->general.materialKind, 1);
    parameters.lambdaMin = 3.0;
    parameters.lambdaMax = 5.0;
    parameters.scannerSurface = 5;
  }
  void TearDown() override {
    if (dialog != nullptr) {
      if (dialog->GetHandle() != nullptr) dialog->Destroy();
      delete dialog;
    }
    owner.reset();
    answers.reset();
    EditorTest::TearDown();
  }
  TNarcissDlg &Open() {
    dialog = new TNarcissDlg(owner.get(), &system, &parameters, 1);
    EXPECT_TRUE(dialog->Create());
    dialog->ShowWindow(SW_SHOW);
    test_kit::RunFor(20);
    return *dialog;
  }
  std::string Text(int id) const {
    char text[128] = {};
    dialog->GetDlgItemText(id, text, sizeof text);
    return text;
  }
  void Compute() { dialog->SendMessage(WM_COMMAND, TNarcissDlg::kCompute); }

  std::unique_ptr<TRecordingMessageBoxProvider> answers;
  std::unique_ptr<TWindow> owner;
  TSystemImage edited;
  TSystemImage system;
  TNarcissusParameters parameters;
  TNarcissDlg *dialog = nullptr;
};

TEST_F(NarcissDialog, ComputeFillsTheTableFromTheRecord) {
  TNarcissDlg &dlg = Open();
  EXPECT_EQ(dlg.GetWindowText(), "Narcissus analysis(paraxial approximation)");
  EXPECT_EQ(Text(TNarcissDlg::kLambdaMin), "3");
  EXPECT_EQ(Text(TNarcissDlg::kLambdaMax), "5");
  EXPECT_EQ(Text(TNarcissDlg::kDetector), "-195.86");
  EXPECT_EQ(TextToDouble(Text(TNarcissDlg::kFraction).c_str()), 0.01);
  // The record's index 5 of the turned copy, the scanning mirror, shown as the editor
  // numbers it: surface 4.
  EXPECT_EQ(Text(TNarcissDlg::kScanner), "4");
  EXPECT_EQ(dlg.ColumnCaption(0), "#sf");
  EXPECT_EQ(dlg.ColumnCaption(1), "-");

  Compute();
  ASSERT_TRUE(answers->boxes.empty()) << answers->boxes.front().text;
  EXPECT_FALSE(dlg.Running());
  EXPECT_EQ(parameters.scannerSurface, 5);
  EXPECT_EQ(parameters.positions, 1);
  EXPECT_EQ(dlg.ColumnCaption(1), "0");
  EXPECT_EQ(dlg.ColumnCaption(2), "-");
  // Every face but the detector's, labelled by the editor's numbers, then "All": the
  // window's two faces beyond the scanner and the four lens faces between it and the
  // detector computed, the plane in front of the window and the mirror "0".
  const int expected[] = {2, 3, 5, 6, 7, 8};
  ASSERT_EQ(dlg.RowCount(), 9);
  for (int label = 1; label <= 8; ++label) EXPECT_EQ(dlg.CellText(0, label - 1), std::to_string(label));
  EXPECT_EQ(dlg.CellText(1, 0), "0");
  EXPECT_EQ(dlg.CellText(1, 3), "0");
  EXPECT_EQ(dlg.CellText(0, 8), "All");
  // The table shows what the analysis computes for the same record, and each label names
  // the editor's surface the row was computed for: the same face, met from the other side.
  TNarcissusParameters again = parameters;
  TSystemImageNarcissus systems(system);
  const TNarcissusResult result = ComputeNarcissus(system, systems, again, true, {});
  ASSERT_TRUE(result.Ok());
  ASSERT_EQ(result.surfaces.size(), 6u);
  for (int r = 0; r < 6; ++r) {
    EXPECT_EQ(dlg.CellText(1, expected[r] - 1), NarcissusCellText(result.cells[r][0])) << r;
    EXPECT_EQ(result.cells[r][0].kind, TNarcissusCell::kValue) << r;
    const TGeneralParameters &analysed = system.Surface(result.surfaces[r])->general;
    const TGeneralParameters &shown = edited.Surface(expected[r] - 1)->general;
    EXPECT_EQ(std::fabs(analysed.R), std::fabs(shown.R)) << r;
    // The medium behind the face in the copy is the one in front of it in the editor.
    EXPECT_EQ(std::fabs(analysed.nAfter), std::fabs(shown.nBefore)) << r;
  }
  EXPECT_EQ(dlg.CellText(1, 8), NarcissusCellText(result.all[0]));
  EXPECT_GT(std::atof(dlg.CellText(1, 8).c_str()), 0.0);
  EXPECT_EQ(static_cast<int>(dlg.Gauge()->GetPosition()), 100);
  // The gauge sits on its place, wide and visible; the table shows every row at once.
  const RECT place = WindowFromHandle(dlg.GetDlgItem(TNarcissDlg::kGaugePlace))->GetWindowRect();
  const RECT gauge = dlg.Gauge()->GetWindowRect();
  EXPECT_EQ(gauge.left, place.left);
  EXPECT_EQ(gauge.top, place.top);
  EXPECT_GT(gauge.right - gauge.left, 300);
  const RECT table = dlg.Table()->GetClientRect();
  const std::vector<int> &heights = dlg.Table()->Grid()->RowHeights();
  int needed = dlg.Table()->HeaderHeight();
  for (int h : heights) needed += h;
  EXPECT_LE(needed, table.bottom);
  EXPECT_TRUE(IsWindowEnabled(dlg.GetDlgItem(TNarcissDlg::kCompute)));
  EXPECT_TRUE(IsWindowEnabled(dlg.GetDlgItem(IDOK)));
}

TEST_F(NarcissDialog, FaultyInputIsRefusedAndTheTableKept) {
  TNarcissDlg &dlg = Open();
  Compute();
  ASSERT_TRUE(answers->boxes.empty());
  const std::string all = dlg.CellText(1, 8);
  struct TCase {
    int id;
    const char *text;
    const char *message;
  };
  const TCase cases[] = {
      // In the editor's numbers: the plane the scene is seen through, the last lens face
      // and the detector lie at the ends of the turned copy.
      {TNarcissDlg::kScanner, "1", "Incorrect set of scanner surface..."},
      {TNarcissDlg::kScanner, "8", "Incorrect set of scanner surface..."},
      {TNarcissDlg::kScanner, "9", "Incorrect set of scanner surface..."},
      {TNarcissDlg::kScanner, "0", "Incorrect set of scanner surface..."},
      {TNarcissDlg::kLambdaMin, "0.5", "Incorrect set of spectral band... Minimal wavelength must be greater than 1 µm"},
      {TNarcissDlg::kLambdaMax, "0.9", "Incorrect set of spectral band... Maximal wavelength must be greater than 1 µm"},
      {TNarcissDlg::kLambdaMax, "3", "Incorrect set of spectral band... Minimal wavelength greater or equal maximal"},
      {TNarcissDlg::kFraction, "-0.5", "Incorrect fraction of light per surface... It must lie between 0 and 1"},
      {TNarcissDlg::kFraction, "1.5", "Incorrect fraction of light per surface... It must lie between 0 and 1"},
  };
  for (const TCase &c : cases) {
    const std::string kept = Text(c.id);
    dlg.SetDlgItemText(c.id, c.text);
    answers->boxes.clear();
    Compute();
    ASSERT_EQ(answers->boxes.size(), 1u) << c.text;
    EXPECT_EQ(answers->boxes[0].text, c.message);
    EXPECT_EQ(answers->boxes[0].caption, "Narcissus");
    EXPECT_EQ(dlg.CellText(1, 8), all) << c.text;
    EXPECT_EQ(parameters.scannerSurface, 5) << c.text;
    dlg.SetDlgItemText(c.id, kept.c_str());
  }
}

TEST_F(NarcissDialog, TypedNumbersAreReadAsEveryFieldReadsThem) {
  TNarcissDlg &dlg = Open();
  Compute();
  const std::string all = dlg.CellText(1, 8);
  // Letters, not wholly a number, or beyond the double: refused by the field's name,
  // nothing run, the temperature kept.
  const std::pair<int, const char *> refused[] = {
      {TNarcissDlg::kHousing, "abc"},
      {TNarcissDlg::kScene, "nan"},
      {TNarcissDlg::kDetector, "1e400"},
      {TNarcissDlg::kScanner, "5 or 6"},
  };
  std::vector<std::string> messages;
  for (const auto &[id, text] : refused) {
    const std::string kept = Text(id);
    dlg.SetDlgItemText(id, text);
    answers->boxes.clear();
    Compute();
    ASSERT_EQ(answers->boxes.size(), 1u) << text;
    EXPECT_EQ(answers->boxes[0].caption, "Narcissus");
    messages.push_back(answers->boxes[0].text);
    EXPECT_EQ(dlg.CellText(1, 8), all) << text;
    dlg.SetDlgItemText(id, kept.c_str());
  }
  EXPECT_EQ(messages[0], "Lens housing: \"abc\" is not a number.");
  EXPECT_EQ(parameters.housingTemperature, 20.0);
  EXPECT_EQ(messages[3], "Surface: \"5 or 6\" is not a number.");
  EXPECT_TRUE(std::isfinite(parameters.sceneTemperature));
  // A decimal comma is the decimal point, here as in every field.
  dlg.SetDlgItemText(TNarcissDlg::kLambdaMin, "3,5");
  answers->boxes.clear();
  Compute();
  EXPECT_TRUE(answers->boxes.empty());
  EXPECT_EQ(parameters.lambdaMin, 3.5);
}

TEST_F(NarcissDialog, TheWindowBeyondTheScannerChangesAcrossTheScanTheLensesDoNot) {
  TNarcissDlg &dlg = Open();
  // A mirror turned by 1 degree moves the image to the edge of the 2 degree field.
  dlg.SetDlgItemText(TNarcissDlg::kMaxAngle, "1");
  Compute();
  ASSERT_TRUE(answers->boxes.empty());
  EXPECT_EQ(parameters.positions, 5);
  EXPECT_EQ(parameters.maxScanAngle, 1.0);
  const char *angles[] = {"0", ".25", ".5", ".75", "1"};
  for (int c = 1; c <= 5; ++c) EXPECT_EQ(dlg.ColumnCaption(c), angles[c - 1]) << c;
  // The window's faces (rows 1 and 2) return the detector's image straight onto it with
  // the mirror at rest, the full radiometric factor; turned, the mirror walks the ghost
  // off the detector: less at every step.
  for (int r = 1; r < 3; ++r) {
    EXPECT_NEAR(std::atof(dlg.CellText(1, r).c_str()), NarcissusRadiometricFactor(parameters), 0.0005) << r;
    for (int c = 2; c <= 5; ++c)
      EXPECT_LT(std::atof(dlg.CellText(c, r).c_str()), std::atof(dlg.CellText(c - 1, r).c_str())) << r << " " << c;
  }
  // The lens faces lie between the detector and the scanner: their value repeats, marked.
  for (int r = 4; r < 8; ++r)
    for (int c = 2; c <= 5; ++c) EXPECT_EQ(dlg.CellText(c, r), "=" + dlg.CellText(1, r)) << r << " " << c;
  for (int c = 2; c <= 5; ++c)
    EXPECT_LT(std::atof(dlg.CellText(c, 8).c_str()), std::atof(dlg.CellText(c - 1, 8).c_str())) << c;
  // Back to one position: the other columns are emptied again.
  dlg.SetDlgItemText(TNarcissDlg::kMaxAngle, "0");
  Compute();
  EXPECT_EQ(dlg.ColumnCaption(2), "-");
  EXPECT_TRUE(dlg.CellText(2, 8).empty());
  dlg.SendMessage(WM_COMMAND, IDOK);
  EXPECT_EQ(dlg.GetHandle(), nullptr);
}

TEST_F(NarcissDialog, ClosingKeepsWhatWasTypedThatReadsAsANumber) {
  TNarcissDlg &dlg = Open();
  dlg.SetDlgItemText(TNarcissDlg::kMaxAngle, "2,5");
  dlg.SetDlgItemText(TNarcissDlg::kScanner, "2");
  dlg.SetDlgItemText(TNarcissDlg::kHousing, "30");
  dlg.SetDlgItemText(TNarcissDlg::kScene, "warm");
  // Closed by its close box, without a Compute.
  dlg.SendMessage(WM_CLOSE);
  EXPECT_EQ(dlg.GetHandle(), nullptr);
  EXPECT_TRUE(answers->boxes.empty());
  EXPECT_EQ(parameters.maxScanAngle, 2.5);
  // The editor's surface 2, the window's front face, is surface 7 of the turned copy.
  EXPECT_EQ(parameters.scannerSurface, 7);
  EXPECT_EQ(parameters.housingTemperature, 30.0);
  EXPECT_EQ(parameters.sceneTemperature, 20.0);
  delete dialog;
  dialog = nullptr;
  TNarcissDlg &again = Open();
  EXPECT_EQ(Text(TNarcissDlg::kMaxAngle), "2.5");
  EXPECT_EQ(Text(TNarcissDlg::kScanner), "2");
  EXPECT_EQ(Text(TNarcissDlg::kHousing), "30");
  again.SendMessage(WM_COMMAND, IDOK);
}

}  // namespace
