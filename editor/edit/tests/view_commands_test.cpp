// Zoom, actual size, alignment and the refresh of every view on the Cooke triplet.

#include <cmath>
#include <cstring>
#include <fstream>

#include "editor/canvas/scale_caption.h"
#include "editor/commands/editor_commands.h"
#include "editor/shell/tests/editor_shell_test_support.h"
#include "foundation/testing/approx.h"
#include "optics/model/model_globals.h"
#include "platform/gui/bars/cursors.h"
#include "platform/gui/bars/gadget_window.h"

namespace {

// World coordinates are computed in doubles from a few sums.
constexpr double kWorldTolerance = 1e-9;
// Vertex places set through the frames' rotations.
constexpr double kPlaceTolerance = 1e-9;

using ViewCommandsTest = EditorShellTest;

TEST_F(ViewCommandsTest, ZoomOutTwiceQuadruplesTheRangeAndActualSizeRestoresIt) {
  TOpticalEditor &editor = Open(triplet_);
  TEditGraph &canvas = *editor.Canvas();
  const TViewWindow extent = editor.System().viewWindow;
  const double width = canvas.X2() - canvas.X1();
  const double height = canvas.Y2() - canvas.Y1();
  const double cx = 0.5 * (canvas.X1() + canvas.X2());
  const double cy = 0.5 * (canvas.Y1() + canvas.Y2());

  editor.SendMessage(WM_COMMAND, CM_ZOOM_OUT);
  editor.SendMessage(WM_COMMAND, CM_ZOOM_OUT);
  EXPECT_APPROX(canvas.X2() - canvas.X1(), 4.0 * width, kWorldTolerance);
  EXPECT_APPROX(canvas.Y2() - canvas.Y1(), 4.0 * height, kWorldTolerance);
  EXPECT_APPROX(0.5 * (canvas.X1() + canvas.X2()), cx, kWorldTolerance);
  EXPECT_APPROX(0.5 * (canvas.Y1() + canvas.Y2()), cy, kWorldTolerance);
  const TViewWindow &view = editor.System().viewWindow;
  EXPECT_APPROX(view.xTo - view.xFrom, 4.0 * (extent.xTo - extent.xFrom), kWorldTolerance);

  editor.SendMessage(WM_COMMAND, CM_ACTUAL_SIZE);
  EXPECT_APPROX(view.xFrom, extent.xFrom, kWorldTolerance);
  EXPECT_APPROX(view.xTo, extent.xTo, kWorldTolerance);
  EXPECT_APPROX(view.yFrom, extent.yFrom, kWorldTolerance);
  EXPECT_APPROX(view.yTo, extent.yTo, kWorldTolerance);
  EXPECT_APPROX(canvas.X2() - canvas.X1(), width, kWorldTolerance);
}

TEST_F(ViewCommandsTest, ZoomingOutWithoutEndStaysFiniteAndBeepsAtTheLimit) {
  TOpticalEditor &editor = Open(triplet_);
  const std::size_t beeps = answers_->beeps.size();
  // About 30 doublings reach the limit from the triplet's 100 mm.
  for (int k = 0; k < 60; ++k) editor.View().CmZoomOut();
  const TViewWindow &view = editor.System().viewWindow;
  EXPECT_TRUE(std::isfinite(view.xFrom) && std::isfinite(view.xTo));
  EXPECT_TRUE(std::isfinite(view.yFrom) && std::isfinite(view.yTo));
  EXPECT_LT(view.xFrom, view.xTo);
  EXPECT_GT(answers_->beeps.size(), beeps);
  EXPECT_TRUE(std::isfinite(editor.Canvas()->X1()) && std::isfinite(editor.Canvas()->X2()));
  // Actual size still brings the system back.
  editor.View().CmActualSize();
  EXPECT_LT(view.xTo - view.xFrom, 1e4);
}

TEST_F(ViewCommandsTest, SelectZoomTogglesTheZoomMouseModeAndLeavesSelect) {
  TOpticalEditor &editor = Open(triplet_);
  editor.SendMessage(WM_COMMAND, CM_SELECT);
  editor.SendMessage(WM_COMMAND, CM_SELECT_ZOOM);
  EXPECT_EQ(editor.Tools().mouseMode, kZoomMouseMode);
  EXPECT_FALSE(editor.EditTools().ButtonDown(CM_SELECT));
  EXPECT_TRUE(editor.EditTools().ButtonDown(CM_SELECT_ZOOM));
  EXPECT_FALSE(editor.Canvas()->GetSelectMode());
  EXPECT_EQ(GetWindowCursor(editor.Canvas()->GetHandle()), LoadCursor(nullptr, "ZoomSelect_Cur"));
  // A band dragged over the middle lens zooms, and the caption's scale follows at once.
  TEditGraph &canvas = *editor.Canvas();
  const std::string before = FormatScaleCaption(canvas);
  const POINT from = canvas.WorldToDevice(20.0, 6.0), to = canvas.WorldToDevice(30.0, -6.0);
  canvas.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(from.x, from.y));
  canvas.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(to.x, to.y));
  canvas.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(to.x, to.y));
  ASSERT_NE(FormatScaleCaption(canvas), before);
  EXPECT_NE(editor.GetWindowText().find(FormatScaleCaption(canvas)), std::string::npos) << editor.GetWindowText();
  // Any command that leaves zoom mode releases the button.
  editor.SendMessage(WM_COMMAND, CM_SELECT);
  EXPECT_FALSE(editor.EditTools().ButtonDown(CM_SELECT_ZOOM));
  EXPECT_EQ(editor.Tools().mouseMode, kSelectMouseMode);
  EXPECT_NE(GetWindowCursor(editor.Canvas()->GetHandle()), LoadCursor(nullptr, "ZoomSelect_Cur"));
}

