#pragma once
// Tracking menus: the user's walk through a pop-up (TrackPopupMenu) or a menu bar until a
// command is chosen or the walk is cancelled. The walk goes through a replaceable
// provider: the program's draws the pop-ups in windows of our own and follows the mouse
// and keys; tests install TScriptedMenuTracker, which gives set answers.
//
// Messages to the owner, in order: WM_ENTERMENULOOP, WM_INITMENU (bars and system menus),
// WM_INITMENUPOPUP before each pop-up opens (wParam the menu, lParam its index in the parent
// menu, high word 1 for a system menu), WM_MENUSELECT as the highlight moves (low word of
// wParam the command id, or the index of an item that opens a pop-up; high word the item's
// flags; lParam the menu) and once more with 0xFFFF flags and no menu when the walk ends,
// WM_EXITMENULOOP, then the command (WM_COMMAND, or WM_SYSCOMMAND for a system command),
// sent once the menu is closed.

#include <deque>
#include <string>
#include <vector>

#include "platform/core/types.h"
#include "platform/gui/menus/menu.h"

constexpr UINT TPM_LEFTBUTTON = 0x0000;
constexpr UINT TPM_RIGHTBUTTON = 0x0002;
constexpr UINT TPM_LEFTALIGN = 0x0000;
constexpr UINT TPM_CENTERALIGN = 0x0004;
constexpr UINT TPM_RIGHTALIGN = 0x0008;
constexpr UINT TPM_TOPALIGN = 0x0000;
constexpr UINT TPM_VCENTERALIGN = 0x0010;
constexpr UINT TPM_BOTTOMALIGN = 0x0020;
constexpr UINT TPM_NONOTIFY = 0x0080;
constexpr UINT TPM_RETURNCMD = 0x0100;

// Shows the pop-up at a screen point and tracks it. With TPM_RETURNCMD the chosen command
// id is returned (0 when cancelled) and nothing is sent; otherwise the command is sent to
// the owner and the result is 1 when one was chosen, 0 when not. A null or unknown menu or
// owner, or a walk already running, gives 0.
int TrackPopupMenu(HMENU menu, UINT flags, int x, int y, int reserved, HWND owner,
                   const RECT *excludeRect = nullptr);

// Tracks the window's menu bar from bar item `index` (-1: the bar highlighted, no pop-up
// open yet), as a click on the bar or Alt+letter does; the command is sent.
void TrackMenuBar(HWND window, int index);

// What a walk is asked to do.
struct TMenuWalk {
  HWND Owner = nullptr;
  HMENU Menu = nullptr;
  bool Bar = false;     // the owner's menu bar (Menu holds the bar)
  bool System = false;  // a system menu
  int StartIndex = -1;  // bar item to open first
  POINT Screen{};       // where a pop-up opens
  UINT Flags = 0;       // TPM_* of TrackPopupMenu
};

class TMenuTrackProvider {
 public:
  virtual ~TMenuTrackProvider() = default;
  // Walks the menu; the chosen command id, 0 when cancelled. The provider sends
  // WM_INITMENUPOPUP and WM_MENUSELECT (through OpenMenuPopup and SelectMenuItem) as its
  // pop-ups open and its highlight moves; the caller sends the rest.
  virtual UINT Walk(const TMenuWalk &walk) = 0;
};

// Installs a provider (not owned; null restores the drawn pop-ups); returns the previous.
TMenuTrackProvider *SetMenuTrackProvider(TMenuTrackProvider *provider);

// For providers: tells the owner that a pop-up opens (WM_INITMENUPOPUP) and that an item
// is highlighted (WM_MENUSELECT; a null menu is the end of the walk).
void OpenMenuPopup(const TMenuWalk &walk, HMENU popup, int indexInParent);
void SelectMenuItem(const TMenuWalk &walk, HMENU menu, int index);

// The walk in progress (null when none); tests of the drawn pop-ups read it.
class TMenuTracking;
TMenuTracking *CurrentMenuTracking();

// A tracker for tests: each walk takes the next answer. An answer names an item by command
// id or by the texts along its path ({"&Edit", "&Undo"}; '&' may be left out); walks with
// no answer left are cancelled. The pop-ups along the path are opened (WM_INITMENUPOPUP)
// before the item is checked, so the owner's enabling counts; a grey, disabled, separator
// or pop-up item, or one that is not in the menu, is refused: the walk is cancelled and
// the refusal recorded.
class TScriptedMenuTracker final : public TMenuTrackProvider {
 public:
  TScriptedMenuTracker();
  ~TScriptedMenuTracker() override;
  TScriptedMenuTracker(const TScriptedMenuTracker &) = delete;
  TScriptedMenuTracker &operator=(const TScriptedMenuTracker &) = delete;

  UINT Walk(const TMenuWalk &walk) override;

  void ChooseId(UINT id);
  void ChoosePath(std::vector<std::string> texts);
  void Cancel();

  struct TRecord {
    TMenuWalk Walk;
    std::vector<std::string> Items;  // the texts of the walked menu's items, in order
    UINT Chosen = 0;
    bool Refused = false;
  };
  std::vector<TRecord> walks;

 private:
  struct TAnswer {
    UINT Id = 0;
    std::vector<std::string> Path;
  };
  std::deque<TAnswer> answers;
  TMenuTrackProvider *previous;
};
