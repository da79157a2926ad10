#include "synthesis/lightsource/light_source_choose_dlg.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <utility>

#include "foundation/helpers/path_parts.h"
#include "imaging/testobject/test_image.h"
#include "optics/model/model_globals.h"
#include "optics/model/optical_system.h"
#include "platform/core/message_box.h"
#include "platform/gui/dialogs/dialog_template.h"
#include "synthesis/lightsource/light_source.h"
#include "synthesis/lightsource/diffraction_blur.h"
#include "synthesis/lightsource/light_source_image.h"
#include "synthesis/lightsource/light_source_preview.h"
#include "synthesis/lightsource/light_source_progress.h"
#include "synthesis/objects/object_page_owner.h"
#include "synthesis/objects/test_object_parent.h"
#include "toolkit/binding/multi_edit.h"
#include "toolkit/dialogs/file_name.h"
#include "toolkit/folders/book_mark_folder.h"
#include "toolkit/pump/o_gauge.h"

namespace {

constexpr const char *kSourceFilter = "Light source (*.srl)|*.srl|";
constexpr COLORREF kSourceBarColor = RGB(0, 255, 0);
constexpr double kMetresPerMillimetre = 0.001;
constexpr const char *kNoPixelSizeText =
    "The image's pixel size is 0, so the light source's image has no scale.\n"
    "Enter the object's size on the Object page, then compute again.";

const TDialogTemplate kLightSourceChooseTemplate{
    "TestLightSourceChooseDlg", WS_CHILD, kObjectDialogX, kObjectDialogY, kObjectDialogWidth,
    kObjectDialogHeight, "",
    {
        {"BUTTON", "File", kSourceFileButton, BS_PUSHBUTTON | WS_TABSTOP, 4, 3, 30, 12},
        {"EDIT", "", kSourceFileBox, ES_AUTOHSCROLL | ES_READONLY | WS_BORDER, 38, 3, 154, 12},
        {"STATIC", "Comment", 0, SS_LEFT, 4, 20, 40, 9},
        {"STATIC", "", kSourceCommentText, SS_LEFT, 46, 20, 90, 9},
        {"COMBOBOX", "", kSourceTypeList, CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 140, 18, 52, 40},
        {"STATIC", "Size Object (mm)", 0, SS_LEFT, 4, 37, 66, 9},
        {"EDIT", "", kSourceSizeEdit, ES_AUTOHSCROLL | ES_READONLY | WS_BORDER | WS_DISABLED, 70, 35, 32, 12},
        {"STATIC", "Rays number:", 0, SS_LEFT, 106, 37, 50, 9},
        {"EDIT", "", kSourceRaysEdit, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 156, 35, 36, 12},
    }};
const TDialogRegistration kLightSourceChooseRegistration(kLightSourceChooseTemplate);

const TResponseTableEntry kLightSourceChooseTable[] = {
    EvCommand<&TLightSourceChooseDlg::CmFile>(kSourceFileButton),
    EvCommand<&TLightSourceChooseDlg::CmTypeList>(kSourceTypeList),
};

// The value rounded to seven significant digits, as the size box keeps it.
double SevenDigits(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%.7g", value);
  return std::strtod(text, nullptr);
}

std::string InTempDir(const std::string &name) { return TempPath(name); }

// A source with something to emit: a zone of some size and brightness, or a triangle.
bool Emits(const TLightSource &source) {
  if (source.SourceType == kSolidSource)
    return source.Triangles.data != nullptr && source.Triangles.cols * source.Triangles.rows > 0;
  const int zones = source.Zones.Cells();
  for (int k = 0; k < zones; ++k) {
    const TLightSourceZone &zone = source.Zones.data[k];
    if (zone.Bright > 0.0 && zone.Az > 0.0 && zone.Ay > 0.0) return true;
  }
  return false;
}

// The mesh set-up's progress shown on the folder's gauge while it is installed.
class TSetupProgressScope {
 public:
  explicit TSetupProgressScope(TOGauge *gauge) {
    if (gauge != nullptr) {
      progress_ = std::make_unique<TGaugeSourceProgress>(*gauge);
      previous_ = LightSourceProgress();
      SetLightSourceProgress(progress_.get());
    }
  }
  ~TSetupProgressScope() {
    if (progress_) SetLightSourceProgress(previous_);
  }
  TSetupProgressScope(const TSetupProgressScope &) = delete;
  TSetupProgressScope &operator=(const TSetupProgressScope &) = delete;

