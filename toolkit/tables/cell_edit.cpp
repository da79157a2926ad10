#include "toolkit/tables/cell_edit.h"

#include "platform/core/message_box.h"
#include "platform/gui/controls/control_constants.h"
#include "toolkit/tables/cell_value.h"
#include "toolkit/tables/table_window.h"
#include "toolkit/tables/win_table_edit.h"

namespace {

bool Held(int key) { return (GetKeyState(key) & 0x8000) != 0; }

DWORD AlignmentStyle(int alignment) { return alignment == 0 ? ES_LEFT : alignment == 2 ? ES_RIGHT : ES_CENTER; }

}  // namespace

static_assert(TCellEdit::kTextLimit == kCellTextSize, "the in-cell editor holds what a cell holds");

TCellEdit::TCellEdit(TWinTableEdit *gridWindow, int id, const char *text, int alignment)
    : TEdit(gridWindow, id, text, 0, 0, 10, 10, kTextLimit), grid(gridWindow) {
  Attr.Style &= ~static_cast<DWORD>(WS_BORDER);
  Attr.Style |= WS_TABSTOP | AlignmentStyle(alignment);
}

int TCellEdit::CaretStart() {
  int start = 0;
  int end = 0;
  GetSelection(start, end);
  return start;
}

bool TCellEdit::CanSelectAll() {
  const int length = GetTextLen();
  int start = 0;
  int end = 0;
  GetSelection(start, end);
  return length > 0 && !(start == 0 && end >= length);
}

void TCellEdit::HookKey(UINT key) { grid->Owner()->CellKey(key, grid->CurrentColumn(), grid->CurrentRow()); }

void TCellEdit::ChangedIfModified() {
  if (IsModified()) grid->Owner()->CellChanged();
}

bool TCellEdit::CanClose() {
  if (!TEdit::CanClose()) return false;
  // A pending edit reaches its cell before the dialog's owner reads the cells.
  grid->CommitEditor();
  return true;
}

void TCellEdit::KeyDown(UINT key) {
  const bool control = Held(VK_CONTROL);
  const bool shift = Held(VK_SHIFT);
  const int caret = CaretStart();
  const int column = grid->CurrentColumn();
  const int row = grid->CurrentRow();
  const auto moveKeepingCaret = [&](int toColumn, int toRow) {
    grid->SetCurrentCell(toColumn, toRow);
    // The grid may have made a new editor for a column of another alignment.
    grid->Editor()->SetSelection(caret, caret);
    HookKey(key);
  };
  switch (key) {
    case VK_RIGHT:
      if (control) return moveKeepingCaret(kLastCell, row);
      if (!shift) {
        TEdit::WindowProc(WM_KEYDOWN, key, 0);
        if (CaretStart() == caret) {
          grid->SetCurrentCell(column + 1, row);
          grid->Editor()->SetSelection(0, 0);
        }
        HookKey(key);
        return;
      }
      break;
    case VK_LEFT:
      if (control) return moveKeepingCaret(0, row);
      if (!shift) {
        TEdit::WindowProc(WM_KEYDOWN, key, 0);
        if (CaretStart() == caret) {
          grid->SetCurrentCell(column - 1, row);
          const int end = grid->Editor()->GetTextLen();
          grid->Editor()->SetSelection(end, end);
        }
        HookKey(key);
        return;
      }
      break;
    case VK_UP: return moveKeepingCaret(column, control ? 0 : row - 1);
    case VK_DOWN: return moveKeepingCaret(column, control ? kLastCell : row + 1);
    case VK_PRIOR:
    case VK_NEXT: HookKey(key); return;
    case VK_HOME:
      if (control) {
        grid->SetCurrentCell(0, 0);
        HookKey(key);
        return;
      }
      break;
    case VK_END:
      if (control) {
        grid->SetCurrentCell(kLastCell, kLastCell);
        HookKey(key);
        return;
      }
      break;
    case VK_TAB: return moveKeepingCaret(shift ? column - 1 : column + 1, row);
    case VK_CLEAR:
    case VK_DELETE:
      HookKey(key);
      if (readOnly != 0) {
        MessageBeep(0xFFFFFFFF);
        return;
      }
      if (IsModified()) grid->Owner()->CellChanged();
      TEdit::WindowProc(WM_KEYDOWN, key, 0);
      return;
    case VK_RETURN:
    case VK_INSERT: HookKey(key); break;
    default: break;
  }
  TEdit::WindowProc(WM_KEYDOWN, key, 0);
}

