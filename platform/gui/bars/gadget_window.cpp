#include "platform/gui/bars/gadget_window.h"

#include <algorithm>

#include "platform/gui/drawing/dc.h"
#include "platform/gui/drawing/gdi_objects.h"

namespace {
constexpr COLORREF kFace = 0xC0C0C0;
}  // namespace

TGadgetWindow::TGadgetWindow(TWindow *parentWindow, TTileDirection direction, TModule *module)
    : TWindow(parentWindow, nullptr, module), direction_(direction) {
  Attr.Style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;
  SetBkgndColor(kFace);
}

TGadgetWindow::~TGadgetWindow() = default;

void TGadgetWindow::SetFont(TFont *font) { font_.reset(font); }

HFONT TGadgetWindow::GetFont() const { return font_ != nullptr ? static_cast<HFONT>(*font_) : GadgetFont(); }

void TGadgetWindow::Insert(TGadget &gadget, TPlacement placement, TGadget *sibling) {
  std::unique_ptr<TGadget> owned(&gadget);
  gadget.window_ = this;
  auto at = placement == After ? gadgets_.end() : gadgets_.begin();
  for (auto it = gadgets_.begin(); sibling != nullptr && it != gadgets_.end(); ++it) {
    if (it->get() == sibling) {
      at = placement == After ? it + 1 : it;
      break;
    }
  }
  gadgets_.insert(at, std::move(owned));
  if (IsWindow()) LayoutSession();
}

TGadget *TGadgetWindow::Remove(TGadget &gadget) {
  for (auto it = gadgets_.begin(); it != gadgets_.end(); ++it) {
    if (it->get() != &gadget) continue;
    TGadget *released = it->release();
    gadgets_.erase(it);
    released->window_ = nullptr;
    if (pressed_ == released) pressed_ = nullptr;
    if (IsWindow()) LayoutSession();
    return released;
  }
  return nullptr;
}

TGadget *TGadgetWindow::FirstGadget() const { return gadgets_.empty() ? nullptr : gadgets_.front().get(); }

TGadget *TGadgetWindow::NextGadget(const TGadget &gadget) const {
  for (std::size_t i = 0; i + 1 < gadgets_.size(); ++i) {
    if (gadgets_[i].get() == &gadget) return gadgets_[i + 1].get();
  }
  return nullptr;
}

TGadget *TGadgetWindow::GadgetFromPoint(const POINT &point) const {
  for (const auto &gadget : gadgets_) {
    if (gadget->IsVisible() && gadget->PtIn(point)) return gadget.get();
  }
  return nullptr;
}

TGadget *TGadgetWindow::GadgetWithId(int id) const {
  for (const auto &gadget : gadgets_) {
    if (gadget->GetId() == id) return gadget.get();
  }
  return nullptr;
}

void TGadgetWindow::SetDirection(TTileDirection direction) {
  if (direction_ == direction) return;
  direction_ = direction;
  if (IsWindow()) LayoutSession();
}

SIZE TGadgetWindow::GadgetSize(TGadget &gadget) {
  SIZE size{};
  gadget.GetDesiredSize(size);
  return size;
}

void TGadgetWindow::GetDesiredSize(SIZE &size) {
  int along = 0;
  int across = 0;
  for (const auto &gadget : gadgets_) {
    if (!gadget->IsVisible()) continue;
    const SIZE wanted = GadgetSize(*gadget);
    along += (direction_ == Horizontal ? wanted.cx : wanted.cy) + spacing_;
    across = std::max<int>(across, direction_ == Horizontal ? wanted.cy : wanted.cx);
  }
  if (along > 0) along -= spacing_;
  if (direction_ == Horizontal) {
    size = {margins_.left + along + margins_.right, margins_.top + across + margins_.bottom};
  } else {
    size = {margins_.left + across + margins_.right, margins_.top + along + margins_.bottom};
  }
}

void TGadgetWindow::PlaceGadgets() {
  const RECT client = GetClientRect();
  const bool horizontal = direction_ == Horizontal;
  // Room left for wide-as-possible gadgets, shared equally.
  int fixed = 0;
  int wideCount = 0;
  for (const auto &gadget : gadgets_) {
    if (!gadget->IsVisible()) continue;
    const SIZE wanted = GadgetSize(*gadget);
    if (gadget->GetWideAsPossible()) {
      ++wideCount;
    } else {
      fixed += horizontal ? wanted.cx : wanted.cy;
    }
    fixed += spacing_;
  }
  const int room = horizontal ? client.right - margins_.left - margins_.right
                              : client.bottom - margins_.top - margins_.bottom;
  const int wideSize = wideCount > 0 ? std::max(0, (room - fixed + spacing_) / wideCount) : 0;
  int position = horizontal ? margins_.left : margins_.top;
  for (const auto &gadget : gadgets_) {
    if (!gadget->IsVisible()) continue;
    const SIZE wanted = GadgetSize(*gadget);
    if (horizontal) {
      const int gadgetWidth = gadget->GetWideAsPossible() ? wideSize : wanted.cx;
      const int gadgetHeight = std::max<int>(wanted.cy, client.bottom - margins_.top - margins_.bottom);
      gadget->SetBounds({position, margins_.top, position + gadgetWidth, margins_.top + gadgetHeight});
      position += gadgetWidth + spacing_;
    } else {
      const int gadgetHeight = gadget->GetWideAsPossible() ? wideSize : wanted.cy;
      gadget->SetBounds({margins_.left, position, margins_.left + wanted.cx, position + gadgetHeight});
      position += gadgetHeight + spacing_;
    }
  }
}

