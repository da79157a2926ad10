#pragma once
// TWindow: one window of the program over one QWidget host.
//
// Every window keeps a persistent image of its host (QImage::Format_RGB32, one 0xFFRRGGBB
// word a pixel) that everything draws into; the host only shows that image, so a picture
// survives being covered, and tests can read it. Image coordinates are the host's: for
// child windows and frameless pop-ups the image is the whole window rectangle with the
// border, caption and scroll bars drawn in it (the non-client band); top-level windows with
// a caption or sizing frame get the desktop's frame outside the image, and then only the
// scroll bars form the band.
//
// Messages: SendMessage calls WindowProc directly; PostMessage queues a Qt event. The
// default WindowProc finds the handler through Find (the class's response table, then its
// base's) and otherwise runs DefWindowProc. A window deleted inside one of its own handlers
// (delete this, or DestroyAndDelete) is safe: the dispatch notices and touches nothing more.
//
// Worth knowing: children are hosts of their own over the parent's, so a parent never
// draws over them (as if WS_CLIPCHILDREN were always set). WM_ERASEBKGND comes with no
// DC in wParam; its default fills the area being painted with the background colour.
// WM_CHAR carries the UTF-16 code of the character typed.

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/core/types.h"
#include "platform/gui/windows/message_records.h"
#include "platform/gui/windows/messages.h"
#include "platform/gui/windows/response_table.h"
#include "platform/gui/windows/window_attr.h"

class QEventLoop;
class QImage;
class QWidget;
class TNativeInput;
class TDC;
class TModule;
class TScroller;
class TWindowHost;

// Subclassing: a procedure placed in front of a window's own, with an id and a value of
// its own; DefSubclassProc passes a message on to the next procedure (at last the window's
// WindowProc). A procedure may remove itself while it runs.
using UINT_PTR = std::uintptr_t;
using DWORD_PTR = std::uintptr_t;
using TSubclassProc = LRESULT (*)(HWND handle, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                  DWORD_PTR data);
BOOL SetWindowSubclass(HWND handle, TSubclassProc proc, UINT_PTR id, DWORD_PTR data);
BOOL RemoveWindowSubclass(HWND handle, TSubclassProc proc, UINT_PTR id);
LRESULT DefSubclassProc(HWND handle, UINT msg, WPARAM wParam, LPARAM lParam);

// Called to paint a window: the drawing layer installs it and builds the paint DC from the
// window's image (ClientOrigin, PaintRect), then calls the window's Paint.
using TPaintDispatcher = void (*)(TWindow &window, const RECT &paintRect, bool erase);
TPaintDispatcher SetPaintDispatcher(TPaintDispatcher dispatcher);

class TWindow {
 public:
  explicit TWindow(TWindow *parent, const char *title = nullptr, TModule *module = nullptr);
  virtual ~TWindow();
  TWindow(const TWindow &) = delete;
  TWindow &operator=(const TWindow &) = delete;

  TWindowAttr Attr;
  TScroller *Scroller = nullptr;  // owned; deleted with the window

  // Creation and destruction. Create makes the host, sends WM_CREATE, runs SetupWindow
  // (which creates the child windows already constructed) and shows the window when the
  // style has WS_VISIBLE. Destroy sends WM_DESTROY and takes the host (and the children's)
  // away; the object stays until its owner deletes it.
  virtual bool Create();
  void Destroy(int returnValue = 0);
  // Destroys the window and deletes the object once the dispatch that asked returns.
  void DestroyAndDelete();
  virtual bool CanClose();
  virtual void CloseWindow(int returnValue = 0);
  HWND GetHandle() const { return handle; }
  bool IsWindow() const { return handle != nullptr; }
  // True while the window object lives, false from its deletion on (TWindowPtr reads it).
  std::shared_ptr<const bool> LifeToken() const { return alive; }
  virtual const char *GetClassName();
  virtual void GetWindowClass(TWindowClass &windowClass);