TEST_F(ViewCommandsTest, RefreshShowsThePendingMessageOnceAndEmptiesIt) {
  TOpticalEditor &editor = Open(triplet_);
  AppendPendingMessage("Chief ray in beam 1 does not pass!");
  editor.SendMessage(WM_COMMAND, CM_REFRESH);
  ASSERT_NE(editor.GetStatusBar(), nullptr);
  EXPECT_EQ(editor.GetStatusBar()->GetText(), "Chief ray in beam 1 does not pass!");
  EXPECT_EQ(PendingMessage(), "");
  editor.RefreshAll();
  EXPECT_EQ(editor.GetStatusBar()->GetText(), "");
}

// The double Gauss whose front lens is narrowed to 16 mm (the 14 degree chief ray crosses
// it some 10 mm off the axis), whose last lens is narrowed to 28 mm and moved 3 mm down, and
// whose image plane of 10 mm no ray of the 10 and 20 degree beams reaches (their images lie
// 17.6 and 36 mm off the axis): the status bar tells each stopped beam on opening and after
// a change.
TEST_F(ViewCommandsTest, AChiefRayARimStopsIsToldOnOpeningAndAfterAChange) {
  const struct {
    const char *from, *to, *status;
  } rows[] = {{"Dx=8; DextY=54;", "Dx=8; DextY=16;", "Chief ray in beam 14 does not pass!"},
              {"Dx=63.2543; DextY=40;", "Dx=63.2543; DextY=28; BoundPosYExt=-3;", "Chief ray in beam 20 does not pass!"},
              {"DextY=52;", "DextY=10;", "Chief ray in beam 10 does not pass!; Chief ray in beam 20 does not pass!"}};
  std::ifstream shipped(ExamplePath("double_gauss.os"));
  const std::string text{std::istreambuf_iterator<char>(shipped), {}};
  for (const auto &row : rows) {
    std::string edited = text;
    edited.replace(edited.find(row.from), std::strlen(row.from), row.to);
    if (&row != &rows[0]) edited.replace(edited.find("AlfaM=0,10,14;"), 14, "AlfaM=0,10,20;");
    std::ofstream(Scratch("Systems/narrowed.os"), std::ios::trunc) << edited;
    TOpticalEditor &editor = Open(Scratch("Systems/narrowed.os"));
    EXPECT_EQ(editor.GetStatusBar()->GetText(), row.status);
    // A change that opens the front rim again tells nothing; one that narrows it, the beam.
    // The picture drawn again in between (a window uncovering it) keeps no warning of the
    // state before the change, nor of the system before the next one opened.
    for (const double semiHeight : {27.0, 8.0}) {
      if (&row != &rows[0]) break;
      editor.Canvas()->Redraw();
      editor.System().Surface(1)->general.semiHeightExt = semiHeight;
      editor.System().Update();
      editor.RefreshAll();
      EXPECT_EQ(editor.GetStatusBar()->GetText(), semiHeight > 20.0 ? "" : row.status);
    }
    editor.Canvas()->Redraw();
  }
}

