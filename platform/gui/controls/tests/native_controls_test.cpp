// The controls shown by Qt widgets: an edit's handlers see keys before the text changes and
// may swallow them, the EM_* messages, lists and combos by LB_* / CB_*, subclass procedures
// in front of a control, colours asked of the parent.

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>
#include <QPointer>
#include <QStyle>
#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

#include "platform/gui/controls/combo_box.h"
#include "platform/gui/controls/edit.h"
#include "platform/gui/controls/list_box.h"
#include "platform/gui/controls/scroll_bar.h"
#include "platform/gui/drawing/dc.h"
#include "platform/gui/drawing/gdi_objects.h"
#include "platform/gui/windows/test_kit.h"

namespace {

constexpr int kWaitMs = test_kit::kPatienceMs;
constexpr COLORREF kFieldColor = RGB(0xE0, 0xFF, 0xE0);
constexpr COLORREF kFocusColor = RGB(0xFF, 0xFF, 0x00);

// An edit that records the text it had when each character came, and refuses 'x'.
class TWatchedEdit : public TEdit {
 public:
  TWatchedEdit(TWindow *owner, int id) : TEdit(owner, id, "", 10, 10, 150, 22, 6) {}
  bool Find(TEventInfo &info) override;
  void EvChar(UINT key, UINT, UINT) {
    textsBefore.push_back(GetWindowText());
    if (key != 'x') DefaultProcessing();
  }
  void EvKeyDown(UINT key, UINT, UINT) {
    int before = 0;
    int end = 0;
    GetSelection(before, end);
    DefaultProcessing();  // the edit's own caret movement, now
    int after = 0;
    GetSelection(after, end);
    if (key == VK_LEFT) caretMoves.push_back({before, after});
  }
  std::vector<std::string> textsBefore;
  std::vector<std::pair<int, int>> caretMoves;
};

const TResponseTableEntry kWatchedEditTable[] = {
    EvMessage<WM_CHAR, &TWatchedEdit::EvChar>(),
    EvMessage<WM_KEYDOWN, &TWatchedEdit::EvKeyDown>(),
};

bool TWatchedEdit::Find(TEventInfo &info) { return SearchResponseTable(kWatchedEditTable, info) || TEdit::Find(info); }

class TFieldParent : public TWindow {
 public:
  TFieldParent() : TWindow(nullptr), field(kFieldColor), focusField(kFocusColor) {
    Attr.Style = WS_POPUP | WS_VISIBLE;
    Attr.X = 40;
    Attr.Y = 40;
    Attr.W = 300;
    Attr.H = 220;
  }
  LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
    if (msg == WM_CTLCOLOREDIT) {
      TDC::FromHandle(reinterpret_cast<HDC>(wParam))->SetTextColor(RGB(0, 0, 0x7F));
      return reinterpret_cast<LRESULT>(static_cast<HBRUSH>(highlight ? focusField : field));
    }
    if (msg == WM_COMMAND) notifications.push_back({LOWORD(wParam), HIWORD(wParam)});
    return TWindow::WindowProc(msg, wParam, lParam);
  }
  int Count(UINT id, UINT code) const {
    int count = 0;
    for (const auto &[seenId, seenCode] : notifications) count += seenId == id && seenCode == code ? 1 : 0;
    return count;
  }
  TBrush field;
  TBrush focusField;
  bool highlight = false;
  std::vector<std::pair<UINT, UINT>> notifications;
};

struct NativeControls : ::testing::Test {
  void SetUp() override {
    test_kit::EnsureApplication();
    parent = new TFieldParent;
  }
  void TearDown() override { delete parent; }
  TFieldParent *parent = nullptr;
};

LRESULT SwallowDigits(HWND handle, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR seen) {
  if (msg == WM_CHAR) {
    ++*reinterpret_cast<int *>(seen);
    if (wParam >= '0' && wParam <= '9') return 0;
  }
  return DefSubclassProc(handle, msg, wParam, lParam);
}

}  // namespace

