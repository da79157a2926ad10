// The product of a picture with its responses by every road against the linear
// convolution summed here cell by cell.
#include "imaging/rasters/linear_convolution.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <random>
#include <set>
#include <vector>

namespace {

using Cells = std::vector<float>;

// A response of exactly this reach about (n/2, n/2), cells drawn from the generator.
Cells Response(int n, int reach, std::mt19937 &draw) {
  Cells cells(static_cast<std::size_t>(n) * n, 0.0f);
  std::uniform_real_distribution<float> value(0.1f, 1.0f);
  for (int r = n / 2 - reach; r <= n / 2 + reach; ++r)
    for (int c = n / 2 - reach; c <= n / 2 + reach; ++c) cells[static_cast<std::size_t>(r) * n + c] = value(draw);
  return cells;
}

// The picture through every response in turn on a plane wide enough for all of them, cut to
// the picture: sum_j picture_j r(i - j).
std::vector<double> Direct(const Cells &picture, int n, const std::vector<Cells> &responses, int total) {
  const int side = n + 2 * total;
  std::vector<double> plane(static_cast<std::size_t>(side) * side, 0.0);
  for (int i = 0; i < n * n; ++i) plane[static_cast<std::size_t>(i / n + total) * side + i % n + total] = picture[i];
  for (const Cells &response : responses) {
    std::vector<double> next(plane.size(), 0.0);
    for (int y = 0; y < side; ++y)
      for (int x = 0; x < side; ++x)
        for (int k = 0; k < n * n; ++k) {
          const int from = y - (k / n - n / 2), to = x - (k % n - n / 2);
          if (response[k] != 0.0f && from >= 0 && from < side && to >= 0 && to < side)
            next[static_cast<std::size_t>(y) * side + x] += plane[static_cast<std::size_t>(from) * side + to] * response[k];
        }
    plane.swap(next);
  }
  std::vector<double> cut(static_cast<std::size_t>(n) * n);
  for (int i = 0; i < n * n; ++i) cut[i] = plane[static_cast<std::size_t>(i / n + total) * side + i % n + total];
  return cut;
}

// Pictures of several sides through responses whose reaches span the roads (small ones
// alone, wide ones, both): every road, the whole grid and every tile grid that holds twice
// the total reach, gives the convolution summed directly; and the plan takes each road
// somewhere.
TEST(LinearConvolution, EveryRoadGivesTheConvolutionSummedDirectly) {
  constexpr double kRounding = 2e-6;  // single-precision transforms, of the largest cell
  std::mt19937 draw(112);
  std::uniform_real_distribution<float> light(0.0f, 1.0f);
  std::set<TLinearRoad> planned;
  for (const int n : {16, 32, 64})
    for (const std::vector<int> &asked : std::vector<std::vector<int>>{{0}, {1}, {2}, {3, 1}, {5}, {9}, {9, 2}, {6, 7, 1}, {13}}) {
      Cells picture(static_cast<std::size_t>(n) * n);
      for (float &cell : picture) cell = light(draw);
      std::vector<Cells> cells;
      std::vector<TLinearResponse> responses;
      std::vector<int> reaches;
      for (const int reach : asked) cells.push_back(Response(n, std::min(reach, n / 2 - 1), draw));
      for (const Cells &response : cells) {
        responses.push_back({response.data(), ResponseReach(response.data(), n)});
        reaches.push_back(responses.back().reach);
      }
      const int total = std::accumulate(reaches.begin(), reaches.end(), 0);
      const std::vector<double> expected = Direct(picture, n, cells, total);
      const double largest = *std::max_element(expected.begin(), expected.end());
      planned.insert(PlanLinearProduct(n, reaches.data(), static_cast<int>(reaches.size())).road);
      // One cell is always summed directly.
      std::vector<TLinearPlan> plans = {{TLinearRoad::kDirect, 0}};
      if (total > 0) plans.push_back({TLinearRoad::kWholeGrid, 0});
      for (int side = 2; total > 0 && side < LinearProductSide(n, total); side *= 2)
        if (side > 2 * total) plans.push_back({TLinearRoad::kTiles, side});
      for (const TLinearPlan &plan : plans) {
        Cells product = picture;
        ASSERT_TRUE(ConvolveLinearBy(plan, product.data(), n, responses.data(), static_cast<int>(responses.size()), 0.5));
        double worst = 0.0;
        for (int i = 0; i < n * n; ++i) worst = std::max(worst, std::fabs(product[i] - 0.5 * expected[i]));
        EXPECT_LE(worst, kRounding * largest) << "n " << n << ", reaches from " << asked[0] << ", road "
                                              << static_cast<int>(plan.road) << " on " << plan.side;
      }
    }
  EXPECT_EQ(planned.size(), 3u);
}

}  // namespace
