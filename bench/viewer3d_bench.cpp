// Frame times of the 3-D viewer at 800 x 600: a redraw fits the scene, clears the
// picture, paints every element into the renderer showing the window after each (as the
// viewer does) and draws the rays. The double Gauss with three fans of rays, and a scene
// of ten elements of every kind, at the qualities 5, 10 and 20.

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "optics/glass/glass_catalog.h"
#include "optics/model/model_globals.h"
#include "optics/model/optical_system.h"
#include "platform/gui/windows/test_kit.h"
#include "toolkit/render3d/o_palette.h"
#include "viewer3d/scene/viewer_scene.h"
#include "viewer3d/window/optic3dv.h"

namespace {

const std::string kRoot = BENCH_SOURCE_DIR;
constexpr int kWidth = 800;
constexpr int kHeight = 600;

// The windows need the platform's application, made offscreen.
void Application() {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  test_kit::EnsureApplication();
}

// The system's axis x becomes the scene's z.
DPOINT3 SceneOf(double x, double y, double z) { return DPOINT3(y, z, x); }

// Each glass between two surfaces is a round solid; each field gets a fan of 11 rays.
void FillDoubleGauss(TViewerScene &scene) {
  TGlassCatalog catalog(kRoot + "/resources/cglass", "schott");
  SetGlassCatalog(&catalog);
  TOpticalSystem system;
  if (system.ReadFile(kRoot + "/resources/examples/double_gauss.os", kNameKept) != 1) {
    SetGlassCatalog(nullptr);
    return;
  }
  for (int i = 1; i + 1 < system.SurfaceCount(); ++i) {
    const TGeneralParameters &a = system.Surface(i)->general;
    const TGeneralParameters &b = system.Surface(i + 1)->general;
    if (std::fabs(a.nAfter) < 1.0001) continue;
    TRoundFace face1, face2;
    face1.R = a.R, face1.D = 2.0 * a.semiHeightExt;
    face2.R = b.R, face2.D = 2.0 * b.semiHeightExt;
    scene.SetElementPlacement(DANGLE3(), SceneOf(a.vertex[0], 0, 0));
    scene.AddTwoSurfaceSolid(face1, face2, b.vertex[0] - a.vertex[0]);
  }
  const double fields[3] = {0.0, 10.0, 14.0};
  for (int f = 0; f < 3; ++f) {
    if (system.UpdatePupils(fields[f], 0.0) < 0) continue;
    for (int k = -5; k <= 5; ++k) {
      TCurrentRay ray = system.MakeRay(fields[f], 0.0, 0.0, k * 17.0 / 5.0);
      std::vector<DPOINT3> points = {SceneOf(ray.x, ray.y, ray.z)};
      Mem<TIntersectionPoint> hits;
      system.TraceRay(ray, -1, &hits, 0);
      for (int h = 0; h < hits.cols * hits.rows && hits.data[h].x != kHitListEnd; ++h)
        points.push_back(SceneOf(hits.data[h].x, hits.data[h].y, hits.data[h].z));
      scene.AddRay(points, 10 + f);
    }
  }
  SetGlassCatalog(nullptr);
}

// Ten elements along z, one of every kind and two more round ones with holes, flanges
// and a section, each tilted a little.
void FillTenElements(TViewerScene &scene) {
  auto place = [&](int k) {
    scene.SetElementPlacement(DANGLE3(0.05 * k, -0.03 * k, 0.1 * k), DPOINT3(0, 0, 30.0 * k));
  };
  TRoundFace a, b;
  a.R = 60, a.e = 0.5, a.D = 30, b.R = -80, b.D = 30;
  place(0);
  scene.AddTwoSurfaceSolid(a, b, 8);
  place(1);
  scene.AddTwoSurfaceSolid2(TRectFace{70, 24, 16, 4, 3, 0, 0, 0}, TRectFace{-70, 24, 16, 4, 3, 0, 0, 0}, 6);
  place(2);
  scene.AddLens(TLensShape{50, -50, 30, 9, 0.5});
  place(3);
  scene.AddRoundMirror(TRoundMirrorShape{-120, 30, 5, 6, 0.5});
  place(4);
  scene.AddRectPlate(TRectSlab{30, 20, 5, 1, 0.5});
  place(5);
  scene.AddRectMirror(TRectSlab{30, 20, 4, 1, 0.5});
  place(6);
  scene.AddCube(TRectSlab{20, 20, 20, 1});
  place(7);
  scene.AddPrism(TPrismShape{20, 20, 25, 1.2}, 0, 0, 0);
  TRoundFace c = a, d = b;
  c.Di = d.Di = 8, c.F = d.F = 1, c.Fi = d.Fi = 0.5, c.kind = 1;
  place(8);
  scene.AddTwoSurfaceSolid(c, d, 12);
  place(9);
  scene.AddTwoSurfaceSolid(a, b, 8);
  scene.PaintObjects(false);
  scene.ElementList()[9].fi1 = 0;
  scene.ElementList()[9].fi2 = 90;
}

void Frame(benchmark::State &state, void (*fill)(TViewerScene &)) {
  Application();
  CreateSharedPalette();
  auto window = std::make_unique<TOptic3DV>(nullptr, "", 0, 0, kWidth, kHeight, kWidth, kHeight,
                                            WS_POPUP | WS_VISIBLE);
  window->Create();
  TViewerScene scene(*window, kWidth, kHeight);
  window->AttachScene(&scene);
  fill(scene);
  scene.SetQuality(static_cast<int>(state.range(0)));
  scene.TurnView(DANGLE3(-1.35, 0.0, 0.61), DPOINT3());
  for (auto _ : state) {
    scene.Redraw(true);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * scene.ObjectCount());
  state.SetLabel(std::to_string(scene.ObjectCount()) + " elements, " +
                 std::to_string(scene.RayCount()) + " rays");
  window->Destroy();
  window.reset();
  DestroySharedPalette();
}

void BM_DoubleGaussFrame(benchmark::State &state) { Frame(state, FillDoubleGauss); }
BENCHMARK(BM_DoubleGaussFrame)->Arg(5)->Arg(10)->Arg(20)->Unit(benchmark::kMillisecond);

void BM_TenElementFrame(benchmark::State &state) { Frame(state, FillTenElements); }
BENCHMARK(BM_TenElementFrame)->Arg(5)->Arg(10)->Arg(20)->Unit(benchmark::kMillisecond);

}  // namespace
