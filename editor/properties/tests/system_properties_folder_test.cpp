// The system's properties folder in the editor: the table editor command opens and closes
// it, a radius typed into the surfaces table changes the system and its picture and Undo
// brings it back, bad entries get a message and leave the cell as it was, New opens the
// folder, General parameters shows the General page or the standalone window, and the
// optimization panel is closed before the system is replaced.

#include "editor/properties/system_properties_folder.h"

#include <QImage>
#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "analysis/aberrations/show_easy_aberrations_dlg.h"
#include "document/system/system_image.h"
#include "editor/commands/editor_commands.h"
#include "editor/optimize/optimization_panel.h"
#include "editor/properties/aspherics_model.h"
#include "editor/properties/general_info_model.h"
#include "editor/properties/grid_page_model.h"
#include "editor/properties/properties_grid_page.h"
#include "editor/properties/properties_general_info_dlg.h"
#include "editor/properties/properties_pages.h"
#include "editor/properties/properties_table.h"
#include "editor/properties/surface_table_model.h"
#include "editor/properties/tests/table_typing.h"
#include "editor/shell/optical_editor.h"
#include "editor/shell/tests/editor_shell_test_support.h"
#include "foundation/testing/small_disk.h"
#include "platform/core/scripted_dialogs.h"
#include "optimization/windows/optimization_viewer.h"
#include "platform/gui/controls/combo_box.h"
#include "platform/gui/drawing/window_dc.h"
#include "platform/gui/menus/menu_tracker.h"
#include "platform/gui/windows/scroller.h"
#include "toolkit/tables/cell_edit.h"
#include "toolkit/tables/table_header.h"
#include "toolkit/tables/win_table_edit.h"

namespace {

constexpr int kWaitMs = test_kit::kPatienceMs;

class PropertiesFolderTest : public EditorShellTest {
 protected:
  bool Checked(UINT command) const { return (GetMenuState(Menu(), command, MF_BYCOMMAND) & MF_CHECKED) != 0; }
  TSystemPropertiesFolder &OpenFolder(TOpticalEditor &editor) {
    editor.SendMessage(WM_COMMAND, CM_EDIT_AS_TABLE);
    EXPECT_NE(PropertiesFolder(), nullptr);
    test_kit::RunFor(20);
    return *PropertiesFolder();
  }
  // Types the text over the cell's text as the user does, then Enter.
  void Type(TPropertiesTable &table, int column, int row, const char *text) {
    ASSERT_TRUE(TypeIntoCell(table, column, row, text));
  }
};

// Counts the edited system's notices while it lives.
class TNoticeCounter final : public TSystemObserver {
 public:
  explicit TNoticeCounter(TSystemImage &system) : system_(system) { system_.AddObserver(this); }
  ~TNoticeCounter() override { system_.RemoveObserver(this); }
  void SystemEdited() override {
    if (++notices == 1 && first) first();
  }
  int notices = 0;
  std::function<void()> first;  // called at the first notice

