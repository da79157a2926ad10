// Decorated frames with a control bar, a status bar and a client; gadgets, tool boxes,
// command routing, command enablers and menu hints; the resource registries.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QImage>
#include <QWidget>
#include <vector>

#include "platform/gui/bars/cursors.h"
#include "platform/gui/bars/floating_frame.h"
#include "platform/gui/bars/frame_window.h"
#include "platform/gui/bars/gadget_window.h"
#include "platform/gui/bars/resources.h"
#include "platform/gui/drawing/gdi_objects.h"
#include "platform/gui/menus/menu.h"
#include "platform/gui/menus/menu_tracker.h"
#include "platform/gui/menus/menu_window.h"
#include "platform/gui/windows/screen.h"
#include "platform/gui/windows/test_kit.h"

namespace {

constexpr int kWaitMs = test_kit::kPatienceMs;
constexpr int kCmNew = 24331;    // handled by the client
constexpr int kCmPrint = 10840;  // handled by the frame
constexpr int kCmFind = 24351;   // enabled by the client only while it has text

class TClient : public TWindow {
 public:
  TClient() : TWindow(nullptr) {}
  void CmNew() { commands.push_back(kCmNew); }
  void CmFind() { commands.push_back(kCmFind); }
  void CeFind(TCommandEnabler &enabler) { enabler.Enable(hasText); }
  bool Find(TEventInfo &info) override;
  std::vector<int> commands;
  bool hasText = true;
};

const TResponseTableEntry kClientTable[] = {
    EvCommand<&TClient::CmNew>(kCmNew),
    EvCommand<&TClient::CmFind>(kCmFind),
    EvCommandEnable<&TClient::CeFind>(kCmFind),
};
bool TClient::Find(TEventInfo &info) {
  return SearchResponseTable(kClientTable, info) || TWindow::Find(info);
}

class TFrame : public TDecoratedFrame {
 public:
  explicit TFrame(TClient *clientWindow) : TDecoratedFrame(nullptr, "Frame", clientWindow, true) {
    Attr.Style = WS_POPUP | WS_BORDER | WS_VISIBLE;
    Attr.X = 20;
    Attr.Y = 20;
    Attr.W = 400;
    Attr.H = 260;
    bar = new TControlBar(this);
    bar->Insert(*new TButtonGadget(kCmNew, kCmNew, TButtonGadget::Command, true));
    bar->Insert(*new TSeparatorGadget(10));
    bar->Insert(*new TButtonGadget(kCmPrint, kCmPrint, TButtonGadget::Command, true));
    bar->Insert(*new TButtonGadget(kCmFind, kCmFind, TButtonGadget::Command, true));
    Insert(*bar, Top);
    status = new TStatusBar(this);
    Insert(*status, Bottom);
  }
  void CmPrint() { printed++; }
  bool Find(TEventInfo &info) override;
  TControlBar *bar;
  TStatusBar *status;
  int printed = 0;
};

const TResponseTableEntry kFrameTable[] = {
    EvCommand<&TFrame::CmPrint>(kCmPrint),
};
bool TFrame::Find(TEventInfo &info) {
  return SearchResponseTable(kFrameTable, info) || TDecoratedFrame::Find(info);
}

POINT Center(const RECT &rect) { return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2}; }

void Click(TWindow &window, POINT point) {
  test_kit::PostMouse(window, WM_LBUTTONDOWN, point);
  test_kit::PostMouse(window, WM_LBUTTONUP, point);
}

class Bars : public ::testing::Test {
 protected:
  void SetUp() override {
    test_kit::EnsureApplication();
    QImage glyph(16, 15, QImage::Format_RGB32);
    glyph.fill(qRgb(0xC0, 0xC0, 0xC0));
    for (int y = 5; y < 10; ++y) {
      for (int x = 2; x < 13; ++x) glyph.setPixel(x, y, qRgb(0, 0, 128));
    }
    RegisterBitmapResource(kCmNew, glyph);
    client = new TClient;
    frame = std::make_unique<TFrame>(client);
    ASSERT_TRUE(frame->Create());
  }
  TClient *client = nullptr;
  std::unique_ptr<TFrame> frame;
};

