// The selection graph's rubber band (exclusive-or drawing that leaves the picture as it
// was) and the note window's placement and closing.

#include "toolkit/graph/g_graph.h"

#include <gtest/gtest.h>

#include <QImage>

#include "platform/gui/windows/screen.h"
#include "platform/gui/windows/scroller.h"
#include "toolkit/graph/tests/graph_test_support.h"
#include "toolkit/graph/yellow_window.h"

using graph_test::BitmapImage;
using graph_test::BitmapPixel;
using graph_test::GraphFixture;

namespace {

constexpr COLORREF kNoteColor = RGB(255, 255, 192);

// A graph with a picture that is not uniform, so that exclusive-or mistakes show.
TGGraph *MakePictureGraph(TWindow *frame) {
  TGGraph *graph = NewGGraph(frame, 0, 0, 200, 150, WS_CHILD, RGB(30, 60, 90), nullptr);
  graph->SetPlotArea(10, 10, 180, 130, true, false);
  graph->SetWorld(0.0, 18.0, 0.0, 13.0);
  // The y axis unlabelled: its labels would want room left of the plot, moving its edge.
  graph->DrawAxes(0.0, 2, 0.0, 0, 11);
  graph->SetPen(PS_SOLID, 2, RGB(250, 200, 0));
  graph->MoveTo(0.0, 0.0, false);
  for (int i = 1; i <= 18; ++i) graph->MoveTo(i, (i * 7) % 13, true);
  graph->SetMarkerSize(4, 4);
  for (int i = 0; i < 18; i += 3) graph->FillMarker(i, 6.5, RGB(0, 255, 120));
  return graph;
}

QImage ClientImage(TWindow &window) {
  const RECT client = window.ClientRectInImage();
  return window.WindowImage().copy(client.left, client.top, client.right - client.left,
                                   client.bottom - client.top);
}

LPARAM At(int x, int y) { return MAKELPARAM(x, y); }

}  // namespace

using GGraph = GraphFixture;

TEST_F(GGraph, DragThenSwitchingSelectionOffRestoresEveryPixel) {
  TGGraph *graph = MakePictureGraph(frame);
  const QImage bitmapBefore = BitmapImage(*graph);
  const QImage windowBefore = ClientImage(*graph);
  graph->SetSelectMode(true);
  graph->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, At(40, 30));
  graph->SendMessage(WM_MOUSEMOVE, MK_LBUTTON, At(90, 70));
  graph->SendMessage(WM_MOUSEMOVE, MK_LBUTTON, At(120, 95));
  graph->SendMessage(WM_LBUTTONUP, 0, At(120, 95));
  EXPECT_FALSE(graph->IsDragging());
  const RECT selection = graph->GetSelection();
  EXPECT_EQ(selection.left, 30);
  EXPECT_EQ(selection.top, 20);
  EXPECT_EQ(selection.right, 110);
  EXPECT_EQ(selection.bottom, 85);
  // The band is drawn in both pictures.
  EXPECT_NE(BitmapImage(*graph), bitmapBefore);
  EXPECT_NE(ClientImage(*graph), windowBefore);
  EXPECT_NE(BitmapPixel(*graph, 40, 30), bitmapBefore.pixelColor(40, 30).rgb() & 0xFFFFFFu);
  graph->SetSelectMode(false);
  EXPECT_EQ(BitmapImage(*graph), bitmapBefore);
  EXPECT_EQ(ClientImage(*graph), windowBefore);
  const RECT cleared = graph->GetSelection();
  EXPECT_EQ(cleared.left, 0);
  EXPECT_EQ(cleared.right, 0);
  EXPECT_FALSE(graph->GetSelectMode());
}

