#include "imaging/pictures/color_picture.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "imaging/color/color_image.h"
#include "imaging/color/color_modes.h"
#include "imaging/pictures/picture_scale.h"
#include "imaging/pictures/picture_scaling.h"
#include "imaging/pictures/picture_tune.h"
#include "imaging/testobject/test_image.h"
#include "platform/core/font_faces.h"
#include "platform/core/message_box.h"
#include "platform/gui/bars/cursors.h"
#include "toolkit/render3d/o_dib.h"

namespace {

constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr int kContrastStep = 40;
constexpr int kHighestBlackLevel = 200;
// The client keeps at least this many pixels a side however often it is halved, and at
// most kLargestClient however often it is doubled.
constexpr int kSmallestClient = 16;
constexpr int kLargestClient = 8192;
// The axes' labels are this fraction of the system font's height.
constexpr int kSystemFontHeight = 16;
constexpr double kAxisFontFraction = 0.6;
// Half the side of the square round the axes' crossing where the picture shows through: the
// axes and the ticks at the origin are one pixel wide and a few long.
constexpr int kCrossingClearance = 3;
constexpr double kZoomSlack = 1e-4;

// The hourglass while the picture is built and drawn; the arrow again at the end.
class TWaitCursor {
 public:
  TWaitCursor() { SetCursor(LoadCursor(nullptr, IDC_WAIT)); }
  ~TWaitCursor() { SetCursor(LoadCursor(nullptr, IDC_ARROW)); }
  TWaitCursor(const TWaitCursor &) = delete;
  TWaitCursor &operator=(const TWaitCursor &) = delete;
};

std::vector<TColorPicture *> &PictureList() {
  static std::vector<TColorPicture *> pictures;
  return pictures;
}

TTestImage &SharedRecord() {
  if (GetTestImage() == nullptr) SetTestImage(new TTestImage);
  return *GetTestImage();
}

}  // namespace

const TResponseTableEntry TColorPicture::kTable[] = {
    EvMessage<WM_RBUTTONDOWN, &TColorPicture::EvRButtonDown>(),
    EvMessage<WM_LBUTTONDOWN, &TColorPicture::EvLButtonDown>(),
    EvMessage<WM_MOUSEMOVE, &TColorPicture::EvMouseMove>(),
    EvMessage<WM_DESTROY, &TColorPicture::EvDestroy>(),
    EvMessage<&TColorPicture::EvPointWindowClosed>(WM_PICTURE_NOTICE),
    EvCommand<&TColorPicture::Cm<CM_PICTURE_GRAY>>(CM_PICTURE_GRAY),
    EvCommand<&TColorPicture::Cm<CM_PICTURE_NATURAL>>(CM_PICTURE_NATURAL),
    EvCommand<&TColorPicture::Cm<CM_PICTURE_TV>>(CM_PICTURE_TV),
    EvCommand<&TColorPicture::Cm<CM_PICTURE_PSEUDO>>(CM_PICTURE_PSEUDO),
    EvCommand<&TColorPicture::Cm<CM_PICTURE_LINE>>(CM_PICTURE_LINE),
    EvCommand<&TColorPicture::Cm<CM_PICTURE_CONTINUOUS>>(CM_PICTURE_CONTINUOUS),
    EvCommand<&TColorPicture::Cm<CM_PICTURE_LOG>>(CM_PICTURE_LOG),
    EvCommand<&TColorPicture::Cm<CM_PICTURE_LINEAR>>(CM_PICTURE_LINEAR),
    EvCommand<&TColorPicture::Cm<CM_PICTURE_ACTUAL_BRIGHTNESS>>(CM_PICTURE_ACTUAL_BRIGHTNESS),
    EvCommand<&TColorPicture::Cm<CM_PICTURE_MORE_BRIGHTNESS>>(CM_PICTURE_MORE_BRIGHTNESS),
    EvCommand<&TColorPicture::Cm<CM_PICTURE_LESS_BRIGHTNESS>>(CM_PICTURE_LESS_BRIGHTNESS),
    EvCommand<&TColorPicture::Cm<CM_PICTURE_ACTUAL_CONTRAST>>(CM_PICTURE_ACTUAL_CONTRAST),
    EvCommand<&TColorPicture::Cm<CM_PICTURE_MORE_CONTRAST>>(CM_PICTURE_MORE_CONTRAST),
    EvCommand<&TColorPicture::Cm<CM_PICTURE_LESS_CONTRAST>>(CM_PICTURE_LESS_CONTRAST),
    EvCommand<&TColorPicture::Cm<CM_PICTURE_ACTUAL_SIZE>>(CM_PICTURE_ACTUAL_SIZE),
    EvCommand<&TColorPicture::Cm<CM_PICTURE_ZOOM2>>(CM_PICTURE_ZOOM2),
    EvCommand<&TColorPicture::Cm<CM_PICTURE_ZOOM5>>(CM_PICTURE_ZOOM5),
    EvCommand<&TColorPicture::Cm<CM_PICTURE_ZOOM_CUSTOM>>(CM_PICTURE_ZOOM_CUSTOM),
    EvCommand<&TColorPicture::Cm<CM_PICTURE_COLOR_SCALE>>(CM_PICTURE_COLOR_SCALE),
    EvCommand<&TColorPicture::Cm<CM_PICTURE_AXES>>(CM_PICTURE_AXES),
    EvCommand<&TColorPicture::Cm<CM_PICTURE_SIZE_UP>>(CM_PICTURE_SIZE_UP),
    EvCommand<&TColorPicture::Cm<CM_PICTURE_SIZE_DOWN>>(CM_PICTURE_SIZE_DOWN),
    EvCommand<&TColorPicture::Cm<CM_PICTURE_ENERGY>>(CM_PICTURE_ENERGY),
    EvCommand<&TColorPicture::Cm<CM_PICTURE_RGB>>(CM_PICTURE_RGB),
    EvCommand<&TColorPicture::Cm<CM_PICTURE_POINT_WINDOW>>(CM_PICTURE_POINT_WINDOW),
    EvCommand<&TColorPicture::Cm<CM_PICTURE_POINT_CURRENT>>(CM_PICTURE_POINT_CURRENT),
    EvCommand<&TColorPicture::Cm<CM_PICTURE_POINT_TRAIL>>(CM_PICTURE_POINT_TRAIL),
    EvCommand<&TColorPicture::Cm<CM_PICTURE_FLIP_H>>(CM_PICTURE_FLIP_H),
    EvCommand<&TColorPicture::Cm<CM_PICTURE_FLIP_V>>(CM_PICTURE_FLIP_V),
};
const std::size_t TColorPicture::kTableSize = std::size(TColorPicture::kTable);

