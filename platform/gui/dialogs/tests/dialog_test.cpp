// Dialogs from templates: every control kind made and drawn, the keyboard interface (Tab,
// Shift+Tab, Enter, Escape), modal ends, CanClose over the items, bound edits that see keys
// first, the item calls, string resources.

#include <gtest/gtest.h>

#include <QTimer>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "platform/core/recording_providers.h"
#include "platform/gui/controls/button.h"
#include "platform/gui/controls/edit.h"
#include "platform/gui/controls/gauge.h"
#include "platform/gui/dialogs/dialog.h"
#include "platform/gui/dialogs/string_resources.h"
#include "platform/gui/menus/menu.h"
#include "platform/gui/menus/menu_window.h"
#include "platform/gui/drawing/gdi_objects.h"
#include "platform/gui/drawing/sys_colors.h"
#include "platform/gui/windows/test_kit.h"

namespace {

constexpr int kWaitMs = test_kit::kPatienceMs;
constexpr int kName = 101;
constexpr int kThickness = 102;
constexpr int kGlasses = 103;
constexpr int kUnits = 104;
constexpr int kShowRays = 105;
constexpr int kSagittal = 106;
constexpr int kTangential = 107;
constexpr int kProgress = 108;
constexpr int kTitle = 109;
constexpr int kZoom = 110;
constexpr COLORREF kDialogGrey = RGB(0xC0, 0xC0, 0xC0);

const TDialogTemplate kEveryControlDlg{
    "EveryControlDlg", DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_CENTER, 0, 0, 220, 170,
    "Surface properties",
    {
        {"STATIC", "&Name:", kTitle, SS_LEFT, 8, 10, 40, 8},
        {"EDIT", "", kName, ES_LEFT | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 52, 8, 80, 12},
        {"STATIC", "Thickness:", IDC_STATIC, SS_LEFT, 8, 26, 40, 8},
        {"EDIT", "", kThickness, ES_RIGHT | WS_BORDER | WS_TABSTOP, 52, 24, 80, 12},
        {"LISTBOX", "", kGlasses, LBS_NOTIFY | LBS_SORT | WS_BORDER | WS_VSCROLL | WS_TABSTOP, 140, 8, 72, 50},
        {"COMBOBOX", "", kUnits, CBS_DROPDOWNLIST | WS_TABSTOP, 52, 42, 80, 60},
        {"BUTTON", "Show &rays", kShowRays, BS_AUTOCHECKBOX | WS_TABSTOP, 8, 60, 80, 10},
        {"BUTTON", "Plane", IDC_STATIC, BS_GROUPBOX, 8, 74, 100, 40},
        {"BUTTON", "&Sagittal", kSagittal, BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP, 14, 86, 80, 10},
        {"BUTTON", "&Tangential", kTangential, BS_AUTORADIOBUTTON, 14, 98, 80, 10},
        {"SCROLLBAR", "", kZoom, SBS_HORZ, 116, 80, 96, 10},
        {"GAUGE", "", kProgress, 0, 116, 98, 96, 12},
        {"BUTTON", "OK", IDOK, BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, 60, 146, 46, 14},
        {"BUTTON", "Cancel", IDCANCEL, BS_PUSHBUTTON | WS_TABSTOP, 114, 146, 46, 14},
    }};
const TDialogRegistration kEveryControlRegistration(kEveryControlDlg);

// An edit that refuses letters in a number field, seeing each key before the edit acts.
class TNumberEdit : public TEdit {
 public:
  TNumberEdit(TWindow *dialog, int id) : TEdit(dialog, id, 32) {}
  bool Find(TEventInfo &info) override;
  void EvChar(UINT key, UINT, UINT) {
    seenBefore.push_back(GetWindowText());
    const bool number = (key >= '0' && key <= '9') || key == '.' || key == '-' || key < ' ';
    if (number) DefaultProcessing();
  }
  // The field holds a number or nothing: anything else keeps the dialog open.
  bool CanClose() override { return refuse ? false : TEdit::CanClose(); }
  std::vector<std::string> seenBefore;
  bool refuse = false;
};

const TResponseTableEntry kNumberEditTable[] = {
    EvMessage<WM_CHAR, &TNumberEdit::EvChar>(),
};

bool TNumberEdit::Find(TEventInfo &info) { return SearchResponseTable(kNumberEditTable, info) || TEdit::Find(info); }

// The dialog as the program writes one: its own objects for two items, grey background.
class TEveryControlDlg : public TDialog {
 public:
  explicit TEveryControlDlg(TWindow *owner) : TDialog(owner, "EveryControlDlg"), grey(kDialogGrey) {
    thickness = new TNumberEdit(this, kThickness);
  }
  bool Find(TEventInfo &info) override;
  void SetupWindow() override {
    TDialog::SetupWindow();
    SetDlgItemText(kName, "Front surface");
    SendDlgItemMessage(kGlasses, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("SF5"));
    SendDlgItemMessage(kGlasses, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("BK7"));
    SendDlgItemMessage(kUnits, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("mm"));
    SendDlgItemMessage(kUnits, CB_SETCURSEL, 0, 0);
    CheckDlgButton(kShowRays, BST_CHECKED);
    CheckRadioButton(GetHandle(), kSagittal, kTangential, kSagittal);
    if (auto *gauge = dynamic_cast<TGauge *>(WindowFromHandle(GetDlgItem(kProgress)))) gauge->SetValue(37);
  }
  HBRUSH EvCtlColor(HDC, HWND, UINT kind) {
    if (kind == CTLCOLOR_EDIT || kind == CTLCOLOR_LISTBOX) return nullptr;
    return grey;
  }
  TNumberEdit *thickness;
  TBrush grey;
};

const TResponseTableEntry kEveryControlTable[] = {
    EvMessage<WM_CTLCOLOR, &TEveryControlDlg::EvCtlColor>(),
};

bool TEveryControlDlg::Find(TEventInfo &info) {
  return SearchResponseTable(kEveryControlTable, info) || TDialog::Find(info);
}

TWindow *MakeOwner() {
  test_kit::EnsureApplication();
  auto *owner = new TWindow(nullptr, "owner");
  owner->Attr.Style = WS_OVERLAPPEDWINDOW | WS_VISIBLE;
  owner->Attr.X = 20;
  owner->Attr.Y = 20;
  owner->Attr.W = 640;
  owner->Attr.H = 480;
  EXPECT_TRUE(owner->Create());
  return owner;
}

int FocusedId() {
  TWindow *focused = WindowFromHandle(GetFocus());
  return focused != nullptr ? focused->GetId() : 0;
}

// Runs `script` once the modal loop of `dialog` runs, then the loop until it ends.
int ExecuteWith(TDialog &dialog, std::function<void()> script) {
  QTimer::singleShot(0, [&dialog, script]() {
    test_kit::RunUntil([&] { return dialog.IsModal() && dialog.IsWindowVisible(); }, kWaitMs);
    script();
  });
  return dialog.Execute();
}

}  // namespace