TEST_F(GGraph, DraggingFromInsideMovesTheSelectionWithoutResizingIt) {
  TGGraph *graph = MakePictureGraph(frame);
  const QImage before = BitmapImage(*graph);
  graph->SetSelection(10, 10, 50, 40);
  EXPECT_TRUE(graph->GetSelectMode());
  graph->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, At(30, 30));  // plot (20, 20): inside
  graph->SendMessage(WM_MOUSEMOVE, MK_LBUTTON, At(40, 35));
  graph->SendMessage(WM_MOUSEMOVE, MK_LBUTTON, At(45, 41));
  graph->SendMessage(WM_LBUTTONUP, 0, At(45, 41));
  const RECT moved = graph->GetSelection();
  EXPECT_EQ(moved.left, 25);
  EXPECT_EQ(moved.top, 21);
  EXPECT_EQ(moved.right, 65);
  EXPECT_EQ(moved.bottom, 51);
  graph->SetSelectMode(false);
  EXPECT_EQ(BitmapImage(*graph), before);
}

TEST_F(GGraph, ClickOutsideStartsANewRectangleThatMayRunBackwards) {
  TGGraph *graph = MakePictureGraph(frame);
  const QImage before = BitmapImage(*graph);
  graph->SetSelection(10, 10, 50, 40);
  graph->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, At(110, 100));  // plot (100, 90): outside
  RECT selection = graph->GetSelection();
  EXPECT_EQ(selection.left, 100);
  EXPECT_EQ(selection.right, 100);
  graph->SendMessage(WM_MOUSEMOVE, MK_LBUTTON, At(70, 60));
  selection = graph->GetSelection();
  EXPECT_EQ(selection.left, 100);
  EXPECT_EQ(selection.top, 90);
  EXPECT_EQ(selection.right, 60);
  EXPECT_EQ(selection.bottom, 50);
  graph->SendMessage(WM_LBUTTONUP, 0, At(70, 60));
  graph->SetSelectMode(false);
  EXPECT_EQ(BitmapImage(*graph), before);
}

TEST_F(GGraph, ASecondSetSelectionReplacesTheFirstOnScreen) {
  TGGraph *graph = MakePictureGraph(frame);
  const QImage before = BitmapImage(*graph);
  graph->SetSelection(10, 10, 50, 40);
  graph->SetSelection(60, 30, 120, 90);
  graph->SetSelectMode(false);
  EXPECT_EQ(BitmapImage(*graph), before);
}

TEST_F(GGraph, WithoutSelectModeTheMouseDrawsNothing) {
  TGGraph *graph = MakePictureGraph(frame);
  const QImage before = BitmapImage(*graph);
  graph->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, At(40, 30));
  graph->SendMessage(WM_MOUSEMOVE, MK_LBUTTON, At(90, 70));
  graph->SendMessage(WM_LBUTTONUP, 0, At(90, 70));
  EXPECT_EQ(BitmapImage(*graph), before);
  EXPECT_FALSE(graph->IsDragging());
}

TEST(YellowWindowPlacement, CentredAboveThePointAndKeptOnTheScreen) {
  const SIZE screen{1024, 768};
  const SIZE note{100, 30};
  // Placement 9: centred horizontally, bottom edge at the point.
  RECT place = TYellowWindow::PlaceNote(POINT{500, 400}, note, 9, false, screen);
  EXPECT_EQ(place.left, 450);
  EXPECT_EQ(place.top, 370);
  // Near the right edge the note ends exactly at the screen's edge, not a pixel past it.
  place = TYellowWindow::PlaceNote(POINT{1000, 400}, note, 9, false, screen);
  EXPECT_EQ(place.right, 1024);
  // A note placed by its top edge near the bottom stays above the screen's bottom.
  place = TYellowWindow::PlaceNote(POINT{10, 760}, note, 0, false, screen);
  EXPECT_EQ(place.bottom, 768);
  // Right edge at a point near the left: the left edge stays on the screen.
  place = TYellowWindow::PlaceNote(POINT{20, 100}, note, 2, false, screen);
  EXPECT_EQ(place.left, 0);
  // Close on leave puts the cursor just inside: one pixel from the left, three from the top.
  place = TYellowWindow::PlaceNote(POINT{200, 200}, note, 0, true, screen);
  EXPECT_EQ(place.left, 199);
  EXPECT_EQ(place.top, 197);
  place = TYellowWindow::PlaceNote(POINT{200, 200}, note, 10, true, screen);
  EXPECT_EQ(place.right, 201);
  EXPECT_EQ(place.bottom, 203);
  // Wider than the screen: the left edge stays visible.
  place = TYellowWindow::PlaceNote(POINT{500, 400}, SIZE{2000, 30}, 1, false, screen);
  EXPECT_EQ(place.left, 0);
}

