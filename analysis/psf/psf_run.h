#pragma once
// One PSF run of the PSF and MTF window and of the synthesis folder's PSF page, without
// the window: the system prepared at each wavelength, its PSF raster written to a raster
// file of the run's own, progress and Escape through the PSF gauge, and the working
// wavelength and raster size given back whatever happens. Also the MTF of the run's files
// in place and their sum over wavelength. Uses the optics' PSF nodes and raster files and
// analysis/psf's maths.

#include <string>

#include "foundation/containers/mem.h"
#include "optics/model/file_data.h"

class TOpticalSystem;

class TPsfRun {
 public:
  // Files go to `directory` (the program's per-user temporary directory when empty).
  explicit TPsfRun(const std::string &directory = std::string());
  // Deletes the files this run wrote, and no other.
  ~TPsfRun();
  TPsfRun(const TPsfRun &) = delete;
  TPsfRun &operator=(const TPsfRun &) = delete;

  enum TState : int { kToCompute = 0, kComputed = 1, kStopped = -1 };

  // The PSF of the object point (Y, X), given as the user sees field values (x 60 in
  // minutes), on nx x nx nodes: one raster file per wavelength (one at the working
  // wavelength for a monochrome system), each standing about the mean wavelength's chief
  // ray where its own chief ray lands. idealPoint puts 1 in the centre node instead.
  // Answers 1 when the files stand (at once when they stood already), 0 when nothing
  // usable was made or the user pressed Escape; the working wavelength and Nd are the
  // system's own again afterwards, and a stopped run counts as not computed.
  int Compute(TOpticalSystem &system, double Y, double X, int nx, bool idealPoint);

  // Replaces every file's PSF by its MTF (normalised to 1 at zero frequency, frequency 0
  // at the centre). Answers 1, or 0 when a file could not be read or written.
  int ConvertToMtf(int nx);

  // The weighted integral of the files' rasters over wavelength over that of the weights.
  int Sum(int nx, Mem<float> &sum);

  // Removes this run's files and empties the lists.
  void DeleteFiles();

  // A change of the object point, of the system or of the settings: compute anew.
  void Invalidate() { state = kToCompute; }

  int state = kToCompute;
  // The largest share of a wavelength's light that stood beyond the grid in the last run;
  // from kToldLightBeyondGrid on, the run tells the user.
  double lightBeyondGrid = 0.0;
  static constexpr double kToldLightBeyondGrid = 1e-3;
  // Every wavelength of the last run whose light stood beyond the grid from
  // kToldLightBeyondGrid on: "at 0.486133 um 100 %, at 0.656273 um 100 %", empty when none.
  std::string lightLeftOut;
  // The node interval of the computed rasters (mm, or mrad for an image at infinity): the
  // system's Discrete when given, else the one in effect at the first wavelength prepared.
  double interval = 0.0;
  Mem<TFileData> images;   // the rasters written, in wavelength order of the system
  Mem<TFileData> spectra;  // the same records under the spectrum files' names
  // The file naming of the last run: the run's own stem and the PSF count.
  std::string FileName(int w, const char *extension) const;

 private:
  std::string directory_;
  std::string stem_;
};

// The wavelength a polychromatic PSF run prepares the system at first: the weighted mean
// of the spectrum, the plain mean when the weights sum to 0.
double MeanWavelength(const TOpticalSystem &system);
