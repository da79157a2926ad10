#pragma once
// The non-isoplanar synthesis as the image-synthesis folder runs it: the edited system
// turned round on a copy, configuration by configuration, as the editor turns it; the
// progress on the folder's gauge; the node PSFs kept between syntheses while the system
// and the PSF settings stay as they were.

#include <cstdint>
#include <memory>

#include "foundation/containers/mem.h"
#include "optics/model/file_data.h"
#include "synthesis/nonisoplanar/nonisoplanar_synthesis.h"

class TOGauge;
class TSystemImage;
class TTestImage;
class TTestObject;
class TWindow;

// A copy of an edited system turned round in every configuration (a plain system is
// turned as one). Null when the copy cannot be turned.
class TSystemImageTurner : public TSystemTurner {
 public:
  std::unique_ptr<TOpticalSystem> TurnedCopy(const TOpticalSystem &system) override;
};

class TFolderNonIsoplanar {
 public:
  // Forms the image of `object` through `system` into `results` (see
  // TNonIsoplanarSynthesis::Run), stepping `gauge` (may be null) and writing its times
  // into the gauge's progress text.
  int Run(TSystemImage &system, TTestObject &object, TTestImage &image, TOGauge *gauge,
          Mem<TFileData> &results);
  // The system changed: the node PSFs are computed again by the next synthesis.
  void Invalidate() { nodeState_ = 0; }
  bool NodesKept() const { return nodeState_ == 1; }

 private:
  TNonIsoplanarSynthesis synthesis_;
  Mem<TFileData> nodes_;
  std::int32_t nodeState_ = 0;
  // The settings the kept nodes were made with.
  int nodeGrid_ = 0;
  double nodeStep_ = 0.0;
  float nodeLevel_ = 0.0f;
};

// Enlarges the window downwards to the top edge of its child `markerId`, so that what lies
// below its normal height (a gauge and its progress text) shows. Nothing without the
// child or when the window reaches there already.
void StretchWindowToMarker(TWindow &window, int markerId);
