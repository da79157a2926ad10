// The canvas's tools on the Cooke triplet in the editor: the drawn fan against the paraxial
// image, the select and zoom bands, moving the selection by a drag with its undo step,
// panning, placement picks, keys, the pop-up menu, the tool record, the scale caption and
// the note of the selection's first-order values.

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include <QImage>

#include "document/system/cardinal_points.h"
#include "editor/canvas/scale_caption.h"
#include "editor/commands/editor_commands.h"
#include "editor/shell/tests/editor_shell_test_support.h"
#include "foundation/numerics/pi.h"
#include "platform/gui/bars/cursors.h"
#include "platform/gui/drawing/dc.h"
#include "platform/gui/menus/menu_tracker.h"
#include "toolkit/graph/yellow_window.h"

#include "editor/canvas/tests/canvas_pixels.h"

namespace {

LPARAM At(POINT p) { return MAKELPARAM(p.x, p.y); }

void Drag(TEditGraph &canvas, POINT from, POINT to) {
  canvas.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, At(from));
  canvas.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, At(POINT{(from.x + to.x) / 2, (from.y + to.y) / 2}));
  canvas.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, At(to));
  canvas.SendMessage(WM_LBUTTONUP, 0, At(to));
}

// Receives the canvas's commands.
class TCommandRecorder : public TWindow {
 public:
  TCommandRecorder() : TWindow(nullptr, "recorder") {}
  bool Find(TEventInfo &info) override;
  void EvCommand(UINT id, HWND, UINT) { commands.push_back(static_cast<int>(id)); }
  std::vector<int> commands;
};

const TResponseTableEntry kRecorderTable[] = {
    EvMessage<WM_COMMAND, &TCommandRecorder::EvCommand>(),
};

bool TCommandRecorder::Find(TEventInfo &info) {
  return SearchResponseTable(kRecorderTable, info) || TWindow::Find(info);
}

class TButtonsRecorder final : public TToolButtons {
 public:
  void ReleaseButton(int commandId) override { released.push_back(commandId); }
  std::vector<int> released;
};

class TPendingRecorder final : public TPendingMoveView {
 public:
  void SetPendingShift(double dx, double dy) override { shifts.push_back(DPOINT{dx, dy}); }
  void SetPendingAngle(double degrees) override { angles.push_back(degrees); }
  std::vector<DPOINT> shifts;
  std::vector<double> angles;
};

class CanvasToolsTest : public EditorShellTest {
 protected:
  TEditGraph &Canvas() { return *editor_->Canvas(); }
  TSystemImage &System() { return editor_->System(); }
  // A point inside the glass of element e, half-way between its vertices, at 60 % of the
  // height of its first surface.
  POINT InGlass(int e) {
    const TOpticalElement &element = System().elements.data[e];
    const double x = 0.5 * (element.FirstSurface()->general.vertex[0] +
                            element.LastSurface()->general.vertex[0]);
    return Canvas().WorldToDevice(x, 0.6 * element.FirstSurface()->general.semiHeightExt);
  }
};

