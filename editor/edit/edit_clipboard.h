#pragma once
// The element clipboard: one program-wide system that holds the elements of the latest Cut
// or Copy. It is null until the first of them; each one replaces it whole.

class TSystemImage;

// The clipboard's system, or null when nothing was ever cut or copied.
TSystemImage *EditClipboard();
// Deletes the clipboard's system and puts a new empty one in its place; answers it.
TSystemImage &RenewEditClipboard();
// Deletes the clipboard's system (the clipboard is null again).
void DeleteEditClipboard();