TColorPicture::TColorPicture(HWND parentHandle, int left, int top, int w, int h, DWORD style,
                             int /*option*/, TColorImage &shown)
    : TGGraph(parentHandle, left, top, w, h, style, kBlack, nullptr), image_(&shown) {
  PictureList().push_back(this);
  Attr.W = w;
  Attr.H = h;
  clientWidth = w;
  clientHeight = h;
  blackLevel = shown.blackLevel;
  savedGamma = shown.gammaFlag;
  modeWord = shown.modeWord;
}

TColorPicture::~TColorPicture() {
  std::erase(PictureList(), this);
  if (image_->window == this) image_->window = nullptr;
  if (TTestImage *record = GetTestImage(); record != nullptr && record->picture == this) {
    record->picture = nullptr;
  }
  if (TColorPictureTune *tune = GetPictureTune(); tune != nullptr && tune->Picture() == this) {
    DeletePictureTune();
  }
}

const std::vector<TColorPicture *> &TColorPicture::Pictures() { return PictureList(); }

void TColorPicture::KeepOwnImage() {
  if (ownImage_ != nullptr) return;
  auto own = std::make_unique<TColorImage>();
  const TColorImage &shown = *image_;
  own->pixels = shown.pixels;
  own->modeWord = shown.modeWord;
  own->modeCopy = shown.modeCopy;
  own->gain = shown.gain;
  own->pixelPitch = shown.pixelPitch;
  own->dynamicRange = shown.dynamicRange;
  own->shortestWavelength = shown.shortestWavelength;
  own->longestWavelength = shown.longestWavelength;
  own->wavelengthSlope = shown.wavelengthSlope;
  own->wavelengthOffset = shown.wavelengthOffset;
  own->scaleMode = shown.scaleMode;
  own->blackLevel = shown.blackLevel;
  own->gammaFlag = shown.gammaFlag;
  own->window = this;
  ownImage_ = std::move(own);
  image_ = ownImage_.get();
  SetOption(false);
}

bool TColorPicture::Find(TEventInfo &info) {
  return SearchResponseTable(std::span(kTable, kTableSize), info) || TGGraph::Find(info);
}