TEST(Dialog, TemplateMakesEveryControlKindAndDrawsThem) {
  TWindow *owner = MakeOwner();
  auto *dialog = new TEveryControlDlg(owner);
  ASSERT_TRUE(dialog->Create());
  dialog->ShowWindow(SW_SHOW);
  ASSERT_TRUE(test_kit::RunUntil([&] { return dialog->IsWindowVisible(); }, kWaitMs));
  EXPECT_EQ(dialog->GetWindowText(), "Surface properties");
  // Client size from dialog units of the 8-point sans face.
  const TDialogUnits &units = dialog->GetUnits();
  EXPECT_EQ(dialog->GetClientRect().right, units.ToPixelsX(220));
  EXPECT_EQ(dialog->GetClientRect().bottom, units.ToPixelsY(170));
  EXPECT_NE(dynamic_cast<TEdit *>(WindowFromHandle(dialog->GetDlgItem(kName))), nullptr);
  EXPECT_EQ(WindowFromHandle(dialog->GetDlgItem(kThickness)), dialog->thickness);  // the dialog's own object
  EXPECT_NE(dynamic_cast<TCheckBox *>(WindowFromHandle(dialog->GetDlgItem(kShowRays))), nullptr);
  EXPECT_NE(dynamic_cast<TRadioButton *>(WindowFromHandle(dialog->GetDlgItem(kTangential))), nullptr);
  EXPECT_NE(dynamic_cast<TGauge *>(WindowFromHandle(dialog->GetDlgItem(kProgress))), nullptr);
  EXPECT_EQ(dialog->GetChildren().size(), kEveryControlDlg.Items.size());
  // Item positions in dialog units.
  TWindow *ok = WindowFromHandle(dialog->GetDlgItem(IDOK));
  RECT okRect = ok->GetWindowRect();
  POINT okOrigin{okRect.left, okRect.top};
  dialog->ScreenToClient(okOrigin);
  EXPECT_EQ(okOrigin.x, units.ToPixelsX(60));
  EXPECT_EQ(okOrigin.y, units.ToPixelsY(146));
  // The item calls.
  char text[64];
  EXPECT_EQ(dialog->GetDlgItemText(kName, text, sizeof text), 13);
  EXPECT_STREQ(text, "Front surface");
  EXPECT_EQ(dialog->IsDlgButtonChecked(kShowRays), BST_CHECKED);
  EXPECT_EQ(dialog->IsDlgButtonChecked(kSagittal), BST_CHECKED);
  EXPECT_EQ(dialog->SendDlgItemMessage(kGlasses, LB_GETCOUNT), 2);
  // Pixels: grey background and statics, the default button's ring, the tick.
  dialog->UpdateWindow();
  for (TWindow *child : dialog->GetChildren()) child->UpdateWindow();
  EXPECT_EQ(test_kit::ClientPixel(*dialog, 2, 2), kDialogGrey);
  EXPECT_EQ(test_kit::ClientPixel(*ok, 0, 0), RGB(0, 0, 0));
  TWindow *label = WindowFromHandle(dialog->GetDlgItem(kTitle));
  EXPECT_EQ(test_kit::ClientPixel(*label, label->GetClientRect().right - 1, 0), kDialogGrey);
  const char *hold = std::getenv("DIALOG_SCREENSHOT_MS");
  if (hold != nullptr) test_kit::RunFor(std::atoi(hold));
  delete owner;
}