TEST_F(CanvasToolsTest, AxialFanMeetsTheAxisWithinAPixelOfTheParaxialImage) {
  TOpticalEditor &editor = Open(triplet_);
  TSystemImage &system = editor.System();
  // The image plane put at the paraxial image: the axial fan ends there.
  ASSERT_EQ(system.FirstOrderParaxial(), 1);
  const int last = system.SurfaceCount() - 1;
  const double image = system.Surface(last - 1)->general.vertex[0] + system.info.backFocalDistance;
  system.Surface(last)->SetPosition(image, 0.0, 0.0);
  system.Update();
  system.options.FillComponent = 0;
  Canvas().Redraw();
  const double mmPerPixel = 1.0 / Canvas().ScaleX();
  ASSERT_LT(mmPerPixel, 0.5);
  const POINT focus = Canvas().WorldToDevice(image, 0.0);
  // Two millimetres either side of the axis, beyond the pixel next to it: no ray of the
  // axial fan reaches the image column or the one before it there; 40 pixels before the
  // image the fan still spreads over more than two pixels.
  const int reach = static_cast<int>(2.0 / mmPerPixel);
  int strays = 0;
  for (int column : {focus.x - 1, focus.x})
    for (int dy = 2; dy <= reach; ++dy)
      strays += (Pixel(Canvas(), column, focus.y + dy) == TEditGraph::kRayColor) +
                (Pixel(Canvas(), column, focus.y - dy) == TEditGraph::kRayColor);
  EXPECT_EQ(strays, 0);
  EXPECT_EQ(Pixel(Canvas(), focus.x - 1, focus.y), TEditGraph::kRayColor);
  int spread = 0;
  for (int dy = 3; dy <= reach; ++dy)
    spread += Pixel(Canvas(), focus.x - 40, focus.y - dy) == TEditGraph::kRayColor;
  EXPECT_GT(spread, 0);
}

TEST_F(CanvasToolsTest, EveryExampleIsDrawnWithItsRays) {
  TOpticalEditor &editor = Open(triplet_);
  int drawn = 0;
  for (const auto &entry : std::filesystem::directory_iterator(ExamplePath(""))) {
    if (entry.path().extension() != ".os") continue;
    SCOPED_TRACE(entry.path().filename().string());
    ASSERT_EQ(editor.Files().LoadSystem(entry.path().string(), kNameFromFileName), 1);
    Canvas().Redraw();
    const QImage *image = Canvas().GetDCs().second->Image();
    ASSERT_NE(image, nullptr);
    int rays = 0, outline = 0;
    for (int y = 0; y < image->height(); ++y)
      for (int x = 0; x < image->width(); ++x) {
        const COLORREF c = Pixel(Canvas(), x, y);
        rays += c == TEditGraph::kRayColor;
        outline += c == TEditGraph::kOutlineColor;
      }
    EXPECT_GT(rays, 50);
    EXPECT_GT(outline, 50);
    ++drawn;
  }
  EXPECT_GE(drawn, 12);
  EXPECT_TRUE(answers_->boxes.empty());
}

TEST_F(CanvasToolsTest, GridAxesAndCardinalPlanesShowWhenAsked) {
  Open(triplet_);
  TSystemImage &system = System();
  auto count = [&](COLORREF color) {
    int n = 0;
    const QImage *image = Canvas().GetDCs().second->Image();
    for (int y = 0; y < image->height(); ++y)
      for (int x = 0; x < image->width(); ++x) n += Pixel(Canvas(), x, y) == color;
    return n;
  };
  constexpr COLORREF kGrey = 0x808080, kGreen = 0x00FF00;
  system.options.GridAxes = 0;
  system.options.ShowCardinalPlanes = 0;
  Canvas().Redraw();
  EXPECT_EQ(count(kGrey), 0);
  EXPECT_EQ(count(kGreen), 0);
  system.options.GridAxes = 1;
  system.options.ShowCardinalPlanes = 1;
  Canvas().Redraw();
  EXPECT_GT(count(kGrey), 200);
  // The rear principal plane of the triplet crosses the picture from top to bottom of the
  // lenses' height.
  const POINT h = Canvas().WorldToDevice(ComputeCardinalPoints(system).backPrincipal, 0.0);
  int column = 0;
  for (int y = 0; y < Canvas().GetBitmapSize().cy; ++y) column += Pixel(Canvas(), h.x, y) == kGreen;
  EXPECT_GT(column, static_cast<int>(10.0 * Canvas().ScaleX()));  // rays cross it here and there
}