 private:
  std::unique_ptr<TGaugeSourceProgress> progress_;
  TSourceSetupProgress *previous_ = nullptr;
};

}  // namespace

TLightSourceChooseDlg::TLightSourceChooseDlg(TTestObjectParent *page)
    : TTestObjectDlg(page, "TestLightSourceChooseDlg") {
  binder->AddEdit(kSourceSizeEdit, &size, 'd', "%g");
  binder->AddEdit(kSourceRaysEdit, &rays, 'i', "%d");
  name = kLightSourceObjectName;
}

TLightSourceChooseDlg::~TLightSourceChooseDlg() = default;

bool TLightSourceChooseDlg::Find(TEventInfo &info) {
  return SearchResponseTable(kLightSourceChooseTable, info) || TTestObjectDlg::Find(info);
}

void TLightSourceChooseDlg::SetupWindow() {
  TTestObjectDlg::SetupWindow();
  ShowParameters();
}

int TLightSourceChooseDlg::ReadParameters() {
  if (GetHandle() == nullptr) return 1;
  const int former = rays;
  const double shownSize = size;
  binder->ReadAll();
  size = shownSize;  // shown only
  if (rays < 1) {
    rays = former >= 1 ? former : SynthesisPixelCount() * SynthesisPixelCount();
    ShowParameters();
  }
  if (rays != former) state = kNothingComputed;
  return 1;
}

int TLightSourceChooseDlg::ShowParameters() {
  if (rays == 0) rays = SynthesisPixelCount() * SynthesisPixelCount();
  if (GetHandle() != nullptr) binder->WriteAll();
  return 1;
}

double TLightSourceChooseDlg::ValueAt(int, double, double) { return 0.0; }

int TLightSourceChooseDlg::Fill(Mem<float> &, int) { return 0; }

void TLightSourceChooseDlg::CmTypeList() { MessageBeep(static_cast<UINT>(-1)); }

void TLightSourceChooseDlg::CmFile() {
  TFileName dialog(this, kSourceFilter, TFileName::kOpen);
  if (!sourceFile_.empty()) dialog.SetInitialDir(DirectoryOfPath(sourceFile_));
  const std::string chosen = dialog.Execute();
  if (chosen.empty()) return;
  LoadSource(chosen);
}

int TLightSourceChooseDlg::LoadSource(const std::string &path) {
  HWND window = GetHandle();
  std::FILE *file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) {
    MessageBox(window, "The light-source file \"" + path + "\" cannot be read.", "Warning",
               MB_OK | MB_ICONEXCLAMATION);
    return 0;
  }
  std::fclose(file);
  auto fresh = std::make_unique<TLightSource>();
  // A damaged file is told by the reader.
  if (fresh->ReadFile(path) == 0) return 0;
  if (!Emits(*fresh)) {
    MessageBox(window, "The light source of \"" + path + "\" has nothing that emits.", "Warning",
               MB_OK | MB_ICONEXCLAMATION);
    return 0;
  }
  source_ = std::move(fresh);
  sourceFile_ = path;
  state = kNothingComputed;
  double xMin = 0.0, xMax = 0.0, yMin = 0.0, yMax = 0.0, zMin = 0.0, zMax = 0.0;
  source_->GetBounds(xMin, xMax, yMin, yMax, zMin, zMax);
  size = std::hypot(yMax - yMin, zMax - zMin);
  rays = SynthesisPixelCount() * SynthesisPixelCount();
  if (window != nullptr) {
    SetDlgItemText(kSourceFileBox, path.c_str());
    SetDlgItemText(kSourceCommentText, source_->Comment.c_str());
  }
  // The object size of the synthesis follows the source: in metres in object space, or
  // the size of its image. The field about the axis holds the whole source wherever it
  // lies (its diagonal for a source about the axis), with a tenth to spare off the axis.
  // An image at infinity has no size in metres: the object space's metres turn into its
  // angles by the system's traced angular scale.
  TTestImage *shared = GetTestImage();
  const TOpticalSystem *system = Page() != nullptr ? Page()->System() : nullptr;
  if (shared != nullptr) {
    const double reach = std::max({std::fabs(yMin), std::fabs(yMax), std::fabs(zMin), std::fabs(zMax)});
    double metres = std::max(size, 2.2 * reach) * kMetresPerMillimetre;
    if (system != nullptr && system->info.ImageFinite == 0) shared->ObjectSpaceCheck = 1;
    if (shared->ObjectSpaceCheck == 0 && system != nullptr && system->HasRasterZones() == 0 &&
        system->info.magnification != 0.0)
      metres = std::fabs(metres * system->info.magnification);
    const double kept = SevenDigits(metres);
    shared->ObjectSize = kept;
    chosenObjectSize_ = kept;
    if (Page() != nullptr) Page()->sizeValue = kept;
  }
  ShowParameters();
  if (Page() != nullptr) Page()->ShowObjectSize();
  return 1;
}