TEST(Dialog, TabAndShiftTabWalkTheTabStopsInOrderSelectingEditText) {
  TWindow *owner = MakeOwner();
  auto *dialog = new TEveryControlDlg(owner);
  ASSERT_TRUE(dialog->Create());
  dialog->ShowWindow(SW_SHOW);
  ASSERT_TRUE(test_kit::RunUntil([&] { return dialog->IsWindowVisible(); }, kWaitMs));
  EXPECT_EQ(FocusedId(), kName);  // the first tab stop, its text selected
  int start = -1;
  int end = -1;
  static_cast<TEdit *>(WindowFromHandle(dialog->GetDlgItem(kName)))->GetSelection(start, end);
  EXPECT_EQ(start, 0);
  EXPECT_EQ(end, 13);
  std::vector<int> order;
  for (int i = 0; i < 7; ++i) {
    TWindow *focused = WindowFromHandle(GetFocus());
    test_kit::PostKey(*focused, VK_TAB);
    const int before = FocusedId();
    ASSERT_TRUE(test_kit::RunUntil([&] { return FocusedId() != before; }, kWaitMs)) << "after " << before;
    order.push_back(FocusedId());
  }
  const std::vector<int> expected{kThickness, kGlasses, kUnits, kShowRays, kSagittal, IDOK, IDCANCEL};
  EXPECT_EQ(order, expected);
  test_kit::PostKey(*WindowFromHandle(GetFocus()), VK_TAB);
  ASSERT_TRUE(test_kit::RunUntil([&] { return FocusedId() == kName; }, kWaitMs));  // round again
  test_kit::PostKeyWith(*WindowFromHandle(GetFocus()), VK_TAB, MK_SHIFT);
  ASSERT_TRUE(test_kit::RunUntil([&] { return FocusedId() == IDCANCEL; }, kWaitMs));
  // Arrows move within the radio group and choose.
  dialog->FocusItem(dialog->GetDlgItem(kSagittal));
  test_kit::PostKey(*WindowFromHandle(GetFocus()), VK_DOWN);
  ASSERT_TRUE(test_kit::RunUntil([&] { return FocusedId() == kTangential; }, kWaitMs));
  EXPECT_EQ(dialog->IsDlgButtonChecked(kTangential), BST_CHECKED);
  EXPECT_EQ(dialog->IsDlgButtonChecked(kSagittal), BST_UNCHECKED);
  delete owner;
}

