#include "synthesis/folder/isoplanar_synthesis.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "foundation/fft/fft.h"
#include "foundation/helpers/helpers.h"
#include "foundation/numerics/random.h"
#include "imaging/rasters/linear_convolution.h"
#include "imaging/rasters/raster_records.h"
#include "imaging/testobject/test_object.h"
#include "platform/core/message_box.h"


std::string IsoplanarResultName(const std::string &directory, int k) {
  return directory + "/img" + std::to_string(k) + ".img";
}

void MultiplySpectrumRow(const float *o, const float *p, const float *d, float *re, float *im, int n) {
  const float *oI = o + n;
  const float *pI = p + n;
  for (int c = 0; c < n; ++c) {
    const float oR = o[c], oi = oI[c], pR = p[c], pi = pI[c];
    float r = oR * pR - oi * pi;
    float i = pR * oi + oR * pi;
    if (d != nullptr) {
      const float dR = d[c], di = d[n + c];
      const float r2 = r * dR - i * di;
      i = dR * i + r * di;
      r = r2;
    }
    re[c] = r;
    im[c] = i;
  }
}

void RecentreRaster(int n, float *cells) {
  if (n < 2 || cells == nullptr) return;
  const std::ptrdiff_t side = n, half = n / 2;
  // A shift by half of an even length is a swap of the two halves, rows and columns alike.
  for (std::ptrdiff_t r = 0; r < side; ++r) {
    float *row = cells + r * side;
    std::swap_ranges(row, row + half, row + half);
  }
  std::swap_ranges(cells, cells + half * side, cells + half * side);
}

int SynthesizeIsoplanarImage(const TIsoplanarParticipants &who, const TIsoplanarSettings &settings,
                             HWND owner, Mem<TFileData> &results, std::int32_t &customObject) {
  const int n = settings.pixelCount;
  // The old results go now: a synthesis that fails leaves none that its files no longer hold.
  results.Clear();
  const bool traced = settings.tracedImage;
  if (who.object == nullptr || (who.psf == nullptr && !traced) || n < 2 || (n & (n - 1)) != 0) return 0;
  // The results go to a private directory or nowhere (an empty one would be the root).
  if (settings.directory.empty()) return 0;
  SetWaitCursor();
  Mem<float> re;
  if (!re.Allocate(n, n)) {
    SetArrowCursor();
    return 0;
  }
  if (who.object->TransformRasters() == 0) {
    SetArrowCursor();
    return 0;
  }
  // A traced object's wavelengths are its own; the others' are the PSF's.
  if (!traced) who.psf->TransformRasters();
  const Mem<TFileData> &listed = traced ? who.object->rasterFiles : who.psf->rasterFiles;
  const int components = RecordCount(listed);
  if (components == 0) {
    SetArrowCursor();
    MessageBeep(static_cast<UINT>(-1));
    MessageBox(owner, kNoPsfText, "Warning", MB_OK | MB_ICONINFORMATION);
    return 0;
  }
  Mem<TFileData> made;
  if (!made.Allocate(components, 1)) {
    SetArrowCursor();
    return 0;
  }
  customObject = who.object->name == kCustomObjectName ? 1 : 0;
  TTestObject *detector = who.detector;
  // A detector without its response (told why by the detector) leaves no result: an image
  // through a missing response would be black.
  if (detector != nullptr && detector->TransformRasters() == 0) {
    SetArrowCursor();
    return 0;
  }
  // The detector's responses, read once: every component passes the same ones.
  std::vector<const TFileData *> responseFiles;
  if (detector != nullptr) detector->ResponseFiles(responseFiles);
  const std::size_t psfSlot = responseFiles.size();
  const int responseCount = static_cast<int>(psfSlot) + (traced ? 0 : 1);
  std::vector<Mem<float>> responseCells(static_cast<std::size_t>(responseCount));
  std::vector<TLinearResponse> responses(static_cast<std::size_t>(responseCount));
  const auto readResponses = [&](bool quiet) {
    if (detector != nullptr) detector->ResponseFiles(responseFiles);
    if (responseFiles.size() != psfSlot) return false;
    for (std::size_t i = 0; i < psfSlot; ++i) {
      TFileData reader(*responseFiles[i]);
      // The first look is silent: a response of another raster is remade, not reported.
      if (quiet ? reader.Read(responseCells[i]) == 0 || responseCells[i].cols != n || responseCells[i].rows != n
                : !ReadSquareRaster(reader, responseCells[i], n))
        return false;
      responses[i] = {responseCells[i].data, ResponseReach(responseCells[i].data, n)};
    }
    return true;
  };
  // A response of another raster, or gone from disk, is made anew once; never used.
  if (!readResponses(true)) {
    detector->state = kNothingComputed;
    if (detector->TransformRasters() == 0 || !readResponses(false)) {
      SetArrowCursor();
      return 0;
    }
  }
  // A PSF of unit integral sums to 1 / g^2 over its cells: the cell area brings the image
  // back to the object's light. A traced image passes as it is.
  const double cellArea = traced ? 1.0 : settings.pixelSize * settings.pixelSize;
  const std::int64_t cells = static_cast<std::int64_t>(n) * n;
  const int objectRecords = RecordCount(who.object->rasterFiles);
  for (int k = 0; k < components; ++k) {
    TFileData &record = made.data[k];
    record.fileName = IsoplanarResultName(settings.directory, k);
    record.wavelength = listed.data[k].wavelength;
    record.weight = listed.data[k].weight;
    // The object's record of the component (one record serves every component), and the
    // component's PSF, then the image as their linear convolution with the detector.
    // An object without rasters is dark.
    const int objectRecord = objectRecords == 1 ? 0 : k;
    if (objectRecord >= objectRecords) {
      re.Zero();
    } else if (TFileData objectReader(who.object->rasterFiles.data[objectRecord]); !ReadSquareRaster(objectReader, re, n)) {
      SetArrowCursor();
      return 0;
    }
    if (!traced) {
      TFileData psfReader(who.psf->rasterFiles.data[k]);
      if (!ReadSquareRaster(psfReader, responseCells[psfSlot], n)) {
        SetArrowCursor();
        return 0;
      }
      responses[psfSlot] = {responseCells[psfSlot].data, ResponseReach(responseCells[psfSlot].data, n)};
    }
    if (!ConvolveLinear(re.data, n, responses.data(), responseCount, cellArea)) {
      SetArrowCursor();
      ShowNotEnoughMemory();
      return 0;
    }
    float maximum = 0.0f;
    for (std::int64_t i = 0; i < cells; ++i) maximum = std::max(maximum, re.data[i]);
    const double level = settings.noiseKind != 0 ? settings.noiseLevel : 0.0;
    if (level != 0.0) {
      const double deviation = maximum * level;
      for (std::int64_t i = 0; i < cells; ++i)
        re.data[i] += static_cast<float>(RandomNormal(0.0, deviation));
    }
    if (who.signal != nullptr) who.signal->CalcSignal(re, 0);
    if (record.Write(re) == 0) {
      SetArrowCursor();
      return 0;
    }
  }
  results = made;
  SetArrowCursor();
  return 1;
}
