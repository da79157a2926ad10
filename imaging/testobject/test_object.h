#pragma once
// The common interface of everything that takes part in an image synthesis: test objects,
// detector models, the PSF page, the synthesis pages and the folder. It is a second base
// of those dialogs and holds what they share: a calculation state, a display name, a table
// of raster files (one per spectral component) with a matching table of spectrum files,
// and the operations that compute, transform, filter and show those rasters.
//
// Every raster here is N x N pixels of size p, N and p being pixelCount and pixelSize of
// the shared TTestImage; without that record there is nothing to compute on.

#include <cstdint>
#include <string>
#include <vector>

#include "foundation/containers/mem.h"
#include "optics/model/file_data.h"
#include "platform/core/types.h"

// Calculation states.
enum TTestObjectState : std::int32_t {
  kNothingComputed = 0,
  kRastersWritten = 1,
  kSpectraWritten = 2,  // the raster files and their spectrum files
};

// The side of a picture window of a small raster, and the pixel count from which the
// window shows the raster pixel for pixel.
constexpr int kSmallPictureSide = 256;
constexpr int kFullSizePictureFrom = 512;

class TColorImage;
class TTestImage;

class TTestObject {
 public:
  explicit TTestObject(HWND ownerWindow);
  // Closes spectrum files left open; the files on disk stay (the folder deletes them).
  virtual ~TTestObject();
  TTestObject(const TTestObject &) = delete;
  TTestObject &operator=(const TTestObject &) = delete;

  // Passes the raster through the scanning detector's time response: every row is read as
  // a signal in time along the scan, through a first-order lag with the scanner's Tau.
  // Nothing happens with skip non-zero, without detector or scanner record, or before a
  // scan was prepared.
  virtual void CalcSignal(Mem<float> &raster, int skip);
  // Overrides move the dialog's values into the model and clear `state` on a change.
  virtual int ReadParameters() { return 1; }
  virtual int ShowParameters() { return 1; }
  // The object's brightness at the object-field point (x, y) for spectral component
  // `component`; the base has none.
  virtual double ValueAt(int component, double x, double y);
  // Overrides write the raster files and fill both tables; 0 on failure.
  virtual int Calculate();
  // Computes on demand the spectra of all raster files: from state 0 it calculates first,
  // from state 2 it does nothing. 0 when Calculate fails, a raster file cannot be read or
  // is not N x N, or a spectrum file cannot be written (the state then stays below 2).
  virtual int TransformRasters();
  // Writes a spectrum (N x N real and imaginary parts) to spectrum file k. 1 when written.
  virtual int WriteFrame(int k, Mem<float> &re, Mem<float> &im);
  // Reads spectrum file k into rasters of at least N x N cells (not resized). 1 when read.
  virtual int ReadFrame(int k, Mem<float> &re, Mem<float> &im);
  // Opens a picture window of the raster files in the shared colour image.
  virtual void ShowColorImage();
  // Opens a 3-D plot of the spectrally weighted mean raster (see BuildMeanRaster).
  virtual void ShowGraph();
  // The raster files of the responses an image is convolved with, in turn, when this is
  // the synthesis's detector: its first raster file (none without one).
  virtual void ResponseFiles(std::vector<const TFileData *> &files) const;
  // What each of ResponseFiles is made from as the settings stand now (kind, sizes, pixel,
  // side, a file and its contents), in the same order; none: the files carry no such record
  // and are taken as they are.
  virtual void ResponseInputs(std::vector<std::string> &inputs) const { inputs.clear(); }
  // True when every response file carries, beside it, the inputs it must be made from now:
  // a response made for other settings (or by another model into the same file) is stale.
  bool ResponsesStand() const;
  // Adds every raster file into sum, which becomes N x N zeros first unless it already has
  // N columns. 0 when a file could not be added.
  virtual int AccumulateRasters(Mem<float> &sum);

  // Row-by-row reading of a spectrum: open, read row pairs, close. A table of one spectrum
  // file serves every index. OpenFrameFile refuses a file that is not exactly 8 N^2 bytes.
  int OpenFrameFile(int k);
  void CloseFrameFile(int k);
  // Row n of spectrum k into pair (N columns x 2 rows: real parts, imaginary parts; made
  // zero-filled when it has another shape). 0, with the pair zero, when the file is not
  // open or the row cannot be read.
  int ReadFrameStep(int k, Mem<float> &pair, int n);

  // The mean image of the raster files into the raster of TTestImage: one record as it is;
  // several sorted by wavelength (the table stays sorted) and averaged over wavelength by
  // the trapezoidal rule with their weights; when all share one wavelength, their weighted
  // mean (the plain mean when the weights sum to 0). 0 when a file is unusable.
  int BuildMeanRaster();

  HWND owner = nullptr;
  std::int32_t state = kNothingComputed;
  std::string name;            // window captions read "Image: " and this
  Mem<TFileData> rasterFiles;  // a columns x rows table; record k = row x columns + column
  Mem<TFileData> frameFiles;   // the spectrum file of each raster file, same index
  SIZE pictureSize{kSmallPictureSide, kSmallPictureSide};
  POINT pictureCentre{kSmallPictureSide / 2, kSmallPictureSide / 2};
  Mem<float> plane;            // a work raster for the derived class
  // The pitch of the raster files when it is not the shared record's pixel size (an image
  // over the system's whole field); 0: the pixel size.
  double rasterPitch = 0.0;

  // The pitch the raster files were computed at: what their pictures, plots and
  // measurements take.
  double RasterPitch() const;

 protected:
  // Writes raster file 0 and, beside it, what it was made from (`inputs`); the record of
  // the old response goes first, so a failed write leaves none. 1 when both are written.
  int WriteResponse(const Mem<float> &raster, const std::string &inputs);
  // The spectrum record of index k (record 0 when the table has one), null when none.
  TFileData *FrameRecord(int k);
  // "Image: " and the name.
  std::string ImageCaption() const;
  // Shows the built colour image in a picture window of side x side at place, with the
  // image caption, and keeps it as the record's last picture.
  void OpenPicture(TTestImage &image, TColorImage &colorImage, POINT place, int side,
                   DWORD style);
};

// The file beside a response raster that holds what the raster was made from.
std::string ResponseInputsFile(const std::string &rasterFile);

// N of the shared record when it is a usable power of two, else 0.
int SynthesisPixelCount();

class TSynthesisWindows;
// The record's shared colour image, made on first use, emptied; null (after the memory
// box) when it cannot be made.
TColorImage *ClearedSharedColorImage(TTestImage &image);
// The top-left corner of the next picture or graph window: right of the folder window,
// one caption height further down and right for each window in the cascade (advances the
// record's cascade counter).
POINT CascadePlacement(TTestImage &image, TSynthesisWindows *windows);
