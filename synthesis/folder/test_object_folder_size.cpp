// The folder's hold on the system's PSF settings, and the conversions between the object's
// size and the image field.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <utility>

#include "document/system/system_image.h"
#include "imaging/testobject/test_image.h"
#include "analysis/psf/test_psf.h"
#include "optics/psf/diffraction_sampling.h"
#include "platform/core/message_box.h"
#include "synthesis/folder/folder_pages.h"
#include "synthesis/folder/image_size.h"
#include "synthesis/folder/psf_fit.h"
#include "synthesis/folder/test_object_folder.h"
#include "synthesis/folder/test_object_settings.h"
#include "synthesis/lightsource/light_source_choose_dlg.h"

namespace {

// A pixel size changes the image only past this relative amount.
constexpr double kPixelSizeTolerance = 0.001;
// The old pixel size that counts as none.
constexpr double kNoPixelSize = 1e20;
// Without diffraction the estimate fills half the grid with the spot: the field is made
// ten times that wide.
constexpr double kGeometricFieldFactor = 10.0;
// A field the light source chose is fitted again only past this relative difference: the
// reach of a few thousand drawn rays varies by some per cent from run to run.
constexpr double kSourceFieldTolerance = 0.05;
// A chosen field short of the one wanted by more than this is fitted again at once.
constexpr double kSourceFieldShort = 0.01;
// Sizes this close are the same: the box shows six digits.
constexpr double kSameSize = 1e-6;

}  // namespace

void TTestObjectFolder::TakeBorrowedSettings() {
  TTestImage *shared = GetTestImage();
  if (shared == nullptr || system_ == nullptr) return;
  TOpticalSystemInformation &info = system_->info;
  shared->savedNd = info.Nd;
  shared->savedDiscrete = info.Discrete;
  shared->pixelSize = info.Discrete;
  shared->savedDifrac = info.Difrac;
  shared->Distance = 1000.0;
  savedSpectrum_ = info.Spectrum;
  savedMonochrome_ = info.MonochromeSystem;
  savedLambda_ = info.LambdaW;
  info.Nd = kSynthesisNd;
  double discrete = info.Discrete;
  int difrac = info.Difrac;
  if (EstimateDiffractionSampling(*system_, discrete, difrac)) {
    info.Discrete = discrete;
    info.Difrac = difrac;
  }
  shared->pixelSize = info.Difrac == 0 ? info.Discrete * kGeometricFieldFactor : info.Discrete;
  shared->pixelCount = info.Nd;
  shared->fieldSize = shared->pixelCount * shared->pixelSize;
  givenBack_ = false;
  system_->SetSnapshotLender(this);
}

void TTestObjectFolder::GiveBackBorrowedSettings() {
  if (givenBack_ || system_ == nullptr) return;
  givenBack_ = true;
  if (system_->SnapshotLender() == this) system_->SetSnapshotLender(nullptr);
  const TTestImage *shared = GetTestImage();
  TOpticalSystemInformation &info = system_->info;
  if (shared != nullptr) {
    info.Nd = shared->savedNd;
    info.Discrete = shared->savedDiscrete;
    info.Difrac = shared->savedDifrac;
  }
  info.Spectrum = savedSpectrum_;
  info.MonochromeSystem = savedMonochrome_;
  // TV colour works at its own main wavelength: the system's comes back too.
  info.LambdaW = savedLambda_;
  system_->Prepare(0.0, 1, 1);
}

void TTestObjectFolder::KeepLoan() {
  if (system_ == nullptr || givenBack_) return;
  bool lentAgain = false;
  if (system_->info.Nd != kSynthesisNd) {
    system_->info.Nd = kSynthesisNd;
    lentAgain = true;
  }
  if (settingsPage_ != nullptr && settingsPage_->KeepTvLines()) lentAgain = true;
  if (lentAgain) system_->Prepare(0.0, 1, 1);
}

void TTestObjectFolder::SwapBorrowedSettings() {
  TTestImage *shared = GetTestImage();
  if (shared == nullptr || system_ == nullptr) return;
  TOpticalSystemInformation &info = system_->info;
  std::swap(info.Nd, shared->savedNd);
  std::swap(info.Discrete, shared->savedDiscrete);
  std::swap(info.Difrac, shared->savedDifrac);
  std::swap(info.MonochromeSystem, savedMonochrome_);
  std::swap(info.LambdaW, savedLambda_);
  const Mem<TSpectralInfo> borrowed = info.Spectrum;
  info.Spectrum = savedSpectrum_;
  savedSpectrum_ = borrowed;
}

