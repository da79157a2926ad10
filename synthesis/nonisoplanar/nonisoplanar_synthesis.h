#pragma once
// The non-isoplanar image synthesis: PSFs at every field node and spectral component, the
// image-to-object maps from the system turned round, the node PSFs resampled to the image
// grid, and the image of the current test object superposed cell by cell, one raster file
// "img<k>.img" per component.
//
// The system is turned round on a copy, never in place: the turning belongs to the
// editor's model, which sits above this library, so the caller hands in a turner.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "foundation/containers/mem.h"
#include "optics/model/file_data.h"
#include "synthesis/nonisoplanar/image_object_maps.h"
#include "synthesis/nonisoplanar/node_psf_lookup.h"
#include "synthesis/nonisoplanar/node_psfs.h"

class TOpticalSystem;
class TSynthesisProgress;
class TTestImage;
class TTestObject;

// Makes a copy of a system turned round (surfaces in reverse order, the field list seen
// from the image side), every configuration turned. Null when it cannot be made.
class TSystemTurner {
 public:
  virtual ~TSystemTurner() = default;
  virtual std::unique_ptr<TOpticalSystem> TurnedCopy(const TOpticalSystem &system) = 0;
};

// The turner of a plain system (one configuration).
class TPlainSystemTurner : public TSystemTurner {
 public:
  std::unique_ptr<TOpticalSystem> TurnedCopy(const TOpticalSystem &system) override;
};

enum TNonIsoplanarAnswer : int {
  kNonIsoplanarFailed = 0,
  kNonIsoplanarDone = 1,
  kNonIsoplanarUseIsoplanar = 2,  // no field points: the isoplanar synthesis forms the image
  // The user stopped the rows: the components finished before are written, the image is
  // not complete (and must not pass for computed).
  kNonIsoplanarStopped = 3,
};

// What one synthesis works on; nothing is owned.
struct TNonIsoplanarJob {
  TOpticalSystem *system = nullptr;   // prepared and restored; never turned in place
  TSystemTurner *turner = nullptr;
  TTestObject *object = nullptr;      // the current test object
  TTestImage *image = nullptr;        // the shared synthesis record
  // The node PSF records (nodes x components) and their state: with state 1 they are
  // reused, else computed and the state set to 1.
  Mem<TFileData> *nodeTable = nullptr;
  std::int32_t *nodeState = nullptr;
  Mem<TFileData> *results = nullptr;  // receives one record per component
  TSynthesisProgress *progress = nullptr;
  std::string directory;              // the temporary directory when empty
};

// The rasters of a run: N x N for the Quality chosen (the synthesis record's pixelCount),
// about cell (N/2, N/2); a bitmap scene ("Custom object") keeps the size and centre of
// its capture. Width 0 without a positive pixel count.
struct TRunRaster {
  int width = 0;
  int height = 0;
  int centreColumn = 0;
  int centreRow = 0;
};
TRunRaster RunRaster(const TTestObject &object, int pixelCount);

// Tells the nodes whose PSF window keeps less than kPsfShareKept of their light, each with
// its share, and asks whether to compute them on a window that holds every node's blur
// (2.2 times the farthest spread: `wanted`). False, without a box, when every node fits, or
// when the user keeps the windows.
bool OfferNodeWindow(const std::vector<TNodeLight> &light, bool atInfinity, double &wanted);

class TNonIsoplanarSynthesis {
 public:
  // Forms the image. Refuses (0) with the reason in a message box when the system cannot
  // be turned round ("System error...") or its field has no image; quietly when a part of
  // the job is missing, a preparation fails (missing glasses, which it told), a node PSF
  // cannot be made or a file written, or the user declines to go on with PSF samples
  // larger than an object pixel. A stop by the user in the rows keeps the components
  // finished before it and answers kNonIsoplanarStopped; a stop in the node PSFs fails.
  int Run(TNonIsoplanarJob &job);

  // The steps, for the tests. PrepareSystemData fills the maps and the field extents of
  // the record from a turned copy; 0 when the image field is 0 or the copy fails.
  int PrepareSystemData(TNonIsoplanarJob &job);
  // Resamples every node record to "<name>.imc" at the object pixel, each cell the share of
  // the point's light that falls in it (the cells sum to the transmission); 0 when one
  // fails.
  int GatherNodePsfs(const Mem<TFileData> &nodeTable, double objectPixel);

  // Node coordinates (mm, or mrad at infinity) to the image units of the maps (mm, or
  // degrees at infinity): 1 or 0.18 / pi.
  double nodeToImage = 1.0;
  TImageObjectMaps maps;
  Mem<TFileData> nodePsfs;  // the resampled records: ".imc" names, ".img" headers
  TNodePsfLookup lookup;

 private:
  bool turnedCopyMade_ = false;
};
