// The graph window: sizes and options, the bitmap against the window, scrolling and
// stretching, duplicates, the background colour and transparent mode.

#include "toolkit/graph/graph_window.h"

#include <gtest/gtest.h>

#include <QImage>

#include "platform/core/recording_providers.h"
#include "platform/core/scripted_dialogs.h"
#include "platform/gui/drawing/gdi_objects.h"
#include "platform/gui/menus/menu_tracker.h"
#include "platform/gui/windows/scroller.h"
#include "platform/gui/windows/screen.h"
#include "toolkit/graph/c_graph.h"
#include "toolkit/graph/graph.h"
#include "toolkit/graph/tests/graph_test_support.h"

using graph_test::BitmapPixel;
using graph_test::GraphFixture;
using graph_test::WindowPixel;

namespace {

constexpr COLORREF kWhite = 0xFFFFFF;
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);

void FillBitmapRect(TGraphWindow &graph, const RECT &rect, COLORREF color) {
  TBrush brush(color);
  graph.GetDCs().second->FillRect(rect, brush);
}

// Counts the pixels where two images differ.
int DifferingPixels(const QImage &a, const QImage &b) {
  if (a.size() != b.size()) return -1;
  int count = 0;
  for (int y = 0; y < a.height(); ++y) {
    for (int x = 0; x < a.width(); ++x) count += a.pixel(x, y) != b.pixel(x, y) ? 1 : 0;
  }
  return count;
}

// Counts a dialog's private messages.
class TDialogStandIn : public TWindow {
 public:
  explicit TDialogStandIn(TWindow *parentWindow) : TWindow(parentWindow) {}
  LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
    if (msg == WM_GRAPH_BACKGROUND_CHANGED) {
      ++changes;
      lastColor = static_cast<COLORREF>(lParam);
    }
    return TWindow::WindowProc(msg, wParam, lParam);
  }
  int changes = 0;
  COLORREF lastColor = 0;
};

}  // namespace

using GraphWindow = GraphFixture;

TEST_F(GraphWindow, PlainOptionsGiveAVisibleScrollableGraphOfTheRequestedClient) {
  TGraphWindow *graph = NewGraphWindow(frame, 10, 10, 200, 150, WS_CHILD, kWhite, nullptr);
  const SIZE client = graph->GetClientSize();
  EXPECT_EQ(client.cx, 200);
  EXPECT_EQ(client.cy, 150);
  EXPECT_EQ(graph->GetBitmapSize().cx, 200);
  EXPECT_EQ(graph->GetBitmapSize().cy, 150);
  EXPECT_TRUE(graph->IsWindowVisible());
  EXPECT_TRUE(graph->IsScrollable());
  EXPECT_TRUE(graph->IsMemoryDrawing());
  EXPECT_TRUE(graph->IsWindowDrawing());
  // The bitmap fits: no scroll bars take room.
  EXPECT_EQ(graph->GetStyle() & (WS_HSCROLL | WS_VSCROLL), 0u);
  EXPECT_EQ(graph->GetOptions() & kGraphClientSize, kGraphClientSize);
  EXPECT_STREQ(graph->GetClassName(), "TGraphWindow");
}

TEST_F(GraphWindow, WindowSizeOptionTakesTheWholeWindow) {
  TGraphWindow *graph = NewGraphWindow(frame, 0, 0, 200, 150, WS_CHILD | WS_BORDER |
                                       kGraphWindowSize, kWhite, nullptr);
  const RECT outer = graph->GetWindowRect();
  EXPECT_EQ(outer.Width(), 200);
  EXPECT_EQ(outer.Height(), 150);
  EXPECT_EQ(graph->GetClientSize().cx, 198);
}

TEST_F(GraphWindow, AClientSmallerThanTheFrameIsStillTheClientAskedFor) {
  // A 2 x 2 picture in a sizing frame: the frame is wider than the client.
  TGraphWindow *graph = NewGraphWindow(frame, 0, 0, 2, 3, WS_POPUP | WS_THICKFRAME, kWhite,
                                       nullptr);
  EXPECT_EQ(graph->GetClientSize().cx, 2);
  EXPECT_EQ(graph->GetClientSize().cy, 3);
  EXPECT_EQ(graph->GetBitmapSize().cx, 2);
  EXPECT_EQ(graph->GetBitmapSize().cy, 3);
  const RECT outer = graph->GetWindowRect();
  EXPECT_GT(outer.Width(), 2);
}

