#pragma once
// How a picture window fills its client area from the image: every client pixel takes the
// bilinear blend of the four image pixels around its centre's source point in the view
// rectangle.

#include <cstdint>

#include "optics/model/color_vector.h"
#include "platform/core/types.h"

// Scales the view rectangle (image pixels, right and bottom inclusive; it may reach outside
// the image) of a width x height image onto clientWidth x clientHeight pixels of rgb (three
// bytes a pixel, row after row, red first). Client pixels whose centre's source lies
// outside the image stay as they are. Within half an image pixel of the image's edges the
// outer row or column shows unblended, on all four sides alike.
void ScalePicture(const COLORVECTOR *pixels, int width, int height, const RECT &view,
                  int clientWidth, int clientHeight, std::uint8_t *rgb);

// The image pixel a client point shows: column and row, truncated toward zero.
POINT PictureSourcePixel(const RECT &view, int clientWidth, int clientHeight, POINT client);
