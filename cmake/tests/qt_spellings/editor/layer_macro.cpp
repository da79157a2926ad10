// A macro of the window layer's that expands to a Qt type.
#include "platform/gui/picture_type.h"
PICTURE_TYPE *shown = nullptr;