TEST_F(GraphWindow, SizeBelowOneReachesTheParentsEdge) {
  TGraphWindow *graph = NewGraphWindow(frame, 40, 30, -10, 0, WS_CHILD, kWhite, nullptr);
  EXPECT_EQ(graph->GetClientSize().cx, 640 - 10 - 40);
  EXPECT_EQ(graph->GetClientSize().cy, 480 - 30);
}

TEST_F(GraphWindow, MemoryOnlyOptionHidesTheWindowAndDrawsIntoTheBitmap) {
  TGraphWindow *graph =
      NewGraphWindow(frame, 0, 0, 100, 80, WS_CHILD | kGraphMemoryOnly, kWhite, nullptr);
  EXPECT_FALSE(graph->IsWindowVisible());
  EXPECT_TRUE(graph->IsMemoryDrawing());
  EXPECT_FALSE(graph->IsWindowDrawing());
}

TEST_F(GraphWindow, NewBitmapIsClearedAndPaintingShowsIt) {
  TGraphWindow *graph = NewGraphWindow(frame, 0, 0, 120, 90, WS_CHILD, kBlue, nullptr);
  EXPECT_EQ(BitmapPixel(*graph, 0, 0), kBlue);
  EXPECT_EQ(BitmapPixel(*graph, 119, 89), kBlue);
  FillBitmapRect(*graph, RECT{10, 10, 20, 20}, kRed);
  graph->Invalidate(true);
  graph->UpdateWindow();
  EXPECT_EQ(WindowPixel(*graph, 15, 15), kRed);
  EXPECT_EQ(WindowPixel(*graph, 25, 25), kBlue);
}

TEST_F(GraphWindow, ScrolledWindowShowsTheBitmapFromTheOffset) {
  TGraphWindow *graph = NewGraphWindow(frame, 0, 0, 200, 150, WS_CHILD, kWhite, nullptr);
  graph->CreateBitmap(400, 300);
  // The bitmap is larger than the client: both bars appear and offer the excess.
  EXPECT_NE(graph->GetStyle() & WS_HSCROLL, 0u);
  EXPECT_NE(graph->GetStyle() & WS_VSCROLL, 0u);
  const SIZE client = graph->GetClientSize();
  EXPECT_EQ(graph->Scroller->XRange, 400 - client.cx);
  EXPECT_EQ(graph->Scroller->YRange, 300 - client.cy);
  FillBitmapRect(*graph, RECT{100, 80, 110, 90}, kRed);
  graph->ScrollTo(60, 50);
  EXPECT_EQ(WindowPixel(*graph, 40, 30), kRed);
  EXPECT_EQ(WindowPixel(*graph, 39, 30), kWhite);
  EXPECT_EQ(WindowPixel(*graph, 100, 80), kWhite);
  // A scroll message moves the offset too.
  graph->SendMessage(WM_HSCROLL, SB_LINERIGHT, 0);
  EXPECT_EQ(graph->GetScrollOffset().x, 61);
  EXPECT_EQ(WindowPixel(*graph, 39, 30), kRed);
}

TEST_F(GraphWindow, StretchedWindowScalesTheWholeBitmapOverTheClient) {
  TGraphWindow *graph =
      NewGraphWindow(frame, 0, 0, 200, 150, WS_CHILD | kGraphStretch, kWhite, nullptr);
  EXPECT_FALSE(graph->IsScrollable());
  graph->CreateBitmap(400, 300);
  EXPECT_EQ(graph->GetStyle() & (WS_HSCROLL | WS_VSCROLL), 0u);
  FillBitmapRect(*graph, RECT{200, 150, 220, 170}, kRed);
  graph->Refresh();
  // Bitmap (200..219, 150..169) lands on client (100..109, 75..84).
  EXPECT_EQ(WindowPixel(*graph, 100, 75), kRed);
  EXPECT_EQ(WindowPixel(*graph, 109, 84), kRed);
  EXPECT_EQ(WindowPixel(*graph, 99, 75), kWhite);
  EXPECT_EQ(WindowPixel(*graph, 110, 85), kWhite);
}

TEST_F(GraphWindow, StretchedGraphMapsClientPointsBackToTheWorld) {
  TGraph *graph = NewGraph(frame, 0, 0, 200, 150, WS_CHILD | kGraphStretch, kWhite, nullptr);
  graph->CreateBackingBitmap(400, 300);
  graph->SetPlotArea(0, 0, 400, 300, false, false);
  graph->SetWorld(0.0, 40.0, 0.0, 30.0);
  double x = 0, y = 0;
  // Client (50, 75) is bitmap (100, 150): world (10, 15).
  graph->DeviceToWorld(50, 75, x, y);
  EXPECT_DOUBLE_EQ(x, 10.0);
  EXPECT_DOUBLE_EQ(y, 15.0);
}