void TColorPicture::SetupWindow() {
  TGGraph::SetupWindow();
  TTestImage &record = SharedRecord();
  modeWord = image_->modeWord;
  savedGamma = image_->gammaFlag;
  blackLevel = static_cast<int>(record.pictureValue3);
  const int imageWidth = image_->pixels.cols;
  const int imageHeight = image_->pixels.rows;
  centreX = imageWidth / 2;
  centreY = imageHeight / 2;
  zoom = 1.0f;
  view = {0, 0, imageWidth - 1, imageHeight - 1};
  drawAxes = record.pictureInt2;
  const int kind = modeWord & 15;
  drawColorScale = (kind == kNaturalColor || kind == kPseudoColor) && HasWavelengths()
                       ? record.pictureInt1
                       : 0;
  record.picture = this;
  CreatePictureTune(this);
  PlacePictureTune(*this);
}

void TColorPicture::SetImage(const std::string &text) {
  title_ = text;
  SetCaption(title_ + FormatPictureScale(*this));
}

bool TColorPicture::HasWavelengths() const {
  return image_->shortestWavelength != 0.0f && image_->longestWavelength != 0.0f;
}

void TColorPicture::Command(int id) {
  if (id >= CM_PICTURE_GRAY && id <= CM_PICTURE_CONTINUOUS) {
    ColorModeCommand(id - 200);
  } else if (id >= CM_PICTURE_LOG && id <= CM_PICTURE_LESS_CONTRAST) {
    ScaleCommand(id);
  } else if (id >= CM_PICTURE_ACTUAL_SIZE && id <= CM_PICTURE_ZOOM_CUSTOM) {
    ZoomCommand(id);
  } else if (id >= CM_PICTURE_COLOR_SCALE && id <= CM_PICTURE_SIZE_DOWN) {
    OptionCommand(id);
  } else if (id == CM_PICTURE_ENERGY) {
    ShowEnergySections();
  } else if (id == CM_PICTURE_RGB) {
    ShowRgbSections();
  } else if (id == CM_PICTURE_POINT_WINDOW) {
    TogglePointWindow();
  } else if (id == CM_PICTURE_POINT_CURRENT || id == CM_PICTURE_POINT_TRAIL) {
    trail = id == CM_PICTURE_POINT_TRAIL ? 1 : 0;
  } else if (id == CM_PICTURE_FLIP_H || id == CM_PICTURE_FLIP_V) {
    const bool horizontal = id == CM_PICTURE_FLIP_H;
    (horizontal ? flippedH : flippedV) ^= 1;
    FlipPixels(horizontal);
    Redraw(false);
  }
}

void TColorPicture::ColorModeCommand(int k) {
  // A picture that kept its own copy has no components left to build another mode from.
  if (ownImage_ != nullptr) return;
  const int s = (modeWord & kLineSpectrum) != 0 ? kLineSpectrum : kContinuousSpectrum;
  const int r = modeWord - s;
  // The tuning button shows the continuous spectrum pressed: raised, it asks for it.
  if (k == kLineSpectrum) {
    if (TColorPictureTune *tune = GetPictureTune(); tune != nullptr && !tune->IsPressed(216)) {
      k = kContinuousSpectrum;
    }
  }
  int word = modeWord;
  switch (k) {
    case kGrayScale: word = kGrayScale | kLineSpectrum; break;
    case kNaturalColor: word = s + kNaturalColor; break;
    case kTvColor: word = kTvColor | kLineSpectrum; break;
    case kPseudoColor: word = s + kPseudoColor; break;
    case kLineSpectrum: word = r + kLineSpectrum; break;
    case kContinuousSpectrum: word = r + kContinuousSpectrum; break;
    default: return;
  }
  modeWord = word;
  {
    TWaitCursor wait;
    Rebuild();
  }
  if (HWND owner = GetParent(); owner != nullptr) {
    ::PostMessage(owner, WM_PICTURE_MODE, static_cast<WPARAM>(modeWord), 0);
  }
  const int kind = modeWord & 15;
  drawColorScale = kind == kNaturalColor || kind == kPseudoColor ? 1 : 0;
  Redraw(false);
}

