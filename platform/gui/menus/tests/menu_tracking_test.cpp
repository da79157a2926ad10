// Walking menus: scripted choices, the drawn pop-ups under mouse and keys, owner-drawn
// items, command enablers, menu-bar clicks and accelerators.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

#include "platform/gui/controls/edit.h"
#include "platform/gui/drawing/dc.h"
#include "platform/gui/drawing/sys_colors.h"
#include "platform/gui/menus/accelerators.h"
#include "platform/gui/menus/menu_enabling.h"
#include "platform/gui/menus/menu_popup.h"
#include "platform/gui/menus/menu_tracker.h"
#include "platform/gui/menus/menu_window.h"
#include "platform/gui/windows/message_records.h"
#include "platform/gui/windows/test_kit.h"
#include "platform/gui/windows/window.h"

namespace {

constexpr int kWaitMs = test_kit::kPatienceMs;
constexpr UINT kCopy = 101;
constexpr UINT kPaste = 102;    // grey
constexpr UINT kRed = 111;      // in the Colour sub-menu
constexpr UINT kBlue = 112;
constexpr UINT kToggle = 120;   // greyed by a command enabler while `toggleAllowed` is false

struct TSeen {
  UINT msg;
  WPARAM wParam;
  LPARAM lParam;
};

class TOwnerWindow : public TWindow {
 public:
  TOwnerWindow() : TWindow(nullptr, "Owner") {
    Attr.Style = WS_POPUP | WS_BORDER;
    Attr.X = 40;
    Attr.Y = 40;
    Attr.W = 320;
    Attr.H = 200;
  }
  LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
    switch (msg) {
      case WM_COMMAND: case WM_SYSCOMMAND: case WM_INITMENU: case WM_INITMENUPOPUP:
      case WM_MENUSELECT: case WM_ENTERMENULOOP: case WM_EXITMENULOOP: case WM_KEYDOWN:
        seen.push_back({msg, wParam, lParam});
        break;
      case WM_MEASUREITEM: {
        auto *measure = reinterpret_cast<MEASUREITEMSTRUCT *>(lParam);
        measure->itemWidth = 60;
        measure->itemHeight = 24;
        return 1;
      }
      case WM_DRAWITEM: {
        auto *draw = reinterpret_cast<DRAWITEMSTRUCT *>(lParam);
        drawn.push_back(*draw);
        HBRUSH brush = CreateSolidBrush(draw->itemState & ODS_SELECTED ? 0x00FF00 : 0x0000FF);
        TDC::FromHandle(draw->hDC)->FillRect(draw->rcItem, brush);
        DeleteObject(brush);
        return 1;
      }
      default:
        break;
    }
    return TWindow::WindowProc(msg, wParam, lParam);
  }
  bool Find(TEventInfo &info) override;
  void CeToggle(TCommandEnabler &enabler) { enabler.Enable(toggleAllowed); }

  std::vector<UINT> Messages() const {
    std::vector<UINT> messages;
    for (const TSeen &entry : seen) messages.push_back(entry.msg);
    return messages;
  }
  std::vector<UINT> Commands() const {
    std::vector<UINT> commands;
    for (const TSeen &entry : seen) {
      if (entry.msg == WM_COMMAND) commands.push_back(LOWORD(entry.wParam));
    }
    return commands;
  }
  std::vector<TSeen> seen;
  std::vector<DRAWITEMSTRUCT> drawn;
  bool toggleAllowed = true;
};

const TResponseTableEntry kOwnerTable[] = {
    EvCommandEnable<&TOwnerWindow::CeToggle>(kToggle),
};

bool TOwnerWindow::Find(TEventInfo &info) {
  return SearchResponseTable(kOwnerTable, info) || TWindow::Find(info);
}