TEST_F(ViewCommandsTest, PropertiesOfSelectedElementsShowInANote) {
  TOpticalEditor &editor = Open(triplet_);
  TSystemImage &system = editor.System();
  for (int e = 0; e < system.ElementCount() && system.hasSelection == 0; ++e) {
    if (system.elements.data[e].SurfaceCount() != 2) continue;
    system.elements.data[e].mark = 1;
    system.hasSelection = 1;
  }
  editor.RefreshAll();
  EXPECT_EQ(editor.Canvas()->NoteHandle(), nullptr);
  const int before = system.options.ViewPropertiesOfSelectedElements;
  if (before == 0) editor.SendMessage(WM_COMMAND, CM_VIEW_PROPERTIES_OF_SELECTED);
  EXPECT_EQ(system.options.ViewPropertiesOfSelectedElements, 1);
  EXPECT_NE(GetMenuState(Menu(), CM_VIEW_PROPERTIES_OF_SELECTED, MF_BYCOMMAND) & MF_CHECKED, 0u);
  EXPECT_NE(editor.Canvas()->NoteHandle(), nullptr);
  // Turned (and refreshed), the note stands exactly while an element is still selected.
  for (UINT command : {CM_TURN_SYSTEM, CM_REFRESH}) {
    editor.SendMessage(WM_COMMAND, command);
    bool marked = false;
    for (int e = 0; e < system.ElementCount(); ++e) marked |= system.hasSelection != 0 && system.elements.data[e].mark != 0;
    EXPECT_EQ(editor.Canvas()->NoteHandle() != nullptr, marked) << command;
  }
  // Switched off, the note goes.
  editor.SendMessage(WM_COMMAND, CM_VIEW_PROPERTIES_OF_SELECTED);
  EXPECT_EQ(editor.Canvas()->NoteHandle(), nullptr);
}

TEST_F(ViewCommandsTest, AlignmentPutsTheMarkedElementBackOnTheAxis) {
  TOpticalEditor &editor = Open(triplet_);
  TSystemImage &system = editor.System();
  // The middle lens: the second element with two surfaces.
  int middle = -1, lenses = 0;
  for (int e = 0; e < system.ElementCount() && middle < 0; ++e)
    if (system.elements.data[e].SurfaceCount() == 2 && ++lenses == 2) middle = e;
  ASSERT_GE(middle, 0);
  TOpticalElement &element = system.elements.data[middle];
  const int first = system.IndexOfSurface(element.FirstSurface());
  const int last = system.IndexOfSurface(element.LastSurface());
  const double x0 = system.Surface(first)->general.vertex[0];
  const double x1 = system.Surface(last)->general.vertex[0];
  const DPOINT3 at = element.referencePoint;
  element.MoveTo(at.x, at.y + 1.5, at.z + 0.5);
  system.Update();
  system.RebuildElements(nullptr);
  ASSERT_APPROX(system.Surface(first)->general.vertex[1], 1.5, kPlaceTolerance);
  system.elements.data[middle].mark = 1;
  system.hasSelection = 1;

  editor.SendMessage(WM_COMMAND, CM_ALIGNMENT);
  // Every surface before it stands on the axis untilted: the lens is back on the axis with
  // its thickness and its place along the axis kept.
  for (int i : {first, last}) {
    EXPECT_APPROX(system.Surface(i)->general.vertex[1], 0.0, kPlaceTolerance) << i;
    EXPECT_APPROX(system.Surface(i)->general.vertex[2], 0.0, kPlaceTolerance) << i;
  }
  EXPECT_APPROX(system.Surface(first)->general.vertex[0], x0, kPlaceTolerance);
  EXPECT_APPROX(system.Surface(last)->general.vertex[0], x1, kPlaceTolerance);
  EXPECT_EQ(ItemText(CM_UNDO), "Undo Alignment elements (ctrl-Z)");
  // Tilted about its front vertex and decentred, it keeps its thickness along its axis.
  const double tilt = 0.05;
  for (int i : {first, last}) system.Surface(i)->SetAngles(0.0, 0.0, tilt);
  system.Surface(last)->SetPosition(x0 + (x1 - x0) * std::cos(tilt), (x1 - x0) * std::sin(tilt), 0.0);
  system.RebuildElements(nullptr);
  system.elements.data[middle].MoveTo(x0, 1.5, 0.0);
  system.Update();
  system.RebuildElements(nullptr);
  system.elements.data[middle].mark = 1;
  editor.SendMessage(WM_COMMAND, CM_ALIGNMENT);
  const double *a = system.Surface(first)->general.vertex, *b = system.Surface(last)->general.vertex;
  EXPECT_APPROX(a[1], 0.0, kPlaceTolerance);
  EXPECT_APPROX(std::hypot(b[0] - a[0], b[1] - a[1]), x1 - x0, kPlaceTolerance);
}