void TLightSourceChooseDlg::KeepObjectSizeAsChosen() {
  if (const TTestImage *shared = GetTestImage()) chosenObjectSize_ = shared->ObjectSize;
}

int TLightSourceChooseDlg::Calculate() {
  // A new ray count in the box makes the rasters stale.
  ReadParameters();
  if (state >= kRastersWritten) return 1;
  return Compute(false, rasterFiles);
}

void TLightSourceChooseDlg::ShowColorImage() {
  if (source_ == nullptr) {
    MessageBeep(static_cast<UINT>(-1));
    return;
  }
  if (Compute(true, idealFiles_) == 0) return;
  // The picture shows the ideal images; the rasters of the synthesis stay as they are.
  rasterFiles.Swap(idealFiles_);
  TTestObject::ShowColorImage();
  rasterFiles.Swap(idealFiles_);
}

void TLightSourceChooseDlg::ShowGraph() {
  TWindow *folder = Page() != nullptr ? static_cast<TWindow *>(Page()->Folder()) : nullptr;
  if (source_ == nullptr || folder == nullptr) {
    MessageBeep(static_cast<UINT>(-1));
    return;
  }
  PaintLightSource(folder, *source_);
}

int TLightSourceChooseDlg::Compute(bool ideal, Mem<TFileData> &files) {
  if (source_ == nullptr) return 0;
  TTestImage *shared = GetTestImage();
  TOpticalSystem *system = Page() != nullptr ? Page()->System() : nullptr;
  const int n = SynthesisPixelCount();
  if (shared == nullptr || system == nullptr || n == 0 || system->SurfaceCount() < 2) return 0;
  const TSourceRaster grid{n, std::fabs(shared->pixelSize)};
  if (!(grid.pixel > 0.0)) {
    // Told, or the button would do nothing without a word.
    MessageBox(GetHandle(), kNoPixelSizeText, "Warning", MB_OK | MB_ICONEXCLAMATION);
    return 0;
  }
  const int listed = system->info.WavelengthCount();
  const int components = listed > 0 ? listed : 1;
  TObjectPageOwner *pageOwner = Page() != nullptr ? Page()->Owner() : nullptr;
  TOGauge *gauge = pageOwner != nullptr ? pageOwner->ProgressGauge() : nullptr;
  HWND window = GetHandle();
  {
    TSetupProgressScope setup(gauge);
    if (source_->Prepare() == 0) {
      MessageBox(window, "The light source has nothing that emits.", "Warning", MB_OK | MB_ICONEXCLAMATION);
      return 0;
    }
  }
  if (!ideal) {
    AimAtFirstAperture(*source_, *system);
  }
  const int count = ideal ? n * n : rays;
  const double magnification = SourceImageScale(*system);
  Mem<TFileData> made, spectra;
  if (!made.Allocate(components, 1) || !spectra.Allocate(components, 1)) return 0;
  if (gauge != nullptr) {
    gauge->SetColor(kSourceBarColor);
    gauge->Enter();
    gauge->SetRange(0.0, static_cast<double>(components) * count);
    gauge->SetPosition(0.0);
  }
  if (pageOwner != nullptr) pageOwner->ShowProgress(true);
  TSourceRunClock clock(gauge, ideal ? "Ideal image" : "Image", static_cast<double>(components) * count);
  Mem<float> raster;
  int written = 0;
  const long maxDraws = std::max(kSourceDrawsAtLeast, kSourceDrawsPerRay * count);
  if (!ideal) {
    lostShare_ = imageReach_ = blurReach_ = blurLeftOut_ = 0.0;
    cutoffs_.assign(static_cast<std::size_t>(components), 0.0);
    pictureLight_.clear();
  }
  // Each wavelength's picture holds its share of the source's spectrum.
  std::vector<double> wavelengths(static_cast<std::size_t>(components)), weights(wavelengths.size()),
      shares(wavelengths.size());
  for (int k = 0; k < components; ++k) {
    wavelengths[k] = listed > 0 ? system->info.Spectrum.data[k].lambda : system->info.LambdaW;
    weights[k] = listed > 0 ? system->info.Spectrum.data[k].weight : 1.0;
  }
  SpectralShares(*source_, wavelengths.data(), weights.data(), components, shares.data());
  for (int k = 0; k < components; ++k) {
    const double wavelength = wavelengths[k];
    const double weight = weights[k];
    clock.SetBase(static_cast<double>(k) * count);
    TSourceImageResult result = TSourceImageResult::kNoRay;
    if (ideal) {
      result = IdealSourceImage(*source_, wavelength, count, magnification, grid, &clock, raster, shares[k]);
    } else {
      system->ComputeIndices(wavelength, 0.0, 0.0);
      TSourceImageTally tally;
      // The rays land on the picture and round it as far as the blur reaches, whence it
      // brings their light in, and beyond on a far grid, whence its outer rings bring in
      // their share; blurred by the diffraction of the pupil this wavelength's bundle
      // filled and cut to the picture, the light spread past it is lost like the rays that
      // miss it. Only when no ray passes the system is there no picture.
      TSourceBlur blur;
      result = TraceBlurredSourceImage(*source_, *system, wavelength, count, maxDraws, grid, &clock, raster, tally,
                                       blur, shares[k]);
      if (result == TSourceImageResult::kDone) {
        cutoffs_[static_cast<std::size_t>(k)] = blur.cutoff;
        blurReach_ = std::max(blurReach_, kBlurRadii * AiryRadius(blur.cutoff));
        blurLeftOut_ = std::max(blurLeftOut_, blur.leftOut);
        // Both in the cells' measure: what the picture holds, what the system passed.
        const double inPicture = blur.kept * blur.landed + blur.broughtIn;
        pictureLight_.push_back({wavelength, weight, inPicture, blur.passed});
        if (blur.passed > 0.0) lostShare_ = std::max(lostShare_, 1.0 - inPicture / blur.passed);
      }
      imageReach_ = std::max(imageReach_, tally.reach);
    }
    if (result == TSourceImageResult::kNoRay) {
      char text[160];
      std::snprintf(text, sizeof text, "No ray of the light source reaches the image at %g µm!", wavelength);
      MessageBox(window, text, "Warning", MB_OK | MB_ICONEXCLAMATION);
    }
    if (result != TSourceImageResult::kDone) break;
    TFileData &record = made.data[k];
    record.fileName = InTempDir((ideal ? "ideal" : "obj") + std::to_string(k) + ".img");
    record.wavelength = static_cast<float>(wavelength);
    record.weight = static_cast<float>(weight);
    if (record.Write(raster) == 0) {
      // Told, or the picture would silently stay the old one.
      MessageBox(window, "The raster file \"" + record.fileName + "\" cannot be written.", "Warning",
                 MB_OK | MB_ICONEXCLAMATION);
      break;
    }
    spectra.data[k] = record;
    spectra.data[k].fileName = record.fileName + ".spc";
    ++written;
  }
  if (!ideal) system->ComputeIndices(system->info.LambdaW, 0.0, 0.0);
  if (gauge != nullptr) gauge->Leave();
  if (pageOwner != nullptr) pageOwner->ShowProgress(false);
  // The tables list only what was written.
  files.Clear();
  if (written > 0 && files.Allocate(written, 1))
    for (int k = 0; k < written; ++k) files.data[k] = made.data[k];
  if (!ideal) {
    frameFiles.Clear();
    if (written > 0 && frameFiles.Allocate(written, 1))
      for (int k = 0; k < written; ++k) frameFiles.data[k] = spectra.data[k];
    state = written == components ? kRastersWritten : kNothingComputed;
  }
  return written == components ? 1 : 0;
}