// Copy, Paste (grey), separator, Colour > (Red, Blue), Toggle.
struct TContextMenu {
  TContextMenu() {
    AppendMenu(colour, MF_STRING, kRed, "&Red");
    AppendMenu(colour, MF_STRING, kBlue, "&Blue");
    AppendMenu(menu, MF_STRING, kCopy, "&Copy");
    AppendMenu(menu, MF_STRING | MF_GRAYED, kPaste, "&Paste");
    AppendMenu(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenu(menu, MF_POPUP, reinterpret_cast<std::uintptr_t>(colour), "C&olour");
    AppendMenu(menu, MF_STRING, kToggle, "&Toggle");
  }
  ~TContextMenu() { DestroyMenu(menu); }
  HMENU menu = CreatePopupMenu();
  HMENU colour = CreatePopupMenu();
};

class MenuTracking : public ::testing::Test {
 protected:
  void SetUp() override {
    test_kit::EnsureApplication();
    ASSERT_TRUE(owner.Create());
  }
  TOwnerWindow owner;
  TContextMenu context;
};

TEST_F(MenuTracking, ScriptedChoiceInASubMenuOpensItsPopupsAndSendsTheCommand) {
  TScriptedMenuTracker tracker;
  tracker.ChoosePath({"Colour", "&Blue"});
  EXPECT_EQ(TrackPopupMenu(context.menu, TPM_RIGHTBUTTON, 50, 60, 0, owner.GetHandle()), 1);
  EXPECT_EQ(owner.Commands(), std::vector<UINT>{kBlue});
  ASSERT_EQ(tracker.walks.size(), 1u);
  EXPECT_EQ(tracker.walks[0].Walk.Screen.x, 50);
  EXPECT_EQ(tracker.walks[0].Items.size(), 5u);
  // Both pop-ups opened, the top one first; the end of the walk is announced before the command.
  const std::vector<UINT> expected{WM_ENTERMENULOOP, WM_INITMENUPOPUP, WM_MENUSELECT,
                                   WM_INITMENUPOPUP, WM_MENUSELECT,    WM_MENUSELECT,
                                   WM_EXITMENULOOP,  WM_COMMAND};
  EXPECT_EQ(owner.Messages(), expected);
  EXPECT_EQ(owner.seen[1].wParam, reinterpret_cast<WPARAM>(context.menu));
  EXPECT_EQ(owner.seen[3].wParam, reinterpret_cast<WPARAM>(context.colour));
  EXPECT_EQ(LOWORD(static_cast<std::uintptr_t>(owner.seen[3].lParam)), 3);  // its index in the parent
  EXPECT_EQ(LOWORD(owner.seen[4].wParam), kBlue);
  EXPECT_EQ(HIWORD(owner.seen[5].wParam), 0xFFFF);
}

TEST_F(MenuTracking, ScriptedGreyItemIsRefused) {
  TScriptedMenuTracker tracker;
  tracker.ChooseId(kPaste);
  tracker.ChoosePath({"&Copy"});
  EXPECT_EQ(TrackPopupMenu(context.menu, 0, 0, 0, 0, owner.GetHandle()), 0);
  EXPECT_TRUE(owner.Commands().empty());
  ASSERT_EQ(tracker.walks.size(), 1u);
  EXPECT_TRUE(tracker.walks[0].Refused);
  // TPM_RETURNCMD gives the id and sends nothing.
  EXPECT_EQ(TrackPopupMenu(context.menu, TPM_RETURNCMD, 0, 0, 0, owner.GetHandle()),
            static_cast<int>(kCopy));
  EXPECT_TRUE(owner.Commands().empty());
  // No answer left: cancelled.
  EXPECT_EQ(TrackPopupMenu(context.menu, TPM_RETURNCMD, 0, 0, 0, owner.GetHandle()), 0);
}

TEST_F(MenuTracking, CommandEnablerGreysTheItemBeforeTheChoiceCounts) {
  TScriptedMenuTracker tracker;
  owner.toggleAllowed = false;
  tracker.ChooseId(kToggle);
  EXPECT_EQ(TrackPopupMenu(context.menu, 0, 0, 0, 0, owner.GetHandle()), 0);
  EXPECT_EQ(GetMenuState(context.menu, kToggle, MF_BYCOMMAND) & MF_GRAYED, MF_GRAYED);
  owner.toggleAllowed = true;
  tracker.ChooseId(kToggle);
  EXPECT_EQ(TrackPopupMenu(context.menu, 0, 0, 0, 0, owner.GetHandle()), 1);
  EXPECT_EQ(owner.Commands(), std::vector<UINT>{kToggle});
}

// Queues a mouse event at a screen point to the innermost pop-up of the walk.
void PostToPopup(QEvent::Type type, QPoint global, Qt::MouseButtons held) {
  TMenuTracking *tracking = CurrentMenuTracking();
  ASSERT_NE(tracking, nullptr);
  QWidget *popup = tracking->PopupWidget(tracking->Levels() - 1);
  const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
  QCoreApplication::postEvent(popup, new QMouseEvent(type, popup->mapFromGlobal(global), global,
                                                     button, held, Qt::NoModifier));
}

void PostKeyToPopup(int qtKey) {
  TMenuTracking *tracking = CurrentMenuTracking();
  ASSERT_NE(tracking, nullptr);
  QWidget *popup = tracking->PopupWidget(tracking->Levels() - 1);
  QCoreApplication::postEvent(popup, new QKeyEvent(QEvent::KeyPress, qtKey, Qt::NoModifier));
}

// Runs the steps one after another, 20 ms apart, while the walk's loop runs (the object
// lives across the TrackPopupMenu call).
class TStepsDuringWalk {
 public:
  explicit TStepsDuringWalk(std::vector<std::function<void()>> stepList) : steps(std::move(stepList)) {
    QObject::connect(&timer, &QTimer::timeout, [this] {
      if (next < steps.size()) steps[next++]();
      if (next >= steps.size()) timer.stop();
    });
    timer.start(20);
  }