TEST_F(ViewCommandsTest, DisplaySwitchesNeedTheirSurfaces) {
  TOpticalEditor &editor = Open(triplet_);
  TOptionsImage &options = editor.System().options;
  const int beams = options.ShowCourseBeam;
  const int planes = options.ShowCardinalPlanes;
  editor.SendMessage(WM_COMMAND, CM_REAL_BEAMS);
  EXPECT_EQ(options.ShowCourseBeam, 1 - beams);
  EXPECT_EQ(editor.EditTools().ButtonDown(CM_REAL_BEAMS), beams == 0);
  EXPECT_EQ((GetMenuState(Menu(), CM_REAL_BEAMS, MF_BYCOMMAND) & MF_CHECKED) != 0, beams == 0);
  editor.SendMessage(WM_COMMAND, CM_REAL_BEAMS);
  EXPECT_EQ(options.ShowCourseBeam, beams);
  EXPECT_EQ((GetMenuState(Menu(), CM_REAL_BEAMS, MF_BYCOMMAND) & MF_CHECKED) != 0, beams != 0);
  editor.SendMessage(WM_COMMAND, CM_CARDINAL_PLANES);
  EXPECT_EQ(options.ShowCardinalPlanes, 1 - planes);

  editor.System().Clear();
  const std::size_t beeps = answers_->beeps.size();
  editor.View().CmRealBeams();
  editor.View().CmCardinalPlanes();
  editor.View().CmZoomOut();
  EXPECT_EQ(answers_->beeps.size(), beeps + 3);
  EXPECT_EQ(options.ShowCourseBeam, beams);
  EXPECT_EQ(options.ShowCardinalPlanes, 1 - planes);
}

}  // namespace

namespace {

TEST_F(ViewCommandsTest, ActualSizeInSelectModeLetsTheSelectButtonUpAsADragPansAgain) {
  // After Actual size a drag moves the view: the Select button, its menu check and the
  // tool say so, instead of showing a mode no longer in force.
  TOpticalEditor &editor = Open(triplet_);
  editor.SendMessage(WM_COMMAND, CM_SELECT);
  ASSERT_TRUE(editor.EditTools().ButtonDown(CM_SELECT));
  editor.SendMessage(WM_COMMAND, CM_ACTUAL_SIZE);
  EXPECT_EQ(editor.Tools().mouseMode, kPanMouseMode);
  EXPECT_FALSE(editor.EditTools().ButtonDown(CM_SELECT));
  EXPECT_EQ(editor.Tools().tool, 0);
  EXPECT_FALSE(editor.Canvas()->GetSelectMode());
  HMENU menu = GetMenu(editor.GetHandle());
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(GetMenuState(menu, CM_SELECT, MF_BYCOMMAND) & MF_CHECKED, 0u);
  // Select again turns it on at the first press.
  editor.SendMessage(WM_COMMAND, CM_SELECT);
  EXPECT_TRUE(editor.EditTools().ButtonDown(CM_SELECT));
  EXPECT_EQ(editor.Tools().mouseMode, kSelectMouseMode);
}

}  // namespace
