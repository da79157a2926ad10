#pragma once
// What the Detector page needs of the image-synthesis folder it lies in. The folder
// implements it; the page and its models reach the folder only through it.

class TScanAnimation;
class TSystemImage;

class TDetectorSynthesisOwner {
 public:
  virtual ~TDetectorSynthesisOwner() = default;
  // The chosen detector, or its noise, changed: the synthesised image is out of date.
  virtual void DetectorChanged() = 0;
  // The edited system's image lies at infinity: detector sizes are in mrad, else in mm.
  virtual bool ImageAtInfinity() = 0;

  // What the scanner page asks; a page without a folder has no system to scan and falls
  // back on linear scanning.
  // The edited system whose chief ray the scan follows; null when there is none.
  virtual TSystemImage *ScanSystem() { return nullptr; }
  // What moves the system for a real scan (the editor's lens animation); null: nothing.
  virtual TScanAnimation *ScanAnimation() { return nullptr; }
  // The two field coordinates of the PSF page's beam, as the system's field list gives
  // them; false when there is no beam.
  virtual bool ScanField(double & /*y*/, double & /*z*/) { return false; }
  // Every view of the system is redrawn, so that the moving system is seen.
  virtual void RefreshViews() {}
  // The image-side size of the object becomes `size` (a real sweep is shorter than the
  // image): the object size follows it, and the Object page shows it.
  virtual void ReduceImageSize(double /*size*/) {}
  // The object size ReduceImageSize(size) would give, in the Object page's unit; false
  // when the owner cannot say.
  virtual bool ObjectSizeForImageSize(double /*size*/, double & /*objectSize*/) { return false; }
};