 private:
  std::vector<std::function<void()>> steps;
  std::size_t next = 0;
  QTimer timer;
};

int CountColour(const QImage &image, COLORREF color) {
  int count = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      const QRgb pixel = image.pixel(x, y);
      count += RGB(qRed(pixel), qGreen(pixel), qBlue(pixel)) == color ? 1 : 0;
    }
  }
  return count;
}

TEST_F(MenuTracking, DrawnPopupFollowsTheMouseIntoASubMenuAndIgnoresGreyItems) {
  int greyPixels = 0;
  int highlightPixels = 0;
  TStepsDuringWalk steps({
      [] {  // onto Paste (grey): highlighted, and a release there keeps the menu open
        TMenuTracking *walk = CurrentMenuTracking();
        PostToPopup(QEvent::MouseMove, walk->ItemCenter(0, 1), Qt::NoButton);
      },
      [] {
        TMenuTracking *walk = CurrentMenuTracking();
        PostToPopup(QEvent::MouseButtonPress, walk->ItemCenter(0, 1), Qt::LeftButton);
        PostToPopup(QEvent::MouseButtonRelease, walk->ItemCenter(0, 1), Qt::NoButton);
      },
      [&] {
        TMenuTracking *walk = CurrentMenuTracking();
        ASSERT_NE(walk, nullptr);
        EXPECT_EQ(walk->Selection(0), 1);
        const QImage image = static_cast<QWidget *>(walk->PopupWidget(0))->grab().toImage();
        greyPixels = CountColour(image, GetSysColor(COLOR_GRAYTEXT));
        PostToPopup(QEvent::MouseMove, walk->ItemCenter(0, 3), Qt::NoButton);  // Colour
      },
      [&] {
        TMenuTracking *walk = CurrentMenuTracking();
        ASSERT_EQ(walk->Levels(), 2);
        EXPECT_EQ(walk->LevelMenu(1), context.colour);
        const QImage image = walk->PopupWidget(0)->grab().toImage();
        highlightPixels = CountColour(image, GetSysColor(COLOR_HIGHLIGHT));
        PostToPopup(QEvent::MouseMove, walk->ItemCenter(1, 0), Qt::NoButton);
      },
      [] {
        TMenuTracking *walk = CurrentMenuTracking();
        PostToPopup(QEvent::MouseButtonPress, walk->ItemCenter(1, 0), Qt::LeftButton);
        PostToPopup(QEvent::MouseButtonRelease, walk->ItemCenter(1, 0), Qt::NoButton);
      },
  });
  EXPECT_EQ(TrackPopupMenu(context.menu, TPM_RETURNCMD, 100, 100, 0, owner.GetHandle()),
            static_cast<int>(kRed));
  EXPECT_EQ(CurrentMenuTracking(), nullptr);
  EXPECT_GT(greyPixels, 10);       // Paste's grey text (on its highlight)
  EXPECT_GT(highlightPixels, 100); // the highlight band behind Colour
}

