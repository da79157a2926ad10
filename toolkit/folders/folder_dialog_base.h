#pragma once
// The dialog class folders and their pages derive from: the coloured dialog base.

#include "toolkit/dialogs/color_dlg.h"

using TFolderDialogBase = TColorDlg;
