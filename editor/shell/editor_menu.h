#pragma once
// The main window's menu bar "EditorMenu", its accelerator table "EDITORMENU" and the
// status-bar hints of its commands, registered as resources when the program starts.

// Registers the three (once; later calls do nothing).
void RegisterEditorResources();