TEST_F(MenuTracking, DrawnPopupTakesKeysAndEscapeCancels) {
  TStepsDuringWalk steps({
      [] { PostKeyToPopup(Qt::Key_Down); },   // Copy
      [] { PostKeyToPopup(Qt::Key_Down); },   // Paste (grey, still highlighted)
      [] { PostKeyToPopup(Qt::Key_Down); },   // Colour (the separator is passed over)
      [] {
        EXPECT_EQ(CurrentMenuTracking()->Selection(0), 3);
        PostKeyToPopup(Qt::Key_Right);        // opens Colour on Red
      },
      [] {
        EXPECT_EQ(CurrentMenuTracking()->Levels(), 2);
        PostKeyToPopup(Qt::Key_Down);         // Blue
      },
      [] { PostKeyToPopup(Qt::Key_Return); },
  });
  EXPECT_EQ(TrackPopupMenu(context.menu, TPM_RETURNCMD, 10, 10, 0, owner.GetHandle()),
            static_cast<int>(kBlue));

  TStepsDuringWalk cancelSteps({
      [] { PostKeyToPopup(Qt::Key_Down); },
      [] { PostKeyToPopup(Qt::Key_Down); },
      [] { PostKeyToPopup(Qt::Key_Return); },  // Paste is grey: nothing
      [] { PostKeyToPopup(Qt::Key_Escape); },
  });
  EXPECT_EQ(TrackPopupMenu(context.menu, 0, 10, 10, 0, owner.GetHandle()), 0);
  EXPECT_TRUE(owner.Commands().empty());
}

TEST_F(MenuTracking, TheReleaseOfTheOpeningClickChoosesNothing) {
  bool stillOpen = false;
  TStepsDuringWalk steps({
      [] {
        // A release with no move or press since the menu opened: the opening click's own.
        TMenuTracking *walk = CurrentMenuTracking();
        QWidget *popup = walk->PopupWidget(0);
        const QPoint global = walk->ItemCenter(0, 0);
        QCoreApplication::postEvent(popup, new QMouseEvent(QEvent::MouseButtonRelease, popup->mapFromGlobal(global),
                                                           global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier));
      },
      [&] {
        stillOpen = CurrentMenuTracking() != nullptr;
        PostKeyToPopup(Qt::Key_Escape);
      },
  });
  EXPECT_EQ(TrackPopupMenu(context.menu, TPM_RETURNCMD, 10, 10, 0, owner.GetHandle()), 0);
  EXPECT_TRUE(stillOpen);
}

TEST_F(MenuTracking, OwnerDrawnItemsAreMeasuredAndPaintedByTheOwner) {
  ModifyMenu(context.menu, kCopy, MF_BYCOMMAND | MF_OWNERDRAW, kCopy,
             reinterpret_cast<const char *>(std::uintptr_t{77}));
  int ownerPixels = 0;
  int itemHeight = 0;
  TStepsDuringWalk steps({
      [&] {
        TMenuTracking *walk = CurrentMenuTracking();
        const QImage image = walk->PopupWidget(0)->grab().toImage();
        ownerPixels = CountColour(image, 0x0000FF);
        const QPoint first = walk->ItemCenter(0, 0);
        const QPoint second = walk->ItemCenter(0, 1);
        itemHeight = 2 * (second.y() - first.y());  // from the owner's 24 and Paste's height
        PostKeyToPopup(Qt::Key_Escape);
      },
  });
  TrackPopupMenu(context.menu, TPM_RETURNCMD, 10, 10, 0, owner.GetHandle());
  ASSERT_FALSE(owner.drawn.empty());
  EXPECT_EQ(owner.drawn[0].CtlType, ODT_MENU);
  EXPECT_EQ(owner.drawn[0].itemID, kCopy);
  EXPECT_EQ(owner.drawn[0].itemData, 77u);
  EXPECT_EQ(owner.drawn[0].hwndItem, reinterpret_cast<HWND>(context.menu));
  EXPECT_EQ(owner.drawn[0].rcItem.Height(), 24);
  EXPECT_EQ(ownerPixels, owner.drawn[0].rcItem.Width() * 24);
  EXPECT_GT(itemHeight, 24);
}

