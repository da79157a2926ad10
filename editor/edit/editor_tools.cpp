#include "editor/edit/editor_tools.h"

#include <algorithm>

#include "editor/dialogs/quick_table_dlg.h"
#include "editor/edit/editor_palettes.h"

TEditorTools::~TEditorTools() {
  // The tables go before the editor's window does: they must not tell a half-gone editor,
  // and the canvas must not keep them.
  if (canvas != nullptr) {
    canvas->SetQuickPositionTable(nullptr);
    canvas->SetQuickInclinationTable(nullptr);
  }
  for (TQuickTableDlg *table : {static_cast<TQuickTableDlg *>(positionTable),
                                static_cast<TQuickTableDlg *>(inclinationTable)}) {
    if (table == nullptr) continue;
    table->ForgetOwner();
    delete table;
  }
  positionTable = nullptr;
  inclinationTable = nullptr;
  DeleteRetired();
}

void TEditorTools::RefillTables() {
  if (positionTable != nullptr) positionTable->Fill();
  if (inclinationTable != nullptr) inclinationTable->Fill();
}

TToolBarWnd *TEditorTools::PaletteOf(int command) const {
  return PaletteHolding(*this, command);
}

bool TEditorTools::ButtonDown(int command) const {
  const auto found = down_.find(command);
  return found != down_.end() && found->second;
}

void TEditorTools::SetButtonDown(int command, bool down) {
  down_[command] = down;
  if (TToolBarWnd *palette = PaletteOf(command)) SetPaletteButtonDown(*palette, command, down);
}

void TEditorTools::ApplyButtonStates(TToolBarWnd &palette) const {
  for (const auto &[command, down] : down_) SetPaletteButtonDown(palette, command, down);
}

void TEditorTools::Retire(TWindow *window) {
  if (window == nullptr) return;
  if (std::find(retired_.begin(), retired_.end(), window) == retired_.end())
    retired_.push_back(window);
}

void TEditorTools::DeleteRetired() {
  std::vector<TWindow *> going;
  going.swap(retired_);
  for (TWindow *window : going) delete window;
}
