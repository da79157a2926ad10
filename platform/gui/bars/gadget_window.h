#pragma once
// Gadget windows: a child window that lays out gadgets in a row or a column (a control
// bar), a grid (a tool box) or a row of text panes (a status bar), paints them, and passes
// the mouse to the gadget under it.

#include <memory>
#include <vector>

#include "platform/gui/bars/gadgets.h"
#include "platform/gui/windows/window.h"

class TFont;

class TGadgetWindow : public TWindow {
 public:
  enum TTileDirection { Horizontal, Vertical };
  enum TPlacement { After, Before };

  TGadgetWindow(TWindow *parent = nullptr, TTileDirection direction = Horizontal,
                TModule *module = nullptr);
  ~TGadgetWindow() override;

  // Takes ownership of the gadget; a null or missing sibling puts it at the end (After) or
  // the start (Before).
  virtual void Insert(TGadget &gadget, TPlacement placement = After, TGadget *sibling = nullptr);
  // Gives the gadget back to the caller; null when it is not here.
  TGadget *Remove(TGadget &gadget);
  TGadget *FirstGadget() const;
  TGadget *NextGadget(const TGadget &gadget) const;
  int NumGadgets() const { return static_cast<int>(gadgets_.size()); }
  TGadget *GadgetFromPoint(const POINT &point) const;
  TGadget *GadgetWithId(int id) const;

  TTileDirection GetDirection() const { return direction_; }
  virtual void SetDirection(TTileDirection direction);
  // Places the gadgets again (after inserting, removing or resizing some) and repaints.
  virtual void LayoutSession();
  // The size the window wants: its gadgets and margins across, and along its direction.
  virtual void GetDesiredSize(SIZE &size);
  // Asks the command enablers of every gadget (the frame does it after commands).
  void UpdateGadgetStates();

  // The font of the text gadgets: the window takes the font over (null goes back to the
  // layer's own small face). Sizes follow at the next layout.
  void SetFont(TFont *font);
  HFONT GetFont() const;

  // The gadget pressed with the mouse (it gets the moves and the release).
  void GadgetPressed(TGadget *gadget);

  LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
  void Paint(TDC &dc, bool erase, RECT &rect) override;
  void SetupWindow() override;

 protected:
  // Paints every gadget (derived bars draw their edges first).
  virtual void PaintGadgets(TDC &dc, bool erase, RECT &rect);
  // Places the gadgets inside the client; the default is one row or one column.
  virtual void PlaceGadgets();
  SIZE GadgetSize(TGadget &gadget);

  std::vector<std::unique_ptr<TGadget>> gadgets_;
  TTileDirection direction_;
  RECT margins_{2, 2, 2, 2};  // left, top, right, bottom
  int spacing_ = 0;           // between gadgets

 private:
  TGadget *pressed_ = nullptr;
  std::unique_ptr<TFont> font_;
};

// A bar of buttons and separators along the top (or a side) of a frame.
class TControlBar : public TGadgetWindow {
 public:
  // The font (taken over; null: the layer's own) is the one its text gadgets draw in.
  explicit TControlBar(TWindow *parent = nullptr, TTileDirection direction = Horizontal,
                       TFont *font = nullptr, TModule *module = nullptr);
  const char *GetClassName() override { return "TControlBar"; }
};

// A grid of buttons: columns and rows, either of which may be as many as needed.
class TToolBox : public TGadgetWindow {
 public:
  static constexpr int kAsManyAsNeeded = -1;
  TToolBox(TWindow *parent = nullptr, int numColumns = 2, int numRows = kAsManyAsNeeded,
           TTileDirection direction = Horizontal, TModule *module = nullptr);
  void SetRowsColumns(int numRows, int numColumns);
  void GetDesiredSize(SIZE &size) override;
  int GetColumns() const { return columns_; }
  int GetRows() const { return rows_; }

 protected:
  void PlaceGadgets() override;

 private:
  // The grid actually used, with "as many as needed" worked out.
  void Grid(int &columns, int &rows) const;
  SIZE CellSize();
  int columns_;
  int rows_;
};

// A row of text panes along the bottom of a frame; its first pane shows messages and the
// hints of menu items and buttons.
class TStatusBar : public TGadgetWindow {
 public:
  explicit TStatusBar(TWindow *parent = nullptr, TGadget::TBorderStyle style = TGadget::Recessed,
                      UINT modeIndicators = 0, TModule *module = nullptr);
  const char *GetClassName() override { return "TStatusBar"; }
  // The message pane's text.
  void SetText(const char *text);
  std::string GetText() const;
  // A hint shown over the message while a menu item is highlighted; null puts the
  // message back.
  void SetHintText(const char *text);

 private:
  TTextGadget *messagePane_;
  std::string message_;
};