 private:
  TSystemImage &system_;
};

TEST_F(PropertiesFolderTest, ARadiusTypedInTheTableRedrawsTheSystemAndUndoBringsItBack) {
  TOpticalEditor &editor = Open(triplet_);
  TSystemPropertiesFolder &folder = OpenFolder(editor);
  EXPECT_TRUE(Checked(CM_EDIT_AS_TABLE));
  ASSERT_EQ(folder.CurrentPage(), kSurfacesPage);
  TPropertiesTable &table = *folder.SurfacesPage()->Table();
  ASSERT_EQ(table.RowCount(), editor.System().SurfaceCount());
  EXPECT_EQ(table.CellText(kRadiusColumn, 1), "22.01359");
  EXPECT_EQ(table.CellText(kGlassColumn, 1), "n-sk16_schott");
  const QImage before = test_kit::WindowPixels(*editor.Canvas());

  Type(table, kRadiusColumn, 1, "40");
  ASSERT_TRUE(test_kit::RunUntil([&] { return editor.System().Surface(1)->general.R == 40.0; }, kWaitMs));
  test_kit::RunFor(50);
  EXPECT_TRUE(answers_->boxes.empty());
  EXPECT_EQ(table.CellText(kRadiusColumn, 1), "40");
  // The canvas shows the flatter first face.
  EXPECT_NE(test_kit::WindowPixels(*editor.Canvas()), before);
  EXPECT_EQ(ItemText(CM_UNDO), "Undo Radius of surface 2 (ctrl-Z)");

  editor.SendMessage(WM_COMMAND, CM_UNDO);
  EXPECT_EQ(editor.System().Surface(1)->general.R, 22.01359);
  EXPECT_EQ(table.CellText(kRadiusColumn, 1), "22.01359");
  EXPECT_EQ(test_kit::WindowPixels(*editor.Canvas()), before);
}

TEST_F(PropertiesFolderTest, ACoefficientTypedOnTheAsphericsPageIsOneUndoStepAndABadOneIsNamed) {
  TOpticalEditor &editor = Open(ScratchExample("even_asphere_lens.os", "Asphere.os"));
  TSystemPropertiesFolder &folder = OpenFolder(editor);
  ASSERT_EQ(folder.SelectPage(kAsphericsPage), 1);
  test_kit::RunFor(20);
  TPropertiesGridPage &page = *folder.GridPage(kAsphericsPage);
  TPropertiesTable &table = *page.Table();
  ASSERT_EQ(table.RowCount(), 4);
  EXPECT_EQ(table.CellText(kFirstCoefficientColumn + 2, 2), "1.666822e-05");
  TNoticeCounter counter(editor.System());
  const QImage before = test_kit::WindowPixels(*editor.Canvas());

  // (An r^4 term of -4e-4 bends the rim 64 mm back, where the trace no longer meets it.)
  Type(table, kFirstCoefficientColumn + 2, 2, "-1e-5");
  ASSERT_TRUE(test_kit::RunUntil([&] { return editor.System().Surface(2)->AsCoef.data[2] == -1e-5; }, kWaitMs));
  test_kit::RunFor(50);
  EXPECT_EQ(counter.notices, 1);
  EXPECT_EQ(table.CellText(kFirstCoefficientColumn + 2, 2), "-1e-05");
  EXPECT_NE(test_kit::WindowPixels(*editor.Canvas()), before);
  EXPECT_EQ(ItemText(CM_UNDO), "Undo Coefficient a2 of surface 3 (ctrl-Z)");

  Type(table, kFirstCoefficientColumn + 3, 2, "1e-5x");
  ASSERT_TRUE(test_kit::RunUntil([&] { return !answers_->boxes.empty(); }, kWaitMs));
  EXPECT_NE(answers_->boxes.back().text.find("Coefficient a3 of surface 3"), std::string::npos);
  EXPECT_EQ(table.CellText(kFirstCoefficientColumn + 3, 2), "-3.753029e-09");
  EXPECT_EQ(counter.notices, 1);

  editor.SendMessage(WM_COMMAND, CM_UNDO);
  EXPECT_EQ(editor.System().Surface(2)->AsCoef.data[2], 1.66682162e-05);
  EXPECT_EQ(table.CellText(kFirstCoefficientColumn + 2, 2), "1.666822e-05");
}

TEST_F(PropertiesFolderTest, EveryTabShowsItsTitleInFullWithinThePageArea) {
  TSystemPropertiesFolder &folder = OpenFolder(Open(triplet_));
  ASSERT_EQ(folder.PageCount(), kObjectPupilPage + 1);
  TClientDC dc(folder);
  for (int page = 0; page < folder.PageCount(); ++page) {
    const TBookMarkInfo &entry = *folder.Entry(page);
    RECT title{0, 0, 0, 0};
    dc.DrawText(entry.title, -1, title, DT_CALCRECT | DT_SINGLELINE);
    EXPECT_GE(entry.tab.right - entry.tab.left, title.right - title.left) << entry.title;
    EXPECT_LE(entry.tab.right, folder.PageArea().right) << entry.title;
  }
}

TEST_F(PropertiesFolderTest, AnEditReachesEveryViewByOneNoticeAndFillsThePageOnce) {
  TOpticalEditor &editor = Open(triplet_);
  TSystemPropertiesFolder &folder = OpenFolder(editor);
  TPropertiesSurfacesPage &page = *folder.SurfacesPage();
  TPropertiesTable &table = *page.Table();
  TNoticeCounter counter(editor.System());
  const int fills = page.FillCount();
  const QImage before = test_kit::WindowPixels(*editor.Canvas());

  Type(table, kRadiusColumn, 1, "40");
  ASSERT_TRUE(test_kit::RunUntil([&] { return editor.System().Surface(1)->general.R == 40.0; }, kWaitMs));
  test_kit::RunFor(50);
  EXPECT_EQ(counter.notices, 1);
  EXPECT_EQ(page.FillCount(), fills + 1);
  EXPECT_EQ(table.CellText(kRadiusColumn, 1), "40");
  EXPECT_NE(test_kit::WindowPixels(*editor.Canvas()), before);
  EXPECT_EQ(ItemText(CM_UNDO), "Undo Radius of surface 2 (ctrl-Z)");

  // A refused entry tells no view; the page alone shows the system again, once.
  Type(table, kRadiusColumn, 1, "abc");
  ASSERT_TRUE(test_kit::RunUntil([&] { return !answers_->boxes.empty(); }, kWaitMs));
  test_kit::RunFor(50);
  EXPECT_EQ(counter.notices, 1);
  EXPECT_EQ(page.FillCount(), fills + 2);
  EXPECT_EQ(table.CellText(kRadiusColumn, 1), "40");

  // The standalone general-information window is told by the same one notice.
  editor.SendMessage(WM_COMMAND, CM_EDIT_AS_TABLE);
  ASSERT_EQ(PropertiesFolder(), nullptr);
  editor.SendMessage(WM_COMMAND, CM_GENERAL_PARAMETERS);
  ASSERT_NE(GeneralInfoWindow(), nullptr);
  TPropertiesTable &info = *GeneralInfoWindow()->Table();
  test_kit::RunFor(50);
  Type(info, 0, 9, "60");
  ASSERT_TRUE(test_kit::RunUntil([&] { return editor.System().info.Temperature != 20.0; }, kWaitMs));
  test_kit::RunFor(50);
  EXPECT_EQ(counter.notices, 2);
  // The window shows the temperature the system took.
  EXPECT_EQ(std::stod(info.CellText(0, 9)), editor.System().info.Temperature);
}

TEST_F(PropertiesFolderTest, ABadEntryGetsAClearMessageAndTheCellShowsTheSystemAgain) {
  TOpticalEditor &editor = Open(triplet_);
  TSystemPropertiesFolder &folder = OpenFolder(editor);
  TPropertiesTable &table = *folder.SurfacesPage()->Table();
  const int undoIndex = editor.System().options.undoIndex;

  Type(table, kRadiusColumn, 1, "abc");
  ASSERT_TRUE(test_kit::RunUntil([&] { return !answers_->boxes.empty(); }, kWaitMs));
  EXPECT_EQ(answers_->boxes.back().text, "Radius of surface 2: \"abc\" is not a number.");
  EXPECT_EQ(answers_->boxes.back().caption, "Warning");
  EXPECT_EQ(table.CellText(kRadiusColumn, 1), "22.01359");

  // Surface 2 has glass behind it: a lens of no thickness is refused.
  Type(table, kThicknessColumn, 1, "0");
  ASSERT_TRUE(test_kit::RunUntil([&] { return answers_->boxes.size() == 2; }, kWaitMs));
  EXPECT_NE(answers_->boxes.back().text.find("cannot be 0 thick"), std::string::npos);
  EXPECT_EQ(table.CellText(kThicknessColumn, 1), "3.25896");
  EXPECT_EQ(editor.System().options.undoIndex, undoIndex);
  EXPECT_EQ(editor.System().HasUnsavedChanges(), 0);

  // A field point typed into the empty row of the beams page is added, and the open
  // aberrations window lists it.
  editor.SendMessage(WM_COMMAND, CM_ABERRATIONS);
  ASSERT_NE(editor.Launchers().AberrationsWindow(), nullptr);
  const int beams = editor.Launchers().AberrationsWindow()->BeamList()->GetCount();
  folder.SelectPage(kBeamsPage);
  TPropertiesTable &fields = *folder.BeamsPage()->FieldsTable();
  ASSERT_EQ(fields.RowCount(), 4);
  Type(fields, 0, 3, "7");
  ASSERT_TRUE(test_kit::RunUntil([&] { return fields.RowCount() == 5; }, kWaitMs));
  EXPECT_EQ(fields.CellText(0, 3), "7");
  EXPECT_EQ(editor.Launchers().AberrationsWindow()->BeamList()->GetCount(), beams + 1);
}

// After a refused entry the cell is no longer being edited: a click selects it, and the
// next typing replaces its text, a gap and a glass name alike.
TEST_F(PropertiesFolderTest, TypingAfterARefusalReplacesTheCellsText) {
  TOpticalEditor &editor = Open(triplet_);
  TPropertiesTable &table = *OpenFolder(editor).SurfacesPage()->Table();
  struct TCase {
    int column, row;
    const char *refused, *typed, *shown;
  };
  for (const TCase &c : {TCase{kThicknessColumn, 2, "8abc", "9", "9"},
                         TCase{kGlassColumn, 3, "nonesuch", "n-bk7_schott", "n-bk7_schott"}}) {
    const std::size_t boxes = answers_->boxes.size();
    const std::string old = table.CellText(c.column, c.row);
    Type(table, c.column, c.row, c.refused);
    ASSERT_TRUE(test_kit::RunUntil([&] { return answers_->boxes.size() == boxes + 1; }, kWaitMs)) << c.refused;
    test_kit::RunFor(50);
    EXPECT_EQ(table.CellText(c.column, c.row), old);
    // One click on the same cell (its press, which the cell takes), then the typing and Enter.
    TCellEdit &cell = *table.Grid()->Editor();
    cell.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    test_kit::PostText(cell, c.typed);
    test_kit::PostKey(cell, VK_RETURN);
    ASSERT_TRUE(test_kit::RunUntil([&] { return table.CellText(c.column, c.row) != old; }, kWaitMs)) << c.typed << answers_->boxes.back().text;
    test_kit::RunFor(50);
    EXPECT_EQ(table.CellText(c.column, c.row), c.shown);
    EXPECT_EQ(answers_->boxes.size(), boxes + 1) << answers_->boxes.back().text;
  }
  EXPECT_NEAR(SurfaceThickness(editor.System(), 2), 9.0, 1e-12);
}

TEST_F(PropertiesFolderTest, TheCommandTogglesTheFolderAndAClosedFolderIsLetGoOf) {
  TOpticalEditor &editor = Open(triplet_);
  editor.SendMessage(WM_COMMAND, CM_PROPERTIES_OF_SELECTED);
  ASSERT_NE(PropertiesFolder(), nullptr);
  EXPECT_EQ(PropertiesFolder()->GetParentO(), &editor);
  EXPECT_TRUE(PropertiesFolder()->IsWindowVisible());
  editor.SendMessage(WM_COMMAND, CM_PROPERTIES_OF_SELECTED);
  EXPECT_EQ(PropertiesFolder(), nullptr);
  EXPECT_FALSE(Checked(CM_EDIT_AS_TABLE));
  // The user's Close button.
  OpenFolder(editor).SendMessage(WM_COMMAND, IDCANCEL);
  EXPECT_EQ(PropertiesFolder(), nullptr);
  EXPECT_FALSE(Checked(CM_EDIT_AS_TABLE));
  editor.SendMessage(WM_COMMAND, CM_EDIT_AS_TABLE);
  ASSERT_NE(PropertiesFolder(), nullptr);
  EXPECT_TRUE(PropertiesFolder()->IsWindow());
  // It opens where it was closed.
  const RECT first = PropertiesFolder()->GetWindowRect();
  PropertiesFolder()->MoveWindow(37, 23, first.right - first.left, first.bottom - first.top, true);
  editor.SendMessage(WM_COMMAND, CM_EDIT_AS_TABLE);
  ASSERT_EQ(PropertiesFolder(), nullptr);
  editor.SendMessage(WM_COMMAND, CM_EDIT_AS_TABLE);
  ASSERT_NE(PropertiesFolder(), nullptr);
  EXPECT_EQ(PropertiesFolder()->GetWindowRect().left, 37);
  EXPECT_EQ(PropertiesFolder()->GetWindowRect().top, 23);
  // A minimised folder comes back rather than closing.
  PropertiesFolder()->ShowWindow(SW_MINIMIZE);
  editor.SendMessage(WM_COMMAND, CM_EDIT_AS_TABLE);
  ASSERT_NE(PropertiesFolder(), nullptr);
  EXPECT_FALSE(PropertiesFolder()->IsIconic());
}

TEST_F(PropertiesFolderTest, NewOpensTheFolderAndGeneralParametersShowsTheFirstOrderValues) {
  TOpticalEditor &editor = Open(triplet_);
  ASSERT_EQ(PropertiesFolder(), nullptr);
  editor.SendMessage(WM_COMMAND, CM_NEW_SYSTEM);
  ASSERT_NE(PropertiesFolder(), nullptr);
  EXPECT_EQ(PropertiesFolder()->SurfacesPage()->Table()->RowCount(), editor.System().SurfaceCount());

  editor.SendMessage(WM_COMMAND, CM_PROPERTIES_OF_SELECTED);
  ASSERT_EQ(PropertiesFolder(), nullptr);
  ASSERT_TRUE(editor.Files().LoadSystem(triplet_, kNameFromFileName));
  // Without the folder: the standalone window, and the same command closes it.
  editor.SendMessage(WM_COMMAND, CM_GENERAL_PARAMETERS);
  ASSERT_NE(GeneralInfoWindow(), nullptr);
  EXPECT_TRUE(GeneralInfoWindow()->IsWindowVisible());
  EXPECT_TRUE(Checked(CM_GENERAL_PARAMETERS));
  TPropertiesTable &info = *GeneralInfoWindow()->Table();
  EXPECT_EQ(info.RowHeader()->Caption(0), "Focal length, mm");
  EXPECT_EQ(info.RowHeader()->Caption(9), "Temperature, deg C");
  EXPECT_EQ(info.CellText(0, 9), "20");
  // The window shows every line whole, with no scroll bar.
  test_kit::RunFor(30);
  ASSERT_EQ(info.RowCount(), kGeneralInfoLineCount);
  for (int row = 0; row < kGeneralInfoLineCount; ++row) EXPECT_EQ(info.Grid()->IsCellVisible(0, row), 1) << row;
  EXPECT_EQ(info.Grid()->Scroller->XRange, 0);
  EXPECT_EQ(info.Grid()->Scroller->YRange, 0);
  const std::string focal = info.CellText(0, 0);
  EXPECT_NEAR(std::stod(focal), 50.0, 0.5);
  editor.SendMessage(WM_COMMAND, CM_THERMO);
  EXPECT_EQ(GeneralInfoWindow(), nullptr);
  EXPECT_FALSE(Checked(CM_GENERAL_PARAMETERS));
  // With the folder: its General page.
  TSystemPropertiesFolder &folder = OpenFolder(editor);
  editor.SendMessage(WM_COMMAND, CM_GENERAL_PARAMETERS);
  EXPECT_EQ(GeneralInfoWindow(), nullptr);
  EXPECT_EQ(folder.CurrentPage(), kGeneralPage);
  EXPECT_EQ(folder.GeneralPage()->Table()->CellText(0, 0), focal);
}

TEST_F(PropertiesFolderTest, EscapeInTheGeneralInformationTableClosesTheWindowOnceNothingIsTyped) {
  TOpticalEditor &editor = Open(triplet_);
  editor.SendMessage(WM_COMMAND, CM_GENERAL_PARAMETERS);
  ASSERT_NE(GeneralInfoWindow(), nullptr);
  TPropertiesTable &info = *GeneralInfoWindow()->Table();
  test_kit::RunFor(50);
  // Typing a temperature: Escape drops it all, and the window stays.
  ASSERT_TRUE(TypeIntoCell(info, 0, 9, "60", false));
  TCellEdit &editor9 = *info.Grid()->Editor();
  ASSERT_TRUE(test_kit::RunUntil([&] { return editor9.GetWindowText() == "60"; }, kWaitMs));
  test_kit::PostKey(editor9, VK_ESCAPE);
  ASSERT_TRUE(test_kit::RunUntil([&] { return editor9.GetWindowText() == "20"; }, kWaitMs));
  test_kit::RunFor(30);
  ASSERT_NE(GeneralInfoWindow(), nullptr);
  // Nothing typed: Escape closes the window, and the editor lets go of it.
  test_kit::PostKey(editor9, VK_ESCAPE);
  ASSERT_TRUE(test_kit::RunUntil([&] { return GeneralInfoWindow() == nullptr; }, kWaitMs));
  test_kit::RunFor(30);
  EXPECT_FALSE(Checked(CM_GENERAL_PARAMETERS));
  EXPECT_EQ(editor.System().info.Temperature, 20.0);
  EXPECT_TRUE(answers_->boxes.empty());
}

TEST_F(PropertiesFolderTest, TheOptimizationPanelIsClosedIntoItsFileBeforeTheSystemIsReplaced) {
  TOpticalEditor &editor = Open(triplet_);
  TSystemPropertiesFolder &folder = OpenFolder(editor);
  EXPECT_EQ(folder.OptimizationPanelShown(), 0);
  folder.SendMessage(WM_COMMAND, kOptimizationButtonId);
  ASSERT_EQ(folder.OptimizationPanelShown(), 1);
  EXPECT_NE(folder.PanelSummary().find("Variables: 0"), std::string::npos);
  // Save As of an unnamed system closes the panel only once a name is chosen.
  const std::string named = editor.System().name;
  editor.System().name = editor.UntitledPath();
  {
    TScriptedFileDialog cancelled;
    cancelled.Cancel();
    editor.SendMessage(WM_COMMAND, CM_SAVE_SYSTEM_AS);
  }
  EXPECT_EQ(folder.OptimizationPanelShown(), 1);
  editor.System().name = named;
  // A run without variable parameters is refused with a warning; nothing changes.
  const int undoIndex = editor.System().options.undoIndex;
  folder.SendMessage(WM_COMMAND, kPanelOptimizeId);
  ASSERT_FALSE(answers_->boxes.empty());
  EXPECT_EQ(answers_->boxes.back().text, "It is necessary to set though one parameter!");
  EXPECT_EQ(editor.System().options.undoIndex, undoIndex);
  EXPECT_EQ(editor.System().HasUnsavedChanges(), 0);
  const std::string parameters = Scratch("Systems/Cooke_Triplet.par");
  ASSERT_FALSE(std::filesystem::exists(parameters));
  editor.SendMessage(WM_COMMAND, CM_NEW_SYSTEM);
  ASSERT_EQ(PropertiesFolder(), &folder);
  EXPECT_EQ(folder.OptimizationPanelShown(), 0);
  EXPECT_TRUE(std::filesystem::exists(parameters));

  // The panel's values live only in that file: one not written (a read-only file, a read-only
  // disk, a full one) is told with its cause, and every road that would close the panel stops
  // with the values kept, until the user lets them go.
  TSmallDisk markedDisk, readOnlyDisk, fullDisk;
  SKIP_WITHOUT_SMALL_DISK(fullDisk);
  TScriptedFileDialog files;
  const std::string gauss = ExamplePath("double_gauss.os");
  const std::pair<TSmallDisk *, const char *> damages[] = {
      {&markedDisk, "is marked as read-only!"}, {&readOnlyDisk, "can only be read"}, {&fullDisk, "no space left"}};
  for (const auto &[disk, cause] : damages) {
    SCOPED_TRACE(cause);
    const std::string lens = disk->PathOf("B.os"), file = disk->PathOf("B.par");
    if (!std::filesystem::exists(lens)) std::filesystem::copy_file(triplet_, lens);
    // Opened after another system, which the File menu then lists as a recent item.
    TOpticalEditor &opened = Open(gauss);
    files.Choose({lens});
    opened.SendMessage(WM_COMMAND, CM_OPEN_SYSTEM);
    TSystemPropertiesFolder &shown = OpenFolder(opened);
    shown.SendMessage(WM_COMMAND, kOptimizationButtonId);
    if (disk == &fullDisk) disk->Fill();
    ASSERT_TRUE(disk != &readOnlyDisk || disk->MakeReadOnly());
    if (disk == &markedDisk) {
      WriteText(file, "");
      std::filesystem::permissions(file, std::filesystem::perms::owner_read);
    }
    files.Choose({gauss});
    const std::function<void()> roads[] = {
        [&] { shown.SendMessage(WM_COMMAND, kOptimizationButtonId); }, [&] { shown.SendMessage(WM_COMMAND, IDCANCEL); },
        [&] { editor_->SendMessage(WM_COMMAND, CM_NEW_SYSTEM); }, [&] { editor_->SendMessage(WM_COMMAND, CM_OPEN_SYSTEM); },
        [&] { editor_->SendMessage(WM_COMMAND, CM_EDIT_AS_TABLE); }, [&] { editor_->SendMessage(WM_CLOSE); },
        [&] { editor_->SendMessage(WM_COMMAND, CM_OPEN_RECENT_FIRST); }};
    // The recent item the last road takes stays listed when the command stops.
    const std::string recent = ItemText(CM_OPEN_RECENT_FIRST);
    ASSERT_FALSE(recent.empty());
    for (const auto &road : roads) {
      TParameterDescription radius;
      radius.Set(0, 2 + shown.OptimizationPanel()->parameters.Count(), "R", -0.2, 0.2);
      shown.OptimizationPanel()->parameters.Add(radius);
      const int variables = shown.OptimizationPanel()->parameters.Count();
      road();
      ASSERT_EQ(PropertiesFolder(), &shown);
      ASSERT_NE(shown.OptimizationPanel(), nullptr);
      EXPECT_EQ(shown.OptimizationPanel()->parameters.Count(), variables);
      EXPECT_EQ(editor_->System().name, lens);
      EXPECT_NE(answers_->boxes.back().text.find("\"" + file + "\" "), std::string::npos);
      EXPECT_NE(answers_->boxes.back().text.find(cause), std::string::npos) << answers_->boxes.back().text;
      EXPECT_EQ(ItemText(CM_OPEN_RECENT_FIRST), recent);
    }
    answers_->QueueAnswer(IDYES);
    shown.SendMessage(WM_COMMAND, kOptimizationButtonId);
    EXPECT_EQ(shown.OptimizationPanelShown(), 0);
  }
}

TEST_F(PropertiesFolderTest, EveryWayOutOfARunningOptimizationStopsItAndTheWindowsStay) {
  // Opened after another system, which the File menu then lists as a recent item.
  TOpticalEditor &editor = Open(ExamplePath("double_gauss.os"));
  TScriptedFileDialog files;
  files.Choose({triplet_});
  editor.SendMessage(WM_COMMAND, CM_OPEN_SYSTEM);
  ASSERT_EQ(editor.System().name, triplet_);
  ASSERT_FALSE(ItemText(CM_OPEN_RECENT_FIRST).empty());
  TSystemPropertiesFolder &folder = OpenFolder(editor);
  auto viewer = [] { return TOptimizationViewer::Existing(); };
  auto key = [](auto window) { return [window] { test_kit::PostKey(*window(), VK_ESCAPE); }; };
  auto command = [](auto window, UINT id) { return [window, id] { window()->PostMessage(WM_COMMAND, id); }; };
  auto main = [&editor] { return &editor; };
  auto inFolder = [&folder] { return &folder; };
  // The third field: a command that would change or write the system under the run, refused
  // with a word while the run goes on to its end.
  const std::tuple<const char *, std::function<void()>, bool> ways[] = {
      {"Escape in the folder", key(inFolder), false}, {"Escape in the progress window", key(viewer), false},
      {"Escape in the main window", key(main), false}, {"Close", command(inFolder, IDCANCEL), false},
      {"Hide panel", command(inFolder, kOptimizationButtonId), false},
      {"Stop", command(viewer, kViewerStopButton), false},
      {"File > Exit", [&editor] { editor.PostMessage(WM_CLOSE); }, false},
      {"Open", command(main, CM_OPEN_SYSTEM), false}, {"New", command(main, CM_NEW_SYSTEM), false},
      {"A recent item", command(main, CM_OPEN_RECENT_FIRST), false},
      {"Edit as table", command(main, CM_EDIT_AS_TABLE), false}, {"Edit > Undo", command(main, CM_UNDO), true},
      {"Delete", command(main, CM_DELETE), true}, {"Add configuration", command(main, CM_ADD_CONFIGURATION), true},
      {"Save", command(main, CM_SAVE_SYSTEM), true},
      {"A thickness typed", [&folder] { TypeIntoCell(*folder.SurfacesPage()->Table(), kThicknessColumn, 2, "5"); }, true}};
  TSystemImage &system = editor.System();
  std::vector<double> start;
  folder.SendMessage(WM_COMMAND, kOptimizationButtonId);
  for (int s = 1; s <= 6; ++s) {
    start.push_back(system.Surface(s)->general.R * 1.05);
    TParameterDescription radius;
    radius.Set(0, s, "R", -0.2, 0.2);
    folder.OptimizationPanel()->parameters.Add(radius);
  }
  const int surfaces = system.SurfaceCount();
  const double gap = SurfaceThickness(system, 2);
  for (const auto &[name, press, refused] : ways) {
    SCOPED_TRACE(name);
    answers_->boxes.clear();
    for (int s = 1; s <= 6; ++s) system.Surface(s)->SetRadius(start[s - 1]);
    // The first notice comes with the first accepted step.
    std::vector<double> accepted;
    bool running = false;
    TNoticeCounter step(system);
    step.first = [&, press = press] {
      for (int s = 1; s <= 6; ++s) accepted.push_back(system.Surface(s)->general.R);
      running = viewer() != nullptr && viewer()->State().Running();
      press();
    };
    folder.SendMessage(WM_COMMAND, kPanelOptimizeId);
    test_kit::RunFor(20);
    ASSERT_NE(editor.GetHandle(), nullptr);
    ASSERT_EQ(PropertiesFolder(), &folder);
    EXPECT_EQ(folder.OptimizationPanelShown(), 1);
    ASSERT_TRUE(running);
    const bool told = std::ranges::any_of(
        answers_->boxes, [](const auto &box) { return box.text.find("optimization is running") != std::string::npos; });
    EXPECT_EQ(told, refused);
    if (refused) {
      EXPECT_EQ(system.SurfaceCount(), surfaces);
      EXPECT_EQ(SurfaceThickness(system, 2), gap);
      EXPECT_EQ(system.ConfigurationCount(), 1);
      EXPECT_NE(viewer()->FieldText(kViewerStage), "Stopped by the user");
      continue;
    }
    for (int s = 1; s <= 6; ++s) EXPECT_EQ(system.Surface(s)->general.R, accepted[s - 1]) << s;
    EXPECT_EQ(system.name, triplet_);
    // The progress window stays with its last figures.
    ASSERT_NE(viewer(), nullptr);
    EXPECT_EQ(viewer()->FieldText(kViewerStage), "Stopped by the user");
  }
  // The progress window's UnDo takes back the run's step only while the system is as the
  // run left it: after an Undo and a new edit the same index names the user's step.
  ASSERT_NE(viewer(), nullptr);
  editor.SendMessage(WM_COMMAND, CM_UNDO);
  system.Surface(1)->SetRadius(33.0);
  ASSERT_EQ(system.SaveUndo("Radius"), 1);
  viewer()->SendMessage(WM_COMMAND, kViewerUndoButton, 0);
  EXPECT_EQ(system.Surface(1)->general.R, 33.0);
  // After the run Escape closes only the window it is pressed in.
  for (TWindow *window : {static_cast<TWindow *>(&folder), static_cast<TWindow *>(viewer())}) {
    ASSERT_NE(viewer(), nullptr);
    test_kit::PostKey(*window, VK_ESCAPE);
    test_kit::RunFor(50);
  }
  EXPECT_EQ(PropertiesFolder(), nullptr);
  EXPECT_EQ(viewer(), nullptr);
}

TEST_F(PropertiesFolderTest, TheTablesAreBoundTablesThatGrowWithTheSystemAndOfferTheCellsEditMenu) {
  TOpticalEditor &editor = Open(triplet_);
  TSystemPropertiesFolder &folder = OpenFolder(editor);
  TPropertiesTable &table = *folder.SurfacesPage()->Table();
  // The cells are bound to the page's texts: a caption binding and one per column.
  EXPECT_EQ(table.BindingCount(), 1 + kSurfaceColumnCount);
  EXPECT_EQ(table.Binding(0).index, -1);
  // Far more rows than the arrays first held: they grow and are bound again.
  std::vector<std::string> captions;
  for (int r = 1; r <= 70; ++r) captions.push_back(std::to_string(r));
  table.SetRows(captions);
  table.SetCell(kRadiusColumn, 69, "12.5", true);
  EXPECT_EQ(table.RowCount(), 70);
  EXPECT_EQ(table.RowHeader()->Caption(69), "70");
  EXPECT_EQ(table.CellText(kRadiusColumn, 69), "12.5");
  table.ValuesToCells();
  EXPECT_EQ(table.CellText(kRadiusColumn, 69), "12.5");
  // The right button offers the cell's edit menu, not the bound table's row commands.
  TScriptedMenuTracker menus;
  table.CellContextMenu(kRadiusColumn, 0);
  ASSERT_EQ(menus.walks.size(), 1U);
  const std::vector<std::string> &items = menus.walks[0].Items;
  EXPECT_NE(std::find(items.begin(), items.end(), "Select &All"), items.end());
  EXPECT_EQ(std::find(items.begin(), items.end(), "&Insert"), items.end());
  folder.Refresh();
  EXPECT_EQ(table.RowCount(), editor.System().SurfaceCount());
}

}  // namespace
TEST_F(PropertiesFolderTest, EveryPageLiesAboveTheButtonsAndEverythingInsideTheFolder) {
  TOpticalEditor &editor = Open(triplet_);
  TSystemPropertiesFolder &folder = OpenFolder(editor);
  folder.CmOptimization();  // the panel's buttons and summary line shown too
  const RECT client = folder.GetClientRect();
  // A child's rectangle in the folder's client coordinates.
  const auto placeOf = [&folder](TWindow &child) {
    const RECT screen = child.GetWindowRect();
    POINT topLeft{screen.left, screen.top};
    POINT bottomRight{screen.right, screen.bottom};
    folder.ScreenToClient(topLeft);
    folder.ScreenToClient(bottomRight);
    return RECT{topLeft.x, topLeft.y, bottomRight.x, bottomRight.y};
  };
  LONG buttonsTop = client.bottom;
  const int buttons[] = {kOptimizationButtonId, kPanelVariablesId, kPanelFunctionsId, kPanelOptimizeId,
                         kPanelSummaryId, IDCANCEL};
  for (int id : buttons) {
    TWindow *control = folder.ChildWithId(id);
    ASSERT_NE(control, nullptr) << id;
    EXPECT_TRUE(control->IsWindowVisible()) << id;
    const RECT place = placeOf(*control);
    EXPECT_GE(place.left, 0) << id;
    EXPECT_LE(place.right, client.right) << id;
    EXPECT_LE(place.bottom, client.bottom) << id;
    buttonsTop = std::min(buttonsTop, place.top);
  }
  for (int page = 0; page < 3; ++page) {
    folder.SelectPage(page);
    test_kit::RunFor(10);
    const RECT place = placeOf(*folder.GetPage(page));
    EXPECT_GE(place.top, 0) << page;
    EXPECT_LE(place.right, client.right) << page;
    EXPECT_LE(place.bottom, buttonsTop) << "page " << page << " runs under the buttons";
  }
}