TEST(Dialog, EnterAndEscapeEndTheModalDialogWithOkAndCancel) {
  // Declared first, so the dialogs on the stack go before their owner.
  const std::unique_ptr<TWindow> ownerWindow(MakeOwner());
  TWindow *owner = ownerWindow.get();
  TEveryControlDlg accepted(owner);
  bool ownerDisabled = false;
  const int okResult = ExecuteWith(accepted, [&] {
    ownerDisabled = !owner->IsWindowEnabled();
    test_kit::PostKey(*WindowFromHandle(GetFocus()), VK_RETURN);
  });
  EXPECT_EQ(okResult, IDOK);
  EXPECT_TRUE(ownerDisabled);
  EXPECT_TRUE(owner->IsWindowEnabled());
  EXPECT_FALSE(accepted.IsWindow());
  TEveryControlDlg cancelled(owner);
  const int cancelResult = ExecuteWith(cancelled, [&] { test_kit::PostKey(*WindowFromHandle(GetFocus()), VK_ESCAPE); });
  EXPECT_EQ(cancelResult, IDCANCEL);
  // Enter on a focused push button presses that button.
  TEveryControlDlg onCancel(owner);
  const int buttonResult = ExecuteWith(onCancel, [&] {
    onCancel.FocusItem(onCancel.GetDlgItem(IDCANCEL));
    test_kit::PostKey(*WindowFromHandle(GetFocus()), VK_RETURN);
  });
  EXPECT_EQ(buttonResult, IDCANCEL);
}

TEST(Dialog, AnItemRefusingCanCloseKeepsTheDialogOpen) {
  // Declared first, so the dialogs on the stack go before their owner.
  const std::unique_ptr<TWindow> ownerWindow(MakeOwner());
  TWindow *owner = ownerWindow.get();
  TEveryControlDlg dialog(owner);
  bool stillOpen = false;
  const int result = ExecuteWith(dialog, [&] {
    dialog.thickness->refuse = true;
    dialog.SendMessage(WM_COMMAND, IDOK, 0);
    test_kit::RunFor(20);
    stillOpen = dialog.IsWindow() && dialog.IsModal();
    dialog.thickness->refuse = false;
    dialog.SendMessage(WM_COMMAND, IDOK, 0);
  });
  EXPECT_TRUE(stillOpen);
  EXPECT_EQ(result, IDOK);
}

TEST(Dialog, BoundEditSeesCharactersBeforeTheTextChanges) {
  TWindow *owner = MakeOwner();
  auto *dialog = new TEveryControlDlg(owner);
  ASSERT_TRUE(dialog->Create());
  dialog->ShowWindow(SW_SHOW);
  ASSERT_TRUE(test_kit::RunUntil([&] { return dialog->IsWindowVisible(); }, kWaitMs));
  dialog->FocusItem(dialog->GetDlgItem(kThickness));
  test_kit::PostText(*dialog->thickness, "2x.5");
  ASSERT_TRUE(test_kit::RunUntil([&] { return dialog->thickness->seenBefore.size() == 4; }, kWaitMs));
  test_kit::RunFor(20);
  const std::vector<std::string> expected{"", "2", "2", "2."};
  EXPECT_EQ(dialog->thickness->seenBefore, expected);
  EXPECT_EQ(dialog->thickness->GetWindowText(), "2.5");
  EXPECT_EQ(DoubleFromControl(dialog->GetDlgItem(kThickness)), 2.5);
  delete owner;
}

TEST(Dialog, AWindowWithAPlaceOfItsOwnIsNotTakenForTheItemOfItsId) {
  TWindow *owner = MakeOwner();
  auto *dialog = new TEveryControlDlg(owner);
  // A gauge laid over the placeholder item kProgress, as a progress bar of a dialog is.
  auto *overlay = new TGauge(dialog, nullptr, kProgress, 0, 0, 0, 0);
  auto *placeholder = new TControl(dialog, kProgress);
  ASSERT_TRUE(dialog->Create());
  EXPECT_EQ(WindowFromHandle(dialog->GetDlgItem(kProgress)), placeholder);
  EXPECT_EQ(placeholder->GetClientRect().right, dialog->GetUnits().ToPixelsX(96));
  EXPECT_TRUE(overlay->IsWindow());
  EXPECT_EQ(overlay->GetClientRect().right, 0);  // its own place until it moves
  placeholder->UpdateWindow();
  EXPECT_EQ(test_kit::ClientPixel(*placeholder, 3, 3), kDialogGrey);  // the dialog's colour for statics
  delete owner;
}