TEST_F(GraphWindow, ShrinkingTheBitmapPullsTheOffsetBackOnItsOwnAxis) {
  TGraphWindow *graph = NewGraphWindow(frame, 0, 0, 200, 150, WS_CHILD, kWhite, nullptr);
  graph->CreateBitmap(600, 400);
  graph->ScrollTo(300, 20);
  EXPECT_EQ(graph->GetScrollOffset().x, 300);
  // Wider range gone: x comes back within it, y keeps its place.
  graph->CreateBitmap(250, 400);
  graph->ScrollTo(300, 20);
  const SIZE client = graph->GetClientSize();
  EXPECT_EQ(graph->GetScrollOffset().x, 250 - client.cx);
  EXPECT_EQ(graph->GetScrollOffset().y, 20);
}

TEST_F(GraphWindow, MousePointsBecomeBitmapPoints) {
  TGraphWindow *graph = NewGraphWindow(frame, 0, 0, 200, 150, WS_CHILD, kWhite, nullptr);
  graph->CreateBitmap(400, 300);
  graph->ScrollTo(30, 40);
  const POINT p = graph->ToBitmap(POINT{5, 6});
  EXPECT_EQ(p.x, 35);
  EXPECT_EQ(p.y, 46);
}

TEST_F(GraphWindow, ClientNeverGrowsBeyondTheBitmap) {
  TGraphWindow *graph = NewGraphWindow(frame, 0, 0, 100, 80, WS_CHILD, kWhite, nullptr);
  graph->MoveWindow(0, 0, 300, 200, true);
  EXPECT_EQ(graph->GetClientSize().cx, 100);
  EXPECT_EQ(graph->GetClientSize().cy, 80);
}

TEST_F(GraphWindow, DuplicateIsATopLevelWindowWithTheSamePicture) {
  TGraphWindow *graph = NewGraphWindow(frame, 5, 5, 160, 120, WS_CHILD, kWhite, nullptr);
  FillBitmapRect(*graph, RECT{20, 30, 60, 50}, kRed);
  FillBitmapRect(*graph, RECT{100, 10, 110, 110}, kBlue);
  graph->Refresh();
  graph->SetTitle("Copy of the plot");
  graph->SendMessage(WM_COMMAND, CM_GRAPH_DUPLICATE, 0);
  TGraphWindow *copy = graph->GetLastDuplicate();
  ASSERT_NE(copy, nullptr);
  EXPECT_FALSE(copy->IsChild());
  EXPECT_EQ(copy->GetStyle() & WS_OVERLAPPEDWINDOW, WS_OVERLAPPEDWINDOW);
  EXPECT_EQ(copy->GetClientSize().cx, 160);
  EXPECT_EQ(copy->GetClientSize().cy, 120);
  EXPECT_EQ(copy->GetWindowText(), "Copy of the plot");
  EXPECT_TRUE(copy->IsMenuEnabled());
  EXPECT_EQ(DifferingPixels(graph_test::BitmapImage(*copy), graph_test::BitmapImage(*graph)), 0);
  for (int y = 0; y < 120; y += 7) {
    for (int x = 0; x < 160; x += 3) {
      ASSERT_EQ(WindowPixel(*copy, x, y), WindowPixel(*graph, x, y)) << x << "," << y;
    }
  }
}

TEST_F(GraphWindow, DuplicateWithOptionsAddsThemToTheCopyOnly) {
  TGraphWindow *graph = NewGraphWindow(frame, 5, 5, 120, 90, WS_CHILD, kWhite, nullptr);
  auto *owner = new TWindow(frame);
  owner->Attr.Style = WS_CHILD | WS_VISIBLE;
  owner->Attr.W = 50;
  owner->Attr.H = 50;
  ASSERT_TRUE(owner->Create());
  TGraphWindow *copy = graph->DuplicateWithOptions(owner, kGraphStretch);
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(copy->GetParentO(), owner);
  EXPECT_FALSE(copy->IsScrollable());
  EXPECT_TRUE(graph->IsScrollable());
  EXPECT_EQ(graph->GetOptions() & kGraphStretch, 0u);
}

