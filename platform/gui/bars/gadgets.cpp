#include "platform/gui/bars/gadgets.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "platform/core/font_faces.h"
#include "platform/gui/bars/gadget_window.h"
#include "platform/gui/drawing/dc.h"
#include "platform/gui/drawing/gdi_objects.h"
#include "platform/gui/drawing/sys_colors.h"
#include "platform/gui/menus/menu_enabling.h"

namespace {

constexpr COLORREF kFace = 0xC0C0C0;
constexpr COLORREF kShadow = 0x808080;
constexpr COLORREF kLight = 0xFFFFFF;
constexpr COLORREF kDark = 0x000000;
// The blank picture of a button whose glyph is missing.
constexpr int kGlyphWidth = 16;
constexpr int kGlyphHeight = 15;
// A button is its picture with a 3-pixel frame on the left and top, 4 on the right and bottom.
constexpr int kButtonExtraWidth = 7;
constexpr int kButtonExtraHeight = 7;

void Fill(TDC &dc, const RECT &rect, COLORREF color) {
  HBRUSH brush = CreateSolidBrush(color);
  dc.FillRect(rect, brush);
  DeleteObject(brush);
}

void HLine(TDC &dc, int left, int right, int y, COLORREF color) { Fill(dc, {left, y, right, y + 1}, color); }
void VLine(TDC &dc, int x, int top, int bottom, COLORREF color) { Fill(dc, {x, top, x + 1, bottom}, color); }

// Raised: light top and left, dark bottom and right; sunken the other way round.
void Bevel(TDC &dc, const RECT &r, bool sunken) {
  const COLORREF topLeft = sunken ? kShadow : kLight;
  const COLORREF bottomRight = sunken ? kLight : kShadow;
  HLine(dc, r.left, r.right, r.top, sunken ? kDark : kLight);
  VLine(dc, r.left, r.top, r.bottom, sunken ? kDark : kLight);
  HLine(dc, r.left, r.right, r.bottom - 1, sunken ? kLight : kDark);
  VLine(dc, r.right - 1, r.top, r.bottom, sunken ? kLight : kDark);
  HLine(dc, r.left + 1, r.right - 1, r.top + 1, topLeft);
  VLine(dc, r.left + 1, r.top + 1, r.bottom - 1, topLeft);
  HLine(dc, r.left + 1, r.right - 1, r.bottom - 2, bottomRight);
  VLine(dc, r.right - 2, r.top + 1, r.bottom - 1, bottomRight);
}

// The font a text gadget draws in: its window's.
HFONT FontOf(const TGadgetWindow *window) { return window != nullptr ? window->GetFont() : GadgetFont(); }

}  // namespace

HFONT GadgetFont() {
  static HFONT font = [] {
    LOGFONT logFont{};
    logFont.lfHeight = -11;
    std::snprintf(logFont.lfFaceName, sizeof(logFont.lfFaceName), "%s", kFaceSansSerif);
    return CreateFontIndirect(logFont);
  }();
  return font;
}

TGadget::TGadget(int id, TBorderStyle style) : id_(id), borderStyle_(style) {}

bool TGadget::PtIn(POINT point) const {
  return point.x >= bounds_.left && point.x < bounds_.right && point.y >= bounds_.top &&
         point.y < bounds_.bottom;
}

void TGadget::GetDesiredSize(SIZE &size) {
  size = {2 * BorderWidth(), 2 * BorderWidth()};
}

void TGadget::SetEnabled(bool enabled) {
  if (enabled_ == enabled) return;
  enabled_ = enabled;
  Invalidate();
}

void TGadget::Invalidate() {
  if (window_ != nullptr && window_->IsWindow()) window_->InvalidateRect(bounds_, true);
}

void TGadget::PaintBorder(TDC &dc) {
  const RECT &r = bounds_;
  switch (borderStyle_) {
    case Plain:
      HLine(dc, r.left, r.right, r.top, kDark);
      HLine(dc, r.left, r.right, r.bottom - 1, kDark);
      VLine(dc, r.left, r.top, r.bottom, kDark);
      VLine(dc, r.right - 1, r.top, r.bottom, kDark);
      break;
    case Raised:
    case Recessed: {
      const bool recessed = borderStyle_ == Recessed;
      HLine(dc, r.left, r.right, r.top, recessed ? kShadow : kLight);
      VLine(dc, r.left, r.top, r.bottom, recessed ? kShadow : kLight);
      HLine(dc, r.left, r.right, r.bottom - 1, recessed ? kLight : kShadow);
      VLine(dc, r.right - 1, r.top, r.bottom, recessed ? kLight : kShadow);
      break;
    }
    case Embossed:
      HLine(dc, r.left, r.right, r.top, kShadow);
      HLine(dc, r.left, r.right, r.top + 1, kLight);
      break;
    case None:
      break;
  }
}