TEST_F(NativeControls, EditHandlersSeeCharactersBeforeTheTextChangesAndMaySwallowThem) {
  auto *edit = new TWatchedEdit(parent, 11);
  ASSERT_TRUE(parent->Create());
  edit->SetFocus();
  test_kit::PostText(*edit, "axb");
  ASSERT_TRUE(test_kit::RunUntil([&] { return edit->textsBefore.size() == 3; }, kWaitMs));
  test_kit::RunFor(20);
  EXPECT_EQ(edit->GetWindowText(), "ab");
  const std::vector<std::string> expected{"", "a", "a"};
  EXPECT_EQ(edit->textsBefore, expected);
  EXPECT_TRUE(edit->IsModified());
  EXPECT_EQ(parent->Count(11, EN_CHANGE), 2);
  // The key's default processing is the edit's own, inside the handler.
  test_kit::PostKey(*edit, VK_LEFT);
  test_kit::PostKey(*edit, VK_LEFT);
  test_kit::PostKey(*edit, VK_LEFT);
  ASSERT_TRUE(test_kit::RunUntil([&] { return edit->caretMoves.size() == 3; }, kWaitMs));
  EXPECT_EQ(edit->caretMoves[0], (std::pair<int, int>{2, 1}));
  EXPECT_EQ(edit->caretMoves[1], (std::pair<int, int>{1, 0}));
  EXPECT_EQ(edit->caretMoves[2], (std::pair<int, int>{0, 0}));  // at the start: no move
  // The limit of 6 (with its zero) keeps 5 characters.
  edit->SetSelection(2, 2);
  test_kit::PostText(*edit, "cdefg");
  ASSERT_TRUE(test_kit::RunUntil([&] { return edit->textsBefore.size() == 8; }, kWaitMs));
  test_kit::RunFor(20);
  EXPECT_EQ(edit->GetWindowText(), "abcde");
}

TEST_F(NativeControls, EditMessagesWorkOnTheText) {
  auto *edit = new TEdit(parent, 12, "first", 10, 10, 150, 22);
  auto *lines = new TEdit(parent, 13, "", 10, 40, 150, 80, 0, true);
  ASSERT_TRUE(parent->Create());
  EXPECT_EQ(edit->GetWindowText(), "first");
  EXPECT_FALSE(edit->IsModified());
  edit->SendMessage(EM_SETSEL, 0, -1);
  int start = -1;
  int end = -1;
  edit->GetSelection(start, end);
  EXPECT_EQ(start, 0);
  EXPECT_EQ(end, 5);
  edit->SendMessage(EM_SETSEL, 1, 3);
  edit->Insert("XY");
  EXPECT_EQ(edit->GetWindowText(), "fXYst");
  edit->SetText("again");
  EXPECT_FALSE(edit->IsModified());
  edit->GetSelection(start, end);
  EXPECT_EQ(start, 0);  // setting the text puts the caret at the start
  edit->SetReadOnly(true);
  edit->SetFocus();
  test_kit::PostText(*edit, "zz");
  test_kit::RunFor(50);
  EXPECT_EQ(edit->GetWindowText(), "again");
  // The caret hides (as often as asked) and shows again.
  QStyle *style = edit->NativeWidget()->style();
  const int shownWidth = style->pixelMetric(QStyle::PM_TextCursorWidth, nullptr, edit->NativeWidget());
  EXPECT_GT(shownWidth, 0);
  HideCaret(edit->GetHandle());
  HideCaret(edit->GetHandle());
  ShowCaret(edit->GetHandle());
  EXPECT_EQ(style->pixelMetric(QStyle::PM_TextCursorWidth, nullptr, edit->NativeWidget()), 0);
  ShowCaret(edit->GetHandle());
  EXPECT_EQ(style->pixelMetric(QStyle::PM_TextCursorWidth, nullptr, edit->NativeWidget()), shownWidth);
  lines->SetText("one\ntwo lines\nthree");
  EXPECT_EQ(lines->GetNumLines(), 3);
  EXPECT_EQ(lines->GetLineIndex(2), 14);
  EXPECT_EQ(lines->GetLineFromPos(6), 1);
  EXPECT_EQ(lines->SendMessage(EM_LINELENGTH, 5), 9);
  char buffer[16] = {};
  buffer[0] = static_cast<char>(sizeof buffer);
  const LRESULT copied = lines->SendMessage(EM_GETLINE, 1, reinterpret_cast<LPARAM>(buffer));
  EXPECT_EQ(std::string(buffer, static_cast<std::size_t>(copied)), "two lines");
}

