#pragma once
// A drawer for tests that keeps what the painters hand it: every mesh node and triangle,
// the edge lines, and for each piece its grid, half-tone flag and the ramps in force.

#include <vector>

#include "viewer3d/solids/solid_drawer.h"

struct TCollectedTriangle {
  DPOINT3 a, b, c;
};

struct TCollectedPiece {
  int uSteps = 0;
  int vSteps = 0;  // 0 for a single triangle
  bool halfTone = false;
  int firstRamp = -1;
  int lastRamp = -1;
};

class TMeshCollector : public TSolidDrawer {
 public:
  void SetRamps(int first, int last) override {
    firstRamp = first;
    lastRamp = last;
  }
  void DrawSurface(TMeshPointFunction function, void *context, int uSteps, int vSteps,
                   bool halfTone) override {
    pieces.push_back(TCollectedPiece{uSteps, vSteps, halfTone, firstRamp, lastRamp});
    // The nodes row by row, then each cell as the renderer splits it: along A-C.
    std::vector<DPOINT3> nodes;
    for (int j = 0; j <= vSteps; ++j)
      for (int i = 0; i <= uSteps; ++i)
        nodes.push_back(function(static_cast<double>(i) / uSteps, static_cast<double>(j) / vSteps,
                                 context));
    points.insert(points.end(), nodes.begin(), nodes.end());
    auto node = [&](int i, int j) { return nodes[static_cast<std::size_t>(j) * (uSteps + 1) + i]; };
    for (int j = 0; j < vSteps; ++j)
      for (int i = 0; i < uSteps; ++i) {
        const DPOINT3 A = node(i, j), B = node(i + 1, j), C = node(i + 1, j + 1), D = node(i, j + 1);
        triangles.push_back({A, B, C});
        triangles.push_back({A, C, D});
      }
  }
  void Triangle(const DPOINT3 &a, const DPOINT3 &b, const DPOINT3 &c, bool halfTone) override {
    pieces.push_back(TCollectedPiece{1, 0, halfTone, firstRamp, lastRamp});
    triangles.push_back({a, b, c});
    points.insert(points.end(), {a, b, c});
  }
  void Line(const DPOINT3 &a, const DPOINT3 &b, COLORREF color) override {
    lines.push_back({a, b});
    lineColors.push_back(color);
    points.insert(points.end(), {a, b});
  }
  void Reset() { *this = TMeshCollector(); }

  int firstRamp = -1;
  int lastRamp = -1;
  std::vector<TCollectedPiece> pieces;
  std::vector<TCollectedTriangle> triangles;
  std::vector<DPOINT3> points;
  std::vector<std::pair<DPOINT3, DPOINT3>> lines;
  std::vector<COLORREF> lineColors;
};