int TTestObjectFolder::SaveSystemWithItsOwnSettings(const std::string &fileName, TFileWriteResult *why) {
  if (system_ == nullptr) return 0;
  if (givenBack_) return system_->Save(fileName, why);
  // The file keeps the user's settings, not the folder's loan.
  SwapBorrowedSettings();
  const int saved = system_->Save(fileName, why);
  SwapBorrowedSettings();
  return saved;
}

void TTestObjectFolder::MarkEverythingToCompute() {
  state = kNothingComputed;
  if (TTestObject *object = CurrentObject()) object->state = kNothingComputed;
  if (psfPage_ != nullptr) psfPage_->Invalidate();
  if (TTestObject *detector = CurrentDetector()) detector->state = kNothingComputed;
}

void TTestObjectFolder::WarnScaleUndefined() {
  if (!scaleWarningDue_) return;
  scaleWarningDue_ = false;
  MessageBox(GetHandle(), kScaleUndefinedText, "Warning", MB_OK | MB_ICONINFORMATION);
}

namespace {

TImageSizeInputs SizeInputs(TOpticalSystem &system, const TTestImage &shared, double size) {
  TImageSizeInputs in;
  in.size = size;
  in.distance = shared.Distance;
  in.magnification = system.info.magnification;
  in.imageFinite = system.info.ImageFinite;
  in.objectFinite = system.info.ObjectFinite;
  in.unit = shared.UnitBtn;
  in.objectSpace = shared.ObjectSpaceCheck;
  TraceScaleRays(system, in.du, in.dh);
  if (in.imageFinite == 0 && in.objectFinite != 0) TraceAngularScale(system, in.angularScale);
  return in;
}

}  // namespace

int TTestObjectFolder::UpdateImageSize() {
  TTestImage *shared = GetTestImage();
  if (shared == nullptr || system_ == nullptr) return 0;
  if (objectPage_ != nullptr) shared->ObjectSize = objectPage_->SizeInChosenUnit();
  const TImageSizeInputs in = SizeInputs(*system_, *shared, shared->ObjectSize);
  double field = 0.0;
  if (ImageFieldFromObjectSize(in, field) != kSizeConverted || !std::isfinite(field)) {
    WarnScaleUndefined();
    return 0;
  }
  shared->fieldSize = std::fabs(field);
  const double share = ObjectShareOfRaster();
  if (shared->fieldSize == 0.0) {
    shared->fieldSize = shared->pixelCount * shared->pixelSize * share;
    UpdateObjectSize();
  }
  if (shared->pixelCount <= 0) return 0;
  const double pixel = shared->fieldSize / shared->pixelCount / share;
  const double old = shared->pixelSize != 0.0 ? shared->pixelSize : kNoPixelSize;
  if (std::fabs(1.0 - pixel / old) > kPixelSizeTolerance) MarkEverythingToCompute();
  shared->pixelSize = pixel;
  return 1;
}

bool TTestObjectFolder::ObjectSizeForField(double field, double &objectSize) {
  const TTestImage *shared = GetTestImage();
  if (shared == nullptr || system_ == nullptr) return false;
  const TImageSizeInputs in = SizeInputs(*system_, *shared, field);
  double size = 0.0;
  if (ObjectSizeFromImageField(in, size) != kSizeConverted || !std::isfinite(size)) return false;
  objectSize = std::fabs(size);
  return true;
}

int TTestObjectFolder::UpdateObjectSize() {
  TTestImage *shared = GetTestImage();
  if (shared == nullptr || system_ == nullptr) return 0;
  double size = 0.0;
  if (!ObjectSizeForField(shared->fieldSize, size)) {
    WarnScaleUndefined();
    return 0;
  }
  shared->ObjectSize = size;
  return 1;
}

double TTestObjectFolder::ObjectShareOfRaster() const {
  const int type = objectPage_ != nullptr ? objectPage_->CurrentType() : 0;
  // Bar targets leave a margin round their bars.
  return type == 0 || type == 3 || type == 4 ? 1.0 : 0.8;
}

