#include "optics/pipe/pipe_surface.h"

#include "optics/pipe/pipe_wall.h"
#include "optics/model/ray.h"
#include "optics/interaction/surface_trace.h"

namespace {

TPipeWall WallOf(const TPipeSurface &pipe) {
  TPipeWall wall;
  wall.wall = MakeInteractionSurface(pipe);
  wall.built = pipe.built;
  wall.k = pipe.k;
  wall.x1 = pipe.x1;
  wall.x2 = pipe.x2;
  return wall;
}

}  // namespace

TSurface *TPipeSurface::Clone() const { return new TPipeSurface(*this); }

void TPipeSurface::ReplaceSurfaceLinks(const TSurface *const *from, TSurface *const *to,
                                       int count) {
  TSurface *newFirst = nullptr;
  TSurface *newSecond = nullptr;
  for (int i = 0; i < count; ++i) {
    if (from[i] == first) newFirst = to[i];
    if (from[i] == second) newSecond = to[i];
  }
  first = newFirst;
  second = newSecond;
}

void TPipeSurface::Build(TSurface *firstSurface, TSurface *secondSurface, double outsideIndex) {
  first = firstSurface;
  second = secondSurface;
  if (first == nullptr || second == nullptr) {
    built = 0;
    k = 0.0;
    return;
  }
  TPipeWall wall;
  BuildPipeWall(wall, MakeInteractionSurface(*first), MakeInteractionSurface(*second),
                outsideIndex);
  // The wall takes the first surface's plain data (its own curvature stays), then its
  // shape: outside index, radius and the tilt along the pipe axis.
  const double curvature = general.curvature;
  general = first->general;
  general.curvature = curvature;
  general.nBefore = wall.wall.indexBefore;
  built = wall.built;
  k = wall.k;
  x1 = wall.x1;
  x2 = wall.x2;
  if (built) general.semiHeightExt = wall.wall.outer.semiHeight;
  SetAngles(wall.wall.angles[0], wall.wall.angles[1], wall.wall.angles[2]);
}

int TPipeSurface::Trace(TCurrentRay &ray) const { return TracePipeWall(WallOf(*this), ray); }

int TPipeSurface::CarryAlong(TCurrentRay &ray, int *reflections, double *pathSum) const {
  return CarryAlongPipe(WallOf(*this), ray, reflections, pathSum);
}