void TGadget::Paint(TDC &dc) { PaintBorder(dc); }

void TGadget::LButtonDown(UINT, const POINT &) { pressed_ = true; }
void TGadget::MouseMove(UINT, const POINT &) {}
void TGadget::LButtonUp(UINT, const POINT &) { pressed_ = false; }

TSeparatorGadget::TSeparatorGadget(int size) : TGadget(0, None), size_(std::max(0, size)) {
  enabled_ = false;
}

void TSeparatorGadget::GetDesiredSize(SIZE &size) { size = {size_, size_}; }

TButtonGadget::TButtonGadget(TResId glyph, int id, TType type, bool enabled, TState state, bool)
    : TGadget(id, None), glyph_(BitmapResourceImage(glyph)), type_(type), state_(state) {
  enabled_ = enabled;
  if (glyph_.isNull()) {
    glyph_ = QImage(kGlyphWidth, kGlyphHeight, QImage::Format_RGB32);
    glyph_.fill(qRgb(0xC0, 0xC0, 0xC0));
  }
}

void TButtonGadget::GetDesiredSize(SIZE &size) {
  size = {glyph_.width() + kButtonExtraWidth, glyph_.height() + kButtonExtraHeight};
}

void TButtonGadget::Paint(TDC &dc) {
  const RECT &r = bounds_;
  const bool down = state_ == Down || shownDown_;
  Fill(dc, r, kFace);
  if (state_ == Indeterminate && !shownDown_) {
    // A dithered face: every other pixel white.
    for (int y = r.top + 2; y < r.bottom - 2; ++y) {
      for (int x = r.left + 2 + (y % 2); x < r.right - 2; x += 2) dc.SetPixel(x, y, kLight);
    }
  }
  Bevel(dc, r, down);
  const int offset = down ? 1 : 0;
  const int x0 = r.left + (r.right - r.left - glyph_.width()) / 2 + offset;
  const int y0 = r.top + (r.bottom - r.top - glyph_.height()) / 2 + offset;
  // Face-grey pixels of the picture are its background.
  const QRgb background = qRgb(0xC0, 0xC0, 0xC0);
  for (int y = 0; y < glyph_.height(); ++y) {
    for (int x = 0; x < glyph_.width(); ++x) {
      const QRgb pixel = glyph_.pixel(x, y) | 0xFF000000u;
      if (pixel == (background | 0xFF000000u)) continue;
      if (enabled_) {
        dc.SetPixel(x0 + x, y0 + y, RGB(qRed(pixel), qGreen(pixel), qBlue(pixel)));
      } else {
        // Disabled: the picture embossed in white and grey.
        dc.SetPixel(x0 + x + 1, y0 + y + 1, kLight);
      }
    }
  }
  if (!enabled_) {
    for (int y = 0; y < glyph_.height(); ++y) {
      for (int x = 0; x < glyph_.width(); ++x) {
        const QRgb pixel = glyph_.pixel(x, y) | 0xFF000000u;
        if (pixel != (background | 0xFF000000u)) dc.SetPixel(x0 + x, y0 + y, kShadow);
      }
    }
  }
}

void TButtonGadget::SetButtonState(TState state) {
  if (state_ == state) return;
  state_ = state;
  Invalidate();
}

void TButtonGadget::CommandEnable() {
  TGadgetWindow *window = GetGadgetWindow();
  if (window == nullptr || !window->IsWindow()) return;
  TWindow *owner = window->GetParentO() != nullptr ? window->GetParentO() : window;
  TCommandEnabler enabler(static_cast<UINT>(id_));
  RouteCommandEnable(owner->GetHandle(), enabler);
  if (!enabler.GetHandled()) return;
  SetEnabled(enabler.IsEnabled());
  if (enabler.CheckWasSet() && type_ != Command) {
    const int check = enabler.GetCheck();
    SetButtonState(check == TCommandEnabler::Checked ? Down
                   : check == TCommandEnabler::Indeterminate ? Indeterminate : Up);
  }
}