TEST_F(Bars, FrameStacksTheBarsAroundTheClient) {
  SIZE barSize{};
  frame->bar->GetDesiredSize(barSize);
  EXPECT_EQ(barSize.cy, 2 + 22 + 2);  // margins and a 16 x 15 picture's button
  const RECT inner = frame->GetClientRect();
  const RECT barRect = frame->bar->GetWindowRect();
  const RECT statusRect = frame->status->GetWindowRect();
  const RECT clientRect = client->GetWindowRect();
  EXPECT_EQ(barRect.Height(), barSize.cy);
  EXPECT_EQ(barRect.Width(), inner.right);
  EXPECT_EQ(clientRect.top, barRect.bottom);
  EXPECT_EQ(statusRect.top, clientRect.bottom);
  EXPECT_EQ(clientRect.Height() + barRect.Height() + statusRect.Height(), inner.bottom);
  // The buttons sit side by side after the separator's 10 pixels.
  TGadget *newButton = frame->bar->GadgetWithId(kCmNew);
  TGadget *print = frame->bar->GadgetWithId(kCmPrint);
  ASSERT_NE(newButton, nullptr);
  ASSERT_NE(print, nullptr);
  EXPECT_EQ(print->GetBounds().left, newButton->GetBounds().right + 10);
  EXPECT_EQ(frame->bar->GadgetFromPoint(Center(print->GetBounds())), print);
  TGadget *gap = frame->bar->GadgetFromPoint({newButton->GetBounds().right + 3, 10});
  ASSERT_NE(gap, nullptr);
  EXPECT_NE(dynamic_cast<TSeparatorGadget *>(gap), nullptr);
  EXPECT_EQ(frame->bar->GadgetFromPoint({barRect.Width() - 3, 10}), nullptr);
  // The registered picture is drawn in the button.
  frame->bar->UpdateWindow();
  const POINT middle = Center(newButton->GetBounds());
  EXPECT_EQ(test_kit::ClientPixel(*frame->bar, middle.x, middle.y), RGB(0, 0, 128));
}

TEST_F(Bars, ButtonCommandsGoToTheClientFirstThenTheFrame) {
  Click(*frame->bar, Center(frame->bar->GadgetWithId(kCmNew)->GetBounds()));
  Click(*frame->bar, Center(frame->bar->GadgetWithId(kCmPrint)->GetBounds()));
  ASSERT_TRUE(test_kit::RunUntil([&] { return frame->printed == 1; }, kWaitMs));
  EXPECT_EQ(client->commands, std::vector<int>{kCmNew});
  // A press that leaves the button before the release is no click.
  const RECT printRect = frame->bar->GadgetWithId(kCmPrint)->GetBounds();
  test_kit::PostMouse(*frame->bar, WM_LBUTTONDOWN, Center(printRect));
  test_kit::PostMouse(*frame->bar, WM_MOUSEMOVE, {printRect.right + 30, 5}, MK_LBUTTON);
  test_kit::PostMouse(*frame->bar, WM_LBUTTONUP, {printRect.right + 30, 5});
  test_kit::RunFor(50);
  EXPECT_EQ(frame->printed, 1);
}

TEST_F(Bars, ButtonsFollowTheirCommandEnablersAfterACommand) {
  client->hasText = false;
  frame->SendMessage(WM_COMMAND, kCmNew, 0);
  TGadget *find = frame->bar->GadgetWithId(kCmFind);
  ASSERT_TRUE(test_kit::RunUntil([&] { return !find->GetEnabled(); }, kWaitMs));
  // A disabled button takes no clicks.
  Click(*frame->bar, Center(find->GetBounds()));
  test_kit::RunFor(50);
  EXPECT_EQ(client->commands, std::vector<int>{kCmNew});
  client->hasText = true;
  frame->SendMessage(WM_COMMAND, kCmNew, 0);
  ASSERT_TRUE(test_kit::RunUntil([&] { return find->GetEnabled(); }, kWaitMs));
}

TEST_F(Bars, MenuHintsShowInTheStatusBarUntilTheMenuCloses) {
  RegisterString(kCmPrint, "Print Optical System");
  frame->status->SetText("Ready");
  HMENU menu = CreatePopupMenu();
  frame->SendMessage(WM_MENUSELECT, MAKELPARAM(kCmPrint, MF_HILITE), reinterpret_cast<LPARAM>(menu));
  EXPECT_EQ(frame->status->GetText(), "Print Optical System");
  frame->SendMessage(WM_MENUSELECT, MAKELPARAM(77, MF_HILITE), reinterpret_cast<LPARAM>(menu));
  EXPECT_EQ(frame->status->GetText(), "");  // no string: no hint
  frame->SendMessage(WM_MENUSELECT, MAKELPARAM(0, 0xFFFF), 0);
  EXPECT_EQ(frame->status->GetText(), "Ready");
  DestroyMenu(menu);
}