void TGadgetWindow::LayoutSession() {
  PlaceGadgets();
  Invalidate(true);
}

void TGadgetWindow::UpdateGadgetStates() {
  for (const auto &gadget : gadgets_) gadget->CommandEnable();
}

void TGadgetWindow::GadgetPressed(TGadget *gadget) { pressed_ = gadget; }

void TGadgetWindow::SetupWindow() {
  TWindow::SetupWindow();
  PlaceGadgets();
}

void TGadgetWindow::Paint(TDC &dc, bool erase, RECT &rect) { PaintGadgets(dc, erase, rect); }

void TGadgetWindow::PaintGadgets(TDC &dc, bool, RECT &rect) {
  for (const auto &gadget : gadgets_) {
    if (!gadget->IsVisible()) continue;
    const RECT &bounds = gadget->GetBounds();
    if (bounds.right <= rect.left || bounds.left >= rect.right || bounds.bottom <= rect.top ||
        bounds.top >= rect.bottom) {
      continue;
    }
    gadget->Paint(dc);
  }
}

LRESULT TGadgetWindow::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  const POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  const UINT keys = static_cast<UINT>(wParam);
  switch (msg) {
    case WM_SIZE: {
      const LRESULT result = TWindow::WindowProc(msg, wParam, lParam);
      if (IsWindow()) LayoutSession();
      return result;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      TGadget *gadget = GadgetFromPoint(point);
      if (gadget != nullptr && gadget->GetEnabled()) {
        pressed_ = gadget;
        SetCapture();
        gadget->LButtonDown(keys, point);
        return 0;
      }
      break;
    }
    case WM_MOUSEMOVE:
      if (pressed_ != nullptr) {
        pressed_->MouseMove(keys, point);
        return 0;
      }
      break;
    case WM_LBUTTONUP:
      if (pressed_ != nullptr) {
        TGadget *gadget = pressed_;
        pressed_ = nullptr;
        ReleaseCapture();
        // The gadget may send a command that closes the window: nothing after this.
        gadget->LButtonUp(keys, point);
        return 0;
      }
      break;
    default:
      break;
  }
  return TWindow::WindowProc(msg, wParam, lParam);
}

TControlBar::TControlBar(TWindow *parentWindow, TTileDirection direction, TFont *font, TModule *module)
    : TGadgetWindow(parentWindow, direction, module) {
  margins_ = {4, 2, 4, 2};
  if (font != nullptr) SetFont(font);
}

TToolBox::TToolBox(TWindow *parentWindow, int numColumns, int numRows, TTileDirection direction,
                   TModule *module)
    : TGadgetWindow(parentWindow, direction, module), columns_(numColumns), rows_(numRows) {
  margins_ = {2, 2, 2, 2};
}

void TToolBox::SetRowsColumns(int numRows, int numColumns) {
  rows_ = numRows;
  columns_ = numColumns;
  if (IsWindow()) LayoutSession();
}

void TToolBox::Grid(int &columns, int &rows) const {
  const int count = static_cast<int>(gadgets_.size());
  columns = columns_;
  rows = rows_;
  if (columns <= 0 && rows <= 0) columns = 1;
  if (columns <= 0) columns = std::max(1, (count + rows - 1) / std::max(1, rows));
  if (rows <= 0) rows = std::max(1, (count + columns - 1) / std::max(1, columns));
}

SIZE TToolBox::CellSize() {
  SIZE cell{};
  for (const auto &gadget : gadgets_) {
    const SIZE wanted = GadgetSize(*gadget);
    cell.cx = std::max(cell.cx, wanted.cx);
    cell.cy = std::max(cell.cy, wanted.cy);
  }
  return cell;
}

void TToolBox::GetDesiredSize(SIZE &size) {
  int columns = 0;
  int rows = 0;
  Grid(columns, rows);
  const SIZE cell = CellSize();
  size = {margins_.left + columns * cell.cx + margins_.right,
          margins_.top + rows * cell.cy + margins_.bottom};
}

void TToolBox::PlaceGadgets() {
  int columns = 0;
  int rows = 0;
  Grid(columns, rows);
  const SIZE cell = CellSize();
  // Row by row for a horizontal box, column by column for a vertical one.
  for (std::size_t i = 0; i < gadgets_.size(); ++i) {
    const int index = static_cast<int>(i);
    const int column = direction_ == Horizontal ? index % columns : index / rows;
    const int row = direction_ == Horizontal ? index / columns : index % rows;
    const int left = margins_.left + column * cell.cx;
    const int top = margins_.top + row * cell.cy;
    gadgets_[i]->SetBounds({left, top, left + cell.cx, top + cell.cy});
  }
}

TStatusBar::TStatusBar(TWindow *parentWindow, TGadget::TBorderStyle style, UINT, TModule *module)
    : TGadgetWindow(parentWindow, Horizontal, module),
      messagePane_(new TTextGadget(0, style, TTextGadget::Left, 10)) {
  margins_ = {2, 2, 2, 2};
  spacing_ = 2;
  messagePane_->SetWideAsPossible(true);
  Insert(*messagePane_);
}

void TStatusBar::SetText(const char *text) {
  message_ = text != nullptr ? text : "";
  messagePane_->SetText(message_.c_str());
}

std::string TStatusBar::GetText() const { return messagePane_->GetText(); }

void TStatusBar::SetHintText(const char *text) {
  messagePane_->SetText(text != nullptr ? text : message_.c_str());
}