TEST_F(CanvasToolsTest, SelectBandMarksExactlyTheLensItTouches) {
  Open(triplet_);
  TSystemImage &system = System();
  ASSERT_EQ(system.ElementCount(), 3);
  Canvas().SetMouseMode(kSelectMouseMode);
  // A band round a point inside the middle lens only.
  const POINT inside = InGlass(1);
  Drag(Canvas(), POINT{inside.x - 2, inside.y - 3}, POINT{inside.x + 2, inside.y + 3});
  for (int e = 0; e < 3; ++e) EXPECT_EQ(system.elements.data[e].mark, e == 1 ? 1 : 0) << e;
  EXPECT_EQ(system.selectedElement, 1);
  // The marked lens's glass is tinted with the selection's yellow.
  EXPECT_EQ(Pixel(Canvas(), inside.x, inside.y + 6), RGB(63, 63, 48));
}

TEST_F(CanvasToolsTest, ZoomBandBecomesTheViewWindow) {
  Open(triplet_);
  TSystemImage &system = System();
  Canvas().SetMouseMode(kZoomMouseMode);
  const POINT from{100, 60};
  const POINT to{220, 140};
  const DPOINT a = Canvas().DeviceToWorld(from);
  const DPOINT b = Canvas().DeviceToWorld(to);
  Drag(Canvas(), from, to);
  const double pixel = 1.0 / Canvas().ScaleX();
  EXPECT_NEAR(system.viewWindow.xFrom, a.x, pixel);
  EXPECT_NEAR(system.viewWindow.xTo, b.x, pixel);
  EXPECT_NEAR(system.viewWindow.yFrom, b.y, pixel);
  EXPECT_NEAR(system.viewWindow.yTo, a.y, pixel);
  EXPECT_FALSE(Canvas().GetSelectMode());
  // The canvas now shows that window: its corners' world points are inside the picture.
  EXPECT_LE(Canvas().X1(), system.viewWindow.xFrom + 1e-9);
  EXPECT_GE(Canvas().X2(), system.viewWindow.xTo - 1e-9);
  EXPECT_LT(Canvas().X2() - Canvas().X1(), 0.5 * (b.x - a.x) * TEditGraph::kWidth / 60.0);
}

TEST_F(CanvasToolsTest, DragMovesTheSelectionByTheDragAndTakesOneUndoStep) {
  Open(triplet_);
  TSystemImage &system = System();
  ASSERT_EQ(Canvas().SelectAt(InGlass(1)), 1);
  const int steps = system.options.undoIndex;
  const DPOINT3 before(system.Surface(3)->general.vertex[0], system.Surface(3)->general.vertex[1], 0.0);
  const double firstBefore = system.Surface(1)->general.vertex[0];
  Canvas().SetMouseMode(kMoveMouseMode);
  const POINT from = InGlass(1);
  const POINT to{from.x + 17, from.y - 9};
  const DPOINT a = Canvas().DeviceToWorld(from);
  const DPOINT b = Canvas().DeviceToWorld(to);
  Drag(Canvas(), from, to);
  EXPECT_NEAR(system.Surface(3)->general.vertex[0] - before.x, b.x - a.x, 1e-9);
  EXPECT_NEAR(system.Surface(3)->general.vertex[1] - before.y, b.y - a.y, 1e-9);
  EXPECT_GT(b.x - a.x, 0.0);
  EXPECT_GT(b.y - a.y, 0.0);  // up on the screen is up in the world
  EXPECT_EQ(system.Surface(1)->general.vertex[0], firstBefore);
  EXPECT_EQ(system.options.undoIndex, steps + 1);
  EXPECT_EQ(system.options.Label(system.options.undoIndex), "Move element");
  EXPECT_EQ(system.pendingMove.x, 0);
  // The moved lens is drawn at its new place in the selection colour.
  const POINT moved = Canvas().WorldToDevice(system.Surface(3)->general.vertex[0],
                                             system.Surface(3)->general.vertex[1]);
  bool yellow = false;
  for (int dx = -1; dx <= 1; ++dx)
    for (int dy = -1; dy <= 1; ++dy)
      yellow = yellow || Pixel(Canvas(), moved.x + dx, moved.y + dy) == TEditGraph::kSelectedColor;
  EXPECT_TRUE(yellow);
  // One undo brings it back.
  editor_->Files().CmUndo();
  EXPECT_NEAR(System().Surface(3)->general.vertex[0], before.x, 1e-12);
  EXPECT_NEAR(System().Surface(3)->general.vertex[1], before.y, 1e-12);
}