  // The window tree. Children are owned and deleted with their parent.
  TWindow *GetParentO() const { return parent; }
  HWND GetParent() const;
  const std::vector<TWindow *> &GetChildren() const { return children; }
  TWindow *ChildWithId(int id) const;
  // Puts the listed children first, in the order given (the order of a dialog's items,
  // which Tab follows); the others keep their order after them.
  void SetChildOrder(const std::vector<TWindow *> &first);
  // Moves a window not yet created under another parent (null: none), as a frame adopts
  // a client made without one. False once the window has been created.
  bool SetParent(TWindow *newParent);
  int GetId() const { return Attr.Id; }
  bool IsChild() const { return (Attr.Style & WS_CHILD) != 0; }

  // Messages. A message goes through the window's subclass procedures (newest first, see
  // SetWindowSubclass), then WindowProc.
  virtual LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam);
  virtual bool Find(TEventInfo &info);
  LRESULT SendMessage(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
  bool PostMessage(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
  // The default handling of the message being dispatched (for handlers that add to it).
  LRESULT DefaultProcessing();
  virtual LRESULT DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam);

  // Keyboard messages are offered here before they are dispatched: first to the window
  // they are for, then to each parent up to the top-level window; true takes the message
  // (a dialog's keyboard interface: Tab, Enter, Escape).
  virtual bool PreProcessMsg(MSG &msg);

  // Modal use: Execute creates the window, runs a message loop until EndModal, destroys the
  // window and returns EndModal's value (-1 when the window could not be made). While the
  // loop runs, the top-level window that owns this one takes no input.
  virtual int Execute();
  int BeginModal();
  void EndModal(int result);
  bool IsModal() const { return modalLoop != nullptr; }

  virtual void SetupWindow();
  virtual void CleanupWindow();
  // Painting the client area; the paint DC is the drawing layer's.
  virtual void Paint(TDC &dc, bool erase, RECT &rect);
  // Draws border and caption into the image (child windows and frameless pop-ups only).
  virtual void PaintNonClient();
  // The band of border and caption that this window draws itself (scroll bars excluded).
  virtual TFrameInsets DrawnFrameInsets() const;

  // Showing and state.
  bool ShowWindow(int cmdShow);
  bool IsWindowVisible() const;
  bool IsIconic() const;
  bool IsZoomed() const;
  bool EnableWindow(bool enable);
  bool IsWindowEnabled() const;
  DWORD GetStyle() const { return Attr.Style; }
  void SetStyle(DWORD style);

  // Position and size. x, y are in the parent's client coordinates for a child window and
  // in screen coordinates otherwise; width and height are those of the window rectangle.
  bool MoveWindow(int x, int y, int width, int height, bool repaint = false);
  bool MoveWindow(const RECT &rect, bool repaint = false);
  bool SetWindowPos(HWND insertAfter, int x, int y, int width, int height, UINT flags);
  void GetWindowRect(RECT &rect) const;  // screen coordinates
  RECT GetWindowRect() const;
  void GetClientRect(RECT &rect) const;  // (0, 0, client width, client height)
  RECT GetClientRect() const;
  void ClientToScreen(POINT &point) const;
  void ScreenToClient(POINT &point) const;
  POINT ClientToScreen(const POINT &point) const;

  // The text goes through WM_SETTEXT / WM_GETTEXT, so a control can keep its own.
  void SetWindowText(const std::string &text);
  void SetCaption(const std::string &text) { SetWindowText(text); }
  std::string GetWindowText();
  int GetWindowTextLength();

  // Focus and mouse capture; each returns the handle that had it before.
  HWND SetFocus();
  HWND SetCapture();

  // Painting: the update region collects invalidated client rectangles until a WM_PAINT
  // (from Qt's paint, or UpdateWindow at once) paints them.
  void Invalidate(bool erase = true);
  void InvalidateRect(const RECT &rect, bool erase = true);
  void Validate();
  void ValidateRect(const RECT &rect);
  void UpdateWindow();
  bool GetUpdateRect(RECT &rect, bool erase = false);
  // Valid while WM_PAINT is dispatched: the client rectangle to paint.
  const RECT &PaintRect() const { return paintRect; }
  void SetBkgndColor(COLORREF color);
  COLORREF GetBkgndColor() const { return background; }
  // Moves the client pixels by (dx, dy) and invalidates what was uncovered.
  void ScrollWindow(int dx, int dy);

  // The image the drawing layer draws into (see the top of this file).
  QImage &WindowImage();
  POINT ClientOrigin() const;
  RECT ClientRectInImage() const;
  // Shows the given part (image coordinates) of the image on screen; no WM_PAINT.
  void ImageUpdated(const RECT &windowRect);
  QWidget *HostWidget() const;
  // The Qt widget that shows a native control (edit, list, combo), or null.
  QWidget *NativeWidget() const;

  // Scroll bars (SB_HORZ, SB_VERT). An empty range hides the bar and takes its style bit
  // away, a non-empty one shows it; the client area changes and WM_SIZE follows.
  void SetScrollRange(int bar, int minPos, int maxPos, bool redraw = true);
  void GetScrollRange(int bar, int &minPos, int &maxPos) const;
  int SetScrollPos(int bar, int pos, bool redraw = true);
  int GetScrollPos(int bar) const;
  void SetScrollPage(int bar, int page);
  void ShowScrollBar(int bar, bool show);

  // The menu bar's band between the drawn frame and the client (0: none). The menus layer
  // sets it when a bar is attached; the client area shrinks and WM_SIZE follows.
  void SetMenuBarHeight(int height);
  int MenuBarHeight() const { return menuBarHeight; }
  // The band in image coordinates (empty without a bar).
  RECT MenuBarRect() const;

  // Timers: WM_TIMER with the id every elapse ms; a tick never queues behind another.
  UINT SetTimer(UINT timerId, UINT elapseMs);
  bool KillTimer(UINT timerId);
  // The ids of the timers set now.
  std::vector<UINT> TimerIds() const;

  // The framework's own handling of these messages (derived handlers call them first).
  void EvSize(UINT sizeType, const SIZE &size);
  void EvMove(const POINT &clientOrigin);
  void EvHScroll(UINT scrollCode, UINT thumbPos, HWND scrollBar);
  void EvVScroll(UINT scrollCode, UINT thumbPos, HWND scrollBar);
  void EvSetFocus(HWND lostFocus);
  void EvKillFocus(HWND getFocus);
  void EvLButtonDown(UINT modKeys, const POINT &point);
  void EvLButtonUp(UINT modKeys, const POINT &point);
  void EvRButtonDown(UINT modKeys, const POINT &point);
  void EvMouseMove(UINT modKeys, const POINT &point);
  void EvTimer(UINT timerId);
  void EvSysCommand(UINT cmdType, const POINT &point);
  void EvClose();
  void EvDestroy();
  void EvPaint();

 protected:
  // Makes `widget` (owned by the window from now on) the face of this window: it fills the
  // client area and takes the focus for it. Its key and mouse input become the window's
  // messages first; DefWindowProc of those messages is the widget's own handling, so a
  // handler sees a key before the widget acts and swallows it by not calling the default.
  // Called from the window's SetupWindow (the host exists then).
  void SetNativeWidget(QWidget *widget);
  // A top-level window whose client area is what matters (a dialog laid out in dialog
  // units) keeps its client size when the desktop frames it, and its window rectangle
  // grows or shrinks by the frame instead.
  bool keepClientWhenFramed = false;

  // Sends WM_SIZE / WM_MOVE when the window's geometry changed since the last report
  // (WM_MOVE alone when sizeToo is false: a move on its way to a new state and size).
  void ReportGeometry(bool sizeToo = true);

 private:
  friend class TWindowHost;
  friend class TNativeInput;
  friend struct TWindowAccess;
  friend class TModalScope;
  friend LRESULT DefSubclassProc(HWND handle, UINT msg, WPARAM wParam, LPARAM lParam);
  friend BOOL SetWindowSubclass(HWND, TSubclassProc, UINT_PTR, DWORD_PTR);
  friend BOOL RemoveWindowSubclass(HWND, TSubclassProc, UINT_PTR);

  struct TSubclass {
    TSubclassProc Proc = nullptr;
    UINT_PTR Id = 0;
    DWORD_PTR Data = 0;
  };

  struct TCurrentEvent {
    UINT Msg = 0;
    WPARAM WParam = 0;
    LPARAM LParam = 0;
  };

  LRESULT Dispatch(UINT msg, WPARAM wParam, LPARAM lParam);
  // The subclass procedures below `level` (the window procedure below them all).
  LRESULT CallSubclasses(std::size_t level, UINT msg, WPARAM wParam, LPARAM lParam);
  void CreateHost();
  void DestroyHost();
  void ApplyGeometry();
  void ResizeImage();
  void LayoutScrollBars();
  void OnHostResized();
  void PaintPending();
  void DrawScrollCorner();
  TFrameInsets ClientInsets() const;
  // Sends WM_NCPAINT, so a window's own frame painting replaces the default.
  void SendNcPaint();
  TScrollBarState &BarState(int bar);
  const TScrollBarState &BarState(int bar) const;
  bool UsesDesktopFrame() const;
  void DispatchScroll(int bar, UINT code, int pos);
  void TimerFired(int qtTimerId);
  void HostMoved();
  // Resizes the host when the desktop's frame turned out other than the one it was sized
  // for; true when it did.
  bool FollowDesktopFrame();
  void StoreText(const char *text);
  void FocusLeftProgram();
  LRESULT DefaultPaint();
  LRESULT DefaultErase();
  LRESULT HitTest(const POINT &screenPoint);

  TWindow *parent;
  std::vector<TWindow *> children;
  std::string title;
  HWND handle = nullptr;
  TWindowHost *host = nullptr;
  std::unique_ptr<QImage> image;
  std::shared_ptr<bool> alive;
  int dispatchDepth = 0;
  bool deletePending = false;
  bool inDestroy = false;
  TCurrentEvent current;
  COLORREF background = 0xFFFFFF;
  TWindowClass windowClass;
  // Window rectangle in the parent's client (child) or screen coordinates.
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  SIZE reportedClient{-1, -1};
  UINT reportedKind = SIZE_RESTORED;
  // The desktop frame the host was sized with (our estimate until the desktop frames it).
  TFrameInsets hostFrame;
  POINT reportedOrigin{-100000, -100000};
  TScrollBarState hBar;
  TScrollBarState vBar;
  int menuBarHeight = 0;
  RECT updateRect{};  // bounding rectangle of the update region, client coordinates
  bool updatePending = false;
  bool eraseNeeded = false;
  RECT paintRect{};
  bool inPaint = false;
  bool paintErase = false;
  // While WM_PAINT is dispatched and its paint context not yet made, the update region is
  // still what is being painted (GetUpdateRect answers it).
  bool paintNotBegun = false;
  std::map<UINT, int> timers;  // our id -> Qt timer id
  std::vector<TSubclass> subclasses;  // oldest first
  std::size_t subclassLevel = 0;      // procedures still to run of the message being sent
  TNativeInput *native = nullptr;     // owned
  QEventLoop *modalLoop = nullptr;
  HWND lastFocus = nullptr;  // of a top-level window: the window inside that had the focus last
  int modalResult = -1;
};

// Offers a keyboard message to `target` and its parents (TWindow::PreProcessMsg); true
// when one of them took it.
bool PreProcessWindowMessage(TWindow &target, MSG &msg);

// The calls window code makes with handles (WindowFromHandle, SendMessage, ...).
#include "platform/gui/windows/window_handles.h"  // IWYU pragma: export