TEST_F(NativeControls, EditAsksItsParentForColoursBeforePainting) {
  auto *edit = new TEdit(parent, 14, "", 10, 10, 150, 22);
  ASSERT_TRUE(parent->Create());
  ASSERT_TRUE(test_kit::RunUntil([&] { return edit->NativeWidget()->isVisible(); }, kWaitMs));
  auto shownColor = [&] {
    const QImage shown = edit->NativeWidget()->grab().toImage();
    const QRgb pixel = shown.pixel(shown.width() - 5, shown.height() / 2);
    return RGB(qRed(pixel), qGreen(pixel), qBlue(pixel));
  };
  EXPECT_EQ(shownColor(), kFieldColor);
  // The parent answers otherwise (a field that got the focus): invalidating repaints it.
  parent->highlight = true;
  edit->Invalidate();
  edit->UpdateWindow();
  EXPECT_EQ(shownColor(), kFocusColor);
}

TEST_F(NativeControls, AGoneControlsWidgetAwaitingDeletionPaintsWithoutAskingForColours) {
  auto *edit = new TEdit(parent, 14, "", 10, 10, 150, 22);
  auto *list = new TListBox(parent, 16, 10, 40, 150, 60);
  auto *combo = new TComboBox(parent, 17, 10, 110, 150, 80, CBS_DROPDOWN, 20);
  ASSERT_TRUE(parent->Create());
  ASSERT_TRUE(test_kit::RunUntil([&] { return edit->NativeWidget()->isVisible(); }, kWaitMs));
  const QPointer<QWidget> widgets[] = {edit->NativeWidget(), list->NativeWidget(), combo->NativeWidget()};
  const QImage before = widgets[0]->grab().toImage();
  // The controls go at once; Qt deletes their widgets once the loop runs again. A grab
  // meanwhile (a picture of the screen's windows taken then) paints them without them.
  delete edit;
  delete list;
  delete combo;
  for (const QPointer<QWidget> &widget : widgets) {
    ASSERT_FALSE(widget.isNull());
    const QImage shown = widget->grab().toImage();
    EXPECT_EQ(shown.size(), widget->size());
  }
  // The edit keeps the last colours its parent gave.
  const QImage after = widgets[0]->grab().toImage();
  EXPECT_EQ(after.pixel(after.width() - 5, after.height() / 2), before.pixel(before.width() - 5, before.height() / 2));
  EXPECT_TRUE(test_kit::RunUntil([&] {
    return std::all_of(std::begin(widgets), std::end(widgets), [](const QPointer<QWidget> &w) { return w.isNull(); });
  }, kWaitMs));
}

TEST_F(NativeControls, SubclassProcedureStandsInFrontOfTheControl) {
  auto *edit = new TEdit(parent, 15, "", 10, 10, 150, 22);
  ASSERT_TRUE(parent->Create());
  int seen = 0;
  ASSERT_TRUE(SetWindowSubclass(edit->GetHandle(), &SwallowDigits, 1, reinterpret_cast<DWORD_PTR>(&seen)));
  edit->SendMessage(WM_CHAR, 'a');
  edit->SendMessage(WM_CHAR, '7');
  edit->SendMessage(WM_CHAR, 'b');
  EXPECT_EQ(edit->GetWindowText(), "ab");
  EXPECT_EQ(seen, 3);
  ASSERT_TRUE(RemoveWindowSubclass(edit->GetHandle(), &SwallowDigits, 1));
  edit->SendMessage(WM_CHAR, '7');
  EXPECT_EQ(edit->GetWindowText(), "ab7");
  EXPECT_EQ(seen, 3);
}

