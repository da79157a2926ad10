#include <QImage>
#include <QTimer>
#include <cstdlib>
#include <functional>
#include <map>
#include <memory>
#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "analysis/aberrations/show_easy_aberrations_dlg.h"
#include "analysis/narcissus/narciss_dlg.h"
#include "analysis/psf/show_psf.h"
#include "analysis/spot/spot_diagram.h"
#include "editor/commands/editor_commands.h"
#include "editor/insert/system_report.h"
#include "editor/properties/general_info_model.h"
#include "editor/properties/properties_general_info_dlg.h"
#include "editor/properties/properties_table.h"
#include "editor/shell/tests/editor_shell_test_support.h"
#include "foundation/testing/approx.h"
#include "synthesis/folder/test_object_folder.h"
#include "platform/core/paths.h"
#include "toolkit/help/help_window.h"
#include "toolkit/help/win_help.h"

namespace {

// Recomputing the same system gives the same numbers up to rounding.
constexpr double kSameResult = 1e-12;

class EditorLaunchersTest : public EditorShellTest {
 protected:
  std::string ItemText(UINT command) const { return EditorShellTest::ItemText(command); }
  bool Checked(UINT command) const {
    return (GetMenuState(Menu(), command, MF_BYCOMMAND) & MF_CHECKED) != 0;
  }
};

TEST_F(EditorLaunchersTest, EachLauncherOpensAndClosesItsWindowAndTheCheckFollows) {
  TOpticalEditor &editor = Open(triplet_);
  ASSERT_GE(editor.System().SurfaceCount(), 2);
  EXPECT_FALSE(Grey(CM_ABERRATIONS));
  EXPECT_FALSE(Grey(CM_SPOT_DIAGRAM));

  editor.SendMessage(WM_COMMAND, CM_ABERRATIONS);
  ASSERT_NE(editor.Launchers().AberrationsWindow(), nullptr);
  EXPECT_NE(editor.Launchers().AberrationsWindow()->GetHandle(), nullptr);
  EXPECT_EQ(editor.Launchers().AberrationsWindow()->GetParentO(), &editor);
  EXPECT_TRUE(Checked(CM_ABERRATIONS));
  EXPECT_FALSE(Checked(CM_SPOT_DIAGRAM));

  editor.SendMessage(WM_COMMAND, CM_SPOT_DIAGRAM);
  ASSERT_NE(editor.Launchers().SpotWindow(), nullptr);
  EXPECT_NE(editor.Launchers().SpotWindow()->GetHandle(), nullptr);
  EXPECT_TRUE(Checked(CM_SPOT_DIAGRAM));
  // The window works on the editor's own spot settings record.
  EXPECT_EQ(editor.Launchers().SpotWindow()->Settings(), &editor.Settings().spot);

  editor.SendMessage(WM_COMMAND, CM_ABERRATIONS);
  EXPECT_EQ(editor.Launchers().AberrationsWindow(), nullptr);
  EXPECT_FALSE(Checked(CM_ABERRATIONS));
  EXPECT_TRUE(Checked(CM_SPOT_DIAGRAM));

  editor.SendMessage(WM_COMMAND, CM_SPOT_DIAGRAM);
  EXPECT_EQ(editor.Launchers().SpotWindow(), nullptr);
  EXPECT_FALSE(Checked(CM_SPOT_DIAGRAM));
  EXPECT_TRUE(answers_->beeps.empty());
}

TEST_F(EditorLaunchersTest, AWindowClosingItselfIsLetGoOfAndOpensAgain) {
  TOpticalEditor &editor = Open(triplet_);
  editor.SendMessage(WM_COMMAND, CM_SPOT_DIAGRAM);
  editor.SendMessage(WM_COMMAND, CM_ABERRATIONS);
  ASSERT_NE(editor.Launchers().SpotWindow(), nullptr);
  ASSERT_NE(editor.Launchers().AberrationsWindow(), nullptr);
  // The user's close box.
  editor.Launchers().SpotWindow()->SendMessage(WM_CLOSE);
  editor.Launchers().AberrationsWindow()->SendMessage(WM_CLOSE);
  EXPECT_EQ(editor.Launchers().SpotWindow(), nullptr);
  EXPECT_EQ(editor.Launchers().AberrationsWindow(), nullptr);
  EXPECT_FALSE(Checked(CM_SPOT_DIAGRAM));
  EXPECT_FALSE(Checked(CM_ABERRATIONS));
  // The next command opens a fresh window rather than closing a gone one.
  editor.SendMessage(WM_COMMAND, CM_SPOT_DIAGRAM);
  ASSERT_NE(editor.Launchers().SpotWindow(), nullptr);
  EXPECT_NE(editor.Launchers().SpotWindow()->GetHandle(), nullptr);
  EXPECT_TRUE(Checked(CM_SPOT_DIAGRAM));
}

TEST_F(EditorLaunchersTest, ASystemTooSmallBeepsAndOpensNothing) {
  TOpticalEditor &editor = Open(triplet_);
  editor.SendMessage(WM_COMMAND, CM_NEW_SYSTEM);
  editor.System().DeleteSurface(1);  // the object plane alone
  ASSERT_LT(editor.System().SurfaceCount(), 2);
  answers_->beeps.clear();
  editor.Launchers().CmAberrations();
  EXPECT_EQ(editor.Launchers().AberrationsWindow(), nullptr);
  EXPECT_EQ(answers_->beeps.size(), 1u);
  editor.Launchers().CmSpotDiagram();
  EXPECT_EQ(editor.Launchers().SpotWindow(), nullptr);
  EXPECT_EQ(answers_->beeps.size(), 2u);
  EXPECT_FALSE(Checked(CM_ABERRATIONS));
  EXPECT_FALSE(Checked(CM_SPOT_DIAGRAM));
}

TEST_F(EditorLaunchersTest, AnUndoRecomputesTheOpenWindows) {
  TOpticalEditor &editor = Open(triplet_);
  TSystemImage &system = editor.System();
  editor.SendMessage(WM_COMMAND, CM_ABERRATIONS);
  editor.SendMessage(WM_COMMAND, CM_SPOT_DIAGRAM);
  ASSERT_NE(editor.Launchers().SpotWindow(), nullptr);
  ASSERT_NE(editor.Launchers().AberrationsWindow(), nullptr);
  const double spotBefore = editor.Launchers().SpotWindow()->Computation().meridionalSpan;
  const double fanBefore = editor.Launchers().AberrationsWindow()->Computation().TransMmax;
  const double before = system.Surface(1)->general.R;
  // A strong change of the first radius, kept as an undo step.
  system.Surface(1)->general.R = before * 0.8;
  system.Update();
  ASSERT_EQ(system.SaveUndo("Radius"), 1);
  editor.RefreshAnalyses();
  const double spotChanged = editor.Launchers().SpotWindow()->Computation().meridionalSpan;
  ASSERT_GT(spotBefore, 0.0);
  // A fifth off the first radius spreads the spots well beyond rounding.
  EXPECT_GT(std::fabs(spotChanged - spotBefore), 0.01 * spotBefore);
  const double fanChanged = editor.Launchers().AberrationsWindow()->Computation().TransMmax;
  EXPECT_GT(std::fabs(fanChanged - fanBefore), 0.01 * std::fabs(fanBefore));

  editor.SendMessage(WM_COMMAND, CM_UNDO);
  ASSERT_DOUBLE_EQ(system.Surface(1)->general.R, before);
  // The windows now show the system as it was.
  EXPECT_APPROX(editor.Launchers().SpotWindow()->Computation().meridionalSpan, spotBefore, kSameResult);
  EXPECT_APPROX(editor.Launchers().AberrationsWindow()->Computation().TransMmax, fanBefore, kSameResult);
}

TEST_F(EditorLaunchersTest, TheSpotDiagramReopensWhereItWasClosed) {
  TOpticalEditor &editor = Open(triplet_);
  editor.SendMessage(WM_COMMAND, CM_SPOT_DIAGRAM);
  ASSERT_NE(editor.Launchers().SpotWindow(), nullptr);
  const RECT first = editor.Launchers().SpotWindow()->GetWindowRect();
  editor.Launchers().SpotWindow()->MoveWindow(first.left + 37, first.top + 23, first.right - first.left,
                                  first.bottom - first.top, false);
  const RECT moved = editor.Launchers().SpotWindow()->GetWindowRect();
  editor.SendMessage(WM_COMMAND, CM_SPOT_DIAGRAM);
  ASSERT_EQ(editor.Launchers().SpotWindow(), nullptr);
  EXPECT_EQ(editor.Settings().spot.position[0], moved.left);
  EXPECT_EQ(editor.Settings().spot.position[1], moved.top);
  editor.SendMessage(WM_COMMAND, CM_SPOT_DIAGRAM);
  ASSERT_NE(editor.Launchers().SpotWindow(), nullptr);
  EXPECT_EQ(editor.Launchers().SpotWindow()->GetWindowRect().left, moved.left);
  EXPECT_EQ(editor.Launchers().SpotWindow()->GetWindowRect().top, moved.top);
}

TEST_F(EditorLaunchersTest, TurnSystemReversesTheLensAndIsOneUndoStep) {
  TOpticalEditor &editor = Open(triplet_);
  TSystemImage &system = editor.System();
  const int n = system.SurfaceCount();
  ASSERT_GE(n, 4);
  std::vector<double> radii;
  for (int i = 0; i < n; ++i) radii.push_back(system.Surface(i)->general.R);
  editor.SendMessage(WM_COMMAND, CM_SPOT_DIAGRAM);
  ASSERT_NE(editor.Launchers().SpotWindow(), nullptr);

  editor.SendMessage(WM_COMMAND, CM_TURN_SYSTEM);
  EXPECT_EQ(system.info.TurnSystem, 1);
  EXPECT_TRUE(Checked(CM_TURN_SYSTEM));
  EXPECT_EQ(ItemText(CM_UNDO), "Undo Turn system (ctrl-Z)");
  EXPECT_NE(editor.GetWindowText().find(", Turned"), std::string::npos);
  ASSERT_EQ(system.SurfaceCount(), n);
  // The lens stays where it is and light meets its surfaces in reverse order; their shapes
  // are the same in space, so each radius keeps its sign.
  for (int i = 0; i < n; ++i)
    EXPECT_APPROX(system.Surface(i)->general.R, radii[n - 1 - i], kSameResult) << i;
  EXPECT_NE(editor.Launchers().SpotWindow(), nullptr);

  editor.SendMessage(WM_COMMAND, CM_UNDO);
  EXPECT_EQ(system.info.TurnSystem, 0);
  EXPECT_FALSE(Checked(CM_TURN_SYSTEM));
  for (int i = 0; i < n; ++i) EXPECT_APPROX(system.Surface(i)->general.R, radii[i], kSameResult) << i;
}

// A turn and a turn back meet the same vertices again up to the rounding of two turns.
constexpr double kTurnedBack = 1e-9;
// The image surface's place from two runs of the same focusing on the same system.
constexpr double kSameFocus = 1e-9;

TEST_F(EditorLaunchersTest, TurningTwiceGivesBackTheSystemInTwoUndoSteps) {
  TOpticalEditor &editor = Open(triplet_);
  TSystemImage &system = editor.System();
  const int n = system.SurfaceCount();
  std::vector<std::array<double, 3>> vertices;
  for (int i = 0; i < n; ++i) {
    const double *v = system.Surface(i)->general.vertex;
    vertices.push_back({v[0], v[1], v[2]});
  }
  editor.SendMessage(WM_COMMAND, CM_ABERRATIONS);
  ASSERT_NE(editor.Launchers().AberrationsWindow(), nullptr);
  const int firstStep = system.options.undoIndex;
  const QImage before = test_kit::WindowPixels(*editor.Canvas());
  editor.SendMessage(WM_COMMAND, CM_TURN_SYSTEM);
  // Turned, the first surface met stands where the last one stood, and the canvas shows
  // the light coming from the other side.
  EXPECT_APPROX(system.Surface(0)->general.vertex[0], vertices[n - 1][0], kTurnedBack);
  EXPECT_NE(test_kit::WindowPixels(*editor.Canvas()), before);
  editor.SendMessage(WM_COMMAND, CM_TURN_SYSTEM);
  EXPECT_EQ(test_kit::WindowPixels(*editor.Canvas()), before);
  EXPECT_EQ(system.options.undoIndex, firstStep + 2);
  EXPECT_EQ(system.info.TurnSystem, 0);
  EXPECT_FALSE(Checked(CM_TURN_SYSTEM));
  ASSERT_EQ(system.SurfaceCount(), n);
  for (int i = 0; i < n; ++i)
    for (int k = 0; k < 3; ++k) EXPECT_APPROX(system.Surface(i)->general.vertex[k], vertices[i][k], kTurnedBack) << i;
  // Both steps undo one after the other, back to the opened system.
  EXPECT_EQ(ItemText(CM_UNDO), "Undo Turn system (ctrl-Z)");
  editor.SendMessage(WM_COMMAND, CM_UNDO);
  EXPECT_EQ(system.info.TurnSystem, 1);
  editor.SendMessage(WM_COMMAND, CM_UNDO);
  EXPECT_EQ(system.info.TurnSystem, 0);
  EXPECT_EQ(ItemText(CM_UNDO), "Can't Undo");
  EXPECT_NE(editor.Launchers().AberrationsWindow(), nullptr);
}

TEST_F(EditorLaunchersTest, PlaneOfBestInstallationFocusesTheDoubleGaussAsTheOpticsDo) {
  const std::string gauss = ScratchExample("double_gauss.os", "Double_Gauss.os");
  TOpticalEditor &editor = Open(gauss);
  TSystemImage &system = editor.System();
  const int image = system.SurfaceCount() - 1;
  ASSERT_GT(image, 2);
  // The image surface 3 mm behind where the file has it, as an edit of its own.
  system.Surface(image)->general.vertex[0] += 3.0;
  system.Update();
  ASSERT_EQ(system.SaveUndo("Move image"), 1);
  const double displaced = system.Surface(image)->general.vertex[0];

  // The optics' own focusing of the same system, displaced the same way.
  TSystemImage reference;
  ASSERT_EQ(reference.Load(ExamplePath("double_gauss.os"), 2), 1);
  reference.Surface(image)->general.vertex[0] += 3.0;
  reference.Update();
  reference.AutoFocus(nullptr, nullptr);
  const double best = reference.Surface(image)->general.vertex[0];
  ASSERT_GT(std::fabs(best - displaced), 1.0);

  EXPECT_FALSE(Grey(CM_BEST_IMAGE_PLANE));
  editor.SendMessage(WM_COMMAND, CM_BEST_IMAGE_PLANE);
  EXPECT_APPROX(system.Surface(image)->general.vertex[0], best, kSameFocus);
  EXPECT_APPROX(system.Surface(image)->general.vertex[1], reference.Surface(image)->general.vertex[1], kSameFocus);
  EXPECT_EQ(system.HasUnsavedChanges(), 1);
  EXPECT_EQ(ItemText(CM_UNDO), "Undo Plane of best installation (ctrl-Z)");
  editor.SendMessage(WM_COMMAND, CM_UNDO);
  EXPECT_APPROX(system.Surface(image)->general.vertex[0], displaced, kSameFocus);
}

TEST_F(EditorLaunchersTest, PlaneOfBestInstallationNamesABeamItLeftOut) {
  // At 40 degrees no ray gets through the double Gauss: the plane is placed by the axis and
  // the user is told which beam took no part.
  const std::string gauss = ScratchExample("double_gauss.os", "Double_Gauss.os");
  TOpticalEditor &editor = Open(gauss);
  TSystemImage &system = editor.System();
  system.info.AlfaM.Allocate(2, 1);
  system.info.AlfaM.data[0] = 0.0;
  system.info.AlfaM.data[1] = 40.0;
  system.Update();
  answers_->boxes.clear();
  editor.SendMessage(WM_COMMAND, CM_BEST_IMAGE_PLANE);
  ASSERT_EQ(answers_->boxes.size(), 1u);
  EXPECT_EQ(answers_->boxes[0].caption, "Plane of best installation");
  EXPECT_NE(answers_->boxes[0].text.find("No ray of beam 40 reaches the image surface"), std::string::npos)
      << answers_->boxes[0].text;
}

TEST_F(EditorLaunchersTest, WithOneSurfaceEveryRefusingLauncherBeepsAndOpensNothing) {
  TOpticalEditor &editor = Open(triplet_);
  TSystemImage &system = editor.System();
  while (system.SurfaceCount() > 1) system.DeleteSurface(system.SurfaceCount() - 1);
  system.RebuildElements(nullptr);
  const int step = system.options.undoIndex;
  const double vertex = system.Surface(0)->general.vertex[0];
  answers_->beeps.clear();
  for (UINT command : {CM_ABERRATIONS, CM_SPOT_DIAGRAM, CM_BEST_IMAGE_PLANE}) {
    const std::size_t before = answers_->beeps.size();
    editor.SendMessage(WM_COMMAND, command);
    EXPECT_EQ(answers_->beeps.size(), before + 1) << command;
  }
  EXPECT_EQ(editor.Launchers().AberrationsWindow(), nullptr);
  EXPECT_EQ(editor.Launchers().SpotWindow(), nullptr);
  EXPECT_EQ(system.options.undoIndex, step);
  EXPECT_EQ(system.Surface(0)->general.vertex[0], vertex);
  EXPECT_FALSE(Checked(CM_ABERRATIONS));
  EXPECT_FALSE(Checked(CM_SPOT_DIAGRAM));
}

TEST_F(EditorLaunchersTest, EveryLauncherIsAvailable) {
  Open(triplet_);
  for (UINT command : {CM_ABERRATIONS, CM_SPOT_DIAGRAM, CM_BEST_IMAGE_PLANE, CM_TURN_SYSTEM, CM_HELP_CONTENTS,
                       CM_ABOUT, CM_NARCISSUS, CM_IMAGE_SYNTHESIS, CM_3D_IMAGE})
    EXPECT_FALSE(Grey(command)) << command;
}

// Runs `answer` on the narcissus dialog once its modal loop runs. The answer is pending
// while the returned object lives: a command that shows no dialog leaves no timer behind to
// fire in a later test.
[[nodiscard]] std::unique_ptr<QObject> AnswerNarcissus(
    TOpticalEditor &editor, const std::function<void(TNarcissDlg &)> &answer, bool &seen) {
  auto pending = std::make_unique<QObject>();
  QTimer::singleShot(0, pending.get(), [&editor, answer, &seen]() {
    auto find = [&editor]() -> TNarcissDlg * {
      for (TWindow *child : editor.GetChildren())
        if (auto *dialog = dynamic_cast<TNarcissDlg *>(child); dialog != nullptr && dialog->IsModal()) return dialog;
      return nullptr;
    };
    test_kit::RunUntil([&] { return find() != nullptr; });
    if (TNarcissDlg *dialog = find()) {
      seen = true;
      answer(*dialog);
    }
  });
  return pending;
}

// The narcissus dialog's fields as it opens; then `text` is typed into the field `id` (0:
// none) and the dialog closed.
struct TNarcissusFields {
  std::string angle, scanner, lowBand;
};
TNarcissusFields NarcissusFields(TOpticalEditor &editor, int id = 0, const char *text = nullptr) {
  TNarcissusFields fields;
  bool seen = false;
  const auto answering = AnswerNarcissus(editor, [&](TNarcissDlg &dialog) {
    const auto field = [&dialog](int fieldId) {
      char shown[128] = {};
      dialog.GetDlgItemText(fieldId, shown, sizeof shown);
      return std::string(shown);
    };
    fields = {field(TNarcissDlg::kMaxAngle), field(TNarcissDlg::kScanner), field(TNarcissDlg::kLambdaMin)};
    if (id != 0) dialog.SetDlgItemText(id, text);
    dialog.PostMessage(WM_COMMAND, IDOK);
  }, seen);
  editor.SendMessage(WM_COMMAND, CM_NARCISSUS);
  EXPECT_TRUE(seen);
  return fields;
}

TEST_F(EditorLaunchersTest, NarcissusRunsOnATurnedCopyAndLeavesTheSystemAlone) {
  const std::string scanner = ScratchExample("infrared_scanner.os", "infrared_scanner.os");
  TOpticalEditor &editor = Open(scanner);
  TSystemImage &system = editor.System();
  ASSERT_EQ(system.SurfaceCount(), 9);
  ASSERT_NE(system.Surface(3)->general.materialKind, 0);  // the scanning mirror
  const double firstVertex = system.Surface(0)->general.vertex[0];
  const double lastVertex = system.Surface(8)->general.vertex[1];
  const int step = system.options.undoIndex;
  bool seen = false;
  std::string scannerText, lowBand;
  std::vector<std::string> labels;
  std::vector<std::vector<double>> cells;  // [row][scan position]
  const auto answering = AnswerNarcissus(editor, [&](TNarcissDlg &dialog) {
    char text[128] = {};
    dialog.GetDlgItemText(TNarcissDlg::kScanner, text, sizeof text);
    scannerText = text;
    dialog.GetDlgItemText(TNarcissDlg::kLambdaMin, text, sizeof text);
    lowBand = text;
    // The mirror turned by up to a degree sweeps the image over the 2 degree field.
    dialog.SetDlgItemText(TNarcissDlg::kMaxAngle, "1");
    dialog.SendMessage(WM_COMMAND, TNarcissDlg::kCompute);
    for (int r = 0; r < dialog.RowCount(); ++r) {
      labels.push_back(dialog.CellText(0, r));
      cells.emplace_back();
      for (int c = 1; c < TNarcissDlg::kColumns; ++c) {
        std::string cell = dialog.CellText(c, r);
        if (!cell.empty() && cell[0] == '=') cell.erase(0, 1);
        cells.back().push_back(std::atof(cell.c_str()));
      }
    }
    dialog.PostMessage(WM_COMMAND, IDOK);
  }, seen);
  editor.SendMessage(WM_COMMAND, CM_NARCISSUS);
  ASSERT_TRUE(seen);
  // The system's wavelengths 3, 4 and 5 give the band; the scanner field starts at the
  // plane mirror, numbered as the editor numbers it.
  EXPECT_EQ(lowBand, "3");
  EXPECT_EQ(scannerText, "4");
  EXPECT_TRUE(answers_->boxes.empty());
  EXPECT_EQ(editor.Launchers().NarcissusParameters().scannerSurface, 5);
  // Rows by the editor's numbers: the plane in front (1) and the mirror (4) read 0; the
  // window's faces 2 and 3 beyond the mirror, the lens faces 5 to 8 between it and the
  // detector.
  const std::vector<std::string> expected = {"1", "2", "3", "4", "5", "6", "7", "8", "All"};
  EXPECT_EQ(labels, expected);
  ASSERT_EQ(cells.size(), expected.size());
  EXPECT_EQ(cells[0][0] + cells[3][0], 0.0);
  // The window's ghost changes across the scan; the lenses' does not; so does the total.
  for (std::size_t r : {1u, 2u, 8u}) {
    for (std::size_t p = 1; p < cells[r].size(); ++p) EXPECT_LT(cells[r][p], cells[r][p - 1]) << r << " " << p;
  }
  for (std::size_t r = 4; r < 8; ++r)
    for (std::size_t p = 1; p < cells[r].size(); ++p) EXPECT_EQ(cells[r][p], cells[r][0]) << r << " " << p;
  // The edited system was neither turned nor changed.
  EXPECT_EQ(system.Surface(0)->general.vertex[0], firstVertex);
  EXPECT_EQ(system.Surface(8)->general.vertex[1], lastVertex);
  EXPECT_EQ(system.options.undoIndex, step);
  EXPECT_EQ(system.HasUnsavedChanges(), 0);

  // Opened again, the dialog shows what it was closed with: the scan angle, and a scanner
  // the user changed to the window's front face.
  EXPECT_EQ(NarcissusFields(editor, TNarcissDlg::kScanner, "2").angle, "1");
  EXPECT_EQ(NarcissusFields(editor).scanner, "2");

  // Another system opened takes its own scanner and band, and keeps the scan angle.
  ASSERT_EQ(editor.Files().LoadSystem(ScratchExample("germanium_ir_lens.os", "germanium_ir_lens.os"),
                                      kNameFromFileName),
            1);
  const TNarcissusFields other = NarcissusFields(editor);
  EXPECT_EQ(other.angle, "1");
  EXPECT_EQ(other.lowBand, "8");
  EXPECT_EQ(editor.Launchers().NarcissusParameters().scannerSurface, 2);
}

// The detector's cold image needs an image on the detector: an image at infinity is
// refused with its message, and no dialog opens.
TEST_F(EditorLaunchersTest, NarcissusRefusesAnImageAtInfinity) {
  TOpticalEditor &editor = Open(triplet_);
  editor.System().info.ImageFinite = 0;
  bool seen = false;
  const auto answering = AnswerNarcissus(editor, [](TNarcissDlg &dialog) { dialog.PostMessage(WM_COMMAND, IDOK); }, seen);
  editor.SendMessage(WM_COMMAND, CM_NARCISSUS);
  EXPECT_FALSE(seen);
  ASSERT_EQ(answers_->boxes.size(), 1u);
  EXPECT_EQ(answers_->boxes[0].text,
            "Narcissus effect can't be calculated for this system.\n           Image is not finite!\n");
  EXPECT_EQ(answers_->boxes[0].caption, "Warning");
  EXPECT_EQ(answers_->boxes[0].flags & MB_ICONMASK, static_cast<UINT>(MB_ICONEXCLAMATION));
  EXPECT_EQ(answers_->beeps.size(), 1u);
}

// The aberrations window's and the spot diagram's Help open the program's help at their
// own pages.
TEST_F(EditorLaunchersTest, AnalysisWindowsHelpOpensTheirPages) {
  std::filesystem::copy(SourceRoot() + "/resources/help", ProgramDir(),
                        std::filesystem::copy_options::recursive);
  TOpticalEditor &editor = Open(triplet_);
  editor.SendMessage(WM_COMMAND, CM_ABERRATIONS);
  editor.SendMessage(WM_COMMAND, CM_SPOT_DIAGRAM);
  ASSERT_NE(editor.Launchers().AberrationsWindow(), nullptr);
  ASSERT_NE(editor.Launchers().SpotWindow(), nullptr);
  answers_->beeps.clear();
  editor.Launchers().AberrationsWindow()->SendMessage(WM_COMMAND, CM_ABERR_HELP);
  ASSERT_NE(CurrentHelpWindow(), nullptr);
  EXPECT_EQ(CurrentHelpWindow()->PageTitle(), "Aberrations");
  editor.Launchers().SpotWindow()->SendMessage(WM_COMMAND, CM_SPOT_HELP);
  ASSERT_NE(CurrentHelpWindow(), nullptr);
  EXPECT_EQ(CurrentHelpWindow()->PageTitle(), "Spot diagram");
  EXPECT_TRUE(answers_->beeps.empty());

  // The PSF and MTF folder's Help button, the image-synthesis folder's Help menu and the
  // narcissus dialog's Help button.
  editor.SendMessage(WM_COMMAND, CM_PSF_MTF);
  ASSERT_NE(editor.Launchers().PsfWindow(), nullptr);
  editor.Launchers().PsfWindow()->SendMessage(WM_COMMAND, kPsfHelpButton);
  ASSERT_NE(CurrentHelpWindow(), nullptr);
  EXPECT_EQ(CurrentHelpWindow()->PageTitle(), "PSF and MTF");
  editor.SendMessage(WM_COMMAND, CM_PSF_MTF);
  editor.SendMessage(WM_COMMAND, CM_IMAGE_SYNTHESIS);
  ASSERT_NE(editor.Launchers().SynthesisWindow(), nullptr);
  editor.Launchers().SynthesisWindow()->SendMessage(WM_COMMAND, CM_SYNTHESIS_HELP);
  ASSERT_NE(CurrentHelpWindow(), nullptr);
  EXPECT_EQ(CurrentHelpWindow()->PageTitle(), "Image synthesis");
  editor.SendMessage(WM_COMMAND, CM_IMAGE_SYNTHESIS);
  bool seen = false;
  std::string narcissusTitle;
  const auto answering = AnswerNarcissus(editor, [&](TNarcissDlg &dialog) {
    dialog.SendMessage(WM_COMMAND, TNarcissDlg::kHelp);
    if (CurrentHelpWindow() != nullptr) narcissusTitle = CurrentHelpWindow()->PageTitle();
    dialog.PostMessage(WM_COMMAND, IDOK);
  }, seen);
  editor.SendMessage(WM_COMMAND, CM_NARCISSUS);
  ASSERT_TRUE(seen);
  EXPECT_EQ(narcissusTitle, "Narcissus analysis");
}

TEST_F(EditorLaunchersTest, NarcissusSaysSoWhenTheCopyCannotBeTurned) {
  const std::string scanner = ScratchExample("infrared_scanner.os", "infrared_scanner.os");
  TOpticalEditor &editor = Open(scanner);
  // The turn goes through a work file in the temporary directory, which is gone.
  const std::string kept = TempDir();
  SetTempDir(Scratch("missing/tmp"));
  bool seen = false;
  const auto answering = AnswerNarcissus(editor, [](TNarcissDlg &dialog) { dialog.PostMessage(WM_COMMAND, IDOK); }, seen);
  editor.SendMessage(WM_COMMAND, CM_NARCISSUS);
  SetTempDir(kept);
  EXPECT_FALSE(seen);
  ASSERT_EQ(answers_->boxes.size(), 1u);
  EXPECT_EQ(answers_->boxes[0].text, "System error...");
  EXPECT_EQ(answers_->boxes[0].caption, "Narcissus");
  EXPECT_EQ(editor.System().info.ObjectFinite, 0);
}

TEST_F(EditorLaunchersTest, NarcissusWarnsOfAWavelengthOutsideTheBandsAndGoesOnAtEightToFourteen) {
  TOpticalEditor &editor = Open(triplet_);
  editor.System().info.MonochromeSystem = 1;
  editor.System().info.LambdaW = 0.55;
  bool seen = false;
  std::string band[2];
  const auto answering = AnswerNarcissus(editor, [&band](TNarcissDlg &dialog) {
    char shown[64] = {};
    dialog.GetDlgItemText(TNarcissDlg::kLambdaMin, shown, sizeof shown);
    band[0] = shown;
    dialog.GetDlgItemText(TNarcissDlg::kLambdaMax, shown, sizeof shown);
    band[1] = shown;
    dialog.PostMessage(WM_COMMAND, IDOK);
  }, seen);
  editor.SendMessage(WM_COMMAND, CM_NARCISSUS);
  ASSERT_EQ(answers_->boxes.size(), 1u);
  EXPECT_EQ(answers_->boxes[0].text, "Incorrect spectral interval.");
  EXPECT_EQ(answers_->boxes[0].caption, "Narcissus");
  // The message told, the dialog opens on the long-wave band.
  ASSERT_TRUE(seen);
  EXPECT_EQ(std::stod(band[0]), 8.0);
  EXPECT_EQ(std::stod(band[1]), 14.0);
  // Too small a system beeps.
  TSystemImage &system = editor.System();
  while (system.SurfaceCount() > 1) system.DeleteSurface(system.SurfaceCount() - 1);
  system.RebuildElements(nullptr);
  answers_->beeps.clear();
  editor.SendMessage(WM_COMMAND, CM_NARCISSUS);
  EXPECT_EQ(answers_->beeps.size(), 1u);
  EXPECT_EQ(answers_->boxes.size(), 1u);
}

}  // namespace

