#pragma once
// The product of a picture with the responses it passes (a PSF, a detector's element, an
// optical transformer): a linear convolution. The picture is taken as dark beyond its
// edges, and light a response carries past an edge is lost there: it never comes back in
// at the opposite edge, as it would through a product of the picture's own N x N spectra.
//
// A response is an n x n raster centred on cell (n/2, n/2), as the synthesis writes them;
// its reach is the largest distance (in cells along either axis) from that centre to a
// cell that is not 0. The product takes the cheapest of three exact roads (see
// PlanLinearProduct): a direct sum, one transform grid holding the picture and the reach, or
// tiles of the picture on small grids whose products are added where they overlap.

#include "foundation/containers/mem.h"

// The reach of an n x n response; -1 when every cell is 0.
int ResponseReach(const float *cells, int n);

struct TLinearResponse {
  const float *cells = nullptr;  // n x n, centred on (n/2, n/2)
  int reach = 0;                 // ResponseReach of the cells
};

// Responses of a reach up to this are summed directly over the product of the wider ones
// (a detector's small element beside a PSF): a few products a cell.
constexpr int kDirectReach = 4;

// The side of the grid on which responses of total reach `reach` are multiplied as spectra
// with an n x n picture in one piece: n for a reach of 0, else the power of two of at least
// n + reach.
int LinearProductSide(int n, int reach);

// How a product is taken, the cheapest road by the costs measured (bench/synthesis_bench):
// every response summed directly over the picture; the wide ones multiplied as spectra on
// one grid of `side` holding the picture and their reach; or the picture cut into tiles,
// each multiplied on a grid of `side` holding the tile and twice their reach (overlap-add).
// The small ones (kDirectReach and less) beside wide ones are summed directly after them.
enum class TLinearRoad { kDirect, kWholeGrid, kTiles };
struct TLinearPlan {
  TLinearRoad road = TLinearRoad::kDirect;
  int side = 0;  // the transform grid's side, 0 for the direct sum
};
// The plan for an n x n picture and responses of these reaches (each >= 0).
TLinearPlan PlanLinearProduct(int n, const int *reaches, int count);

// Replaces the n x n picture (row-major) by scale times its linear convolution with every
// response in turn, cropped to the picture: cell i becomes
// scale x sum_j picture_j (r_1 * ... * r_count)_(i - j). A response whose cells are all 0
// makes the picture dark. false, the picture untouched, when the work grid cannot be
// allocated (or n is not positive).
bool ConvolveLinear(float *picture, int n, const TLinearResponse *responses, int count, double scale);
// The same by the road of `plan` (any road gives the same picture, within the roundings);
// false also when the plan's grid cannot hold what its road needs.
bool ConvolveLinearBy(const TLinearPlan &plan, float *picture, int n, const TLinearResponse *responses, int count,
                      double scale);