TEST_F(NativeControls, ListBoxKeepsSortedStringsWithDataAndTellsOnlyUserChanges) {
  auto *list = new TListBox(parent, 21, 10, 10, 120, 100);
  list->Attr.Style |= LBS_SORT;
  ASSERT_TRUE(parent->Create());
  EXPECT_EQ(list->AddString("crown"), 0);
  EXPECT_EQ(list->AddString("Barium"), 0);
  EXPECT_EQ(list->AddString("flint"), 2);
  EXPECT_EQ(list->GetCount(), 3);
  EXPECT_EQ(list->GetString(1), "crown");
  EXPECT_EQ(list->FindString("FL"), 2);
  EXPECT_EQ(list->FindExactString("fl"), LB_ERR);
  EXPECT_EQ(list->SetItemData(2, 77), 0);
  EXPECT_EQ(list->GetItemData(2), 77u);
  EXPECT_EQ(list->GetSelIndex(), LB_ERR);
  EXPECT_EQ(list->SetSelIndex(1), 1);
  EXPECT_EQ(list->GetSelIndex(), 1);
  EXPECT_EQ(list->SetSelIndex(7), LB_ERR);
  EXPECT_EQ(parent->Count(21, LBN_SELCHANGE), 0);
  EXPECT_EQ(list->DeleteString(0), 2);
  EXPECT_EQ(list->GetString(0), "crown");
  EXPECT_EQ(list->SendMessage(LB_GETTEXTLEN, 5), LB_ERR);
}

TEST_F(NativeControls, ComboBoxListsChoosesAndEdits) {
  auto *list = new TComboBox(parent, 31, 10, 10, 120, 100, CBS_DROPDOWNLIST);
  auto *field = new TComboBox(parent, 32, 10, 40, 120, 100, CBS_DROPDOWN);
  ASSERT_TRUE(parent->Create());
  list->AddString("mm");
  list->AddString("inches");
  EXPECT_EQ(list->GetSelIndex(), CB_ERR);
  EXPECT_EQ(list->SetSelIndex(1), 1);
  EXPECT_EQ(list->GetWindowText(), "inches");
  EXPECT_EQ(list->GetString(0), "mm");
  EXPECT_EQ(list->SendMessage(CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>("MM")), 0);
  EXPECT_EQ(parent->Count(31, CBN_SELCHANGE), 0);  // the program's own choice is not told
  field->SetWindowText("0.55");
  EXPECT_EQ(field->GetWindowText(), "0.55");
  field->SetFocus();
  test_kit::PostText(*field, "6");
  ASSERT_TRUE(test_kit::RunUntil([&] { return parent->Count(32, CBN_EDITCHANGE) == 1; }, kWaitMs));
}

TEST_F(NativeControls, AComboBoxsScrollBarStyleGoesToItsListNotBesideTheBox) {
  // Dialog templates give drop-down lists WS_VSCROLL: the box itself stays whole, with no
  // scroll bar squeezed in at its right.
  auto *list = new TComboBox(parent, 33, 10, 10, 120, 100, CBS_DROPDOWNLIST | WS_VSCROLL);
  ASSERT_TRUE(parent->Create());
  EXPECT_EQ(list->GetStyle() & (WS_VSCROLL | WS_HSCROLL), 0u);
  const RECT frame = list->GetWindowRect();
  EXPECT_EQ(list->GetClientRect().right, frame.right - frame.left);
}

TEST_F(NativeControls, ScrollBarControlKeepsItsRangeAndPosition) {
  auto *bar = new TScrollBar(parent, 41, 10, 150, 200, 16, true);
  ASSERT_TRUE(parent->Create());
  bar->SetRange(10, 90);
  bar->SetPosition(200);
  EXPECT_EQ(bar->GetPosition(), 90);
  int low = 0;
  int high = 0;
  bar->GetRange(low, high);
  EXPECT_EQ(low, 10);
  EXPECT_EQ(high, 90);
  EXPECT_EQ(bar->SendMessage(SBM_SETPOS, 40), 90);
}

