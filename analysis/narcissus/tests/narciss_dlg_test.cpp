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
    TSystemImage edited;
    ASSERT_EQ(edited.Load(ExamplePath("infrared_scanner.os"), 0), 1);
    // Object at infinity, image finite: the analysis runs on the system turned round,
    // the detector first.
    system.Assign(edited, 0);
    system.ForEachConfiguration();
    system.Update();
    // Turned: the scanning mirror, second from the scene, is second from the end.
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
  // The record's index 5, the scanning mirror, shown counted from 1 as Compute reads it.
  EXPECT_EQ(Text(TNarcissDlg::kScanner), "6");
  EXPECT_EQ(dlg.ColumnCaption(0), "#sf");
  EXPECT_EQ(dlg.ColumnCaption(1), "-");

  Compute();
  ASSERT_TRUE(answers->boxes.empty()) << answers->boxes.front().text;
  EXPECT_FALSE(dlg.Running());
  EXPECT_EQ(parameters.scannerSurface, 5);
  EXPECT_EQ(parameters.positions, 1);
  EXPECT_EQ(dlg.ColumnCaption(1), "0");
  EXPECT_EQ(dlg.ColumnCaption(2), "-");
  // The four lens faces between the detector and the scanner, numbered as in the unturned
  // system (3 to 6, the one next to the detector included), then "All"; the object plane
  // and the scanning mirror are no rows.
  ASSERT_EQ(dlg.RowCount(), 5);
  for (int r = 0; r < 4; ++r) EXPECT_EQ(dlg.CellText(0, r), std::to_string(r + 3));
  EXPECT_EQ(dlg.CellText(0, 4), "All");
  // The table shows what the analysis computes for the same record.
  TNarcissusParameters again = parameters;
  TSystemImageNarcissus systems(system);
  const TNarcissusResult result = ComputeNarcissus(system, systems, again, true, {});
  ASSERT_TRUE(result.Ok());
  for (int r = 0; r < 4; ++r) {
    EXPECT_EQ(dlg.CellText(1, r), NarcissusCellText(result.cells[r][0])) << r;
    EXPECT_EQ(result.cells[r][0].kind, TNarcissusCell::kValue) << r;
  }
  EXPECT_EQ(dlg.CellText(1, 4), NarcissusCellText(result.all[0]));
  EXPECT_GT(std::atof(dlg.CellText(1, 4).c_str()), 0.0);
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
  const std::string all = dlg.CellText(1, 4);
  struct TCase {
    int id;
    const char *text;
    const char *message;
  };
  const TCase cases[] = {
      {TNarcissDlg::kScanner, "2", "Incorrect set of scanner surface..."},
      {TNarcissDlg::kScanner, "7", "Incorrect set of scanner surface..."},
      {TNarcissDlg::kLambdaMin, "0.5", "Incorrect set of spectral band... Minimal wavelength must be greater than 1. mkm"},
      {TNarcissDlg::kLambdaMax, "0.9", "Incorrect set of spectral band... Maximal wavelength must be greater than 1. mkm"},
      {TNarcissDlg::kLambdaMax, "3", "Incorrect set of spectral band... Minimal wavelength greater or equal maximal"},
  };
  for (const TCase &c : cases) {
    const std::string kept = Text(c.id);
    dlg.SetDlgItemText(c.id, c.text);
    answers->boxes.clear();
    Compute();
    ASSERT_EQ(answers->boxes.size(), 1u) << c.text;
    EXPECT_EQ(answers->boxes[0].text, c.message);
    EXPECT_EQ(answers->boxes[0].caption, "Narciss message");
    EXPECT_EQ(dlg.CellText(1, 4), all) << c.text;
    EXPECT_EQ(parameters.scannerSurface, 5) << c.text;
    dlg.SetDlgItemText(c.id, kept.c_str());
  }
}

TEST_F(NarcissDialog, TypedNumbersAreReadAsEveryFieldReadsThem) {
  TNarcissDlg &dlg = Open();
  Compute();
  const std::string all = dlg.CellText(1, 4);
  // Not wholly a number, or beyond the double: refused by the field's name, nothing run.
  const std::pair<int, const char *> refused[] = {
      {TNarcissDlg::kScene, "nan"},
      {TNarcissDlg::kDetector, "1e400"},
      {TNarcissDlg::kScanner, "5 or 6"},
  };
  for (const auto &[id, text] : refused) {
    const std::string kept = Text(id);
    dlg.SetDlgItemText(id, text);
    answers->boxes.clear();
    Compute();
    ASSERT_EQ(answers->boxes.size(), 1u) << text;
    EXPECT_EQ(answers->boxes[0].caption, "Narciss message");
    EXPECT_EQ(dlg.CellText(1, 4), all) << text;
    dlg.SetDlgItemText(id, kept.c_str());
  }
  EXPECT_EQ(answers->boxes[0].text, "Surface: \"5 or 6\" is not a number.");
  EXPECT_TRUE(std::isfinite(parameters.sceneTemperature));
  // A decimal comma is the decimal point, here as in every field.
  dlg.SetDlgItemText(TNarcissDlg::kLambdaMin, "3,5");
  answers->boxes.clear();
  Compute();
  EXPECT_TRUE(answers->boxes.empty());
  EXPECT_EQ(parameters.lambdaMin, 3.5);
}

TEST_F(NarcissDialog, AScanAngleGivesFiveColumnsAndCloseEnds) {
  TNarcissDlg &dlg = Open();
  dlg.SetDlgItemText(TNarcissDlg::kMaxAngle, "4");
  Compute();
  ASSERT_TRUE(answers->boxes.empty());
  EXPECT_EQ(parameters.positions, 5);
  EXPECT_EQ(parameters.maxScanAngle, 4.0);
  for (int c = 1; c <= 5; ++c) {
    EXPECT_EQ(dlg.ColumnCaption(c), std::to_string(c - 1)) << c;
    EXPECT_FALSE(dlg.CellText(c, 4).empty()) << c;
  }
  // Every lens face lies between the detector and the scanner: its value repeats in every
  // column, marked so.
  for (int c = 2; c <= 5; ++c) EXPECT_EQ(dlg.CellText(c, 0), "=" + dlg.CellText(1, 0)) << c;
  // Back to one position: the other columns are emptied again.
  dlg.SetDlgItemText(TNarcissDlg::kMaxAngle, "0");
  Compute();
  EXPECT_EQ(dlg.ColumnCaption(2), "-");
  EXPECT_TRUE(dlg.CellText(2, 4).empty());
  dlg.SendMessage(WM_COMMAND, IDOK);
  EXPECT_EQ(dlg.GetHandle(), nullptr);
}

}  // namespace
