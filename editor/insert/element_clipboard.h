#pragma once
// The element clipboard: one program-wide edited system that holds the elements of the
// last Cut or Copy (or the element taken from the component library). Null until the first
// one; Paste does nothing while it is null.

class TSystemImage;

// The clipboard system, or null.
TSystemImage *InsertClipboard();
// Deletes the clipboard system and makes a new empty one, which it answers.
TSystemImage &RenewInsertClipboard();
// Deletes the clipboard system; the clipboard is null afterwards.
void DeleteInsertClipboard();
