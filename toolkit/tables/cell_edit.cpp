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
  // A right click shows the cell's own edit menu (the table's owner asks for it).
  ownContextMenu = true;
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

void TCellEdit::SelectCell() {
  editing = 0;
  SetSelection(0, -1);
}

void TCellEdit::EditInPlace(int caret) {
  editing = 1;
  const int at = caret < 0 ? GetTextLen() : caret;
  SetSelection(at, at);
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
  // Every move lands on a cell selected whole (SetCurrentCell selects it).
  const auto move = [&](int toColumn, int toRow) {
    grid->SetCurrentCell(toColumn, toRow);
    HookKey(key);
  };
  switch (key) {
    case VK_F2:
      if (readOnly != 0) {
        MessageBeep(0xFFFFFFFF);
        return;
      }
      EditInPlace();
      return;
    case VK_RIGHT:
      if (control) return move(kLastCell, row);
      if (shift) break;
      if (editing == 0) return move(column + 1, row);
      TEdit::WindowProc(WM_KEYDOWN, key, 0);
      // At the end of the text the caret goes on into the next cell.
      if (CaretStart() == caret) grid->SetCurrentCell(column + 1, row);
      HookKey(key);
      return;
    case VK_LEFT:
      if (control) return move(0, row);
      if (shift) break;
      if (editing == 0) return move(column - 1, row);
      TEdit::WindowProc(WM_KEYDOWN, key, 0);
      if (CaretStart() == caret) grid->SetCurrentCell(column - 1, row);
      HookKey(key);
      return;
    case VK_UP: return move(column, control ? 0 : row - 1);
    case VK_DOWN: return move(column, control ? kLastCell : row + 1);
    case VK_PRIOR:
    case VK_NEXT: HookKey(key); return;
    case VK_HOME:
      if (control) return move(0, 0);
      // Home and End in a selected cell edit it in place from its start or its end.
      if (editing == 0 && readOnly == 0 && !shift) return EditInPlace(0);
      break;
    case VK_END:
      if (control) return move(kLastCell, kLastCell);
      if (editing == 0 && readOnly == 0 && !shift) return EditInPlace();
      break;
    case VK_TAB: return move(shift ? column - 1 : column + 1, row);
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
    case VK_ESCAPE:
      // Typing not yet in the cell is dropped: the cell's own text comes back, selected.
      // (With nothing typed the key is the dialog's, which the dialog code asks first.)
      if (editing == 0 && !IsModified()) break;
      grid->CancelEditor();
      return;
    case VK_RETURN:
      // Enter puts the typed text into the cell before the owner hears the key, and ends
      // the editing: whether the owner takes the text or shows the cell's old one again,
      // the next typing replaces the cell's text.
      grid->CommitEditor();
      SelectCell();
      HookKey(key);
      break;
    case VK_INSERT: HookKey(key); break;
    default: break;
  }
  TEdit::WindowProc(WM_KEYDOWN, key, 0);
}

void TCellEdit::Char(UINT key, LPARAM keyData) {
  // Tab moves, Escape cancels and Enter commits on their key press; their characters are
  // no text (and do not start an edit in place).
  if (key == '\t' || key == 0x1B || key == '\r') return;
  if (readOnly != 0) {
    MessageBeep(0xFFFFFFFF);
    return;
  }
  // Typing into a cell partly out of sight brings it into sight; what is typed so far stays
  // in the editor (moving to the cell again would put it into the cell at every key).
  if (grid->IsCellVisible(grid->CurrentColumn(), grid->CurrentRow()) == 0) grid->ShowCurrentCell();
  // The first character typed into a selected cell replaces its text; the typing goes on
  // in place.
  if (editing == 0) {
    SetSelection(0, -1);
    editing = 1;
  }
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
    case WM_GETDLGCODE: {
      // Escape with nothing typed is the dialog's: it closes as Cancel. Every other key,
      // and Escape over typing (which it drops), stays with the cell.
      const auto *message = reinterpret_cast<const MSG *>(lParam);
      if (message != nullptr && message->message == WM_KEYDOWN && message->wParam == VK_ESCAPE && !IsModified())
        return DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS | DLGC_WANTTAB;
      return DLGC_WANTALLKEYS;
    }
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
      if (grid->IsCellVisible(grid->CurrentColumn(), grid->CurrentRow()) == 0) {
        grid->SetCurrentCell(grid->CurrentColumn(), grid->CurrentRow());
        break;
      }
      grid->Owner()->CellDoubleClick(grid->CurrentColumn(), grid->CurrentRow());
      // Edits in place with the caret where the cell was clicked.
      if (readOnly == 0 && grid->Editor() == this) {
        if (::GetFocus() != GetHandle()) SetFocus();
        EditInPlace(LOWORD(TEdit::WindowProc(EM_CHARFROMPOS, 0, lParam)));
        return 0;
      }
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
      // A click on a selected cell keeps it selected whole; the caret goes where the cell
      // is clicked only while it is edited in place.
      if (editing == 0 && grid->Editor() == this) {
        if (::GetFocus() != GetHandle()) SetFocus();
        SetSelection(0, -1);
        return 0;
      }
      break;
    case 0x0500: MessageBeep(0); break;
    default: break;
  }
  return TEdit::WindowProc(msg, wParam, lParam);
}
