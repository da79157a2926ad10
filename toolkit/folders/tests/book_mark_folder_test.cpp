// Tabbed folders: tabs laid out from their titles, the raised tab drawn over its page's
// caption band, clicks that switch pages, pages that refuse to be left or entered (also
// two at once, which must not post for ever), disabled tabs, and tabs that shrink back.

#include "toolkit/folders/book_mark_folder.h"

#include <gtest/gtest.h>

#include <QImage>
#include <memory>

#include "platform/gui/drawing/dc_kinds.h"
#include "platform/gui/drawing/gdi_objects.h"
#include "platform/gui/drawing/sys_colors.h"
#include "platform/gui/windows/test_kit.h"
#include "toolkit/folders/book_mark_dlg.h"

namespace {

constexpr int kWaitMs = test_kit::kPatienceMs;
constexpr QRgb kWhitePixel = 0xFFFFFFFF;
constexpr QRgb kBlackPixel = 0xFF000000;

const TDialogTemplate kTestFolderDlg{"TabTestFolderDlg", WS_POPUP | WS_CAPTION | WS_VISIBLE, 0, 0, 200, 130, "Folder",
                                     {
                                         {"STATIC", "", kPageAreaId, SS_LEFT, 6, 6, 188, 96},
                                         {"BUTTON", "OK", IDOK, BS_DEFPUSHBUTTON | WS_TABSTOP, 75, 108, 50, 14},
                                     }};
const TDialogTemplate kHiddenFolderDlg{"TabTestHiddenFolderDlg", WS_POPUP | WS_CAPTION, 0, 0, 200, 130, "Folder",
                                       {
                                           {"STATIC", "", kPageAreaId, SS_LEFT, 6, 6, 188, 96},
                                       }};
const TDialogTemplate kTestPageDlg{"TabTestPageDlg", WS_CHILD | WS_CAPTION, 0, 0, 188, 96, "",
                                   {
                                       {"EDIT", "", 201, WS_BORDER | WS_TABSTOP, 8, 8, 80, 12},
                                   }};
const TDialogRegistration kFolderRegistration(kTestFolderDlg);
const TDialogRegistration kHiddenRegistration(kHiddenFolderDlg);
const TDialogRegistration kPageRegistration(kTestPageDlg);

class TTestPage : public TBookMarkDlg {
 public:
  explicit TTestPage(TWindow *folder) : TBookMarkDlg(folder, "TabTestPageDlg") {}
  int EnterPage() override {
    ++enterCalls;
    return refuseEnter ? 0 : 1;
  }
  int LeavePage() override { return refuseLeave ? 0 : 1; }
  void PageEntered() override { ++entered; }
  bool refuseEnter = false;
  bool refuseLeave = false;
  int enterCalls = 0;
  int entered = 0;
};

// A folder of three pages "Surfaces", "Aspherics", "Glass".
class TTestFolder : public TBookMarkFolder {
 public:
  explicit TTestFolder(const char *resource = "TabTestFolderDlg") : TBookMarkFolder(nullptr, resource) {
    for (int i = 0; i < 3; ++i) page[i] = new TTestPage(this);
    AddPage(page[0], "Surfaces");
    AddPage(page[1], "Aspherics");
    AddPage(page[2], "Glass");
  }
  TTestPage *page[3];
};

class BookMarkFolderTest : public ::testing::Test {
 protected:
  void SetUp() override { test_kit::EnsureApplication(); }
  void Make(const char *resource = "TabTestFolderDlg") {
    folder = std::make_unique<TTestFolder>(resource);
    ASSERT_TRUE(folder->Create());
    test_kit::RunFor(20);
  }
  RECT Tab(int i) { return folder->Entry(i)->tab; }
  POINT TabCentre(int i) { return {(Tab(i).left + Tab(i).right) / 2, (Tab(i).top + Tab(i).bottom) / 2}; }
  std::unique_ptr<TTestFolder> folder;
};

TEST_F(BookMarkFolderTest, TabsRunOnFromOneAnotherAndTheFirstPageShows) {
  Make();
  EXPECT_EQ(folder->CurrentPage(), 0);
  EXPECT_TRUE(folder->page[0]->IsWindowVisible());
  EXPECT_FALSE(folder->page[1]->IsWindowVisible());
  EXPECT_FALSE(folder->page[2]->IsWindowVisible());
  EXPECT_EQ(folder->page[0]->entered, 1);
  // The raised first tab stands 2 pixels out on each side; the others touch.
  EXPECT_EQ(Tab(0).right - 2, Tab(1).left);
  EXPECT_EQ(Tab(1).right, Tab(2).left);
  EXPECT_GT(Tab(2).right, Tab(2).left);
  // Tabs lie on the page's caption band, 1 pixel inside the page.
  const RECT area = folder->PageArea();
  EXPECT_EQ(Tab(0).left + 2, area.left + 1);
  EXPECT_EQ(Tab(1).top, area.top);
  EXPECT_EQ(Tab(1).bottom, area.top + GetSystemMetrics(SM_CYCAPTION));
  EXPECT_EQ(Tab(0).top, area.top - 2);
}

TEST_F(BookMarkFolderTest, RaisedTabShowsItsWhiteAndBlackEdges) {
  Make();
  folder->PaintTabs();
  test_kit::RunFor(20);
  // The raised tab stands out of the page: its left and top edges lie in the folder,
  // its right edge on the page's caption band.
  const QImage pixels = test_kit::WindowPixels(*folder->page[0]);
  const RECT area = folder->PageArea();
  const RECT tab = Tab(0);
  const int y = tab.top + 6;  // below the cut corners, above the tab's bottom
  EXPECT_EQ(test_kit::ClientPixel(*folder, tab.left, y), RGB(255, 255, 255));
  EXPECT_EQ(test_kit::ClientPixel(*folder, (tab.left + tab.right) / 2, tab.top), RGB(255, 255, 255));
  EXPECT_EQ(pixels.pixel(tab.right - 1 - area.left, y - area.top), kBlackPixel);
  // The hidden page's tab beside it, drawn on the shown page's band: white left edge,
  // black right edge.
  EXPECT_EQ(pixels.pixel(Tab(2).left - area.left, y - area.top), kWhitePixel);
  EXPECT_EQ(pixels.pixel(Tab(2).right - 1 - area.left, y - area.top), kBlackPixel);
}

TEST_F(BookMarkFolderTest, AClickOnATabSwitchesPagesUnlessThePageRefusesToBeLeft) {
  Make();
  test_kit::PostMouse(*folder, WM_LBUTTONDOWN, TabCentre(1));
  test_kit::PostMouse(*folder, WM_LBUTTONUP, TabCentre(1));
  ASSERT_TRUE(test_kit::RunUntil([&] { return folder->CurrentPage() == 1; }, kWaitMs));
  EXPECT_TRUE(folder->page[1]->IsWindowVisible());
  EXPECT_FALSE(folder->page[0]->IsWindowVisible());
  // The old tab shrank back: the row touches again.
  EXPECT_EQ(Tab(0).right, Tab(1).left + 2);

  folder->page[1]->refuseLeave = true;
  EXPECT_EQ(folder->SelectPage(2), 0);
  test_kit::PostMouse(*folder, WM_LBUTTONDOWN, TabCentre(2));
  test_kit::RunFor(100);
  EXPECT_EQ(folder->CurrentPage(), 1);
  EXPECT_TRUE(folder->page[1]->IsWindowVisible());
  EXPECT_FALSE(folder->page[2]->IsWindowVisible());
  EXPECT_EQ(folder->page[2]->enterCalls, 0);
}

TEST_F(BookMarkFolderTest, APressOnThePagesTabBandFallsThroughToTheFolder) {
  Make();
  // The shown page lies over the tab of page 2; its top band lets the press through.
  POINT point = TabCentre(2);
  folder->ClientToScreen(point);
  folder->page[0]->ScreenToClient(point);
  ASSERT_LT(point.y, 0);  // in the page's caption band, above its client area
  const POINT inside = folder->page[0]->ClientToScreen(POINT{10, 10});
  EXPECT_NE(folder->page[0]->SendMessage(WM_NCHITTEST, 0, MAKELPARAM(inside.x, inside.y)), HTTRANSPARENT);
  POINT screen = TabCentre(2);
  folder->ClientToScreen(screen);
  EXPECT_EQ(folder->page[0]->SendMessage(WM_NCHITTEST, 0, MAKELPARAM(screen.x, screen.y)), HTTRANSPARENT);
  test_kit::PostMouse(*folder->page[0], WM_LBUTTONDOWN, point);
  test_kit::PostMouse(*folder->page[0], WM_LBUTTONUP, point);
  ASSERT_TRUE(test_kit::RunUntil([&] { return folder->CurrentPage() == 2; }, kWaitMs));
}

TEST_F(BookMarkFolderTest, APageRefusingEntryBringsThePreviousPageBack) {
  Make();
  folder->page[1]->refuseEnter = true;
  EXPECT_EQ(folder->SelectPage(1), 0);
  ASSERT_TRUE(test_kit::RunUntil([&] { return folder->CurrentPage() == 0 && folder->page[0]->IsWindowVisible(); }, kWaitMs));
  EXPECT_FALSE(folder->page[1]->IsWindowVisible());
}

TEST_F(BookMarkFolderTest, TwoPagesRefusingEntryEndWithoutALoop) {
  Make();
  folder->page[0]->refuseEnter = true;
  folder->page[1]->refuseEnter = true;
  EXPECT_EQ(folder->SelectPage(1), 0);
  test_kit::RunFor(200);
  const int calls = folder->page[0]->enterCalls + folder->page[1]->enterCalls;
  test_kit::RunFor(200);
  EXPECT_EQ(folder->page[0]->enterCalls + folder->page[1]->enterCalls, calls);
  EXPECT_LT(calls, 8);
  // The one page that accepts ends the exchange.
  EXPECT_EQ(folder->CurrentPage(), 2);
  EXPECT_TRUE(folder->page[2]->IsWindowVisible());
}

TEST_F(BookMarkFolderTest, AnInitialPageThatRefusesLeavesTheNextOneShown) {
  folder = std::make_unique<TTestFolder>();
  folder->page[0]->refuseEnter = true;
  folder->SetInitialPage(5);
  ASSERT_TRUE(folder->Create());
  EXPECT_EQ(folder->CurrentPage(), 1);
  EXPECT_TRUE(folder->page[1]->IsWindowVisible());
  EXPECT_FALSE(folder->page[0]->IsWindowVisible());
}

TEST_F(BookMarkFolderTest, ADisabledTabIsEtchedAndCannotBeChosen) {
  Make();
  folder->page[2]->SetPageEnabled(0);
  EXPECT_EQ(folder->page[2]->IsPageEnabled(), 0);
  EXPECT_EQ(folder->SelectPage(2), 0);
  test_kit::PostMouse(*folder, WM_LBUTTONDOWN, TabCentre(2));
  test_kit::RunFor(100);
  EXPECT_EQ(folder->CurrentPage(), 0);
  EXPECT_EQ(folder->page[2]->enterCalls, 0);

  test_kit::RunFor(20);
  const QImage pixels = test_kit::WindowPixels(*folder->page[0]);
  const RECT area = folder->PageArea();
  const auto countIn = [&](int tab, QRgb colour) {
    int count = 0;
    for (int x = Tab(tab).left + 4 - area.left; x < Tab(tab).right - 4 - area.left; ++x)
      for (int y = 2; y < Tab(tab).bottom - area.top - 2; ++y)
        if (pixels.pixel(x, y) == colour) ++count;
    return count;
  };
  const QRgb grey = 0xFF808080;
  EXPECT_GT(countIn(2, grey), 0);
  EXPECT_GT(countIn(2, kWhitePixel), 0);
  EXPECT_EQ(countIn(2, kBlackPixel), 0);
  // An enabled tab's title is black, with no white etching.
  EXPECT_GT(countIn(1, kBlackPixel), 0);
  EXPECT_EQ(countIn(1, kWhitePixel), 0);
}

namespace {

// The box around the pixels of one colour in a part of an image; empty when there are none.
QRect InkBox(const QImage &pixels, const QRect &part, QRgb ink) {
  QRect box;
  for (int y = part.top(); y <= part.bottom(); ++y)
    for (int x = part.left(); x <= part.right(); ++x)
      if (pixels.pixel(x, y) == ink) box |= QRect(x, y, 1, 1);
  return box;
}

// The box of a text drawn in black with a font of the given height (pixels, negative:
// the em) and weight.
QRect TextInk(const char *text, int height, int weight) {
  QImage canvas(200, 60, QImage::Format_RGB32);
  canvas.fill(kWhitePixel);
  TImageDC dc(&canvas);
  TFont font("MS Sans Serif", height, 0, 0, weight);
  dc.SelectObject(font);
  dc.SetTextColor(RGB(0, 0, 0));
  dc.SetBkMode(TRANSPARENT);
  dc.TextOut(10, 10, text);
  dc.RestoreObjects();
  return InkBox(canvas, canvas.rect(), kBlackPixel);
}

}  // namespace

TEST_F(BookMarkFolderTest, TabTitlesAreDrawnInTheDialogsFontSize) {
  Make();
  folder->PaintTabs();
  test_kit::RunFor(20);
  // The dialog's text is 8 points of its face: 11 pixels to the em at 96 pixels an inch.
  constexpr int kDialogEm = -11;
  const QImage pixels = test_kit::WindowPixels(*folder->page[0]);
  const RECT area = folder->PageArea();
  const auto titleInk = [&](int tab) {
    // Inside the tab's edges and below its cut corners, on the shown page's caption band.
    const int top = 4;
    const QRect part(Tab(tab).left + 2 - area.left, top, Tab(tab).right - Tab(tab).left - 4,
                     Tab(tab).bottom - area.top - 1 - top);
    return InkBox(pixels, part, kBlackPixel);
  };
  // A tab behind: plain weight; the raised first tab: bold.
  const QRect behind = titleInk(1);
  const QRect expected = TextInk("Aspherics", kDialogEm, FW_NORMAL);
  ASSERT_FALSE(expected.isEmpty());
  EXPECT_EQ(behind.width(), expected.width());
  EXPECT_EQ(behind.height(), expected.height());
  const QRect raised = titleInk(0);
  const QRect expectedBold = TextInk("Surfaces", kDialogEm, FW_BOLD);
  EXPECT_EQ(raised.width(), expectedBold.width());
  EXPECT_EQ(raised.height(), expectedBold.height());
  // The whole title shows inside its tab.
  EXPECT_GT(behind.left(), Tab(1).left - area.left);
  EXPECT_LT(behind.right(), Tab(1).right - 1 - area.left);
}

TEST_F(BookMarkFolderTest, TabsOfAHiddenFolderShrinkBackWhenLeft) {
  Make("TabTestHiddenFolderDlg");
  const RECT first = Tab(0);
  const RECT second = Tab(1);
  for (int round = 0; round < 3; ++round) {
    ASSERT_EQ(folder->SelectPage(1), 1);
    ASSERT_EQ(folder->SelectPage(0), 1);
  }
  EXPECT_EQ(Tab(0).left, first.left);
  EXPECT_EQ(Tab(0).right, first.right);
  EXPECT_EQ(Tab(0).top, first.top);
  EXPECT_EQ(Tab(1).left, second.left);
  EXPECT_EQ(Tab(1).right, second.right);
}

// Eight pages whose titles together are far wider than the page.
class TCrowdedFolder : public TBookMarkFolder {
 public:
  static constexpr int kPages = 8;
  TCrowdedFolder() : TBookMarkFolder(nullptr, "TabTestFolderDlg") {
    for (int i = 0; i < kPages; ++i) {
      page[i] = new TTestPage(this);
      AddPage(page[i], kTitles[i]);
    }
  }
  static constexpr const char *kTitles[kPages] = {"Surfaces and apertures", "Aspherical coefficients",
                                                   "Holographic elements",   "Glass and materials",
                                                   "Beams and wavelengths",  "Configurations",
                                                   "Optimization functions", "Tolerances"};
  TTestPage *page[kPages];
};

TEST_F(BookMarkFolderTest, TabsTooWideForThePageAreNarrowedAndEveryOneIsReachable) {
  TCrowdedFolder crowded;
  ASSERT_TRUE(crowded.Create());
  test_kit::RunFor(20);
  const RECT area = crowded.PageArea();
  for (int i = 0; i < TCrowdedFolder::kPages; ++i) {
    const RECT tab = crowded.Entry(i)->tab;
    EXPECT_GT(tab.right - tab.left, 4) << "tab " << i;
    // Within the page (the raised first tab stands 2 pixels out on each side).
    EXPECT_GE(tab.left + 2, area.left) << "tab " << i;
    EXPECT_LE(tab.right - (i == 0 ? 2 : 0), area.right) << "tab " << i;
  }
  for (int i = TCrowdedFolder::kPages - 1; i >= 0; --i) {
    const RECT tab = crowded.Entry(i)->tab;
    const POINT centre{(tab.left + tab.right) / 2, (tab.top + tab.bottom) / 2};
    test_kit::PostMouse(crowded, WM_LBUTTONDOWN, centre);
    test_kit::PostMouse(crowded, WM_LBUTTONUP, centre);
    ASSERT_TRUE(test_kit::RunUntil([&] { return crowded.CurrentPage() == i; }, kWaitMs)) << "tab " << i;
    EXPECT_TRUE(crowded.page[i]->IsWindowVisible());
  }
}

}  // namespace