TEST_F(GraphWindow, ChildWindowMenuOffersNoTransparentItem) {
  TScriptedMenuTracker tracker;
  TGraphWindow *child = NewGraphWindow(frame, 0, 0, 100, 80, WS_CHILD | kGraphMenu, kWhite, nullptr);
  child->SendMessage(WM_RBUTTONDOWN, 0, MAKELPARAM(10, 10));
  ASSERT_EQ(tracker.walks.size(), 1u);
  EXPECT_EQ(tracker.walks[0].Items,
            (std::vector<std::string>{"Duplicate", "", "Background color", "Refresh window"}));
  EXPECT_EQ(tracker.walks[0].Walk.Owner, child->GetHandle());

  TGraphWindow *top = NewGraphWindow(frame, 0, 0, 100, 80, WS_POPUP | kGraphMenu, kWhite, nullptr);
  top->SendMessage(WM_RBUTTONDOWN, 0, MAKELPARAM(10, 10));
  ASSERT_EQ(tracker.walks.size(), 2u);
  EXPECT_EQ(tracker.walks[1].Items,
            (std::vector<std::string>{"Duplicate", "", "Transparent", "", "Background color",
                                      "Refresh window"}));

  // Without the option there is no menu.
  TGraphWindow *plain = NewGraphWindow(frame, 0, 0, 100, 80, WS_CHILD, kWhite, nullptr);
  plain->SendMessage(WM_RBUTTONDOWN, 0, MAKELPARAM(10, 10));
  EXPECT_EQ(tracker.walks.size(), 2u);
}

TEST_F(GraphWindow, MenuCommandReachesTheGraph) {
  TScriptedMenuTracker tracker;
  tracker.ChoosePath({"Duplicate"});
  TGraphWindow *graph = NewGraphWindow(frame, 0, 0, 100, 80, WS_CHILD | kGraphMenu, kWhite, nullptr);
  graph->SendMessage(WM_RBUTTONDOWN, 0, MAKELPARAM(10, 10));
  EXPECT_NE(graph->GetLastDuplicate(), nullptr);
}

TEST_F(GraphWindow, BackgroundColorRepaintsTheOldBackgroundAndKeepsDrawings) {
  TScriptedColorDialog dialog;
  dialog.Choose(RGB(0, 128, 0));
  TGraphWindow *graph = NewGraphWindow(frame, 0, 0, 100, 80, WS_CHILD, kWhite, nullptr);
  FillBitmapRect(*graph, RECT{10, 10, 20, 20}, kRed);
  graph->SendMessage(WM_COMMAND, CM_GRAPH_BACKGROUND_COLOR, 0);
  ASSERT_EQ(dialog.asked.size(), 1u);
  EXPECT_EQ(dialog.asked[0].Initial, kWhite);
  EXPECT_EQ(dialog.asked[0].Flags & CC_RGBINIT, CC_RGBINIT);
  ASSERT_EQ(dialog.asked[0].CustomColors.size(), 16u);
  EXPECT_EQ(dialog.asked[0].CustomColors[0], 0x000000u);
  EXPECT_EQ(dialog.asked[0].CustomColors[1], 0x101010u);
  EXPECT_EQ(dialog.asked[0].CustomColors[15], 0xF0F0F0u);
  EXPECT_EQ(graph->GetHandleField(), RGB(0, 128, 0));
  EXPECT_EQ(BitmapPixel(*graph, 50, 50), RGB(0, 128, 0));
  EXPECT_EQ(WindowPixel(*graph, 50, 50), RGB(0, 128, 0));
  // Red changes by white ^ green: still visible, as 255 ^ 255 ^ 0, 0 ^ 255 ^ 128, 0 ^ 255 ^ 0.
  EXPECT_EQ(BitmapPixel(*graph, 15, 15), RGB(0, 127, 255));

  dialog.Cancel();
  graph->SendMessage(WM_COMMAND, CM_GRAPH_BACKGROUND_COLOR, 0);
  EXPECT_EQ(dialog.asked.size(), 2u);
  EXPECT_EQ(graph->GetHandleField(), RGB(0, 128, 0));
  EXPECT_EQ(BitmapPixel(*graph, 50, 50), RGB(0, 128, 0));
}

