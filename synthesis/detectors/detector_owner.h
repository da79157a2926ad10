#pragma once
// What the Detector page needs of the image-synthesis folder it lies in. The folder
// implements it; the page and its models reach the folder only through it.

class TDetectorSynthesisOwner {
 public:
  virtual ~TDetectorSynthesisOwner() = default;
  // The chosen detector changed: the synthesised image is out of date.
  virtual void DetectorChanged() = 0;
  // The edited system's image lies at infinity: detector sizes are in mrad, else in mm.
  virtual bool ImageAtInfinity() = 0;
};