TEST_F(MenuTracking, AMovingHighlightRedrawsOnlyTheTwoItemsItLeavesAndReaches) {
  ModifyMenu(context.menu, kCopy, MF_BYCOMMAND | MF_OWNERDRAW, kCopy,
             reinterpret_cast<const char *>(std::uintptr_t{1}));
  ModifyMenu(context.menu, kToggle, MF_BYCOMMAND | MF_OWNERDRAW, kToggle,
             reinterpret_cast<const char *>(std::uintptr_t{5}));
  std::size_t drawnAtOpen = 0;
  int greenAfterLeaving = -1;
  TStepsDuringWalk steps({
      [&] {
        drawnAtOpen = owner.drawn.size();
        PostKeyToPopup(Qt::Key_Down);  // Copy
      },
      [] { PostKeyToPopup(Qt::Key_Down); },  // Paste
      [&] {
        greenAfterLeaving = CountColour(CurrentMenuTracking()->PopupWidget(0)->grab().toImage(), 0x00FF00);
        PostKeyToPopup(Qt::Key_Down);  // Colour
      },
      [] { PostKeyToPopup(Qt::Key_Down); },  // Toggle
      [] { PostKeyToPopup(Qt::Key_Escape); },
  });
  TrackPopupMenu(context.menu, TPM_RETURNCMD, 10, 10, 0, owner.GetHandle());
  // Opening draws both whole; then each move asks only for the selection change.
  ASSERT_EQ(drawnAtOpen, 2u);
  EXPECT_EQ(owner.drawn[0].itemAction, ODA_DRAWENTIRE);
  ASSERT_EQ(owner.drawn.size(), 5u);
  const std::vector<std::pair<UINT, bool>> expected = {{kCopy, true}, {kCopy, false}, {kToggle, true}};
  for (std::size_t k = 0; k < expected.size(); ++k) {
    const DRAWITEMSTRUCT &draw = owner.drawn[2 + k];
    EXPECT_EQ(draw.itemAction, ODA_SELECT) << k;
    EXPECT_EQ(draw.itemID, expected[k].first) << k;
    EXPECT_EQ((draw.itemState & ODS_SELECTED) != 0, expected[k].second) << k;
  }
  // The highlight that left Copy left no selected colour behind.
  EXPECT_EQ(greenAfterLeaving, 0);
}

TEST_F(MenuTracking, OwnerDrawnSubMenuItemGetsItsArrowBesideWhatTheOwnerDraws) {
  ModifyMenu(context.menu, 3, MF_BYPOSITION | MF_POPUP | MF_OWNERDRAW,
             reinterpret_cast<std::uintptr_t>(context.colour), reinterpret_cast<const char *>(std::uintptr_t{3}));
  int arrowPixels = -1;
  RECT itemRect{};
  TStepsDuringWalk steps({
      [&] {
        TMenuTracking *walk = CurrentMenuTracking();
        const QImage image = walk->PopupWidget(0)->grab().toImage();
        ASSERT_FALSE(owner.drawn.empty());
        itemRect = owner.drawn.back().rcItem;
        arrowPixels = 0;
        for (int y = itemRect.top; y < itemRect.bottom; ++y) {
          for (int x = itemRect.left; x < itemRect.right; ++x) {
            const QRgb pixel = image.pixel(x, y);
            // The owner paints the whole item red: anything else is the arrow.
            arrowPixels += RGB(qRed(pixel), qGreen(pixel), qBlue(pixel)) != 0x0000FFu ? 1 : 0;
          }
        }
        PostKeyToPopup(Qt::Key_Escape);
      },
  });
  TrackPopupMenu(context.menu, TPM_RETURNCMD, 10, 10, 0, owner.GetHandle());
  // The owner asked for 60 across; the arrow's column comes on top.
  EXPECT_GT(itemRect.Width(), 60);
  EXPECT_GT(arrowPixels, 6);
  EXPECT_LT(arrowPixels, 30);
}

