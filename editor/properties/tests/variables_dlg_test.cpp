// The variables dialog of the properties folder on the user's road: curvatures made
// variable through it, a merit function set, Optimize brings the focal length to its target
// and Undo gives the system before the run; bad entries get a "Warning" and change
// nothing; Cancel leaves the list as it was; a parameter file the dialog saves reads back
// equal and opens again.

#include "editor/properties/variables_dlg.h"

#include <QTimer>
#include <algorithm>
#include <cmath>
#include <fstream>
#include <functional>
#include <string>

#include "document/system/system_image.h"
#include "editor/commands/editor_commands.h"
#include "editor/dialogs/quick_table_dlg.h"
#include "editor/optimize/optimization_panel.h"
#include "editor/properties/general_info_model.h"
#include "editor/properties/properties_pages.h"
#include "editor/properties/properties_table.h"
#include "editor/properties/surface_table_model.h"
#include "editor/properties/system_properties_folder.h"
#include "editor/properties/tests/table_typing.h"
#include "editor/files/untitled_files.h"
#include "editor/properties/variables_model.h"
#include "platform/core/paths.h"
#include "optimization/windows/optimization_functions_dlg.h"
#include "editor/shell/tests/editor_shell_test_support.h"
#include "foundation/testing/approx.h"
#include "platform/core/scripted_dialogs.h"
#include "toolkit/tables/cell_edit.h"
#include "toolkit/tables/win_table_edit.h"

