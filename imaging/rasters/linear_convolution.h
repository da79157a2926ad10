#pragma once
// The product of a picture with the responses it passes (a PSF, a detector's element, an
// optical transformer): a linear convolution. The picture is taken as dark beyond its
// edges, and light a response carries past an edge is lost there: it never comes back in
// at the opposite edge, as it would through a product of the picture's own N x N spectra.
//
// A response is an n x n raster centred on cell (n/2, n/2), as the synthesis writes them;
// its reach is the largest distance (in cells along either axis) from that centre to a
// cell that is not 0. Responses of a small reach are summed directly on the picture padded
// by that reach; wider ones are multiplied as spectra on a grid of side M, the power of two
// of at least n plus the total reach, where the circular product is the linear one, and the
// small ones then summed over that product as far as they reach past the picture.

#include "foundation/containers/mem.h"

// The reach of an n x n response; -1 when every cell is 0.
int ResponseReach(const float *cells, int n);

struct TLinearResponse {
  const float *cells = nullptr;  // n x n, centred on (n/2, n/2)
  int reach = 0;                 // ResponseReach of the cells
};

// Reaches up to this are summed directly: (2 x 4 + 1)^2 products a cell cost less than
// the transforms of a grid twice the picture's side.
constexpr int kDirectReach = 4;

// The side of the grid on which responses of total reach `reach` are multiplied as spectra
// with an n x n picture: n for a reach of 0, else the power of two of at least n + reach.
int LinearProductSide(int n, int reach);

// Replaces the n x n picture (row-major) by scale times its linear convolution with every
// response in turn, cropped to the picture: cell i becomes
// scale x sum_j picture_j (r_1 * ... * r_count)_(i - j). A response whose cells are all 0
// makes the picture dark. false, the picture untouched, when the work grid cannot be
// allocated (or n is not positive).
bool ConvolveLinear(float *picture, int n, const TLinearResponse *responses, int count, double scale);
