#pragma once
// Typing into a cell of a properties table as the user does: the cell chosen, its in-cell
// editor focused, the old text selected and the new text typed over it.

#include "editor/properties/properties_table.h"
#include "platform/gui/windows/test_kit.h"
#include "toolkit/tables/cell_edit.h"
#include "toolkit/tables/win_table_edit.h"

// Types text over the cell at (column, row), ending with Enter when `enter`; false when the
// cell's editor never took the focus.
inline bool TypeIntoCell(TPropertiesTable &table, int column, int row, const char *text,
                         bool enter = true) {
  constexpr int kFocusWaitMs = test_kit::kPatienceMs;
  table.Grid()->SetCurrentCell(column, row);
  TCellEdit &editor = *table.Grid()->Editor();
  editor.SetFocus();
  if (!test_kit::RunUntil([&] { return GetFocus() == editor.GetHandle(); }, kFocusWaitMs))
    return false;
  editor.SetSelection(0, -1);
  test_kit::PostText(editor, text);
  if (enter) test_kit::PostKey(editor, VK_RETURN);
  return true;
}