void TColorPicture::ScaleCommand(int id) {
  if (ownImage_ != nullptr) return;  // as ColorModeCommand: nothing to rebuild from
  if (id == CM_PICTURE_LOG) {
    if (TColorPictureTune *tune = GetPictureTune(); tune != nullptr && tune->IsPressed(300)) {
      id = CM_PICTURE_LINEAR;
    }
  }
  const float f = image_->scaleMode != 0 ? 10.0f : 2.0f;
  switch (id) {
    case CM_PICTURE_LOG:
      image_->SetScaleMode(1);
      image_->SetGamma(0);
      break;
    case CM_PICTURE_LINEAR:
      image_->SetScaleMode(0);
      image_->SetGamma(savedGamma);
      break;
    case CM_PICTURE_ACTUAL_BRIGHTNESS:
      image_->dynamicRange = 0.001f;
      image_->gain = 1.0f;
      break;
    case CM_PICTURE_MORE_BRIGHTNESS:
      image_->dynamicRange /= f;
      image_->gain *= f;
      break;
    case CM_PICTURE_LESS_BRIGHTNESS:
      image_->dynamicRange *= f;
      image_->gain /= f;
      break;
    case CM_PICTURE_ACTUAL_CONTRAST:
      image_->blackLevel = 0;
      break;
    case CM_PICTURE_MORE_CONTRAST:
      if (image_->blackLevel - kContrastStep < 0) {
        MessageBeep(0xFFFFFFFFu);
        image_->blackLevel = 0;
      } else {
        image_->blackLevel -= kContrastStep;
      }
      break;
    case CM_PICTURE_LESS_CONTRAST:
      if (image_->blackLevel + kContrastStep > kHighestBlackLevel) {
        MessageBeep(0xFFFFFFFFu);
        image_->blackLevel = kHighestBlackLevel;
      } else {
        image_->blackLevel += kContrastStep;
      }
      break;
    default: return;
  }
  blackLevel = image_->blackLevel;
  {
    TWaitCursor wait;
    Rebuild();
  }
  Redraw(false);
}

void TColorPicture::ZoomCommand(int id) {
  switch (id) {
    case CM_PICTURE_ACTUAL_SIZE:
      centreX = image_->pixels.cols / 2;
      centreY = image_->pixels.rows / 2;
      zoom = 1.0f;
      break;
    case CM_PICTURE_ZOOM2: zoom *= 2.0f; break;
    case CM_PICTURE_ZOOM5: zoom *= 5.0f; break;
    case CM_PICTURE_ZOOM_CUSTOM: RunScaleDialog(*this); return;
    default: return;
  }
  Redraw(true);
}

void TColorPicture::OptionCommand(int id) {
  switch (id) {
    case CM_PICTURE_COLOR_SCALE: drawColorScale ^= 1; break;
    case CM_PICTURE_AXES: drawAxes ^= 1; break;
    case CM_PICTURE_SIZE_UP:
      clientWidth = std::min(clientWidth * 2, kLargestClient);
      clientHeight = std::min(clientHeight * 2, kLargestClient);
      break;
    case CM_PICTURE_SIZE_DOWN:
      clientWidth = std::max(clientWidth / 2, kSmallestClient);
      clientHeight = std::max(clientHeight / 2, kSmallestClient);
      break;
    default: return;
  }
  TTestImage &record = SharedRecord();
  record.pictureInt1 = drawColorScale;
  record.pictureInt2 = drawAxes;
  Redraw(false);
}

void TColorPicture::Rebuild() {
  // A failed build still leaves pixels to show, whatever they hold.
  image_->BuildFromComponents(modeWord);
  ApplyFlips();
}

void TColorPicture::ApplyFlips() {
  if (flippedH != 0) FlipPixels(true);
  if (flippedV != 0) FlipPixels(false);
}

void TColorPicture::FlipPixels(bool horizontal) {
  Mem<COLORVECTOR> &pixels = image_->pixels;
  const int imageWidth = pixels.cols;
  const int imageHeight = pixels.rows;
  if (pixels.data == nullptr) return;
  if (horizontal) {
    for (int j = 0; j < imageHeight; ++j) {
      COLORVECTOR *row = pixels.data + static_cast<long>(j) * imageWidth;
      for (int i = 0; i < imageWidth / 2; ++i) std::swap(row[i], row[imageWidth - 1 - i]);
    }
  } else {
    for (int j = 0; j < imageHeight / 2; ++j) {
      std::swap_ranges(pixels.data + static_cast<long>(j) * imageWidth,
                       pixels.data + static_cast<long>(j + 1) * imageWidth,
                       pixels.data + static_cast<long>(imageHeight - 1 - j) * imageWidth);
    }
  }
}