TEST(Dialog, ItemHelpersReadAndEnableItems) {
  TWindow *owner = MakeOwner();
  auto *dialog = new TEveryControlDlg(owner);
  ASSERT_TRUE(dialog->Create());
  const HWND handle = dialog->GetHandle();
  SetDlgItemText(handle, kThickness, "  -12.75e1mm");
  EXPECT_EQ(DoubleFromControl(GetDlgItem(handle, kThickness)), -127.5);  // the leading number
  SetDlgItemText(handle, kThickness, "lens");
  EXPECT_EQ(DoubleFromControl(GetDlgItem(handle, kThickness)), 0.0);
  SetDlgItemInt(handle, kName, static_cast<UINT>(-42), 1);
  BOOL translated = 0;
  EXPECT_EQ(static_cast<int>(GetDlgItemInt(handle, kName, &translated, 1)), -42);
  EXPECT_TRUE(translated);
  GetDlgItemInt(handle, kName, &translated, 0);
  EXPECT_FALSE(translated);  // negative, asked unsigned
  EnableDlgItem(handle, IDOK, 0);
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(handle, IDOK)));
  EnableDlgItem(handle, IDOK, 1);
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(handle, IDOK)));
  EnableDlgItem(handle, 9999, 0);  // no such item: nothing
  EXPECT_EQ(GetDlgItem(handle, 9999), nullptr);
  RECT rect{0, 0, 4, 8};
  ASSERT_TRUE(MapDialogRect(handle, &rect));
  EXPECT_EQ(rect.right, dialog->GetUnits().BaseX);
  EXPECT_EQ(rect.bottom, dialog->GetUnits().BaseY);
  // Sibling order is template order.
  EXPECT_EQ(GetWindow(GetDlgItem(handle, kTitle), GW_HWNDNEXT), GetDlgItem(handle, kName));
  EXPECT_EQ(GetWindow(handle, GW_CHILD), GetDlgItem(handle, kTitle));
  delete owner;
}

TEST(DialogUnits, BaseUnitsOfTheSansFaceFollowItsLetterWidths) {
  test_kit::EnsureApplication();
  // The 52 letters of the 8-point sans face are about 6 pixels each (the classic face
  // measures 6 by 13); the height is the font's.
  const TDialogUnits units = DialogUnitsOfFont("MS Sans Serif", 8);
  EXPECT_EQ(units.BaseX, 6);
  EXPECT_GE(units.BaseY, 12);
  EXPECT_LE(units.BaseY, 13);
  EXPECT_EQ(units.ToPixelsX(4), units.BaseX);
  EXPECT_EQ(units.ToPixelsY(8), units.BaseY);
  EXPECT_EQ(units.ToPixelsX(50), (50 * units.BaseX + 2) / 4);
  EXPECT_EQ(FindDialogTemplate("everycontroldlg"), &kEveryControlDlg);  // names without case
  EXPECT_EQ(FindDialogTemplate("NoSuchDlg"), nullptr);
  TDialog missing(nullptr, "NoSuchDlg");
  EXPECT_FALSE(missing.Create());
  EXPECT_EQ(missing.Execute(), -1);
}

TEST(StringResources, LoadStringCopiesRegisteredTexts) {
  RegisterStrings({{3001, "Not enough memory"}, {3002, "Glass not found"}});
  char buffer[8];
  EXPECT_EQ(LoadString(nullptr, 3001, buffer, sizeof buffer), 7);
  EXPECT_STREQ(buffer, "Not eno");
  EXPECT_EQ(LoadResourceString(3002), "Glass not found");
  EXPECT_EQ(LoadString(nullptr, 4000, buffer, sizeof buffer), 0);
  EXPECT_STREQ(buffer, "");
}

