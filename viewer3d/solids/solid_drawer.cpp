#include "viewer3d/solids/solid_drawer.h"

bool ApplySurfaceKind(TSolidDrawer &drawer, int kind) {
  switch (kind) {
    case kGlassFace:
      drawer.SetRamps(kGlassRamp, kGlassRamp);
      return true;
    case kMirrorFace:
      drawer.SetRamps(kMirrorRampFirst, kMirrorRampLast);
      return false;
    case kMountFace:
      drawer.SetRamps(kMountRampFirst, kMountRampLast);
      return false;
    default:
      return false;
  }
}

void AdjustFaceKinds(int &kind1, int &kind2) {
  if (kind1 == kGlassFace && kind2 == kMirrorFace) kind2 = kMountFace;
  if (kind2 == kGlassFace && kind1 == kMirrorFace) kind1 = kMountFace;
}
