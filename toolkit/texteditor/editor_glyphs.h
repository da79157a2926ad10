#pragma once
// The editor's button pictures (new, open, save, cut, copy, paste, find, replace, find
// next, print, exit), registered once under their command numbers unless the program
// already has pictures of its own there.

void RegisterEditorGlyphs();