TEST_F(NativeControls, UserChoicesInListsAndCombosAreTold) {
  auto *list = new TListBox(parent, 51, 10, 10, 120, 80);
  auto *units = new TComboBox(parent, 52, 140, 10, 100, 100, CBS_DROPDOWNLIST);
  ASSERT_TRUE(parent->Create());
  ASSERT_TRUE(test_kit::RunUntil([&] { return parent->IsWindowVisible(); }, kWaitMs));
  list->AddString("first");
  list->AddString("second");
  list->SetSelIndex(0);
  units->AddString("mm");
  units->AddString("inches");
  units->SetSelIndex(0);
  list->SetFocus();
  test_kit::PostKey(*list, VK_DOWN);
  ASSERT_TRUE(test_kit::RunUntil([&] { return parent->Count(51, LBN_SELCHANGE) == 1; }, kWaitMs));
  EXPECT_EQ(list->GetSelIndex(), 1);
  units->SetFocus();
  test_kit::PostKey(*units, VK_DOWN);
  ASSERT_TRUE(test_kit::RunUntil([&] { return parent->Count(52, CBN_SELCHANGE) == 1; }, kWaitMs));
  EXPECT_EQ(units->GetSelIndex(), 1);
}

TEST_F(NativeControls, AnEditToldOfTextItsLimitCutAndACombosListAboutToOpen) {
  // A limit of 6 counting the terminating zero: five characters.
  auto *edit = new TEdit(parent, 61, "", 10, 10, 150, 22, 6);
  auto *units = new TComboBox(parent, 62, 10, 40, 120, 100, CBS_DROPDOWNLIST);
  ASSERT_TRUE(parent->Create());
  ASSERT_TRUE(test_kit::RunUntil([&] { return parent->IsWindowVisible(); }, kWaitMs));
  edit->SetFocus();
  test_kit::PostText(*edit, "1234");
  ASSERT_TRUE(test_kit::RunUntil([&] { return edit->GetWindowText() == "1234"; }, kWaitMs));
  EXPECT_EQ(parent->Count(61, EN_MAXTEXT), 0);
  test_kit::PostText(*edit, "56");
  ASSERT_TRUE(test_kit::RunUntil([&] { return parent->Count(61, EN_MAXTEXT) == 1; }, kWaitMs));
  EXPECT_EQ(edit->GetWindowText(), "12345");
  // A replacement cut by the limit is told too; one that fits is not.
  edit->SetSelection(0, 5);
  edit->SendMessage(EM_REPLACESEL, 0, reinterpret_cast<LPARAM>("abc"));
  EXPECT_EQ(parent->Count(61, EN_MAXTEXT), 1);
  edit->SendMessage(EM_REPLACESEL, 0, reinterpret_cast<LPARAM>("defg"));
  EXPECT_EQ(edit->GetWindowText(), "abcde");
  EXPECT_EQ(parent->Count(61, EN_MAXTEXT), 2);

  units->AddString("mm");
  units->AddString("inches");
  EXPECT_EQ(parent->Count(62, CBN_DROPDOWN), 0);
  units->SendMessage(CB_SHOWDROPDOWN, 1);
  EXPECT_EQ(parent->Count(62, CBN_DROPDOWN), 1);
  units->SendMessage(CB_SHOWDROPDOWN, 0);
}

namespace {

constexpr COLORREF kItemColor = RGB(0x00, 0xC0, 0x00);
constexpr COLORREF kChosenColor = RGB(0xC0, 0x00, 0x00);
constexpr int kItemHeight = 20;
constexpr int kMarginLeft = 4;

// A parent that measures its owner-drawn list's items 20 pixels high and paints each one
// green (red when selected) from 4 pixels in, recording the items it was asked to draw.
class TListPainter : public TWindow {
 public:
  TListPainter() : TWindow(nullptr) {
    Attr.Style = WS_POPUP | WS_VISIBLE;
    Attr.X = 40;
    Attr.Y = 40;
    Attr.W = 200;
    Attr.H = 160;
  }
  LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
    if (msg == WM_MEASUREITEM) {
      ++measured;
      reinterpret_cast<MEASUREITEMSTRUCT *>(lParam)->itemHeight = kItemHeight;
      return 1;
    }
    if (msg == WM_DRAWITEM) {
      const auto &item = *reinterpret_cast<const DRAWITEMSTRUCT *>(lParam);
      drawn.push_back(item);
      TBrush brush((item.itemState & ODS_SELECTED) ? kChosenColor : kItemColor);
      RECT inner = item.rcItem;
      inner.left += kMarginLeft;
      TDC::FromHandle(item.hDC)->FillRect(inner, brush);
      return 1;
    }
    return TWindow::WindowProc(msg, wParam, lParam);
  }
  int measured = 0;
  std::vector<DRAWITEMSTRUCT> drawn;
};