void TButtonGadget::LButtonDown(UINT modKeys, const POINT &point) {
  TGadget::LButtonDown(modKeys, point);
  shownDown_ = true;
  Invalidate();
}

void TButtonGadget::MouseMove(UINT, const POINT &point) {
  // Down while the mouse is on it, up when it leaves; the release decides.
  const bool inside = PtIn(point);
  if (inside != shownDown_) {
    shownDown_ = inside;
    Invalidate();
  }
}

void TButtonGadget::LButtonUp(UINT modKeys, const POINT &point) {
  TGadget::LButtonUp(modKeys, point);
  const bool inside = PtIn(point);
  shownDown_ = false;
  Invalidate();
  if (inside && enabled_) Activate();
}

void TButtonGadget::Activate() {
  TGadgetWindow *window = GetGadgetWindow();
  if (window == nullptr) return;
  if (type_ == NonExclusive) {
    SetButtonState(state_ == Down ? Up : Down);
  } else if (type_ == Exclusive) {
    // The exclusive buttons next to this one, up to the first gadget of another kind, lift.
    const auto exclusive = [](TGadget *gadget) {
      auto *button = dynamic_cast<TButtonGadget *>(gadget);
      return button != nullptr && button->type_ == Exclusive ? button : nullptr;
    };
    std::vector<TButtonGadget *> group;
    bool inGroup = false;
    for (TGadget *g = window->FirstGadget(); g != nullptr; g = window->NextGadget(*g)) {
      TButtonGadget *button = exclusive(g);
      if (button == nullptr) {
        if (inGroup) break;
        group.clear();
        continue;
      }
      group.push_back(button);
      if (button == this) inGroup = true;
    }
    for (TButtonGadget *button : group) {
      if (button != this) button->SetButtonState(Up);
    }
    SetButtonState(Down);
  }
  TWindow *target = window->GetParentO() != nullptr ? window->GetParentO() : window;
  const HWND handle = target->GetHandle();
  if (::IsWindow(handle)) ::SendMessage(handle, WM_COMMAND, static_cast<WPARAM>(id_), 0);
}

TTextGadget::TTextGadget(int id, TBorderStyle style, TAlign align, UINT numChars, const char *text)
    : TGadget(id, style), text_(text != nullptr ? text : ""), align_(align), numChars_(numChars) {}

void TTextGadget::GetDesiredSize(SIZE &size) {
  QImage scratch(1, 1, QImage::Format_RGB32);
  TDC dc(&scratch, {0, 0}, {0, 0, 1, 1});
  dc.SelectObject(FontOf(GetGadgetWindow()));
  TEXTMETRIC metrics;
  dc.GetTextMetrics(metrics);
  size = {static_cast<LONG>(numChars_) * metrics.tmAveCharWidth + 2 * BorderWidth() + 4,
          metrics.tmHeight + 2 * BorderWidth() + 2};
}

void TTextGadget::Paint(TDC &dc) {
  Fill(dc, bounds_, kFace);
  PaintBorder(dc);
  dc.SelectObject(FontOf(GetGadgetWindow()));
  dc.SetBkMode(TRANSPARENT);
  dc.SetTextColor(enabled_ ? GetSysColor(COLOR_BTNTEXT) : GetSysColor(COLOR_GRAYTEXT));
  RECT textRect{bounds_.left + BorderWidth() + 2, bounds_.top + BorderWidth(),
                bounds_.right - BorderWidth() - 2, bounds_.bottom - BorderWidth()};
  const UINT horizontal = align_ == Center ? DT_CENTER : (align_ == Right ? DT_RIGHT : DT_LEFT);
  dc.DrawText(text_.c_str(), static_cast<int>(text_.size()), textRect,
              horizontal | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
  dc.RestoreFont();
}

void TTextGadget::SetText(const char *text) {
  const std::string newText = text != nullptr ? text : "";
  if (newText == text_) return;
  text_ = newText;
  Invalidate();
  if (GetGadgetWindow() != nullptr && GetGadgetWindow()->IsWindow()) GetGadgetWindow()->UpdateWindow();
}