namespace {

const TDialogTemplate kFolderTestDlg{"FolderTestDlg", WS_POPUP | WS_CAPTION | DS_CENTER, 0, 0, 200, 130, "Folder",
                                     {
                                         {"STATIC", "", 10220, SS_BLACKFRAME, 4, 4, 192, 96},
                                         {"BUTTON", "OK", IDOK, BS_DEFPUSHBUTTON | WS_TABSTOP, 75, 108, 50, 14},
                                     }};
const TDialogTemplate kPageTestDlg{"PageTestDlg", WS_CHILD | WS_CAPTION, 6, 6, 180, 80, "Page",
                                   {
                                       {"EDIT", "", 201, WS_BORDER | WS_TABSTOP, 8, 8, 80, 12},
                                   }};
const TDialogRegistration kFolderRegistration(kFolderTestDlg);
const TDialogRegistration kPageRegistration(kPageTestDlg);

// A page: Enter and Escape inside it close nothing.
class TTestPage : public TDialog {
 public:
  explicit TTestPage(TWindow *folder) : TDialog(folder, "PageTestDlg") {}
  bool Find(TEventInfo &info) override;
  void CmKept() { ++kept; }
  int kept = 0;
};

const TResponseTableEntry kTestPageTable[] = {
    EvCommand<&TTestPage::CmKept>(IDOK),
    EvCommand<&TTestPage::CmKept>(IDCANCEL),
};

bool TTestPage::Find(TEventInfo &info) { return SearchResponseTable(kTestPageTable, info) || TDialog::Find(info); }

}  // namespace

TEST(Dialog, ChildDialogPageKeepsEnterAndEscapeToItself) {
  TWindow *owner = MakeOwner();
  auto *folder = new TDialog(owner, "FolderTestDlg");
  auto *page = new TTestPage(folder);
  ASSERT_TRUE(folder->Create());
  folder->ShowWindow(SW_SHOW);
  ASSERT_TRUE(page->IsWindow());
  EXPECT_TRUE(IsChild(folder->GetHandle(), page->GetHandle()));
  // Placed in the folder's client area by its template, in dialog units.
  RECT pageRect = page->GetWindowRect();
  POINT corner{pageRect.left, pageRect.top};
  folder->ScreenToClient(corner);
  EXPECT_EQ(corner.x, folder->GetUnits().ToPixelsX(6));
  EXPECT_EQ(corner.y, folder->GetUnits().ToPixelsY(6));
  EXPECT_FALSE(page->GetStyle() & WS_VISIBLE);  // as its template says: the folder shows it
  page->ShowWindow(SW_SHOW);
  ASSERT_TRUE(test_kit::RunUntil([&] { return page->IsWindowVisible(); }, kWaitMs));
  page->FocusItem(page->GetDlgItem(201));
  test_kit::PostKey(*WindowFromHandle(GetFocus()), VK_RETURN);
  test_kit::PostKey(*WindowFromHandle(GetFocus()), VK_ESCAPE);
  ASSERT_TRUE(test_kit::RunUntil([&] { return page->kept == 2; }, kWaitMs));
  EXPECT_TRUE(folder->IsWindow());
  // The folder's own OK closes the (modeless) folder.
  folder->FocusItem(folder->GetDlgItem(IDOK));
  test_kit::PostKey(*WindowFromHandle(GetFocus()), VK_RETURN);
  ASSERT_TRUE(test_kit::RunUntil([&] { return !folder->IsWindow(); }, kWaitMs));
  delete owner;
}

TEST(Dialog, AltAndAMnemonicPressesItsButtonOrFocusesWhatFollowsItsLabel) {
  TWindow *owner = MakeOwner();
  auto *dialog = new TEveryControlDlg(owner);
  ASSERT_TRUE(dialog->Create());
  dialog->ShowWindow(SW_SHOW);
  ASSERT_TRUE(test_kit::RunUntil([&] { return FocusedId() == kName; }, kWaitMs));
  // "Show &rays": the check box toggles and takes the focus.
  test_kit::PostKey(*WindowFromHandle(GetFocus()), 'R', true);
  ASSERT_TRUE(test_kit::RunUntil([&] { return dialog->IsDlgButtonChecked(kShowRays) == BST_UNCHECKED; }, kWaitMs));
  EXPECT_EQ(FocusedId(), kShowRays);
  // "&Tangential": the radio button is chosen.
  test_kit::PostKey(*WindowFromHandle(GetFocus()), 'T', true);
  ASSERT_TRUE(test_kit::RunUntil([&] { return dialog->IsDlgButtonChecked(kTangential) == BST_CHECKED; }, kWaitMs));
  EXPECT_EQ(dialog->IsDlgButtonChecked(kSagittal), BST_UNCHECKED);
  // "&Name:" is a label: the edit after it takes the focus.
  test_kit::PostKey(*WindowFromHandle(GetFocus()), 'N', true);
  ASSERT_TRUE(test_kit::RunUntil([&] { return FocusedId() == kName; }, kWaitMs));
  // No control marks Q: nothing happens.
  test_kit::PostKey(*WindowFromHandle(GetFocus()), 'Q', true);
  test_kit::RunFor(50);
  EXPECT_EQ(FocusedId(), kName);
  EXPECT_TRUE(dialog->IsWindow());
  delete owner;
}