TEST_F(MenuTracking, ClickOnTheMenuBarWalksItsPopup) {
  HMENU bar = CreateMenu();
  HMENU file = CreatePopupMenu();
  AppendMenu(file, MF_STRING, 7, "&Open");
  AppendMenu(bar, MF_POPUP, reinterpret_cast<std::uintptr_t>(file), "&File");
  AppendMenu(bar, MF_STRING, 8, "&Settings");
  ASSERT_TRUE(SetMenu(owner.GetHandle(), bar));
  TScriptedMenuTracker tracker;
  tracker.ChoosePath({"File", "Open"});
  const RECT fileRect = MenuBarItemRect(owner.GetHandle(), 0);
  const POINT origin = owner.ClientOrigin();
  // A client point above the client: the bar's item.
  const POINT onFile{fileRect.left + 3 - origin.x, fileRect.top + 3 - origin.y};
  test_kit::PostMouse(owner, WM_LBUTTONDOWN, onFile);
  test_kit::PostMouse(owner, WM_LBUTTONUP, onFile);
  ASSERT_TRUE(test_kit::RunUntil([&] { return !owner.Commands().empty(); }, kWaitMs));
  EXPECT_EQ(owner.Commands(), std::vector<UINT>{7});
  ASSERT_EQ(tracker.walks.size(), 1u);
  EXPECT_TRUE(tracker.walks[0].Walk.Bar);
  EXPECT_EQ(tracker.walks[0].Walk.StartIndex, 0);
  // The bar announced itself before its pop-up.
  const std::vector<UINT> messages = owner.Messages();
  ASSERT_GE(messages.size(), 3u);
  EXPECT_EQ(messages[1], WM_INITMENU);
  // A look at the bar from another window's focus, ending with nothing chosen, gives that
  // window its focus back; a chosen command leaves it with the bar's window.
  TWindow other(nullptr, "Other");
  ASSERT_TRUE(other.Create());
  ShowWindow(other.GetHandle(), SW_SHOW);
  for (const UINT choice : {0u, 7u}) {
    other.SetFocus();
    owner.SetFocus();  // as the click on the bar activates its window
    tracker.ChooseId(choice);
    TrackMenuBar(owner.GetHandle(), 0);
    EXPECT_EQ(GetFocus() == other.GetHandle(), choice == 0) << choice;
  }
}

TEST_F(MenuTracking, AcceleratorReachesItsHandlerUnlessDisabled) {
  const ACCEL keys[] = {
      {FVIRTKEY | FCONTROL, 'S', kCopy},
      {0, 26, kBlue},                 // ctrl+Z as a character
      {FVIRTKEY, VK_DELETE, kToggle},
  };
  RegisterAcceleratorResource("TestKeys", keys, 3);
  SetWindowAccelerators(owner.GetHandle(), LoadAccelerators(nullptr, "testkeys"));
  TWindow child(&owner);
  child.Attr.W = 50;
  child.Attr.H = 50;
  ASSERT_TRUE(child.Create());
  child.SetFocus();

  const auto press = [&](int qtKey, Qt::KeyboardModifiers modifiers) {
    QCoreApplication::postEvent(child.HostWidget(), new QKeyEvent(QEvent::KeyPress, qtKey, modifiers));
    QCoreApplication::postEvent(child.HostWidget(), new QKeyEvent(QEvent::KeyRelease, qtKey, modifiers));
    test_kit::RunFor(30);
  };
  press(Qt::Key_S, Qt::ControlModifier);
  press(Qt::Key_Z, Qt::ControlModifier);
  press(Qt::Key_S, Qt::NoModifier);  // not in the table: an ordinary key
  owner.toggleAllowed = false;
  press(Qt::Key_Delete, Qt::NoModifier);
  owner.toggleAllowed = true;
  press(Qt::Key_Delete, Qt::NoModifier);
  ASSERT_TRUE(test_kit::RunUntil([&] { return owner.Commands().size() >= 3; }, kWaitMs));
  EXPECT_EQ(owner.Commands(), (std::vector<UINT>{kCopy, kBlue, kToggle}));
  for (const TSeen &entry : owner.seen) {
    if (entry.msg == WM_COMMAND) {
      EXPECT_EQ(HIWORD(entry.wParam), 1);  // from an accelerator
    }
  }
}

