// A macro of the window layer that stands for a Qt type.
#pragma once
#define PICTURE_TYPE QPixmap
