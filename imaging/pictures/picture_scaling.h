#pragma once
// How a picture window fills its client area from the image: every client pixel takes the
// bilinear blend of the four image pixels around its source point in the view rectangle.

#include <cstdint>

#include "optics/model/color_vector.h"
#include "platform/core/types.h"

// Scales the view rectangle (image pixels, right and bottom inclusive; it may reach outside
// the image) of a width x height image onto clientWidth x clientHeight pixels of rgb (three
// bytes a pixel, row after row, red first). Client pixels whose source lies outside the
// image stay as they are. The last image row and column blend with themselves, so they
// show like every other.
void ScalePicture(const COLORVECTOR *pixels, int width, int height, const RECT &view,
                  int clientWidth, int clientHeight, std::uint8_t *rgb);

// The image pixel a client point shows: column and row, truncated toward zero.
POINT PictureSourcePixel(const RECT &view, int clientWidth, int clientHeight, POINT client);