namespace {

TEST_F(EditorLaunchersTest, EveryViewOfTheSystemsFiguresShowsTheSystemOpenedOrNone) {
  // The singlet with a wavelength of 5 um, which its crown's data (0.3 to 2.5 um) do not
  // reach, opened after the double Gauss while every view of the system's figures shows.
  std::string text = ReadText(ExamplePath("singlet.os"));
  text.replace(text.find("MonochromeSystem=1"), 18, "MonochromeSystem=0");
  text.replace(text.find("Lambda=0.5875618"), 16, "Lambda=0.5875618, 5");
  text.replace(text.find("Weight=1"), 8, "Weight=1, 1");
  const std::string untraceable = Scratch("Systems/singlet5um.os");
  WriteText(untraceable, text);
  TOpticalEditor &editor = Open(ScratchExample("double_gauss.os", "double_gauss.os"));
  editor.System().options.ShowCourseBeam = 1;
  // Whether each view shows figures of a system.
  const std::map<int, std::function<bool()>> shows = {
      {CM_GENERAL_PARAMETERS,
       [&] {
         bool any = false;
         for (int line = kFocalLengthLine; line <= kStopSurfaceLine; ++line)
           any = any || GeneralInfoWindow()->Table()->CellText(0, line) != "-";
         return any;
       }},
      {CM_REAL_BEAMS, [&] { return editor.System().beams.beams.Cells() > 0; }},
      {CM_SPOT_DIAGRAM,
       [&] {
         const Mem<TSpotPoints> &beams = editor.Launchers().SpotWindow()->Computation().beams;
         return std::any_of(beams.data, beams.data + beams.Cells(), [](const TSpotPoints &b) { return b.Cells() > 0; });
       }},
      {CM_ABERRATIONS, [&] { return editor.Launchers().AberrationsWindow()->Computation().PointCounts.Cells() > 0; }},
      {CM_PRINT, [&] { return SystemReportLines(editor.System()).at(5).find("Focal length, mm: -") == std::string::npos; }},
  };
  for (const int view : kSystemFigureViews) {
    ASSERT_EQ(shows.count(view), 1u) << view;
    if (view != CM_REAL_BEAMS && view != CM_PRINT) editor.SendMessage(WM_COMMAND, view);
  }
  editor.ShowSystem();
  for (const int view : kSystemFigureViews) EXPECT_TRUE(shows.at(view)()) << view;
  const std::size_t told = answers_->boxes.size();
  ASSERT_TRUE(TFileCommands::IsLoaded(editor.Files().LoadSystem(untraceable, kNameFromFileName)));
  for (const int view : kSystemFigureViews) EXPECT_FALSE(shows.at(view)()) << view;
  // The file's warning names the glass, its range and the wavelength beyond it.
  ASSERT_GT(answers_->boxes.size(), told);
  EXPECT_NE(answers_->boxes[told].text.find("n-bk7_schott gives indices from 0.3 to 2.5 µm only, not at 5 µm"),
            std::string::npos)
      << answers_->boxes[told].text;
  // Refresh shows none either.
  editor.RefreshAll();
  for (const int view : kSystemFigureViews) EXPECT_FALSE(shows.at(view)()) << view;
}

}  // namespace
