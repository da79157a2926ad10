#pragma once
// The animation file in the program's text editor, as a modal window over the main window.

#include <string>

class TWindow;

// Opens the file in the text editor over the parent and returns when it is closed.
void EditAnimationFileModally(TWindow *parent, const std::string &path);
// Closes the modal text editor open over the parent, as its Exit command does; false when
// none is open.
bool CloseAnimationFileEditor(TWindow &parent);
