#pragma once
// Frames: a top-level window around a client window. A frame's menu commands and their
// enablers go first to the window with the focus (when it lies inside the frame) or the
// client, and up through their parents, before the frame's own table. The decorated frame
// adds bars around the client (a control bar on top, a status bar at the bottom ...), and
// can show the hint of the highlighted menu item in its status bar.

#include <vector>

#include "platform/gui/bars/resources.h"
#include "platform/gui/windows/window.h"

class TStatusBar;
class TGadgetWindow;

class TFrameWindow : public TWindow {
 public:
  TFrameWindow(TWindow *parent, const char *title, TWindow *clientWnd = nullptr,
               bool shrinkToClient = false, TModule *module = nullptr);

  TWindow *GetClientWindow() const { return client_; }
  // Replaces the client (the old one is given back, not deleted).
  TWindow *SetClientWindow(TWindow *clientWnd);
  // The menu bar from a menu resource, attached when the window is made (or at once).
  bool AssignMenu(TResId menuName);

  LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
  void SetupWindow() override;

 protected:
  // Places the client (and, in derived frames, the decorations) in the client area.
  virtual void Layout();
  // The client's rectangle inside the frame's client area.
  virtual RECT ClientArea();

  TWindow *client_;
  bool shrinkToClient_;

 private:
  // Tries the focus window (or the client) and its parents below the frame; true when one
  // of them has an entry for the command or enabler.
  bool RouteToChildren(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT &result);
  void AttachMenu();
  TResId menuName_{0};
  bool hasMenuName_ = false;
  bool routing_ = false;
};

class TDecoratedFrame : public TFrameWindow {
 public:
  enum TLocation { Top, Bottom, Left, Right };

  TDecoratedFrame(TWindow *parent, const char *title, TWindow *clientWnd,
                  bool trackMenuSelection = false, TModule *module = nullptr);

  // Adds a bar (or any window) along one side; the frame owns it as a child.
  virtual void Insert(TWindow &decoration, TLocation location = Top);
  TStatusBar *GetStatusBar() const;

  LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

 protected:
  RECT ClientArea() override;
  void Layout() override;

 private:
  struct TDecoration {
    TWindow *Window;
    TLocation Location;
  };
  int Thickness(TWindow &decoration, TLocation location);
  // The hint of the highlighted menu item (the string with the command's id).
  void MenuSelect(WPARAM wParam, LPARAM lParam);
  void RefreshGadgets();

  std::vector<TDecoration> decorations_;
  bool trackMenuSelection_;
  bool refreshPending_ = false;
};
