// What the analyses ask of the edited system: preparation with the pupils of one field
// point, and the system unfolded at a surface for the narcissus analysis.

#include <memory>
#include <new>

#include "document/elements/element_grouping.h"
#include "document/system/system_image.h"
#include "optics/model/model_globals.h"
#include "platform/core/message_box.h"

int TSystemImage::PrepareAndUpdatePupils(double fieldY, double fieldZ) {
  if (SurfaceCount() < 2) return -1;
  const int prepared = Prepare(0.0, 1, 0);
  if (prepared < 0) return prepared;
  // The preparation solved the first field; another field point needs its own solve.
  MarkModelChanged();
  return UpdatePupils(fieldY, fieldZ);
}

TSystemImage *TSystemImage::Clone(int j) const {
  const int n = SurfaceCount();
  if (j < 1 || j >= n) return nullptr;
  for (int i = 0; i <= j; ++i)
    if (Surface(i) == nullptr) return nullptr;
  std::unique_ptr<TSystemImage> copy(new (std::nothrow) TSystemImage);
  if (!copy) {
    ShowNotEnoughMemory();
    return nullptr;
  }
  copy->Assign(*this, 0);
  copy->info.ObjectFinite = 1;
  copy->info.ImageFinite = 1;
  copy->elements.Clear();
  for (int i = n - 1; i > j; --i) copy->DeleteSurface(i);
  TSurface *mirror = copy->Surface(j);
  mirror->general.glass = "refl";
  mirror->general.materialKind = 1;
  // The way back passes surfaces j-1 .. 0 again; behind each lies the medium that was in
  // front of it (behind a mirror: the medium in front of that mirror).
  for (int k = j - 1; k >= 0; --k) {
    TSurface *back = Surface(k)->Clone();
    if (back == nullptr) {
      ShowNotEnoughMemory();
      return nullptr;
    }
    if (!IsMirrorSurface(*back)) {
      std::string medium;
      if (k >= 1) {
        const TSurface &before = *Surface(k - 1);
        medium = before.general.materialKind != 0 ? (k >= 2 ? Surface(k - 2)->general.glass : "")
                                                  : before.general.glass;
      }
      back->general.glass = medium;
      back->general.materialKind = 0;
    }
    if (copy->TOpticalSystem::AddSurface(back) == nullptr) return nullptr;
  }
  copy->configurations.Clear();
  copy->currentConfiguration = 0;
  copy->ClearSelection();
  copy->RebuildElements(nullptr);
  copy->StoreConfiguration(0);
  copy->Update();
  return copy.release();
}