TEST_F(CanvasToolsTest, InSelectModeADragOfTheSelectionMovesItAndADragElsewhereSelects) {
  Open(triplet_);
  TSystemImage &system = System();
  Canvas().SetMouseMode(kSelectMouseMode);
  // A band round the middle lens marks it; a drag that starts on the lens moves it.
  const POINT inside = InGlass(1);
  Drag(Canvas(), POINT{inside.x - 2, inside.y - 3}, POINT{inside.x + 2, inside.y + 3});
  ASSERT_EQ(system.elements.data[1].mark, 1);
  const int steps = system.options.undoIndex;
  const DPOINT before{system.Surface(3)->general.vertex[0], system.Surface(3)->general.vertex[1]};
  const double firstBefore = system.Surface(1)->general.vertex[0];
  const POINT to{inside.x + 15, inside.y + 7};
  const DPOINT a = Canvas().DeviceToWorld(inside);
  const DPOINT b = Canvas().DeviceToWorld(to);
  Drag(Canvas(), inside, to);
  EXPECT_NEAR(system.Surface(3)->general.vertex[0] - before.x, b.x - a.x, 1e-9);
  EXPECT_NEAR(system.Surface(3)->general.vertex[1] - before.y, b.y - a.y, 1e-9);
  EXPECT_LT(b.y - a.y, 0.0);  // down on the screen is down in the world
  EXPECT_EQ(system.Surface(1)->general.vertex[0], firstBefore);
  EXPECT_EQ(system.options.undoIndex, steps + 1);
  EXPECT_EQ(system.options.Label(system.options.undoIndex), "Move element");
  EXPECT_EQ(Canvas().MouseMode(), kSelectMouseMode);
  // The lens is still selected where it now stands: a second drag from it moves it again.
  const POINT moved = InGlass(1);
  Drag(Canvas(), moved, POINT{moved.x - 15, moved.y - 7});
  EXPECT_NEAR(system.Surface(3)->general.vertex[0], before.x, 1e-9);
  EXPECT_NEAR(system.Surface(3)->general.vertex[1], before.y, 1e-9);
  EXPECT_EQ(system.options.undoIndex, steps + 2);
  // A drag that starts off the selection draws a band and moves nothing.
  const POINT first = InGlass(0);
  Drag(Canvas(), POINT{first.x - 2, first.y - 3}, POINT{first.x + 2, first.y + 3});
  EXPECT_EQ(system.elements.data[0].mark, 1);
  EXPECT_EQ(system.elements.data[1].mark, 0);
  EXPECT_EQ(system.options.undoIndex, steps + 2);
  EXPECT_NEAR(system.Surface(3)->general.vertex[0], before.x, 1e-9);
  // A click on a selected element picks what lies under it alone, as a click elsewhere.
  Canvas().SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, At(first));
  Canvas().SendMessage(WM_LBUTTONUP, 0, At(first));
  EXPECT_EQ(system.elements.data[0].mark, 1);
  EXPECT_EQ(system.options.undoIndex, steps + 2);
}