TEST_F(GGraph, NoteSizesItselfAroundItsTextAndClosesWhenItLosesTheFocus) {
  TScriptedScreenProvider screen;
  screen.cursor = POINT{1010, 300};
  // The frame's own activation by the desktop comes first, as it would in the program.
  test_kit::RunFor(50);
  auto *note = new TYellowWindow(frame, "Focal length", kNoteColor, -1, -1, false, false);
  note->Placement = 9;
  note->TextFormat = DT_SINGLELINE;
  ASSERT_TRUE(note->Create());
  const HWND handle = note->GetHandle();
  const RECT outer = note->GetWindowRect();
  const SIZE bitmap = note->GetBitmapSize();
  EXPECT_EQ(outer.Width(), bitmap.cx);
  EXPECT_EQ(outer.Height(), bitmap.cy);
  EXPECT_GT(bitmap.cx, 20);
  EXPECT_EQ(outer.right, 1024);
  EXPECT_EQ(outer.bottom, 300);
  // The text is drawn inside the margins.
  int textPixels = 0;
  for (int y = 0; y < bitmap.cy; ++y) {
    for (int x = 0; x < bitmap.cx; ++x) textPixels += BitmapPixel(*note, x, y) != kNoteColor;
  }
  EXPECT_GT(textPixels, 10);
  EXPECT_EQ(BitmapPixel(*note, 1, 1), kNoteColor);
  EXPECT_EQ(GetFocus(), handle);
  // Still open after the loop runs: only the focus closes it.
  test_kit::RunFor(50);
  EXPECT_TRUE(IsWindow(handle));
  frame->SetFocus();
  EXPECT_FALSE(IsWindow(handle));

  // A note wider than the window it starts as: no scroll bar over its line.
  auto *wide =
      new TYellowWindow(frame, "No figures for the selection: they have no focus.", kNoteColor, 9, 9, false, true);
  ASSERT_TRUE(wide->Create());
  EXPECT_GT(wide->GetBitmapSize().cx, 220);
  EXPECT_EQ(wide->Scroller->XRange + wide->Scroller->YRange, 0);
  frame->SetFocus();
}

TEST_F(GGraph, NoteWithCloseOnLeaveClosesWhenTheMouseLeaves) {
  TScriptedScreenProvider screen;
  screen.cursor = POINT{300, 300};
  auto *note = new TYellowWindow(frame, "Line one\nLine two", kNoteColor, -1, -1, true, true);
  ASSERT_TRUE(note->Create());
  const HWND handle = note->GetHandle();
  EXPECT_EQ(GetCapture(), handle);
  // The frame grows the note by 4 pixels each way and outlines the plot area.
  EXPECT_NE(BitmapPixel(*note, 2, 2), kNoteColor);
  note->SendMessage(WM_MOUSEMOVE, 0, At(3, 3));
  EXPECT_TRUE(IsWindow(handle));
  note->SendMessage(WM_MOUSEMOVE, 0, At(-5, 3));
  EXPECT_FALSE(IsWindow(handle));
  EXPECT_EQ(GetCapture(), nullptr);

  auto *second = new TYellowWindow(frame, "Release", kNoteColor, 100, 100, true, false);
  ASSERT_TRUE(second->Create());
  const HWND secondHandle = second->GetHandle();
  second->SendMessage(WM_LBUTTONUP, 0, At(2, 2));
  EXPECT_FALSE(IsWindow(secondHandle));
}