void TColorPicture::Redraw(bool recomputeView) {
  UpdatePictureTune(*this);
  const SIZE bitmap = GetBitmapSize();
  if (bitmap.cx != clientWidth || bitmap.cy != clientHeight) {
    const RECT frame = GetWindowRect();
    CreateBackingBitmap(clientWidth, clientHeight);
    if (IsWindow()) {
      MoveWindow(frame.left, frame.top, frame.right - frame.left + clientWidth - bitmap.cx,
                 frame.bottom - frame.top + clientHeight - bitmap.cy, true);
    }
  }
  TWaitCursor wait;
  SetPlotArea(0, 0, clientWidth, clientHeight, false, false);
  const int imageWidth = image_->pixels.cols;
  const int imageHeight = image_->pixels.rows;
  if (recomputeView) {
    // At least one pixel each side of the centre, so that any zoom shows a picture.
    // A zoom a rounding above a whole ratio (a scale typed to six digits) keeps its pixels.
    const int hw = std::max(1, static_cast<int>((imageWidth / 2) / zoom + kZoomSlack));
    const int hh = std::max(1, static_cast<int>((imageHeight / 2) / zoom + kZoomSlack));
    view = {centreX - hw, centreY - hh, centreX + hw - 1, centreY + hh - 1};
  }
  const double cx = imageWidth / 2;
  const double cy = imageHeight / 2;
  const double p = image_->pixelPitch != 0.0f ? image_->pixelPitch : 1.0;
  SetWorld((view.left - cx + 0.5) * p, (view.right - cx + 0.5) * p,
           (cy - view.bottom - 0.5) * p, (cy - view.top - 0.5) * p);
  SetImage(title_);
  DrawImage();
  if (drawAxes != 0) DrawPictureAxes();
  if (drawColorScale != 0) DrawColorScale();
  Refresh();
  if (TTestImage *record = GetTestImage(); record != nullptr && record->folderWindow != nullptr) {
    ::PostMessage(record->folderWindow, WM_PICTURE_NOTICE, 0, 0);
  }
}

void TColorPicture::DrawImage() {
  TDC *memory = MemoryDC();
  if (memory == nullptr || clientWidth < 1 || clientHeight < 1) return;
  std::vector<std::uint8_t> &rgb = shownRgb_;
  rgb.assign(static_cast<std::size_t>(clientWidth) * clientHeight * 3, 0);
  ScalePicture(image_->pixels.data, image_->pixels.cols, image_->pixels.rows, view, clientWidth,
               clientHeight, rgb.data());
  TODib dib(clientWidth, clientHeight);
  for (int row = 0; row < clientHeight; ++row) {
    const std::uint8_t *line = rgb.data() + static_cast<std::size_t>(row) * clientWidth * 3;
    for (int col = 0; col < clientWidth; ++col) {
      dib.SetPixelRGB(col, row, line[col * 3], line[col * 3 + 1], line[col * 3 + 2]);
    }
  }
  dib.Draw(*memory, 0, 0);
}

void TColorPicture::DrawPictureAxes() {
  if (image_->pixelPitch == 0.0f) return;
  SetPen(PS_SOLID, 1, kWhite);
  SetTextColor(kWhite);
  TOFont font(kFaceSerif, static_cast<int>(kSystemFontHeight * kAxisFontFraction));
  DrawAxes(0.0, 2, 0.0, 2, 0, &font);
  // Where the axes cross, at the picture's centre, lies what matters most (a detector's
  // element of one pixel, the peak of a point's image): the picture shows through there.
  const POINT crossing = WorldToDevice(0.0, 0.0);
  if (shownRgb_.size() != static_cast<std::size_t>(clientWidth) * clientHeight * 3) return;
  for (int row = crossing.y - kCrossingClearance; row <= crossing.y + kCrossingClearance; ++row) {
    if (row < 0 || row >= clientHeight) continue;
    for (int col = crossing.x - kCrossingClearance; col <= crossing.x + kCrossingClearance; ++col) {
      if (col < 0 || col >= clientWidth) continue;
      const std::uint8_t *pixel = shownRgb_.data() + (static_cast<std::size_t>(row) * clientWidth + col) * 3;
      const COLORREF color = RGB(pixel[0], pixel[1], pixel[2]);
      ForEachDrawDC([&](TDC &dc) { dc.SetPixel(col, row, color); });
    }
  }
}

