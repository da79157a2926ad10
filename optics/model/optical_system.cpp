#include "optics/model/optical_system.h"

#include "optics/model/model_globals.h"

TOpticalSystem::TOpticalSystem() {
  info.Unit = 0;
  info.LambdaW = 1.0;
  info.Coord = 0;
  MarkModelChanged();
}

TOpticalSystem::TOpticalSystem(const TOpticalSystem &other)
    : name(other.name),
      title(other.title),
      remark(other.remark),
      info(other.info),
      eikonal(other.eikonal),
      workArray1(other.workArray1),
      workArray2(other.workArray2),
      materialsMissing(other.materialsMissing) {
  CopySurfacesFrom(other);
  MarkModelChanged();
}

TOpticalSystem &TOpticalSystem::operator=(const TOpticalSystem &other) {
  if (this == &other) return *this;
  DeleteAllSurfaces();
  name = other.name;
  title = other.title;
  remark = other.remark;
  info = other.info;
  eikonal = other.eikonal;
  workArray1 = other.workArray1;
  workArray2 = other.workArray2;
  materialsMissing = other.materialsMissing;
  sectionsLeftOut = other.sectionsLeftOut;
  ownFile = other.ownFile;
  CopySurfacesFrom(other);
  pupilsSolvedAt_ = 0;
  MarkModelChanged();
  return *this;
}

TOpticalSystem::~TOpticalSystem() {
  workArray1.Clear();
  workArray2.Clear();
  DeleteAllSurfaces();
}

void TOpticalSystem::CopySurfacesFrom(const TOpticalSystem &other) {
  const int count = other.SurfaceCount();
  if (count == 0 || !surfaces.Allocate(count, 1)) return;
  for (int i = 0; i < count; ++i) {
    const TSurface *source = other.surfaces.data[i];
    surfaces.data[i] = source ? source->Clone() : nullptr;
  }
  // A cloned wall still joins the source's surfaces, which may go before this copy does.
  for (int i = 0; i < count; ++i) {
    TSurface *surface = surfaces.data[i];
    if (surface != nullptr && surface->pipeWall != nullptr)
      surface->pipeWall->ReplaceSurfaceLinks(other.surfaces.data, surfaces.data, count);
  }
}

void TOpticalSystem::DeleteAllSurfaces() {
  const int count = SurfaceCount();
  for (int i = 0; i < count; ++i) {
    delete surfaces.data[i];
    surfaces.data[i] = nullptr;
  }
  surfaces.Clear();
  info.Naper = 0;
  info.Dentr = 0.0;
  info.stopIndex = -1;
  info.ObjectFinite = 0;
  info.ImageFinite = 1;
}

TSurface *TOpticalSystem::AddSurface(TSurface *s) {
  if (s == nullptr) return nullptr;
  const int count = SurfaceCount();
  if (count > 0 && surfaces.data[count - 1] != nullptr) {
    const double indexBefore = surfaces.data[count - 1]->general.nBefore;
    s->general.nAfter = indexBefore;
    s->general.nBefore = indexBefore;
  }
  if (surfaces.Append(s) != count + 1) {
    delete s;
    return nullptr;
  }
  MarkModelChanged();
  return s;
}

int TOpticalSystem::InsertSurface(TSurface *s, int i) {
  if (s == nullptr) return 0;
  const int count = SurfaceCount();
  if (i < 0) i = 0;
  if (i > count) i = count;
  if (surfaces.Insert(i, s) != count + 1) {
    delete s;
    return 0;
  }
  MarkModelChanged();
  return 1;
}

void TOpticalSystem::DeleteSurface(int i) {
  const int count = SurfaceCount();
  if (i < 0 || i >= count) return;
  delete surfaces.data[i];
  surfaces.data[i] = nullptr;
  if (surfaces.Delete(i) < 0) {
    // The list could not shrink: close the gap in place so no dangling pointer stays.
    for (int k = i; k + 1 < count; ++k) surfaces.data[k] = surfaces.data[k + 1];
    surfaces.data[count - 1] = nullptr;
  }
  MarkModelChanged();
}

int TOpticalSystem::FindSurface(const TSurface *s) const {
  const int count = SurfaceCount();
  for (int i = 0; i < count; ++i) {
    if (surfaces.data[i] == s) return i;
  }
  return -1;
}

int TOpticalSystem::MoveSurface(TSurface *s, int j) {
  const int from = FindSurface(s);
  if (from < 0) return 0;
  const int count = SurfaceCount();
  if (j < 0) j = 0;
  if (j > count - 1) j = count - 1;
  if (from < j) {
    for (int k = from; k < j; ++k) surfaces.data[k] = surfaces.data[k + 1];
  } else {
    for (int k = from; k > j; --k) surfaces.data[k] = surfaces.data[k - 1];
  }
  surfaces.data[j] = s;
  return 1;
}

int TOpticalSystem::HasRasterZones() const {
  const int count = SurfaceCount();
  for (int i = 0; i < count; ++i) {
    if (surfaces.data[i] != nullptr && surfaces.data[i]->HasRasterZones()) return 1;
  }
  return 0;
}

void TOpticalSystem::ReleaseWorkArray() { workArray2.Clear(); }

void TOpticalSystem::NewDefault() {
  DeleteAllSurfaces();
  TSurface *object = new TSurface(0.0, 0.0, 0.0);
  TSurface *image = new TSurface(10.0, 0.0, 0.0);
  image->general.semiWidthExt = 5.0;
  image->general.semiHeightExt = 5.0;
  object->general.semiWidthExt = image->general.semiWidthExt;
  object->general.semiHeightExt = image->general.semiHeightExt;
  object->general.type = kSurfacePlane;
  image->general.type = kSurfacePlane;
  AddSurface(object);
  AddSurface(image);
  Prepare(0.0, 1, 1);
}

bool TOpticalSystem::PupilsNeedSolving() const {
  return ModelChanged() != 0 || pupilsSolvedAt_ != ModelChangeCount();
}

void TOpticalSystem::MarkPupilsSolved() {
  ClearModelChanged();
  pupilsSolvedAt_ = ModelChangeCount();
}