TEST_F(GraphWindow, DialogGraphReportsItsBackgroundToTheDialog) {
  TScriptedColorDialog colors;
  colors.Choose(RGB(10, 20, 30));
  auto *dialog = new TDialogStandIn(frame);
  dialog->Attr.W = 300;
  dialog->Attr.H = 200;
  ASSERT_TRUE(dialog->Create());
  auto *graph = new TCGraph(dialog, 0, 0, 100, 80, WS_CHILD, kWhite, nullptr);
  ASSERT_TRUE(graph->Create());
  graph->SendMessage(WM_COMMAND, CM_GRAPH_BACKGROUND_COLOR, 0);
  EXPECT_EQ(dialog->changes, 1);
  EXPECT_EQ(dialog->lastColor, RGB(10, 20, 30));
  // Cancelled: the dialog still hears the (unchanged) colour.
  colors.Cancel();
  graph->SendMessage(WM_COMMAND, CM_GRAPH_BACKGROUND_COLOR, 0);
  EXPECT_EQ(dialog->changes, 2);
  EXPECT_EQ(dialog->lastColor, RGB(10, 20, 30));
}

TEST_F(GraphWindow, BitmapThatCannotBeMadeWarnsAndCopiesNothing) {
  TRecordingMessageBoxProvider boxes;
  TGraphWindow *graph = NewGraphWindow(frame, 0, 0, 100, 80, WS_CHILD, kBlue, nullptr);
  EXPECT_FALSE(graph->CreateBitmap(100000, 100000));
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].text, "Create - too few memory!");
  EXPECT_EQ(boxes.boxes[0].caption, "Warning");
  EXPECT_EQ(boxes.boxes[0].flags, MB_ICONHAND);
  EXPECT_FALSE(graph->IsBitmapValid());
  graph->Refresh();
  // A later size that fits makes it valid again.
  EXPECT_TRUE(graph->CreateBitmap(100, 80));
  EXPECT_EQ(BitmapPixel(*graph, 5, 5), kBlue);
}

TEST_F(GraphWindow, DarkBackgroundTurnsTransparentByInversionAndMergePaint) {
  TScriptedScreenProvider screen;
  screen.picture = QImage(1024, 768, QImage::Format_RGB32);
  screen.picture.fill(qRgb(0x20, 0x80, 0x08));  // what lies behind: RGB(0x20, 0x80, 0x08)
  constexpr COLORREF kDark = 0x400000;          // blue 0x40
  TGraphWindow *graph = NewGraphWindow(static_cast<TWindow *>(nullptr), 100, 100, 120, 90, WS_POPUP, kDark, nullptr);
  // A white mark stays white over the picture behind: MERGEPAINT gives (~src | dst).
  FillBitmapRect(*graph, RECT{10, 10, 20, 20}, kWhite);
  graph->SetTransparent(true);
  EXPECT_TRUE(graph->IsTransparent());
  EXPECT_EQ(graph->GetCopyMode(), MERGEPAINT);
  EXPECT_EQ(graph->GetHandleField(), 0xBFFFFFu);
  EXPECT_EQ(BitmapPixel(*graph, 50, 50), 0xBFFFFFu);
  EXPECT_EQ(BitmapPixel(*graph, 15, 15), 0x000000u);
  // Asked twice: the colours are inverted once.
  graph->SetTransparent(true);
  EXPECT_EQ(graph->GetHandleField(), 0xBFFFFFu);
  EXPECT_EQ(graph->GetCopyMode(), MERGEPAINT);
  ASSERT_EQ(graph->TransparentWindows().size(), 1u);
  // The window hides, the screen behind it is grabbed after the timer, and it shows again.
  EXPECT_FALSE(graph->IsWindowVisible());
  ASSERT_TRUE(test_kit::RunUntil([&] { return graph->IsWindowVisible(); }));
  ASSERT_FALSE(screen.grabs.empty());
  // Background pixels: the picture behind with the original colour's bits merged in.
  EXPECT_EQ(WindowPixel(*graph, 50, 50), RGB(0x20, 0x80, 0x08) | kDark);
  EXPECT_EQ(WindowPixel(*graph, 15, 15), kWhite);

  graph->SetTransparent(false);
  EXPECT_EQ(graph->GetCopyMode(), SRCCOPY);
  EXPECT_EQ(graph->GetHandleField(), kDark);
  EXPECT_EQ(BitmapPixel(*graph, 50, 50), kDark);
  EXPECT_EQ(BitmapPixel(*graph, 15, 15), kWhite);
  EXPECT_EQ(WindowPixel(*graph, 50, 50), kDark);
  EXPECT_TRUE(graph->TransparentWindows().empty());
  delete graph;
}