COLORREF PixelOf(const QImage &image, int x, int y) {
  const QRgb pixel = image.pixel(x, y);
  return RGB(qRed(pixel), qGreen(pixel), qBlue(pixel));
}

}  // namespace

TEST(OwnerDrawnListBox, ItsParentMeasuresOnceAndPaintsEveryItemWhereItLies) {
  test_kit::EnsureApplication();
  TListPainter parent;
  auto *list = new TListBox(&parent, 71, 10, 10, 150, 100);
  list->Attr.Style |= LBS_OWNERDRAWFIXED | LBS_HASSTRINGS;
  ASSERT_TRUE(parent.Create());
  ASSERT_TRUE(test_kit::RunUntil([&] { return parent.IsWindowVisible(); }, kWaitMs));
  for (const char *name : {"Lens", "Mirror", "Prism"}) list->AddString(name);
  list->SetItemData(2, 0x2A);
  list->SetSelIndex(1);
  EXPECT_EQ(list->GetString(1), "Mirror");

  QWidget *viewport = static_cast<QListWidget *>(list->NativeWidget())->viewport();
  const QImage shown = viewport->grab().toImage();
  ASSERT_GE(shown.height(), 3 * kItemHeight + 2);
  EXPECT_EQ(parent.measured, 1);  // one height for every item
  // Each item painted by the parent in its own 20 rows: green, red (selected), green, then
  // the list's empty background below the third.
  EXPECT_EQ(PixelOf(shown, 10, kItemHeight / 2), kItemColor);
  EXPECT_EQ(PixelOf(shown, 10, kItemHeight + kItemHeight / 2), kChosenColor);
  EXPECT_EQ(PixelOf(shown, 10, 2 * kItemHeight + kItemHeight / 2), kItemColor);
  EXPECT_NE(PixelOf(shown, 10, 3 * kItemHeight + 2), kItemColor);
  EXPECT_NE(PixelOf(shown, kMarginLeft - 1, kItemHeight / 2), kItemColor);  // rcItem.left is 0
  const auto third = std::find_if(parent.drawn.begin(), parent.drawn.end(),
                                  [](const DRAWITEMSTRUCT &item) { return item.itemID == 2; });
  ASSERT_NE(third, parent.drawn.end());
  EXPECT_EQ(third->CtlType, ODT_LISTBOX);
  EXPECT_EQ(third->CtlID, 71u);
  EXPECT_EQ(third->itemData, 0x2Au);
  EXPECT_EQ(third->rcItem.top, 2 * kItemHeight);
  EXPECT_EQ(third->rcItem.bottom, 3 * kItemHeight);
}

TEST(OwnerDrawnListBox, WithoutStringsItKeepsTheValuesItIsGiven) {
  test_kit::EnsureApplication();
  TListPainter parent;
  auto *list = new TListBox(&parent, 72, 10, 10, 150, 100);
  list->Attr.Style |= LBS_OWNERDRAWFIXED;
  ASSERT_TRUE(parent.Create());
  // The values are no texts: read as strings they would be read from nowhere.
  EXPECT_EQ(list->SendMessage(LB_ADDSTRING, 0, 0x1234), 0);
  EXPECT_EQ(list->SendMessage(LB_INSERTSTRING, 0, 0x99), 0);
  EXPECT_EQ(list->GetCount(), 2);
  EXPECT_EQ(list->GetItemData(0), 0x99u);
  EXPECT_EQ(list->GetItemData(1), 0x1234u);
}