TEST(Dialog, TabWalksIntoAPageAndOutOfItAgain) {
  TWindow *owner = MakeOwner();
  auto *folder = new TDialog(owner, "FolderTestDlg");
  auto *page = new TTestPage(folder);
  ASSERT_TRUE(folder->Create());
  folder->ShowWindow(SW_SHOW);
  page->ShowWindow(SW_SHOW);
  ASSERT_TRUE(test_kit::RunUntil([&] { return page->IsWindowVisible(); }, kWaitMs));
  page->FocusItem(page->GetDlgItem(201));
  ASSERT_TRUE(test_kit::RunUntil([&] { return FocusedId() == 201; }, kWaitMs));
  // From the page's field out to the folder's button, and round into the page again.
  test_kit::PostKey(*WindowFromHandle(GetFocus()), VK_TAB);
  ASSERT_TRUE(test_kit::RunUntil([&] { return FocusedId() == IDOK; }, kWaitMs));
  test_kit::PostKey(*WindowFromHandle(GetFocus()), VK_TAB);
  ASSERT_TRUE(test_kit::RunUntil([&] { return FocusedId() == 201; }, kWaitMs));
  test_kit::PostKeyWith(*WindowFromHandle(GetFocus()), VK_TAB, MK_SHIFT);
  ASSERT_TRUE(test_kit::RunUntil([&] { return FocusedId() == IDOK; }, kWaitMs));
  // A hidden page has no stops: Tab stays among the folder's own.
  page->ShowWindow(SW_HIDE);
  EXPECT_EQ(GetNextDlgTabItem(folder->GetHandle(), folder->GetDlgItem(IDOK), 0), folder->GetDlgItem(IDOK));
  delete owner;
}

const TMenuTemplateItem kMenuDlgMenu[] = {
    {"&File", 0, MF_POPUP},
    {"&Open", 301, 0},
    {nullptr, 0, MF_END},
    {"&Help", 302, 0},
};
struct TMenuDlgMenuRegistration {
  TMenuDlgMenuRegistration() {
    RegisterMenuResource("MenuDlgTestMenu", kMenuDlgMenu, static_cast<int>(std::size(kMenuDlgMenu)));
  }
};
const TMenuDlgMenuRegistration kMenuDlgMenuRegistration;
const TDialogTemplate kMenuTestDlg{"MenuTestDlg", WS_POPUP | WS_CAPTION | WS_SYSMENU, 0, 0, 160, 100, "With menu",
                                   {
                                       {"BUTTON", "Low", 311, BS_PUSHBUTTON | WS_TABSTOP, 10, 80, 50, 14},
                                   },
                                   "MS Sans Serif", 8, "MenuDlgTestMenu"};
const TDialogTemplate kNoMenuTestDlg{"NoMenuTestDlg", WS_POPUP | WS_CAPTION | WS_SYSMENU, 0, 0, 160, 100, "Without",
                                     {
                                         {"BUTTON", "Low", 311, BS_PUSHBUTTON | WS_TABSTOP, 10, 80, 50, 14},
                                     }};
const TDialogRegistration kMenuTestRegistration(kMenuTestDlg);
const TDialogRegistration kNoMenuTestRegistration(kNoMenuTestDlg);