TEST_F(CanvasToolsTest, OpenQuickTablesFollowTheDragAndAreToldWhenItEnds) {
  Open(triplet_);
  TSystemImage &system = System();
  ASSERT_EQ(Canvas().SelectAt(InGlass(2)), 1);
  TPendingRecorder position, inclination;
  Canvas().SetQuickPositionTable(&position);
  Canvas().SetQuickInclinationTable(&inclination);
  Canvas().SetMouseMode(kMoveMouseMode);
  const POINT from = InGlass(2);
  const POINT to{from.x + 6, from.y - 30};
  const DPOINT a = Canvas().DeviceToWorld(from);
  const DPOINT b = Canvas().DeviceToWorld(to);
  const DPOINT3 c = system.elements.data[2].referencePoint;
  Canvas().SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, At(from));
  Canvas().SendMessage(WM_MOUSEMOVE, MK_LBUTTON, At(to));
  ASSERT_EQ(position.shifts.size(), 1u);
  EXPECT_NEAR(position.shifts[0].x, b.x - a.x, 1e-9);
  EXPECT_NEAR(position.shifts[0].y, b.y - a.y, 1e-9);
  EXPECT_EQ(system.pendingMove.x, 6);
  EXPECT_EQ(system.pendingMove.y, -30);
  // The turn about the element's reference point from the press towards the mouse: the
  // point above the axis moves further up, so the turn is counter-clockwise (positive).
  ASSERT_EQ(inclination.angles.size(), 1u);
  const double expected =
      (std::atan2(b.y - c.y, b.x - c.x) - std::atan2(a.y - c.y, a.x - c.x)) * 180.0 / kPi;
  EXPECT_NEAR(inclination.angles[0], expected, 1e-9);
  EXPECT_GT(inclination.angles[0], 0.0);
  Canvas().SendMessage(WM_LBUTTONUP, 0, At(to));
  EXPECT_EQ(position.shifts.back().x, 0.0);
  EXPECT_EQ(inclination.angles.back(), 0.0);
  Canvas().SetQuickPositionTable(nullptr);
  Canvas().SetQuickInclinationTable(nullptr);
  // A right press is a press too: its point is recorded.
  TScriptedMenuTracker menus;
  Canvas().SendMessage(WM_RBUTTONDOWN, MK_RBUTTON, At(POINT{33, 44}));
  EXPECT_EQ(system.lastPress.x, 33);
  EXPECT_EQ(system.lastPress.y, 44);
}

TEST_F(CanvasToolsTest, PanShiftsTheViewByTheDragWithItsCursor) {
  Open(triplet_);
  TSystemImage &system = System();
  Canvas().SetMouseMode(kPanMouseMode);
  const TViewWindow view = system.viewWindow;
  const POINT from{200, 150};
  const POINT to{230, 130};
  const DPOINT a = Canvas().DeviceToWorld(from);
  const DPOINT b = Canvas().DeviceToWorld(to);
  Canvas().SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, At(from));
  EXPECT_EQ(system.lastPress.x, from.x);
  EXPECT_EQ(system.lastPress.y, from.y);
  EXPECT_EQ(GetWindowCursor(Canvas().GetHandle()), LoadCursor(nullptr, "MoveField_Cur"));
  Canvas().SendMessage(WM_MOUSEMOVE, MK_LBUTTON, At(to));
  Canvas().SendMessage(WM_LBUTTONUP, 0, At(to));
  EXPECT_NEAR(system.viewWindow.xFrom, view.xFrom - (b.x - a.x), 1e-9);
  EXPECT_NEAR(system.viewWindow.yTo, view.yTo - (b.y - a.y), 1e-9);
  EXPECT_NE(GetWindowCursor(Canvas().GetHandle()), LoadCursor(nullptr, "MoveField_Cur"));
  // The world point pressed now lies under the release point.
  const DPOINT under = Canvas().DeviceToWorld(to);
  EXPECT_NEAR(under.x, a.x, 1.0 / Canvas().ScaleX());
  EXPECT_NEAR(under.y, a.y, 1.0 / Canvas().ScaleX());
}

