#pragma once
// The Cooke triplet as a scene for tests: its three lenses as round solids and seven
// meridional rays for each of the fields 0, 14 and 20 degrees, traced through the model.

#include <gtest/gtest.h>

#include <vector>

#include "optics/model/optical_system.h"
#include "viewer3d/scene/viewer_scene.h"

// The system's axis x becomes the scene's z, its meridional y the scene's x.
inline DPOINT3 SceneOf(double x, double y, double z) { return DPOINT3(y, z, x); }

// The triplet's three lenses as round solids and, for the fields 0, 14 and 20 degrees,
// seven meridional rays each across the entrance pupil.
inline void FillTripletScene(TOpticalSystem &system, TViewerScene &scene) {
  for (int first = 1; first + 1 < system.SurfaceCount() - 1; first += 2) {
    const TGeneralParameters &a = system.Surface(first)->general;
    const TGeneralParameters &b = system.Surface(first + 1)->general;
    const double x1 = system.Surface(first)->general.vertex[0];
    const double x2 = system.Surface(first + 1)->general.vertex[0];
    TRoundFace face1, face2;
    face1.R = a.R, face1.D = 2.0 * a.semiHeightExt;
    face2.R = b.R, face2.D = 2.0 * b.semiHeightExt;
    scene.SetElementPlacement(DANGLE3(), SceneOf(x1, 0, 0));
    scene.AddTwoSurfaceSolid(face1, face2, x2 - x1);
  }
  const double fields[3] = {0.0, 14.0, 20.0};
  const int colors[3] = {12, 14, 10};
  for (int f = 0; f < 3; ++f) {
    ASSERT_GE(system.UpdatePupils(fields[f], 0.0), 0);
    for (int k = -3; k <= 3; ++k) {
      TCurrentRay ray = system.MakeRay(fields[f], 0.0, 0.0, k * 4.9 / 3.0);
      std::vector<DPOINT3> points = {SceneOf(ray.x, ray.y, ray.z)};
      Mem<TIntersectionPoint> hits;
      system.TraceRay(ray, -1, &hits, 0);
      for (int h = 0; h < hits.cols * hits.rows && hits.data[h].x != kHitListEnd; ++h)
        points.push_back(SceneOf(hits.data[h].x, hits.data[h].y, hits.data[h].z));
      if (points.size() >= 2) scene.AddRay(points, colors[f]);
    }
  }
}