TEST(Dialog, ATemplatesMenuBarIsAddedAboveTheWholeTemplateArea) {
  TWindow *owner = MakeOwner();
  auto *plain = new TDialog(owner, "NoMenuTestDlg");
  auto *menued = new TDialog(owner, "MenuTestDlg");
  ASSERT_TRUE(plain->Create());
  ASSERT_TRUE(menued->Create());
  ASSERT_NE(GetMenu(menued->GetHandle()), nullptr);
  const int bar = menued->MenuBarHeight();
  ASSERT_GT(bar, 0);
  // The client keeps the template's size; the window grows by the bar.
  EXPECT_EQ(menued->GetClientRect().bottom, plain->GetClientRect().bottom);
  EXPECT_EQ(menued->GetWindowRect().Height(), plain->GetWindowRect().Height() + bar);
  // The lowest button lies at the same client place, below the bar, wholly inside.
  const RECT low = menued->ChildWithId(311)->GetWindowRect();
  POINT corner{low.left, low.top};
  menued->ScreenToClient(corner);
  EXPECT_EQ(corner.y, menued->GetUnits().ToPixelsY(80));
  EXPECT_LE(corner.y + low.Height(), menued->GetClientRect().bottom);
  delete owner;
}

TEST(Dialog, AMenuBarSetLaterMovesTheChildrenDownWithTheClientArea) {
  TWindow *owner = MakeOwner();
  auto *dialog = new TDialog(owner, "NoMenuTestDlg");
  ASSERT_TRUE(dialog->Create());
  TWindow &low = *dialog->ChildWithId(311);
  const RECT before = low.GetWindowRect();
  POINT clientBefore{before.left, before.top};
  dialog->ScreenToClient(clientBefore);
  SetMenu(dialog->GetHandle(), LoadMenu(nullptr, "MenuDlgTestMenu"));
  const int bar = dialog->MenuBarHeight();
  ASSERT_GT(bar, 0);
  const RECT after = low.GetWindowRect();
  POINT clientAfter{after.left, after.top};
  dialog->ScreenToClient(clientAfter);
  // The same client place, so on the screen it stands the bar's height lower.
  EXPECT_EQ(clientAfter.y, clientBefore.y);
  EXPECT_EQ(after.top, before.top + bar);
  delete owner;
}

namespace {

const TDialogTemplate kEdgeTestDlg{"EdgeTestDlg", WS_POPUP | WS_CAPTION | WS_SYSMENU, 40, 30, 300, 196, "Edge",
                                   {
                                       {"BUTTON", "OK", IDOK, BS_DEFPUSHBUTTON | WS_TABSTOP, 250, 177, 40, 14},
                                   }};
const TDialogRegistration kEdgeTestRegistration(kEdgeTestDlg);

TEST(Dialog, ADialogOrPaletteWhoseOwnerStandsAtTheScreensEdgeOpensWhollyOnTheScreen) {
  TScriptedScreenProvider screen;
  const int screenWidth = GetSystemMetrics(SM_CXSCREEN), screenHeight = GetSystemMetrics(SM_CYSCREEN);
  test_kit::EnsureApplication();
  // The owner against the right and bottom edges: the template's place, counted from the
  // owner's client area, lies mostly past them.
  auto *owner = new TWindow(nullptr, "owner");
  owner->Attr.Style = WS_OVERLAPPEDWINDOW | WS_VISIBLE;
  owner->Attr.X = screenWidth - 200;
  owner->Attr.Y = screenHeight - 150;
  owner->Attr.W = 200;
  owner->Attr.H = 150;
  ASSERT_TRUE(owner->Create());
  auto *dialog = new TDialog(owner, "EdgeTestDlg");
  ASSERT_TRUE(dialog->Create());
  const RECT placed = dialog->GetWindowRect();
  EXPECT_GT(placed.Width(), 200);
  EXPECT_GE(placed.left, 0);
  EXPECT_GE(placed.top, 0);
  EXPECT_LE(placed.right, screenWidth);
  EXPECT_LE(placed.bottom, screenHeight);
  // Moved no further than it takes: its right and bottom edges lie on the screen's.
  EXPECT_EQ(placed.right, screenWidth);
  EXPECT_EQ(placed.bottom, screenHeight);
  // A pop-up placed above and left of the screen comes down to its corner.
  auto *palette = new TWindow(owner, "palette");
  palette->Attr.Style = WS_POPUP | WS_VISIBLE;
  palette->Attr.X = -30;
  palette->Attr.Y = -12;
  palette->Attr.W = 60;
  palette->Attr.H = 90;
  ASSERT_TRUE(palette->Create());
  EXPECT_EQ(palette->GetWindowRect().left, 0);
  EXPECT_EQ(palette->GetWindowRect().top, 0);
  delete owner;
}

}  // namespace