TEST_F(CanvasToolsTest, PlacementPicksTheElementThenRecordsThePlace) {
  Open(triplet_);
  TSystemImage &system = System();
  editor_->Tools().tool = kNewElementTool;
  std::vector<std::pair<POINT, int>> placed;
  Canvas().SetPlacementHook([&](POINT p, int tool) { placed.emplace_back(p, tool); });
  // The first press picks the lens after which the new element goes.
  Canvas().SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, At(InGlass(0)));
  Canvas().SendMessage(WM_LBUTTONUP, 0, At(InGlass(0)));
  EXPECT_EQ(system.selectedElement, 0);
  EXPECT_TRUE(Canvas().GetSelectMode());
  // A press inside the band changes nothing; one outside it is the place.
  Canvas().SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, At(InGlass(0)));
  EXPECT_TRUE(placed.empty());
  const POINT place{InGlass(2).x + 40, InGlass(2).y};
  Canvas().SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, At(place));
  EXPECT_FALSE(Canvas().GetSelectMode());
  ASSERT_EQ(placed.size(), 1u);
  EXPECT_EQ(placed[0].first.x, place.x);
  EXPECT_EQ(placed[0].second, kNewElementTool);
  EXPECT_EQ(Canvas().PlacementTool(), kNewElementTool);
  EXPECT_EQ(system.lastPress.x, place.x);
  EXPECT_EQ(system.lastPress.y, place.y);
}

TEST_F(CanvasToolsTest, KeysAndPopUpItemsReachTheEditorsCommands) {
  Open(triplet_);
  TCommandRecorder recorder;
  ASSERT_TRUE(recorder.Create());
  Canvas().SetCommandTarget(recorder.GetHandle());
  int refreshes = 0;
  Canvas().SetRefreshHook([&] { ++refreshes; });
  test_kit::PostKeyWith(Canvas(), 'R', MK_CONTROL);
  ASSERT_TRUE(test_kit::RunUntil([&] { return refreshes == 1; }));
  // Ctrl-A is the canvas's own key for the editor's Edit Animation command.
  test_kit::PostKeyWith(Canvas(), 'A', MK_CONTROL);
  ASSERT_TRUE(test_kit::RunUntil([&] { return !recorder.commands.empty(); }));
  EXPECT_EQ(recorder.commands.back(), CM_EDIT_ANIMATION);

  // In the editor the menu's items follow its enabling: Refresh is the canvas's own.
  TScriptedMenuTracker menus;
  menus.ChooseId(CM_REFRESH);
  Canvas().SendMessage(WM_RBUTTONDOWN, MK_RBUTTON, At(POINT{50, 50}));
  ASSERT_EQ(menus.walks.size(), 1u);
  const std::vector<std::string> items = menus.walks[0].Items;
  EXPECT_EQ(items.front(), "&Undo");
  EXPECT_EQ(items.back(), "&Refresh");
  EXPECT_FALSE(menus.walks[0].Refused);
  EXPECT_EQ(refreshes, 2);
  // A canvas whose parent answers no enabling: an edit item goes to the parent.
  auto *parent = new TCommandRecorder;
  auto *child = new TEditGraph(parent, RGB(0, 0, 64));
  ASSERT_TRUE(parent->Create());
  menus.ChooseId(CM_COPY);
  child->SendMessage(WM_RBUTTONDOWN, MK_RBUTTON, At(POINT{20, 20}));
  ASSERT_EQ(menus.walks.size(), 2u);
  EXPECT_FALSE(menus.walks[1].Refused);
  ASSERT_FALSE(parent->commands.empty());
  EXPECT_EQ(parent->commands.back(), CM_COPY);
  parent->Destroy();
  delete parent;
  recorder.Destroy();
}