// Where a key is pressed decides what it may do: the table's window and its children, and a
// window that shares its keys (a palette), reach every entry; an owned top-level window (a
// folder, an analysis window) reaches only the entries without FOWNWINDOW; a focused text
// field that uses the key keeps it from every table.
TEST_F(MenuTracking, AFieldKeepsItsKeysAndOwnWindowKeysActOnlyFromTheOwnersWindows) {
  const ACCEL keys[] = {
      {FVIRTKEY | FOWNWINDOW, VK_DELETE, kToggle},
      {FOWNWINDOW, 26, kBlue},  // ctrl+Z as a character
      {0, 19, kCopy},           // ctrl+S: from every window
  };
  RegisterAcceleratorResource("OwnKeys", keys, 3);
  SetWindowAccelerators(owner.GetHandle(), LoadAccelerators(nullptr, "ownkeys"));
  TWindow child(&owner);
  child.Attr.W = 50;
  child.Attr.H = 50;
  ASSERT_TRUE(child.Create());
  const auto popup = [&] {
    auto window = std::make_unique<TWindow>(&owner);
    window->Attr.Style = WS_POPUP | WS_VISIBLE;
    window->Attr.W = 200;
    window->Attr.H = 60;
    return window;
  };
  std::unique_ptr<TWindow> palette = popup();
  std::unique_ptr<TWindow> folder = popup();
  auto *field = new TEdit(folder.get(), 1, "abc", 10, 10, 150, 22);
  ASSERT_TRUE(palette->Create());
  ASSERT_TRUE(folder->Create());
  ShareOwnerAccelerators(palette->GetHandle(), true);

  struct TCase {
    const char *where;
    QWidget *widget;
    int qtKey;
    Qt::KeyboardModifiers modifiers;
    std::vector<UINT> commands;  // what reaches the owner
    const char *fieldText;       // the field's text after the key (null: not the field)
  };
  const TCase cases[] = {
      {"child Del", child.HostWidget(), Qt::Key_Delete, Qt::NoModifier, {kToggle}, nullptr},
      {"child Ctrl-Z", child.HostWidget(), Qt::Key_Z, Qt::ControlModifier, {kBlue}, nullptr},
      {"palette Del", palette->HostWidget(), Qt::Key_Delete, Qt::NoModifier, {kToggle}, nullptr},
      {"folder Del", folder->HostWidget(), Qt::Key_Delete, Qt::NoModifier, {}, nullptr},
      {"folder Ctrl-Z", folder->HostWidget(), Qt::Key_Z, Qt::ControlModifier, {}, nullptr},
      {"folder Ctrl-S", folder->HostWidget(), Qt::Key_S, Qt::ControlModifier, {kCopy}, nullptr},
      {"field Ctrl-S", field->NativeWidget(), Qt::Key_S, Qt::ControlModifier, {kCopy}, "abc"},
      {"field Del", field->NativeWidget(), Qt::Key_Delete, Qt::NoModifier, {}, "bc"},
  };
  for (const TCase &c : cases) {
    SCOPED_TRACE(c.where);
    field->SetSelection(0, 0);
    const std::size_t before = owner.Commands().size();
    QCoreApplication::postEvent(c.widget, new QKeyEvent(QEvent::KeyPress, c.qtKey, c.modifiers));
    QCoreApplication::postEvent(c.widget, new QKeyEvent(QEvent::KeyRelease, c.qtKey, c.modifiers));
    test_kit::RunFor(30);
    const std::vector<UINT> all = owner.Commands();
    EXPECT_EQ(std::vector<UINT>(all.begin() + static_cast<std::ptrdiff_t>(before), all.end()), c.commands);
    if (c.fieldText != nullptr) {
      EXPECT_EQ(field->GetWindowText(), c.fieldText);
    }
  }
  // A palette that goes takes its sharing with it.
  const HWND paletteHandle = palette->GetHandle();
  palette.reset();
  EXPECT_FALSE(SharesOwnerAccelerators(paletteHandle));
}

}  // namespace