namespace {

constexpr int kWaitMs = test_kit::kPatienceMs;
constexpr double kRadiusTolerance = 1e-12;
// Half a unit in the seventh significant digit, relative to the value.
constexpr double kShownRadius = 5e-7;

// The digits of a number's text from its first non-zero one, the exponent left out.
int SignificantDigits(const std::string &text) {
  int digits = 0;
  bool leading = true;
  for (char c : text) {
    if (c == 'e' || c == 'E') break;
    if (c < '0' || c > '9') continue;
    if (leading && c == '0') continue;
    leading = false;
    ++digits;
  }
  return digits;
}

class VariablesDlgTest : public EditorShellTest {
 protected:
  // The triplet in the editor, its folder open with the optimization panel shown.
  TSystemPropertiesFolder &OpenPanel() {
    TOpticalEditor &editor = Open(triplet_);
    editor.SendMessage(WM_COMMAND, CM_EDIT_AS_TABLE);
    EXPECT_NE(PropertiesFolder(), nullptr);
    test_kit::RunFor(20);
    PropertiesFolder()->SendMessage(WM_COMMAND, kOptimizationButtonId);
    EXPECT_NE(PropertiesFolder()->OptimizationPanel(), nullptr);
    return *PropertiesFolder();
  }
  // Presses the folder's Variables button and runs the script in the dialog's loop.
  void WithVariables(TSystemPropertiesFolder &folder, const std::function<void(TVariablesDlg &)> &script) {
    bool ran = false;
    QTimer::singleShot(0, [&] {
      ASSERT_TRUE(test_kit::RunUntil(
          [&] { return folder.VariablesDialog() != nullptr && folder.VariablesDialog()->IsWindowVisible(); },
          kWaitMs));
      script(*folder.VariablesDialog());
      ran = true;
      // A script that forgot to close the dialog does not hang the test.
      if (folder.VariablesDialog() != nullptr) folder.VariablesDialog()->SendMessage(WM_COMMAND, IDCANCEL);
    });
    folder.SendMessage(WM_COMMAND, kPanelVariablesId);
    EXPECT_TRUE(ran);
    EXPECT_EQ(folder.VariablesDialog(), nullptr);
  }
  static void Add(TVariablesDlg &dialog, const char *surface, int button) {
    dialog.SetDlgItemText(TVariablesDlg::kSurfaceId, surface);
    dialog.SendMessage(WM_COMMAND, button);
  }
  // Types over a cell of the dialog's table as the user does, then Enter.
  void Type(TPropertiesTable &table, int column, int row, const char *text) {
    ASSERT_TRUE(TypeIntoCell(table, column, row, text));
  }
  // Types into a cell and leaves the editor open, as before a click on a button.
  void TypeWithoutEnter(TPropertiesTable &table, int column, int row, const char *text) {
    ASSERT_TRUE(TypeIntoCell(table, column, row, text, false));
    test_kit::RunFor(30);
  }
  static double FocalLength(TSystemImage &system) { return std::stod(GeneralInfoItems(system).at(0).value); }
};

TEST_F(VariablesDlgTest, CurvaturesMadeVariableOptimizeTheFocalLengthAndUndoGivesTheSystemBack) {
  TSystemPropertiesFolder &folder = OpenPanel();
  TOptimizationPanel &panel = *folder.OptimizationPanel();
  WithVariables(folder, [&](TVariablesDlg &dialog) {
    // The surface selected in the surfaces table is proposed: the first lens face.
    char proposed[16] = {};
    dialog.GetDlgItemText(TVariablesDlg::kSurfaceId, proposed, sizeof proposed);
    EXPECT_STREQ(proposed, "2");
    dialog.SendMessage(WM_COMMAND, TVariablesDlg::kAddCurvatureId);
    // Each Add proposes the next surface.
    dialog.SendMessage(WM_COMMAND, TVariablesDlg::kAddCurvatureId);
    Add(dialog, "7", TVariablesDlg::kAddCurvatureId);
    Add(dialog, "x", TVariablesDlg::kAddCurvatureId);
    ASSERT_EQ(answers_->boxes.size(), 1u);
    EXPECT_EQ(answers_->boxes.back().text, "Surface: \"x\" is not a whole number.");
    EXPECT_EQ(answers_->boxes.back().caption, "Warning");
    TPropertiesTable &table = *dialog.Table();
    ASSERT_EQ(table.RowCount(), 3);
    EXPECT_EQ(table.CellText(kVariableTypeColumn, 2), "R");
    EXPECT_EQ(table.CellText(kVariableSurfaceColumn, 2), "7");
    EXPECT_EQ(table.CellText(kVariableValueColumn, 0), "0.0454265");
    // A bound typed wrong is refused and the cell shows the row again.
    const std::string right = table.CellText(kVariableRightColumn, 1);
    Type(table, kVariableRightColumn, 1, "-1");
    ASSERT_TRUE(test_kit::RunUntil([&] { return answers_->boxes.size() == 2; }, kWaitMs));
    EXPECT_EQ(answers_->boxes.back().text, "Parameter 2: its left bound must lie below its right bound.");
    test_kit::RunFor(20);
    EXPECT_EQ(table.CellText(kVariableRightColumn, 1), right);
    // Nothing reaches the folder's list before OK.
    EXPECT_EQ(panel.parameters.Count(), 0);
    dialog.SendMessage(WM_COMMAND, IDOK);
  });
  ASSERT_EQ(panel.parameters.Count(), 3);
  EXPECT_EQ(panel.parameters.Find(0, 6, "R"), 2);
  EXPECT_NE(folder.PanelSummary().find("Variables: 3"), std::string::npos);

  // The focal length (50) the only weighted function, with the target 47.
  TOptimizationFunctions &functions = panel.functions;
  for (int k = 0; k < functions.records.cols * functions.records.rows; ++k)
    for (auto *table : {&functions.records.data[k].AberT, &functions.records.data[k].AberW,
                        &functions.records.data[k].Distor, &functions.records.data[k].Strehl})
      table->Clear();
  functions.SetConfigurations();
  TFunctionDescription &focus = functions.Record(0, 0)->Focus.data[0];
  constexpr double kTarget = 47.0;
  focus.Target = kTarget;
  focus.Weight = 1.0;
  functions.BuildIndex();

  TOpticalEditor &editor = *editor_;
  TSystemImage &system = editor.System();
  double radii[8] = {};
  for (int i = 0; i < 8; ++i) radii[i] = system.Surface(i)->general.R;
  const double before = FocalLength(system);
  folder.SendMessage(WM_COMMAND, kPanelOptimizeId);
  EXPECT_TRUE(answers_->boxes.size() == 2) << answers_->boxes.back().text;
  const double after = FocalLength(system);
  EXPECT_LT(std::fabs(after - kTarget), 0.1 * std::fabs(before - kTarget));
  EXPECT_NE(system.Surface(1)->general.R, radii[1]);
  EXPECT_EQ(system.Surface(3)->general.R, radii[3]);
  // The surfaces table shows the optimized radii to as many digits as the radius read from
  // the file beside them; the system keeps them whole.
  ASSERT_NE(folder.SurfacesPage(), nullptr);
  TPropertiesTable &surfaces = *folder.SurfacesPage()->Table();
  EXPECT_EQ(surfaces.CellText(kRadiusColumn, 3), "-22.21328");
  for (int row : {1, 2, 6}) {
    const std::string shown = surfaces.CellText(kRadiusColumn, row);
    EXPECT_LE(SignificantDigits(shown), kShownPropertyDigits) << shown;
    const double R = system.Surface(row)->general.R;
    EXPECT_APPROX(std::stod(shown), R, kShownRadius * std::fabs(R)) << row;
    EXPECT_NE(std::stod(shown), R) << row;
  }
  // The run's list went to the file beside the system, and the list is kept.
  EXPECT_TRUE(std::filesystem::exists(Scratch("Systems/Cooke_Triplet.par")));
  EXPECT_EQ(panel.parameters.Count(), 3);

  editor.SendMessage(WM_COMMAND, CM_UNDO);
  for (int i = 0; i < 8; ++i) EXPECT_APPROX(system.Surface(i)->general.R, radii[i], kRadiusTolerance) << i;
  EXPECT_APPROX(FocalLength(system), before, kRadiusTolerance);

  // The list stays with the folder: the panel closed and shown again reads it back.
  folder.SendMessage(WM_COMMAND, kOptimizationButtonId);
  folder.SendMessage(WM_COMMAND, kOptimizationButtonId);
  ASSERT_NE(folder.OptimizationPanel(), nullptr);
  EXPECT_EQ(folder.OptimizationPanel()->parameters.Count(), 3);
}

TEST_F(VariablesDlgTest, EscapeDropsTheTypingThenClosesTheDialogAsCancel) {
  TSystemPropertiesFolder &folder = OpenPanel();
  TOptimizationParameters &list = folder.OptimizationPanel()->parameters;
  // Should Escape never reach the dialog, this closes it so that the test ends.
  bool timedOut = false;
  QTimer guard;
  guard.setSingleShot(true);
  QObject::connect(&guard, &QTimer::timeout, [&] {
    if (folder.VariablesDialog() == nullptr) return;
    timedOut = true;
    folder.VariablesDialog()->SendMessage(WM_COMMAND, IDCANCEL);
  });
  guard.start(kWaitMs);
  bool typedAndDropped = false;
  QTimer::singleShot(0, &guard, [&] {
    ASSERT_TRUE(test_kit::RunUntil(
        [&] { return folder.VariablesDialog() != nullptr && folder.VariablesDialog()->IsWindowVisible(); }, kWaitMs));
    TVariablesDlg &dialog = *folder.VariablesDialog();
    Add(dialog, "2", TVariablesDlg::kAddCurvatureId);
    TPropertiesTable &table = *dialog.Table();
    ASSERT_EQ(table.RowCount(), 1);
    const std::string left = table.CellText(kVariableLeftColumn, 0);
    // Typing in a cell: the first Escape drops it, the dialog stays.
    TypeWithoutEnter(table, kVariableLeftColumn, 0, "0.5");
    TCellEdit &editor = *table.Grid()->Editor();
    ASSERT_EQ(editor.GetWindowText(), "0.5");
    test_kit::PostKey(editor, VK_ESCAPE);
    ASSERT_TRUE(test_kit::RunUntil([&] { return editor.GetWindowText() == left; }, kWaitMs));
    test_kit::RunFor(30);
    EXPECT_TRUE(dialog.IsWindowVisible());
    typedAndDropped = true;
    // Nothing typed now: the next Escape is the dialog's Cancel.
    test_kit::PostKey(editor, VK_ESCAPE);
  });
  folder.SendMessage(WM_COMMAND, kPanelVariablesId);
  EXPECT_TRUE(typedAndDropped);
  EXPECT_FALSE(timedOut);
  EXPECT_EQ(folder.VariablesDialog(), nullptr);
  // Cancelled: the row added in the dialog never reached the list.
  EXPECT_EQ(list.Count(), 0);
  EXPECT_TRUE(answers_->boxes.empty());
}

TEST_F(VariablesDlgTest, CancelChangesNothingAndASavedFileReadsBackEqual) {
  TSystemPropertiesFolder &folder = OpenPanel();
  TOptimizationParameters &list = folder.OptimizationPanel()->parameters;
  WithVariables(folder, [&](TVariablesDlg &dialog) {
    Add(dialog, "2", TVariablesDlg::kAddCurvatureId);
    Add(dialog, "4", TVariablesDlg::kAddDistanceId);
    dialog.SendMessage(WM_COMMAND, IDOK);
  });
  ASSERT_EQ(list.Count(), 2);
  const TParameterDescription distance = list.Get(1);

  TScriptedFileDialog files;
  const std::string saved = Scratch("chosen.par");
  WithVariables(folder, [&](TVariablesDlg &dialog) {
    // Added, deleted and typed into, then cancelled.
    Add(dialog, "6", TVariablesDlg::kAddCurvatureId);
    dialog.Table()->Grid()->SetCurrentCell(0, 0);
    dialog.SendMessage(WM_COMMAND, TVariablesDlg::kDeleteId);
    ASSERT_EQ(dialog.Table()->RowCount(), 2);
    EXPECT_EQ(dialog.Table()->CellText(kVariableTypeColumn, 0), "T");
    ASSERT_TRUE(dialog.Model().Edit(kVariableLeftColumn, 0, "0.5").accepted);
    // Saved as it is now.
    files.Choose({saved});
    dialog.SendMessage(WM_COMMAND, TVariablesDlg::kSaveId);
    dialog.SendMessage(WM_COMMAND, IDCANCEL);
  });
  EXPECT_TRUE(answers_->boxes.empty());
  ASSERT_EQ(list.Count(), 2);
  EXPECT_EQ(std::string(list.Get(0).Type.c_str()), "R");
  EXPECT_EQ(list.Get(1).Left, distance.Left);
  EXPECT_EQ(list.Get(1).Right, distance.Right);

  // The file holds the dialog's rows as they were saved.
  TOptimizationParameters read;
  read.SetOwner(&folder.OptimizationPanel()->System());
  read.Read(saved);
  ASSERT_EQ(read.Count(), 2);
  EXPECT_EQ(std::string(read.Get(0).Type.c_str()), "T");
  EXPECT_EQ(read.Get(0).Surf, 3);
  EXPECT_EQ(read.Get(0).Left, 0.5);
  EXPECT_EQ(read.Get(0).Right, distance.Right);
  EXPECT_EQ(std::string(read.Get(1).Type.c_str()), "R");
  EXPECT_EQ(read.Get(1).Surf, 5);

  // Opened in the dialog it becomes the list on OK, with the bound still being typed.
  files.Choose({saved});
  WithVariables(folder, [&](TVariablesDlg &dialog) {
    dialog.SendMessage(WM_COMMAND, TVariablesDlg::kOpenId);
    EXPECT_EQ(dialog.Table()->CellText(kVariableLeftColumn, 0), "0.5");
    TypeWithoutEnter(*dialog.Table(), kVariableLeftColumn, 0, "0.75");
    dialog.SendMessage(WM_COMMAND, IDOK);
  });
  ASSERT_EQ(list.Count(), 2);
  EXPECT_EQ(list.Get(0).Left, 0.75);
  EXPECT_EQ(list.Get(1).Surf, 5);

  // A file with crossed bounds is refused with one message naming the record, and the
  // rows stay; crossed bounds typed make OK say what is wrong and keep the dialog.
  std::ofstream(Scratch("crossed.par")) << "[Common]\nNumPar=1\n\n[Parameters]\n"
                                           "{ Config=0; Surf=2; Left=1; Right=0; Type=\"R\" }\n";
  files.Choose({Scratch("crossed.par")});
  WithVariables(folder, [&](TVariablesDlg &dialog) {
    const std::size_t boxes = answers_->boxes.size();
    dialog.SendMessage(WM_COMMAND, TVariablesDlg::kOpenId);
    ASSERT_EQ(answers_->boxes.size(), boxes + 1);
    EXPECT_NE(answers_->boxes.back().text.find("record 1 { Config=0; Surf=2; Left=1; Right=0; Type=\"R\" } has its left bound above"),
              std::string::npos)
        << answers_->boxes.back().text;
    ASSERT_EQ(dialog.Table()->RowCount(), 2);
    TypeWithoutEnter(*dialog.Table(), kVariableRightColumn, 0, "-1");
    dialog.SendMessage(WM_COMMAND, IDOK);
    EXPECT_EQ(answers_->boxes.back().text, "Parameter 1: its left bound must lie below its right bound.");
    EXPECT_EQ(answers_->boxes.back().caption, "Warning");
    EXPECT_NE(folder.VariablesDialog(), nullptr);
    // A typed bound the table refuses keeps the dialog open too.
    TypeWithoutEnter(*dialog.Table(), kVariableRightColumn, 0, "abc");
    dialog.SendMessage(WM_COMMAND, IDOK);
    EXPECT_EQ(answers_->boxes.back().text, "Parameter 1: \"abc\" is not a number.");
    EXPECT_NE(folder.VariablesDialog(), nullptr);
    dialog.SendMessage(WM_COMMAND, IDCANCEL);
  });
  EXPECT_EQ(list.Count(), 2);
}

TEST_F(VariablesDlgTest, ARunBlockedByCrossedBoundsNamesTheSurfaceAsTheTablesNumberIt) {
  // The file beside the system crosses the bounds of the first lens face, surface 2 in the
  // surfaces table and in the dialog: the file is refused, naming the record.
  std::ofstream(Scratch("Systems/Cooke_Triplet.par")) << "[Common]\nNumPar=1\n\n[Parameters]\n"
                                                         "{ Config=0; Surf=1; Left=1; Right=0; Type=\"R\" }\n";
  TSystemPropertiesFolder &folder = OpenPanel();
  ASSERT_EQ(folder.OptimizationPanel()->parameters.Count(), 0);
  ASSERT_FALSE(answers_->boxes.empty());
  EXPECT_NE(answers_->boxes.back().text.find("Surf=1; Left=1; Right=0; Type=\"R\" } has its left bound above"),
            std::string::npos)
      << answers_->boxes.back().text;
  // Crossed bounds that reach the list another way still block the run.
  TParameterDescription crossed;
  crossed.Set(0, 1, "R", 1.0, 0.0);
  folder.OptimizationPanel()->parameters.Add(crossed);
  ASSERT_EQ(folder.OptimizationPanel()->parameters.Count(), 1);
  WithVariables(folder, [&](TVariablesDlg &dialog) {
    EXPECT_EQ(dialog.Table()->CellText(kVariableSurfaceColumn, 0), "2");
    dialog.SendMessage(WM_COMMAND, IDCANCEL);
  });
  const int undoIndex = editor_->System().options.undoIndex;
  folder.SendMessage(WM_COMMAND, kPanelOptimizeId);
  ASSERT_FALSE(answers_->boxes.empty());
  EXPECT_EQ(answers_->boxes.back().text.rfind("Parameter 1 (R of surface 2) has its left bound above", 0), 0u)
      << answers_->boxes.back().text;
  EXPECT_EQ(editor_->System().options.undoIndex, undoIndex);
}

TEST_F(VariablesDlgTest, TheDialogOfAFolderAtTheScreensRightEdgeOpensWhollyOnTheScreen) {
  TScriptedScreenProvider screen;
  const int screenWidth = GetSystemMetrics(SM_CXSCREEN), screenHeight = GetSystemMetrics(SM_CYSCREEN);
  TSystemPropertiesFolder &folder = OpenPanel();
  const RECT own = folder.GetWindowRect();
  // Dragged against the right edge, partly past it: the template's place, counted from
  // the folder's client area, lies past the edge.
  constexpr int kShown = 150;
  folder.MoveWindow(screenWidth - kShown, 0, own.Width(), own.Height(), false);
  RECT placed{};
  WithVariables(folder, [&](TVariablesDlg &dialog) { placed = dialog.GetWindowRect(); });
  EXPECT_GT(placed.Width(), 0);
  EXPECT_GE(placed.left, 0);
  EXPECT_GE(placed.top, 0);
  EXPECT_LE(placed.right, screenWidth);
  EXPECT_LE(placed.bottom, screenHeight);
}

// A dialog of the panel open while a command of the main window replaces or changes the
// system ends as its Cancel does: its OK can no longer write values it took from another
// state of the system. One that the system changed under says so; one whose system is
// replaced ends before the panel it edits goes. So it does when the folder is closed from
// the menu or the editor goes.
TEST_F(VariablesDlgTest, ThePanelDialogsEndWhenTheSystemIsReplacedOrChanged) {
  TScriptedFileDialog files;
  const std::string gauss = ScratchExample("double_gauss.os", "Gauss.os");
  struct TRoad {
    UINT command;
    int answer;     // the answer to the command's own question (0: none)
    bool replaces;  // the system is another one afterwards
  };
  const TRoad roads[] = {{CM_OPEN_SYSTEM, 0, true},         {CM_NEW_SYSTEM, 0, true},
                         {CM_OPEN_RECENT_FIRST, 0, true},   {CM_EDIT_AS_TABLE, 0, false},
                         {WM_CLOSE, 0, false},              {CM_UNDO, 0, false},
                         {CM_REDO, 0, false},               {CM_ADD_CONFIGURATION, IDYES, false},
                         {CM_DELETE, IDYES, false},         {CM_TILT, 0, false},
                         {CM_BEST_IMAGE_PLANE, 0, false},   {0, 0, false}};
  for (const TRoad &road : roads) {
    const UINT command = road.command;
    for (const int button : {kPanelVariablesId, kPanelFunctionsId}) {
      SCOPED_TRACE("command " + std::to_string(command) + ", button " + std::to_string(button));
      TSystemPropertiesFolder &folder = OpenPanel();
      TOpticalEditor &editor = *editor_;
      // The recent item is the file opened first; the triplet is the system the dialog shows.
      files.Choose({gauss});
      editor.SendMessage(WM_COMMAND, CM_OPEN_SYSTEM);
      files.Choose({triplet_});
      editor.SendMessage(WM_COMMAND, CM_OPEN_SYSTEM);
      // Two edits, one taken back: Undo and Redo each have a step.
      TSystemImage &system = editor.System();
      for (const double radius : {40.0, 50.0}) {
        system.Surface(2)->SetRadius(radius);
        system.SaveUndo("Radius");
      }
      editor.SendMessage(WM_COMMAND, CM_UNDO);
      system.elements.data[1].mark = system.hasSelection = 1;
      folder.SendMessage(WM_COMMAND, kOptimizationButtonId);
      ASSERT_NE(folder.OptimizationPanel(), nullptr);
      auto dialog = [&]() -> TWindow * {
        return button == kPanelVariablesId ? static_cast<TWindow *>(folder.VariablesDialog())
                                           : static_cast<TWindow *>(folder.FunctionsDialog());
      };
      bool ended = false;
      answers_->boxes.clear();
      QTimer::singleShot(0, [&] {
        ASSERT_TRUE(test_kit::RunUntil([&] { return dialog() != nullptr && dialog()->IsWindowVisible(); }, kWaitMs));
        if (command == CM_OPEN_SYSTEM) files.Choose({gauss});
        if (road.answer != 0) answers_->QueueAnswer(road.answer);
        // The dialog lives on the stack of the command below until its loop returns; the
        // folder may be gone by then.
        TWindow *open = dialog();
        if (command != 0) editor.SendMessage(command == WM_CLOSE ? WM_CLOSE : WM_COMMAND, command == WM_CLOSE ? 0 : command);
        // A change no window is told of: the dialog's OK finds it.
        if (command == 0) {
          system.Surface(2)->SetRadius(60.0);
          system.SaveUndo("Radius");
        }
        if (command == CM_TILT) {
          editor.EditTools().inclinationTable->SetDlgItemText(TQuickInclinationTableDlg::kAngle, "5");
          editor.EditTools().inclinationTable->SendMessage(WM_COMMAND, TQuickTableDlg::kApply);
        }
        ended = open->GetHandle() == nullptr;
        // The user's OK on a dialog left over would write what it took from another system.
        if (!ended) open->SendMessage(WM_COMMAND, IDOK);
      });
      folder.SendMessage(WM_COMMAND, button);
      EXPECT_EQ(ended, command != 0);
      EXPECT_TRUE(PropertiesFolder() != &folder || folder.OptimizationPanel() == nullptr || !road.replaces);
      EXPECT_TRUE(command != WM_CLOSE || editor.GetHandle() == nullptr);
      EXPECT_EQ(editor.GetHandle() != nullptr && editor.System().name != triplet_, road.replaces);
      const bool told = std::ranges::any_of(
          answers_->boxes, [](const auto &box) { return box.text.find("The system changed while") == 0; });
      EXPECT_EQ(told, !road.replaces && command != CM_EDIT_AS_TABLE && command != WM_CLOSE);
      // The panel's functions follow the configurations the system has now.
      if (PropertiesFolder() == &folder && folder.OptimizationPanel() != nullptr) {
        EXPECT_EQ(folder.OptimizationPanel()->functions.Configurations(), editor.System().ConfigurationCount());
      }
    }
  }
}

}  // namespace

// An unnamed system's variables are saved where the user's systems are, never over the
// panel's own file in the private temporary directory, which New removes.
TEST_F(VariablesDlgTest, AnUnnamedSystemsVariablesAreSavedBesideTheUsersSystems) {
  TSystemPropertiesFolder &folder = OpenPanel();
  editor_->System().name = UntitledSystemPath();
  TScriptedFileDialog files;
  WithVariables(folder, [&](TVariablesDlg &dialog) { dialog.SendMessage(WM_COMMAND, TVariablesDlg::kSaveId); });
  ASSERT_EQ(files.asked.size(), 1u);
  EXPECT_EQ(files.asked[0].InitialDir, SystemsDir());
  EXPECT_NE(JoinPath(files.asked[0].InitialDir, files.asked[0].FileName), TempPath("untitled.par"));
}