TEST_F(CanvasToolsTest, LeavingSelectReleasesItsButtonsAndTheBand) {
  Open(triplet_);
  TToolSelection &tools = editor_->Tools();
  TButtonsRecorder buttons;
  tools.toolsBox = &buttons;
  tools.tool = kSelectTool;
  Canvas().SetMouseMode(kSelectMouseMode);
  ASSERT_TRUE(Canvas().GetSelectMode());
  tools.SetTool(&Canvas(), CM_SELECT_ZOOM, 0);
  EXPECT_EQ(buttons.released, std::vector<int>{kSelectTool});
  EXPECT_FALSE(Canvas().GetSelectMode());
  EXPECT_EQ(tools.mouseMode, kPanMouseMode);
  EXPECT_EQ(tools.tool, CM_SELECT_ZOOM);
  // The old tool kept: nothing released; the same tool again: nothing either.
  buttons.released.clear();
  tools.SetTool(&Canvas(), kNewElementTool, CM_SELECT_ZOOM);
  tools.SetTool(&Canvas(), kNewElementTool, 0);
  EXPECT_TRUE(buttons.released.empty());
  tools.SetTool(&Canvas(), kNewSingleSurfaceTool, kSelectTool);
  EXPECT_EQ(buttons.released, (std::vector<int>{kNewElementTool, kSelectTool}));
  tools.Clear();
  EXPECT_EQ(tools.tool, 0);
  EXPECT_EQ(tools.toolsBox, &buttons);
  tools.toolsBox = nullptr;
}

TEST_F(CanvasToolsTest, ScaleCaptionAndTheSelectionsNote) {
  EXPECT_EQ(FormatScaleRatio(0.005), " (1:0.0050)");
  EXPECT_EQ(FormatScaleRatio(2.5), " (1:2.5)");
  EXPECT_EQ(FormatScaleRatio(0.05), " (1:0.050)");
  EXPECT_EQ(FormatScaleRatio(123.46), " (1:123.5)");
  Open(triplet_);
  // At 96 pixels per inch a pixel is 25.4 / 96 mm of the screen: the scale on the screen.
  const RECT plot = Canvas().GetPlotRect();
  const double worldPerPixel = (Canvas().X2() - Canvas().X1()) / (plot.right - plot.left);
  EXPECT_NEAR(ScaleRatio(Canvas()), worldPerPixel / (25.4 / 96.0), 1e-12);
  EXPECT_EQ(FormatScaleCaption(Canvas()), FormatScaleRatio(ScaleRatio(Canvas())));

  TSystemImage &system = System();
  system.ShowGeneralParameters(&Canvas());
  EXPECT_EQ(Canvas().NoteHandle(), nullptr);  // nothing selected
  Canvas().SelectAt(POINT{30000, 30000});
  for (int e = 0; e < system.ElementCount(); ++e) system.elements.data[e].mark = 1;
  system.hasSelection = 1;
  system.ShowGeneralParameters(&Canvas());
  HWND note = Canvas().NoteHandle();
  ASSERT_NE(note, nullptr);
  auto *window = dynamic_cast<TYellowWindow *>(WindowFromHandle(note));
  ASSERT_NE(window, nullptr);
  // A second note replaces the first.
  system.ShowGeneralParameters(&Canvas());
  EXPECT_FALSE(IsWindow(note) && Canvas().NoteHandle() == note);
  EXPECT_NE(Canvas().NoteHandle(), nullptr);
  // No selection: the note goes; one made on the canvas with the note on shows its own.
  system.ClearSelection();
  system.ShowGeneralParameters(&Canvas());
  EXPECT_EQ(Canvas().NoteHandle(), nullptr);
  system.options.ViewPropertiesOfSelectedElements = 1;
  const double *front = system.Surface(1)->general.vertex;
  EXPECT_GT(Canvas().SelectAt(Canvas().WorldToDevice(front[0], front[1])), 0);
  EXPECT_NE(Canvas().NoteHandle(), nullptr);
  Canvas().SelectAt(POINT{30000, 30000});
  EXPECT_EQ(Canvas().NoteHandle(), nullptr);
}

}  // namespace