void TColorPicture::DrawColorScale() {
  const float s = image_->shortestWavelength;
  const float l = image_->longestWavelength;
  if (s == 0.0f || l == 0.0f) return;
  TDC *memory = MemoryDC();
  if (memory == nullptr) return;
  constexpr int kColumns = 81;
  constexpr int kRows = 16;
  const int left = clientWidth - 95;
  constexpr int kTop = 5;
  // The bar's light: the colour-matching values of each column's wavelength, fading to
  // black downwards; then the image's own mapping to display values.
  std::vector<COLORVECTOR> cells(kColumns * kRows);
  std::vector<float> luminance(kColumns * kRows);
  const bool logarithmic = image_->scaleMode != 0;
  float smallest = 1e30f;
  float largest = -1e30f;
  for (int i = 0; i < kColumns; ++i) {
    const float wavelength = s + i * (l - s) / 80.0f;
    float rgb[3] = {0.0f, 0.0f, 0.0f};
    TColorRGB::WavelengthToRGB(image_->wavelengthSlope * wavelength + image_->wavelengthOffset,
                               rgb);
    for (int j = 0; j < kRows; ++j) {
      const float fade = 1.0f - j / 15.0f;
      COLORVECTOR &cell = cells[j * kColumns + i];
      cell = {rgb[0] * fade, rgb[1] * fade, rgb[2] * fade};
      float lum = TColorRGB::Luminance(cell.red, cell.green, cell.blue);
      if (logarithmic && lum > kNoLightLimit) lum = std::log10(lum);
      if (lum > kNoLightLimit && lum < smallest) smallest = lum;
      if (lum > largest) largest = lum;
      luminance[j * kColumns + i] = lum;
    }
  }
  float divisor = logarithmic ? largest : largest / image_->gain;
  if (logarithmic) {
    if (image_->dynamicRange > 0.0f) smallest = largest - std::fabs(std::log10(image_->dynamicRange));
    divisor = largest - smallest;
  }
  for (int j = 1; j < kRows - 1; ++j) {
    for (int i = 1; i < kColumns - 1; ++i) {
      float lum = luminance[j * kColumns + i];
      if (lum > kNoLightLimit) {
        if (logarithmic) lum -= smallest;
        if (divisor != 0.0f) lum /= divisor;
      }
      const COLORVECTOR &cell = cells[j * kColumns + i];
      float channels[3] = {cell.red, cell.green, cell.blue};
      image_->ToDisplay(lum, channels, 0);
      memory->SetPixel(left + i, kTop + j,
                       RGB(static_cast<int>(channels[0]) & 0xFF,
                           static_cast<int>(channels[1]) & 0xFF,
                           static_cast<int>(channels[2]) & 0xFF));
    }
  }
  // The white frame and the wavelengths (micrometres) at the bar's ends.
  SetPen(PS_SOLID, 1, kWhite);
  SetTextColor(kWhite);
  auto line = [this](int x1, int y1, int x2, int y2) {
    MoveToDevice(x1, y1, false);
    MoveToDevice(x2, y2, true);
  };
  line(left, kTop, left + kColumns - 1, kTop);
  line(left + kColumns - 1, kTop, left + kColumns - 1, kTop + kRows - 1);
  line(left + kColumns - 1, kTop + kRows - 1, left, kTop + kRows - 1);
  line(left, kTop + kRows - 1, left, kTop);
  TOFont font(kFaceSerif, 8);
  SetFont(font);
  char text[32];
  std::snprintf(text, sizeof text, "%7.3f", s * 0.001);
  TextOut(left, 23, text, TA_LEFT | TA_TOP);
  TextOut(left + kColumns / 2, 23, "mk", TA_CENTER | TA_TOP);
  std::snprintf(text, sizeof text, "%7.3f", l * 0.001);
  TextOut(left + kColumns - 1, 23, text, TA_RIGHT | TA_TOP);
  RestoreFont();
}

void TColorPicture::EvDestroy() {
  DeletePointWindow();
  // The tuning window passes to the newest picture still open, and goes with the last one:
  // its buttons would reach nothing.
  if (TColorPictureTune *tune = GetPictureTune(); tune != nullptr && tune->Picture() == this) {
    TColorPicture *heir = nullptr;
    for (TColorPicture *picture : PictureList())
      if (picture != this && picture->IsWindow()) heir = picture;
    if (heir != nullptr) {
      CreatePictureTune(heir);
      UpdatePictureTune(*heir);
    } else {
      DeletePictureTune();
    }
  }
  TGraphWindow::EvDestroy();
}

void TColorPicture::EvPointWindowClosed() { DeletePointWindow(); }