void TCellEdit::Char(UINT key, LPARAM keyData) {
  if (key == '\t') return;
  if (readOnly != 0) {
    MessageBeep(0xFFFFFFFF);
    return;
  }
  if (grid->IsCellVisible(grid->CurrentColumn(), grid->CurrentRow()) == 0)
    grid->SetCurrentCell(grid->CurrentColumn(), grid->CurrentRow());
  TEdit::WindowProc(WM_CHAR, key, keyData);
  ChangedIfModified();
}

void TCellEdit::Command(int id) {
  switch (id) {
    case kCmCellCut:
    case kCmCellPaste:
    case kCmCellDelete:
    case kCmCellClear:
      if (readOnly != 0) {
        MessageBeep(0xFFFFFFFF);
        return;
      }
      if (id == kCmCellCut) Cut();
      else if (id == kCmCellPaste) Paste();
      else if (id == kCmCellDelete) SendMessage(WM_CLEAR);
      else SetWindowText("");
      ChangedIfModified();
      return;
    case kCmCellCopy: Copy(); return;
    case kCmCellUndo: Undo(); return;
    case kCmCellSelectAll:
      if (CanSelectAll()) TEdit::WindowProc(EM_SETSEL, 0, -1);
      return;
    default: return;
  }
}

LRESULT TCellEdit::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_KEYDOWN: KeyDown(static_cast<UINT>(wParam)); return 0;
    case WM_CHAR: Char(static_cast<UINT>(wParam), lParam); return 0;
    case WM_GETDLGCODE: return DLGC_WANTALLKEYS;
    case WM_ERASEBKGND: return 1;
    case WM_CUT:
    case WM_PASTE:
    case WM_CLEAR:
      if (readOnly != 0) {
        MessageBeep(0xFFFFFFFF);
        return 0;
      }
      break;
    case WM_COMMAND:
      if (HIWORD(wParam) == 0 && lParam == 0) {
        Command(LOWORD(wParam));
        return 0;
      }
      break;
    case WM_KILLFOCUS: {
      grid->CommitEditor();
      const LRESULT result = TEdit::WindowProc(msg, wParam, lParam);
      return result;
    }
    case WM_LBUTTONDBLCLK:
      if (grid->IsCellVisible(grid->CurrentColumn(), grid->CurrentRow()) != 0)
        grid->Owner()->CellDoubleClick(grid->CurrentColumn(), grid->CurrentRow());
      else grid->SetCurrentCell(grid->CurrentColumn(), grid->CurrentRow());
      break;
    case WM_RBUTTONDOWN:
      if (grid->IsCellVisible(grid->CurrentColumn(), grid->CurrentRow()) != 0)
        grid->Owner()->CellContextMenu(grid->CurrentColumn(), grid->CurrentRow());
      else grid->SetCurrentCell(grid->CurrentColumn(), grid->CurrentRow());
      return 0;
    case WM_LBUTTONDOWN:
      if (grid->IsCellVisible(grid->CurrentColumn(), grid->CurrentRow()) != 0)
        grid->Owner()->CellLeftClick(grid->CurrentColumn(), grid->CurrentRow());
      else grid->SetCurrentCell(grid->CurrentColumn(), grid->CurrentRow());
      break;
    case 0x0500: MessageBeep(0); break;
    default: break;
  }
  return TEdit::WindowProc(msg, wParam, lParam);
}