TEST_F(GraphWindow, LightBackgroundTurnsTransparentWithSourceAnd) {
  TScriptedScreenProvider screen;
  constexpr COLORREF kLight = RGB(0xC0, 0xC0, 0xC0);
  TGraphWindow *graph = NewGraphWindow(static_cast<TWindow *>(nullptr), 100, 100, 60, 40, WS_POPUP, kLight, nullptr);
  graph->SetTransparent(true);
  EXPECT_EQ(graph->GetCopyMode(), SRCAND);
  EXPECT_EQ(graph->GetHandleField(), kLight);
  graph->SetTransparent(false);
  EXPECT_EQ(graph->GetHandleField(), kLight);
  EXPECT_EQ(graph->GetCopyMode(), SRCCOPY);
  delete graph;
}

TEST_F(GraphWindow, FocusingTheRearTransparentWindowBringsItToTheFront) {
  TScriptedScreenProvider screen;
  TGraphWindow *first = NewGraphWindow(static_cast<TWindow *>(nullptr), 100, 100, 60, 40, WS_POPUP, kWhite, nullptr);
  TGraphWindow *second = NewGraphWindow(static_cast<TWindow *>(nullptr), 300, 100, 60, 40, WS_POPUP, kWhite, nullptr);
  first->SetTransparent(true);
  second->SetTransparent(true);
  ASSERT_EQ(TGraphWindow::TransparentWindows().size(), 2u);
  EXPECT_EQ(TGraphWindow::TransparentWindows()[0], second);
  // Both grab, show, and the desktop's activations settle.
  ASSERT_TRUE(test_kit::RunUntil([&] { return first->IsWindowVisible() && second->IsWindowVisible(); }));
  test_kit::RunFor(700);
  ASSERT_EQ(TGraphWindow::TransparentWindows()[0], second);
  const std::size_t grabsBefore = screen.grabs.size();
  first->SetFocus();
  EXPECT_EQ(TGraphWindow::TransparentWindows()[0], first);
  EXPECT_EQ(TGraphWindow::TransparentWindows()[1], second);
  EXPECT_EQ(GetFocus(), first->GetHandle());
  // Both regrab once their timers run.
  ASSERT_TRUE(test_kit::RunUntil([&] {
    return first->IsWindowVisible() && second->IsWindowVisible() &&
           screen.grabs.size() >= grabsBefore + 2;
  }));
  // And then they rest: the activations of their own showing start no new rounds.
  test_kit::RunFor(700);
  const std::size_t grabsSettled = screen.grabs.size();
  test_kit::RunFor(300);
  EXPECT_EQ(screen.grabs.size(), grabsSettled);
  delete second;
  EXPECT_EQ(TGraphWindow::TransparentWindows().size(), 1u);
  delete first;
  EXPECT_TRUE(TGraphWindow::TransparentWindows().empty());
}

TEST_F(GraphWindow, TransparentWindowMovedByTheUserKeepsOrSnapsBackPerAxis) {
  TScriptedScreenProvider screen;
  TGraphWindow *graph = NewGraphWindow(static_cast<TWindow *>(nullptr), 100, 120, 60, 40,
                                       WS_POPUP, kWhite, nullptr);
  graph->SetTransparent(true);
  ASSERT_TRUE(test_kit::RunUntil([&] { return graph->IsWindowVisible(); }));
  graph->SetKeepMovedX(false);
  const std::size_t grabsBefore = screen.grabs.size();
  graph->MoveWindow(300, 250, 60, 40, true);
  // x snaps back to where the window started, y stays where it was put; it grabs anew.
  EXPECT_EQ(graph->Attr.X, 100);
  EXPECT_EQ(graph->Attr.Y, 250);
  ASSERT_TRUE(test_kit::RunUntil(
      [&] { return graph->IsWindowVisible() && screen.grabs.size() > grabsBefore; }));
  EXPECT_EQ(graph->Attr.X, 100);
  EXPECT_EQ(graph->Attr.Y, 250);
  delete graph;
}

TEST_F(GraphWindow, CloseCommandDestroysAndDeletesTheWindow) {
  TGraphWindow *graph = NewGraphWindow(frame, 0, 0, 60, 40, WS_CHILD, kWhite, nullptr);
  const HWND handle = graph->GetHandle();
  graph->SendMessage(WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_FALSE(IsWindow(handle));
  EXPECT_TRUE(frame->GetChildren().empty());
}