void TTestObjectFolder::ReduceImageSize(double size) {
  TTestImage *shared = GetTestImage();
  if (shared == nullptr || !(size > 0.0)) return;
  shared->fieldSize = size;
  if (UpdateObjectSize() == 0) return;
  if (objectPage_ != nullptr) objectPage_->ShowObjectSize();
  UpdateImageSize();
}

void TTestObjectFolder::OfferFieldForPsf() {
  TTestImage *shared = GetTestImage();
  if (shared == nullptr || system_ == nullptr || psfPage_ == nullptr || !(shared->pixelSize > 0.0)) return;
  const double unit = system_->info.Unit == 1 ? 60.0 : 1.0;
  const double fieldA = psfPage_->Y / unit, fieldB = psfPage_->X / unit;
  const double asked[3] = {shared->pixelSize, fieldA, fieldB};
  if (std::equal(asked, asked + 3, psfFitDeclined_)) return;
  const double side = shared->pixelCount * shared->pixelSize;
  const TPsfFit fit = FitPsfToField(*system_, fieldA, fieldB, 0.5 * side);
  if (fit.share >= kPsfShareKept) return;
  // A tenth to spare round the farthest ray.
  const double wanted = 2.2 * fit.spread;
  const char *unitName = system_->info.ImageFinite == 0 ? "mrad" : "mm";
  char text[400];
  std::snprintf(text, sizeof text,
                "The PSF of the beam spreads %.3g %s round its centre, beyond the image field of %.3g %s: "
                "the field holds %.0f %% of its light, and the picture loses the rest.\n"
                "Enlarge the image field to %.3g %s?",
                fit.spread, unitName, side, unitName, 100.0 * fit.share, wanted, unitName);
  if (MessageBox(GetHandle(), text, "Warning", MB_YESNO | MB_ICONQUESTION) != IDYES) {
    std::copy(asked, asked + 3, psfFitDeclined_);
    return;
  }
  // The raster's side is the one named: the object's image takes its share of it.
  ReduceImageSize(wanted * ObjectShareOfRaster());
}

int TTestObjectFolder::FitFieldToSource(TLightSourceChooseDlg &source) {
  TTestImage *shared = GetTestImage();
  if (source.Calculate() == 0) return 0;
  if (shared == nullptr || system_ == nullptr) return 1;
  // The field the half-side of the traced image and its blur asks for, a tenth to spare.
  const double wanted = 2.2 * source.ImageReach();
  const double side = shared->pixelCount * shared->pixelSize;
  // A field the source chose itself (its size come back through the conversions to the
  // field and back, or its box untouched) follows the system it is computed for, both ways.
  const double chosen = source.ChosenObjectSize();
  if (chosen > 0.0 && std::fabs(shared->ObjectSize / chosen - 1.0) <= kSameSize) {
    if (!(wanted > 0.0) || (side >= wanted * (1.0 - kSourceFieldShort) && side <= wanted * (1.0 + kSourceFieldTolerance)))
      return 1;
    ReduceImageSize(wanted);
    source.KeepObjectSizeAsChosen();
    return source.Calculate();
  }
  // A field that holds the image and four Airy radii of its blur is not asked about again:
  // what the blur's far rings carry past it is the field's choice.
  if (source.LostShare() <= 1.0 - kPsfShareKept || side >= wanted * (1.0 - kSourceFieldTolerance)) return 1;
  if (shared->pixelSize == sourceFitDeclined_) return 1;
  const char *unitName = system_->info.ImageFinite == 0 ? "mrad" : "mm";
  char text[400];
  std::snprintf(text, sizeof text,
                "The image of the light source reaches %.3g %s from the axis, beyond the image field of %.3g %s: "
                "%.1f %% of the light the system passes falls outside it, and the picture loses it.\n"
                "Enlarge the image field to %.3g %s?",
                source.ImageReach(), unitName, side, unitName, 100.0 * source.LostShare(), wanted, unitName);
  if (MessageBox(GetHandle(), text, "Warning", MB_YESNO | MB_ICONQUESTION) != IDYES) {
    sourceFitDeclined_ = shared->pixelSize;
    return 1;
  }
  ReduceImageSize(wanted);
  return source.Calculate();
}
