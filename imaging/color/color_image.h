#pragma once
// A colour picture built from per-wavelength float rasters (the spectral components of an
// image, each a raster file with its wavelength and weight): gray scale, natural colours,
// pseudo colours (the component wavelengths stretched over blue .. red) or TV colours
// (three components as blue, green, red), over a line or a continuous spectrum, on a
// linear or logarithmic brightness scale. The picture windows show and retune it.

#include <cstdint>
#include <string>
#include <vector>

#include "foundation/containers/mem.h"
#include "imaging/color/color_rgb.h"
#include "optics/model/color_vector.h"
#include "optics/model/file_data.h"
#include "platform/core/types.h"

class TColorPicture;

class TColorImage : public TColorRGB {
 public:
  // Wavelengths in micrometres; the shared image of the synthesis starts with all four 0.
  TColorImage(float shortestUm = 0.0f, float longestUm = 0.0f, float dynamicRangeValue = 0.0f,
              float pixelPitchValue = 0.0f);
  ~TColorImage();
  TColorImage(const TColorImage &) = delete;
  TColorImage &operator=(const TColorImage &) = delete;

  // Stores the dynamic range, the pixel pitch and both wavelengths (given in micrometres,
  // kept in nanometres).
  void SetGeometry(float shortestUm, float longestUm, float dynamicRangeValue,
                   float pixelPitchValue);
  // Forgets components and pixels. Deletes the component files this image wrote itself,
  // and with deleteFiles set every component's file.
  void Clear();
  // Appends a copy of the record as a component that keeps the file it names. The pixel
  // buffer takes the first component's size (zeros).
  void WriteComponents(const TFileData &record);
  // Appends a component whose raster is written to a file of the image's own, with a
  // unique name in the temporary directory; the image deletes that file when it forgets
  // the component. 0 when the file cannot be written (nothing is appended).
  int WriteComponents(const TFileData &record, const Mem<float> &raster);
  void SetScaleMode(int mode) { scaleMode = mode; }

  // Builds the pixels in the colours of the mode word. 1 when built; 0 with no components,
  // a component file that cannot be read or is not the size of the pixels, TV colours with
  // other than three components, or an unknown colour kind.
  int BuildFromComponents(int mode);

  // Shows the image in a new picture window through the synthesis windows (none while no
  // window layer is installed): the window that showed it before loses its right-button
  // menu, the new one gets it and becomes `window`. Answers the new window's handle.
  HWND ShowInWindow(HWND parent, int x, int y, int clientWidth, int clientHeight, DWORD style,
                    int option);

  // Picture pixel (x, y): display values after a build.
  const COLORVECTOR &Pixel(int x, int y) const { return pixels.data[y * pixels.cols + x]; }
  int ComponentCount() const;

  TColorPicture *window = nullptr;  // the picture window that shows this image now
  std::int32_t deleteFiles = 0;     // non-zero: Clear deletes every component's file
  std::int32_t modeWord = 17;
  std::int32_t modeCopy = 17;       // kept equal to modeWord by every build
  float gain = 1.0f;                // brightness factor of the linear scale
  float pixelPitch = 0.0f;          // one pixel in the units of the axes; 0: no scale
  float dynamicRange = 0.0f;        // faintest / brightest luminance shown in log scale
  float shortestWavelength = 0.0f;  // nm
  float longestWavelength = 0.0f;   // nm
  float wavelengthSlope = 1.0f;     // component wavelength (nm) -> shown wavelength (nm)
  float wavelengthOffset = 0.0f;
  Mem<TFileData> components;        // one column per component, one row
  Mem<COLORVECTOR> pixels;          // width x height of the first component

 private:
  int BuildGray();
  int BuildSpectral(bool continuous);
  int BuildTv();
  // Reads component k into raster; false when it cannot be read or has another size.
  bool ReadComponent(int k, Mem<float> &raster);
  void AddLine(const Mem<float> &raster, float weight, float wavelengthNm);
  // Luminances of the summed pixels, scaled and mapped to display values.
  void RasterToColors(bool tvColors);
  void SortComponentsByWavelength();

  std::vector<std::string> ownFiles_;  // component files this image wrote
};