TEST_F(Bars, ButtonStatesAndExclusiveGroups) {
  auto *box = new TToolBox(frame.get(), 2);
  for (int id = 1; id <= 5; ++id) {
    box->Insert(*new TButtonGadget(id, id, id <= 3 ? TButtonGadget::Exclusive : TButtonGadget::NonExclusive, true));
  }
  ASSERT_TRUE(box->Create());
  SIZE size{};
  box->GetDesiredSize(size);
  EXPECT_EQ(size.cx, 2 + 2 * 23 + 2);  // two columns
  EXPECT_EQ(size.cy, 2 + 3 * 22 + 2);  // three rows for five buttons
  box->MoveWindow(0, 0, size.cx, size.cy);
  EXPECT_EQ(box->GadgetWithId(3)->GetBounds().top, 2 + 22);
  EXPECT_EQ(box->GadgetWithId(3)->GetBounds().left, 2);
  auto *first = static_cast<TButtonGadget *>(box->GadgetWithId(1));
  auto *second = static_cast<TButtonGadget *>(box->GadgetWithId(2));
  auto *toggle = static_cast<TButtonGadget *>(box->GadgetWithId(4));
  Click(*box, Center(first->GetBounds()));
  Click(*box, Center(second->GetBounds()));
  Click(*box, Center(toggle->GetBounds()));
  ASSERT_TRUE(test_kit::RunUntil([&] { return toggle->GetButtonState() == TButtonGadget::Down; }, kWaitMs));
  EXPECT_EQ(first->GetButtonState(), TButtonGadget::Up);
  EXPECT_EQ(second->GetButtonState(), TButtonGadget::Down);
  // Down buttons are drawn sunken: black along the top edge instead of white.
  const RECT downRect = second->GetBounds();
  const RECT upRect = first->GetBounds();
  EXPECT_EQ(test_kit::ClientPixel(*box, downRect.left + 5, downRect.top), RGB(0, 0, 0));
  EXPECT_EQ(test_kit::ClientPixel(*box, upRect.left + 5, upRect.top), RGB(255, 255, 255));
  box->SetRowsColumns(1, TToolBox::kAsManyAsNeeded);
  box->GetDesiredSize(size);
  EXPECT_EQ(size.cx, 2 + 5 * 23 + 2);
}

TEST(Resources, StringsBitmapsAndIconsByNameOrId) {
  test_kit::EnsureApplication();
  RegisterString(501, "Hello");
  char buffer[4];
  EXPECT_EQ(LoadString(nullptr, 501, buffer, sizeof buffer), 3);
  EXPECT_STREQ(buffer, "Hel");
  EXPECT_EQ(LoadString(nullptr, 502, buffer, sizeof buffer), 0);
  EXPECT_EQ(LoadStringText(501), "Hello");

  QImage picture(3, 2, QImage::Format_RGB32);
  picture.fill(qRgb(1, 2, 3));
  RegisterBitmapResource("Splash", picture);
  HBITMAP bitmap = LoadBitmap(nullptr, "SPLASH");
  ASSERT_NE(bitmap, nullptr);
  EXPECT_EQ(bitmap->image.size(), picture.size());
  EXPECT_TRUE(DeleteObject(bitmap));
  EXPECT_EQ(LoadBitmap(nullptr, "Missing"), nullptr);
  RegisterBitmapResource(24331, picture);
  EXPECT_FALSE(BitmapResourceImage(MAKEINTRESOURCE(24331)).isNull());
  EXPECT_TRUE(BitmapResourceImage("24331").isNull());  // a name is not an id
}

}  // namespace

