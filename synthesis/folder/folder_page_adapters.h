#pragma once
// The folder's side of its Object and Detector pages: what those pages ask of the folder
// (TObjectPageOwner, TDetectorSynthesisOwner), and the makers that give the folder the
// program's own pages behind the interfaces of folder_pages.h.

#include <string>

#include "platform/core/types.h"

#include "synthesis/detectors/detector_owner.h"
#include "synthesis/folder/folder_pages.h"
#include "synthesis/objects/object_page_owner.h"

class TTestObjectFolder;

class TFolderObjectOwner final : public TObjectPageOwner {
 public:
  explicit TFolderObjectOwner(TTestObjectFolder &folder) : folder_(folder) {}
  TOpticalSystem *System() override;
  bool Computing() override;
  void UpdateImageSize() override;
  void UpdateObjectSize() override;
  void ObjectDistanceChanged() override;
  void SaveUndo(const std::string &label) override;
  bool SystemHeldByRun() override;
  void RefreshViews() override;
  void ObjectTypeChanged() override;
  void SetPsfPageEnabled(bool enabled) override;
  void SetViewButtonsEnabled(bool enabled) override;
  TOGauge *ProgressGauge() override;
  void ShowProgress(bool shown) override;

 private:
  TTestObjectFolder &folder_;
  RECT normalPlace_{};
  bool stretched_ = false;
};

class TFolderDetectorOwner final : public TDetectorSynthesisOwner {
 public:
  explicit TFolderDetectorOwner(TTestObjectFolder &folder) : folder_(folder) {}
  void DetectorChanged() override;
  bool ImageAtInfinity() override;
  TSystemImage *ScanSystem() override;
  TScanAnimation *ScanAnimation() override;
  bool ScanField(double &y, double &z) override;
  void RefreshViews() override;
  void ReduceImageSize(double size) override;
  bool ObjectSizeForImageSize(double size, double &objectSize) override;

 private:
  TTestObjectFolder &folder_;
};

// The program's Object page (TTestObjectParent) and Detector page (TTestDetector).
TSynthesisObjectPage *MakeObjectParentPage(TTestObjectFolder &folder);
TSynthesisDetectorPage *MakeTestDetectorPage(TTestObjectFolder &folder);
