// A user's road through the editor, offscreen and through the message pump: the Cooke
// triplet with the aberrations, spot diagram and PSF windows open, a radius typed into the
// properties folder, Undo, the system turned twice and everything closed; and the double
// Gauss put at its best image plane with its windows open. Each open window is checked by
// a number it shows, before, after the change and after Undo. The sanitizer build finds
// any leak of the closed windows.

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string>

#include "analysis/aberrations/show_easy_aberrations_dlg.h"
#include "analysis/psf/show_psf.h"
#include "analysis/spot/spot_diagram.h"
#include "editor/commands/editor_commands.h"
#include "editor/properties/properties_pages.h"
#include "editor/properties/properties_table.h"
#include "editor/properties/surface_table_model.h"
#include "editor/properties/system_properties_folder.h"
#include "editor/properties/tests/table_typing.h"
#include "editor/shell/tests/editor_shell_test_support.h"
#include "foundation/testing/approx.h"
#include "imaging/testobject/test_image.h"
#include "platform/gui/menus/menu_enabling.h"
#include "toolkit/tables/cell_edit.h"
#include "toolkit/tables/win_table_edit.h"

namespace {

constexpr int kWaitMs = test_kit::kPatienceMs;
// Recomputing the same system gives the same numbers up to rounding.
constexpr double kSameResult = 1e-12;
// The PSF raster is summed in single precision.
constexpr double kSamePsf = 1e-6;
// Two turns meet the same vertices again up to their rounding.
constexpr double kTurnedBack = 1e-9;
// The image surface's place from two runs of the same focusing on the same system.
constexpr double kSameFocus = 1e-9;

class UserRoadTest : public EditorShellTest {
 protected:
  // The peak of the PSF the window shows, computed at the user's request.
  static double ShownPsfPeak(TShowPSF &page) {
    page.SendMessage(WM_COMMAND, kPsf3DPlotButton, 0);
    EXPECT_EQ(page.CalculationState(), TPsfRun::kComputed);
    if (page.SumOverWavelengths() == 0 || GetTestImage() == nullptr) return -1.0;
    const Mem<float> &raster = GetTestImage()->raster;
    const std::size_t count = static_cast<std::size_t>(raster.cols) * raster.rows;
    if (raster.data == nullptr || count == 0) return -1.0;
    return *std::max_element(raster.data, raster.data + count);
  }
  // Types text into the radius cell of the given surface as a user does, ended by Return.
  static void TypeRadius(TPropertiesTable &table, int surface, const char *text) {
    ASSERT_TRUE(TypeIntoCell(table, kRadiusColumn, surface, text));
  }
};

TEST_F(UserRoadTest, TripletEditedInTheFolderUndoneTurnedTwiceAndClosed) {
  TOpticalEditor &editor = Open(triplet_);
  TSystemImage &system = editor.System();
  const double radius = system.Surface(1)->general.R;
  ASSERT_TRUE(OpenAnalysisWindows(editor));
  // Each window opened is there to be seen.
  EXPECT_TRUE(IsWindowVisible(editor.Launchers().AberrationsWindow()->GetHandle()));
  EXPECT_TRUE(IsWindowVisible(editor.Launchers().SpotWindow()->GetHandle()));
  EXPECT_TRUE(IsWindowVisible(editor.Launchers().PsfWindow()->GetHandle()));
  TShowPSF &psf = *editor.Launchers().PsfWindow()->Page();
  const double psfBefore = ShownPsfPeak(psf);
  ASSERT_GT(psfBefore, 0.0);
  const double spotBefore = editor.Launchers().SpotWindow()->Computation().meridionalSpan;
  const double fanBefore = editor.Launchers().AberrationsWindow()->Computation().TransMmax;
  ASSERT_GT(spotBefore, 0.0);

  editor.SendMessage(WM_COMMAND, CM_EDIT_AS_TABLE);
  TSystemPropertiesFolder *folder = PropertiesFolder();
  ASSERT_NE(folder, nullptr);
  test_kit::RunFor(20);
  ASSERT_EQ(folder->CurrentPage(), kSurfacesPage);
  TPropertiesTable &table = *folder->SurfacesPage()->Table();
  TypeRadius(table, 1, "40");
  ASSERT_TRUE(test_kit::RunUntil([&] { return system.Surface(1)->general.R == 40.0; }, kWaitMs));
  test_kit::RunFor(50);

  // Every window follows the flatter first face.
  EXPECT_GT(std::fabs(editor.Launchers().SpotWindow()->Computation().meridionalSpan - spotBefore), 0.01 * spotBefore);
  EXPECT_GT(std::fabs(editor.Launchers().AberrationsWindow()->Computation().TransMmax - fanBefore), 0.01 * std::fabs(fanBefore));
  EXPECT_EQ(psf.CalculationState(), TPsfRun::kToCompute);
  const double psfChanged = ShownPsfPeak(psf);
  EXPECT_GT(std::fabs(psfChanged - psfBefore), 0.01 * psfBefore);

  // Undo: the lens, the folder and every window as they were.
  editor.SendMessage(WM_COMMAND, CM_UNDO);
  test_kit::RunFor(20);
  EXPECT_EQ(system.Surface(1)->general.R, radius);
  EXPECT_EQ(table.CellText(kRadiusColumn, 1), "22.01359");
  EXPECT_APPROX(editor.Launchers().SpotWindow()->Computation().meridionalSpan, spotBefore, kSameResult);
  EXPECT_APPROX(editor.Launchers().AberrationsWindow()->Computation().TransMmax, fanBefore, kSameResult);
  EXPECT_APPROX(ShownPsfPeak(psf), psfBefore, kSamePsf * psfBefore);

  // Turned, the light meets the lens from the other side; turned back it is the same lens.
  const int n = system.SurfaceCount();
  const double firstVertex = system.Surface(0)->general.vertex[0];
  const double lastVertex = system.Surface(n - 1)->general.vertex[0];
  const int step = system.options.undoIndex;
  editor.SendMessage(WM_COMMAND, CM_TURN_SYSTEM);
  EXPECT_APPROX(system.Surface(0)->general.vertex[0], lastVertex, kTurnedBack);
  EXPECT_NE(editor.Launchers().AberrationsWindow()->Computation().TransMmax, fanBefore);
  editor.SendMessage(WM_COMMAND, CM_TURN_SYSTEM);
  EXPECT_APPROX(system.Surface(0)->general.vertex[0], firstVertex, kTurnedBack);
  EXPECT_EQ(system.options.undoIndex, step + 2);
  EXPECT_APPROX(editor.Launchers().AberrationsWindow()->Computation().TransMmax, fanBefore, kTurnedBack);
  EXPECT_APPROX(editor.Launchers().SpotWindow()->Computation().meridionalSpan, spotBefore, kTurnedBack);
  EXPECT_EQ(table.CellText(kRadiusColumn, 1), "22.01359");

  // The turns are not kept; closing takes every window with it.
  CloseDiscardingChanges(editor);
}

TEST_F(UserRoadTest, DoubleGaussFocusedWithItsWindowsOpenAndUndone) {
  const std::string gauss = ScratchExample("double_gauss.os", "Double_Gauss.os");
  TOpticalEditor &editor = Open(gauss);
  TSystemImage &system = editor.System();
  const int image = system.SurfaceCount() - 1;
  ASSERT_GT(image, 2);
  editor.SendMessage(WM_COMMAND, CM_ABERRATIONS);
  editor.SendMessage(WM_COMMAND, CM_SPOT_DIAGRAM);
  ASSERT_NE(editor.Launchers().SpotWindow(), nullptr);
  // The image plane 2 mm short of where the file has it, as an edit of its own.
  system.Surface(image)->general.vertex[0] -= 2.0;
  system.Update();
  ASSERT_EQ(system.SaveUndo("Move image"), 1);
  editor.RefreshAnalyses();
  const double displaced = system.Surface(image)->general.vertex[0];
  const double spotDisplaced = editor.Launchers().SpotWindow()->Computation().meridionalSpan;
  const double fanDisplaced = editor.Launchers().AberrationsWindow()->Computation().TransMmax;

  TSystemImage reference;
  ASSERT_EQ(reference.Load(ExamplePath("double_gauss.os"), 2), 1);
  reference.Surface(image)->general.vertex[0] -= 2.0;
  reference.Update();
  reference.AutoFocus(nullptr, nullptr);
  const double best = reference.Surface(image)->general.vertex[0];
  ASSERT_GT(std::fabs(best - displaced), 1.0);

  editor.SendMessage(WM_COMMAND, CM_BEST_IMAGE_PLANE);
  EXPECT_APPROX(system.Surface(image)->general.vertex[0], best, kSameFocus);
  // Out of a 2 mm defocus, the focused spots are far smaller.
  EXPECT_LT(editor.Launchers().SpotWindow()->Computation().meridionalSpan, 0.5 * spotDisplaced);
  EXPECT_NE(editor.Launchers().AberrationsWindow()->Computation().TransMmax, fanDisplaced);

  editor.SendMessage(WM_COMMAND, CM_UNDO);
  EXPECT_APPROX(system.Surface(image)->general.vertex[0], displaced, kSameFocus);
  EXPECT_APPROX(editor.Launchers().SpotWindow()->Computation().meridionalSpan, spotDisplaced, kSameResult);
  EXPECT_APPROX(editor.Launchers().AberrationsWindow()->Computation().TransMmax, fanDisplaced, kSameResult);
  answers_->QueueAnswer(IDNO);
  editor.SendMessage(WM_CLOSE);
  EXPECT_EQ(editor.GetHandle(), nullptr);
  EXPECT_EQ(editor.Launchers().SpotWindow(), nullptr);
}

TEST_F(UserRoadTest, ASelectionMadeOnTheCanvasEnablesDeleteCutAndCopyInTheMenu) {
  TOpticalEditor &editor = Open(triplet_);
  TSystemImage &system = editor.System();
  editor.SendMessage(WM_COMMAND, CM_SELECT);
  ASSERT_EQ(system.hasSelection, 0);
  // The user's band over the whole drawing.
  TEditGraph &canvas = *editor.Canvas();
  const RECT client = canvas.GetClientRect();
  const LPARAM from = MAKELPARAM(client.left + 2, client.top + 2);
  const LPARAM to = MAKELPARAM(client.right - 3, client.bottom - 3);
  canvas.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, from);
  canvas.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, to);
  canvas.SendMessage(WM_LBUTTONUP, 0, to);
  ASSERT_EQ(system.hasSelection, 1);
  test_kit::RunFor(30);
  // The Edit menu as the menu bar opens it: WM_INITMENU, then the pop-up's enablers.
  editor.SendMessage(WM_INITMENU, reinterpret_cast<WPARAM>(Menu()), 0);
  HMENU edit = nullptr;
  for (int i = 0; i < GetMenuItemCount(Menu()) && edit == nullptr; ++i) {
    HMENU popup = GetSubMenu(Menu(), i);
    if (popup != nullptr && GetMenuState(popup, CM_DELETE, MF_BYCOMMAND) != static_cast<UINT>(-1)) edit = popup;
  }
  ASSERT_NE(edit, nullptr);
  EnableMenuCommands(editor.GetHandle(), edit);
  for (UINT command : {CM_DELETE, CM_CUT, CM_COPY}) EXPECT_FALSE(Grey(command)) << command;
}

}  // namespace