namespace {

class TCursorWindow : public TWindow {
 public:
  TCursorWindow() : TWindow(nullptr, "Cursors") {
    Attr.Style = WS_POPUP | WS_VISIBLE;
    Attr.X = 30;
    Attr.Y = 30;
    Attr.W = 120;
    Attr.H = 90;
  }
  LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
    if (msg == WM_SETCURSOR) {
      ++asked;
      if (cross) {
        SetCursor(LoadCursor(nullptr, IDC_CROSS));
        return 1;
      }
    }
    return TWindow::WindowProc(msg, wParam, lParam);
  }
  int asked = 0;
  bool cross = false;
};

TEST(Cursors, StandardAndOwnCursorsLoad) {
  test_kit::EnsureApplication();
  HCURSOR arrow = LoadCursor(nullptr, IDC_ARROW);
  ASSERT_NE(arrow, nullptr);
  EXPECT_EQ(arrow->Shape, Qt::ArrowCursor);
  EXPECT_EQ(LoadCursor(nullptr, IDC_ARROW), arrow);  // shared
  HCURSOR move = LoadCursor(nullptr, "MoveField_Cur");
  ASSERT_NE(move, nullptr);
  EXPECT_EQ(move->Picture.size(), QSize(32, 32));
  EXPECT_EQ(move->HotSpot.x, 16);
  // The hot spot lies on the drawing, and the corners are transparent.
  EXPECT_GT(qAlpha(move->Picture.pixel(16, 16)), 0);
  EXPECT_EQ(qAlpha(move->Picture.pixel(0, 0)), 0);
  EXPECT_NE(LoadCursor(nullptr, "zoomselect_cur"), nullptr);
  EXPECT_EQ(LoadCursor(nullptr, "NoSuch_Cur"), nullptr);
}

TEST(Cursors, WindowCursorShowsOverTheClientUnlessTheWindowChoosesItsOwn) {
  test_kit::EnsureApplication();
  TCursorWindow window;
  ASSERT_TRUE(window.Create());
  SetWindowCursor(window.GetHandle(), LoadCursor(nullptr, "MoveField_Cur"));
  test_kit::PostMouse(window, WM_MOUSEMOVE, {20, 20});
  ASSERT_TRUE(test_kit::RunUntil([&] { return window.asked > 0; }, kWaitMs));
  EXPECT_EQ(window.HostWidget()->cursor().shape(), Qt::BitmapCursor);
  EXPECT_EQ(GetCursor(), LoadCursor(nullptr, "MoveField_Cur"));
  window.cross = true;
  test_kit::PostMouse(window, WM_MOUSEMOVE, {25, 20});
  ASSERT_TRUE(test_kit::RunUntil([&] { return window.HostWidget()->cursor().shape() == Qt::CrossCursor; }, kWaitMs));
  window.cross = false;
  SetWindowCursor(window.GetHandle(), nullptr);
  test_kit::PostMouse(window, WM_MOUSEMOVE, {30, 20});
  ASSERT_TRUE(test_kit::RunUntil([&] { return window.HostWidget()->cursor().shape() == Qt::ArrowCursor; }, kWaitMs));
}

}  // namespace

