#pragma once
// Gadgets: the small items a gadget window (control bar, tool box, status bar) lays out
// and paints in its own client area: separators, bitmap buttons that stand for commands,
// and text panes.

#include <QImage>
#include <string>

#include "platform/core/types.h"
#include "platform/gui/bars/resources.h"

class TDC;
class TGadgetWindow;

// The layer's own small face of gadget texts, for windows given no font.
HFONT GadgetFont();

class TGadget {
 public:
  enum TBorderStyle { None, Plain, Raised, Recessed, Embossed };

  explicit TGadget(int id = 0, TBorderStyle style = None);
  virtual ~TGadget() = default;
  TGadget(const TGadget &) = delete;
  TGadget &operator=(const TGadget &) = delete;

  int GetId() const { return id_; }
  TGadgetWindow *GetGadgetWindow() const { return window_; }
  // Where the window put it, in the window's client coordinates.
  const RECT &GetBounds() const { return bounds_; }
  virtual void SetBounds(const RECT &bounds) { bounds_ = bounds; }
  bool PtIn(POINT point) const;
  // The size it asks for; a wide-as-possible gadget gets the room its window has left.
  virtual void GetDesiredSize(SIZE &size);
  void SetWideAsPossible(bool wide) { wideAsPossible_ = wide; }
  bool GetWideAsPossible() const { return wideAsPossible_; }
  virtual void SetEnabled(bool enabled);
  bool GetEnabled() const { return enabled_; }
  bool IsVisible() const { return visible_; }
  void SetVisible(bool visible) { visible_ = visible; }
  // Asks the window's owner whether the gadget's command is enabled (buttons do).
  virtual void CommandEnable() {}

  virtual void Paint(TDC &dc);
  // Mouse input while the gadget is pressed (points in the window's client coordinates).
  virtual void LButtonDown(UINT modKeys, const POINT &point);
  virtual void MouseMove(UINT modKeys, const POINT &point);
  virtual void LButtonUp(UINT modKeys, const POINT &point);
  // Redraws the gadget's part of its window.
  void Invalidate();

 protected:
  void PaintBorder(TDC &dc);
  int BorderWidth() const { return borderStyle_ == None ? 0 : (borderStyle_ == Plain ? 1 : 1); }

  int id_;
  TBorderStyle borderStyle_;
  RECT bounds_{};
  bool enabled_ = true;
  bool visible_ = true;
  bool wideAsPossible_ = false;
  bool pressed_ = false;

 private:
  friend class TGadgetWindow;
  TGadgetWindow *window_ = nullptr;
};

// Blank room between gadgets; its size in pixels along the window's direction.
class TSeparatorGadget : public TGadget {
 public:
  explicit TSeparatorGadget(int size = 6);
  void GetDesiredSize(SIZE &size) override;
  void SetEnabled(bool) override {}
  int GetSize() const { return size_; }

 private:
  int size_;
};

// A picture button for a command: a click sends WM_COMMAND with its id to the window's
// parent. Command buttons spring back; non-exclusive ones toggle; an exclusive one goes
// down and lifts the other exclusive buttons next to it.
class TButtonGadget : public TGadget {
 public:
  enum TType { Command, Exclusive, NonExclusive };
  enum TState { Up, Down, Indeterminate };

  TButtonGadget(TResId glyph, int id, TType type = Command, bool enabled = false,
                TState state = Up, bool repeat = false);
  void GetDesiredSize(SIZE &size) override;
  void Paint(TDC &dc) override;
  void CommandEnable() override;
  void LButtonDown(UINT modKeys, const POINT &point) override;
  void MouseMove(UINT modKeys, const POINT &point) override;
  void LButtonUp(UINT modKeys, const POINT &point) override;

  TState GetButtonState() const { return state_; }
  void SetButtonState(TState state);
  TType GetButtonType() const { return type_; }
  // Pictures are 16 x 15 unless the glyph resource is another size.
  const QImage &Glyph() const { return glyph_; }

 private:
  void Activate();
  QImage glyph_;
  TType type_;
  TState state_;
  bool shownDown_ = false;  // drawn down while the mouse presses it
};

// A pane of text, as status bars show.
class TTextGadget : public TGadget {
 public:
  enum TAlign { Left, Center, Right };
  TTextGadget(int id = 0, TBorderStyle style = Recessed, TAlign align = Left,
              UINT numChars = 10, const char *text = nullptr);
  void GetDesiredSize(SIZE &size) override;
  void Paint(TDC &dc) override;
  void SetText(const char *text);
  const std::string &GetText() const { return text_; }

 private:
  std::string text_;
  TAlign align_;
  UINT numChars_;
};