namespace {

constexpr UINT kAlwaysOnTop = 1003;

class TPalette : public TFloatingFrame {
 public:
  explicit TPalette(TToolBox *box) : TFloatingFrame(nullptr, "Tools", box, true, 58, true) {
    Attr.Style |= WS_SYSMENU;
    Attr.X = 50;
    Attr.Y = 50;
    EnableTinyCaption(70, false);
  }
  void SetupWindow() override {
    TFloatingFrame::SetupWindow();
    HMENU menu = GetSystemMenu(GetHandle(), 0);
    while (GetMenuItemCount(menu) > 0) DeleteMenu(menu, 0, MF_BYPOSITION);
    AppendMenu(menu, MF_STRING, kAlwaysOnTop, "&Always on top");
    AppendMenu(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenu(menu, MF_STRING, 16, "&Close");
  }
  void CmAlwaysOnTop() { ++onTop; }
  bool Find(TEventInfo &info) override;
  int onTop = 0;
};

const TResponseTableEntry kPaletteTable[] = {
    EvCommand<&TPalette::CmAlwaysOnTop>(kAlwaysOnTop),
};
bool TPalette::Find(TEventInfo &info) {
  return SearchResponseTable(kPaletteTable, info) || TFloatingFrame::Find(info);
}

TEST(FloatingFrame, TinyCaptionAboveAShrunkToolBoxAndItsSystemMenu) {
  test_kit::EnsureApplication();
  auto *box = new TToolBox(nullptr, 2);
  for (int id = 1; id <= 4; ++id) box->Insert(*new TButtonGadget(id, id, TButtonGadget::Command, true));
  TPalette palette(box);
  ASSERT_TRUE(palette.Create());
  const int caption = GetSystemMetrics(SM_CYCAPTION) * 70 / 100;
  EXPECT_EQ(palette.CaptionHeight(), caption);
  SIZE wanted{};
  box->GetDesiredSize(wanted);
  // One pixel of border around, the caption on top, the box exactly inside.
  const RECT outer = palette.GetWindowRect();
  EXPECT_EQ(outer.Width(), wanted.cx + 2);
  EXPECT_EQ(outer.Height(), wanted.cy + caption + 2);
  EXPECT_EQ(palette.ClientOrigin().y, 1 + caption);
  EXPECT_EQ(box->GetWindowRect().Width(), wanted.cx);
  // The caption band is drawn dark blue beside the system-menu square.
  const QImage image = test_kit::WindowPixels(palette);
  const QRgb band = image.pixel(outer.Width() - 4, 1 + caption / 2);
  EXPECT_EQ(RGB(qRed(band), qGreen(band), qBlue(band)), 0x800000u);

  TScriptedMenuTracker tracker;
  tracker.ChoosePath({"&Always on top"});
  const POINT origin = palette.ClientOrigin();
  // A client point above the client: the system-menu square.
  test_kit::PostMouse(palette, WM_LBUTTONDOWN, {2 - origin.x, 1 + caption / 2 - origin.y});
  ASSERT_TRUE(test_kit::RunUntil([&] { return palette.onTop == 1; }, kWaitMs));
  ASSERT_EQ(tracker.walks.size(), 1u);
  EXPECT_TRUE(tracker.walks[0].Walk.System);
  EXPECT_EQ(tracker.walks[0].Items.front(), "&Always on top");
}

}  // namespace

namespace {

TEST(FloatingFrame, DraggingTheTinyCaptionMovesItAndFittingKeepsTheCorner) {
  test_kit::EnsureApplication();
  auto *box = new TToolBox(nullptr, 2);
  for (int id = 1; id <= 6; ++id) box->Insert(*new TButtonGadget(id, id, TButtonGadget::Command, true));
  TFloatingFrame frame(nullptr, "Tools", box, true, 58, true);
  frame.Attr.Style |= WS_SYSMENU;
  frame.Attr.X = 200;
  frame.Attr.Y = 150;
  frame.EnableTinyCaption(70, false);
  ASSERT_TRUE(frame.Create());
  const RECT before = frame.GetWindowRect();
  const POINT origin = frame.ClientOrigin();
  const int captionY = 1 + frame.CaptionHeight() / 2 - origin.y;  // above the client
  const int captionX = before.Width() - 4 - origin.x;             // right end: no close box
  test_kit::PostMouse(frame, WM_LBUTTONDOWN, {captionX, captionY});
  test_kit::PostMouse(frame, WM_MOUSEMOVE, {captionX + 25, captionY + 10}, MK_LBUTTON);
  test_kit::PostMouse(frame, WM_LBUTTONUP, {captionX + 25, captionY + 10});
  ASSERT_TRUE(test_kit::RunUntil([&] { return frame.GetWindowRect().left != before.left; }, kWaitMs));
  test_kit::RunFor(10);
  const RECT moved = frame.GetWindowRect();
  EXPECT_EQ(moved.left - before.left, 25);
  EXPECT_EQ(moved.top - before.top, 10);
  EXPECT_EQ(moved.Width(), before.Width());

  // Three columns instead of two: the frame fits the box anew, its corner where it was.
  box->SetRowsColumns(TToolBox::kAsManyAsNeeded, 3);
  frame.FitToClient();
  SIZE wanted{};
  box->GetDesiredSize(wanted);
  const RECT fitted = frame.GetWindowRect();
  EXPECT_EQ(fitted.left, moved.left);
  EXPECT_EQ(fitted.top, moved.top);
  EXPECT_EQ(fitted.Width(), wanted.cx + 2);
  EXPECT_EQ(fitted.Height(), wanted.cy + frame.CaptionHeight() + 2);
  EXPECT_EQ(box->GetWindowRect().Width(), wanted.cx);
}

}  // namespace
