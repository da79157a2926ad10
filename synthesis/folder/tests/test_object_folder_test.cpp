#include "synthesis/folder/test_object_folder.h"

#include <QTimer>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <vector>

#include "document/system/system_image.h"
#include "foundation/testing/approx.h"
#include "imaging/color/color_image.h"
#include "imaging/pictures/color_picture.h"
#include "imaging/pictures/picture_windows.h"
#include "imaging/rasters/raster_records.h"
#include "imaging/testobject/detector_parameters.h"
#include "imaging/testobject/scanner_parameters.h"
#include "optics/model/tests/system_test_support.h"
#include "platform/gui/controls/combo_box.h"
#include "platform/gui/menus/menu_window.h"
#include "platform/gui/windows/test_kit.h"
#include "synthesis/detectors/array_detectors.h"
#include "synthesis/detectors/detector_noise_dlg.h"
#include "synthesis/detectors/detector_type_dlg.h"
#include "synthesis/detectors/transformer_detectors.h"
#include "synthesis/detectors/test_detector.h"
#include "synthesis/folder/folder_page_adapters.h"
#include "synthesis/folder/image_size.h"
#include "synthesis/folder/isoplanar_synthesis.h"
#include "synthesis/folder/test_object_settings.h"
#include "synthesis/folder/tests/folder_test_support.h"
#include "synthesis/objects/custom_object.h"
#include "synthesis/objects/test_object_graphs.h"
#include "synthesis/objects/test_object_parent.h"
#include "toolkit/pump/o_gauge.h"

namespace {

// Single-precision transforms of 256 x 256 cells against the PSF file itself.
constexpr double kTransformTolerance = 1e-5;

class FolderTest : public TFolderTestBase {
 protected:
  void SetUp() override {
    TFolderTestBase::SetUp();
    system_.info.Discrete = 0.0012;
    system_.info.Difrac = 1;
    system_.info.Nd = 64;
  }
  TTestObjectFolder &Open() { return OpenFolder(); }
  void Close() {
    folder_->SendMessage(WM_COMMAND, IDCANCEL, 0);
    EXPECT_EQ(folder_->GetHandle(), nullptr);
    delete folder_;
    folder_ = nullptr;
  }
  void KeepPicture() {
    if (TTestImage *image = GetTestImage(); image != nullptr && image->picture != nullptr)
      pictures_.push_back(image->picture);
  }
  TComboBox *List(int id) {
    return dynamic_cast<TComboBox *>(folder_->SettingsPage()->ChildWithId(id));
  }

  std::vector<TColorPicture *> pictures_;
  TTinyObjectPageScope page_;
};

TEST_F(FolderTest, OpeningBorrowsThePsfSettingsAndClosingGivesThemBackExactly) {
  system_.info.MonochromeSystem = 0;
  const double lambda = system_.info.LambdaW;
  const Mem<TSpectralInfo> spectrum = system_.info.Spectrum;
  TTestObjectFolder &folder = Open();
  EXPECT_EQ(TTestObjectFolder::Current(), &folder);
  EXPECT_EQ(system_.info.Nd, kSynthesisNd);
  TTestImage *image = GetTestImage();
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->pixelCount, kSynthesisNd);
  EXPECT_EQ(image->savedNd, 64);
  EXPECT_EQ(image->savedDiscrete, 0.0012);
  EXPECT_EQ(image->folderWindow, folder.GetHandle());
  EXPECT_GT(image->pixelSize, 0.0);
  EXPECT_EQ(folder.name, "Total");
  EXPECT_EQ(SharedPsfGauge(), folder.Gauge());
  // "TV color" puts the television primaries in and Close takes them out again.
  TComboBox *scales = List(kSettingsScaleList);
  ASSERT_NE(scales, nullptr);
  ASSERT_EQ(scales->GetCount(), 4);
  scales->SetSelIndex(kScaleTv);
  folder.SettingsPage()->ApplyColorMode();
  ASSERT_EQ(system_.info.Spectrum.cols, 3);
  EXPECT_EQ(system_.info.Spectrum.data[1].lambda, 0.5461);
  EXPECT_EQ(system_.info.LambdaW, 0.5461);
  Close();
  EXPECT_EQ(TTestObjectFolder::Current(), nullptr);
  EXPECT_EQ(GetTestImage(), nullptr);
  EXPECT_EQ(SharedPsfGauge(), nullptr);
  EXPECT_EQ(system_.info.Nd, 64);
  EXPECT_EQ(system_.info.Discrete, 0.0012);
  EXPECT_EQ(system_.info.Difrac, 1);
  EXPECT_EQ(system_.info.MonochromeSystem, 0);
  EXPECT_EQ(system_.info.LambdaW, lambda);
  ASSERT_EQ(system_.info.Spectrum.cols * system_.info.Spectrum.rows, spectrum.cols * spectrum.rows);
  for (int i = 0; i < spectrum.cols * spectrum.rows; ++i) {
    EXPECT_EQ(system_.info.Spectrum.data[i].lambda, spectrum.data[i].lambda);
    EXPECT_EQ(system_.info.Spectrum.data[i].weight, spectrum.data[i].weight);
  }
}

// The menu bar comes on top of the dialog's own area: the buttons at the foot keep their
// margin (12 dialog units below Cancel) to the window's lower edge.
TEST_F(FolderTest, TheMenuBarLeavesTheButtonsTheirMarginAtTheFoot) {
  TTestObjectFolder &folder = Open();
  ASSERT_GT(folder.MenuBarHeight(), 0);
  TWindow *cancel = WindowFromHandle(folder.GetDlgItem(IDCANCEL));
  ASSERT_NE(cancel, nullptr);
  RECT margin{0, 0, 0, 234 - 222};
  ASSERT_TRUE(MapDialogRect(folder.GetHandle(), &margin));
  POINT foot{0, folder.GetClientRect().bottom};
  folder.ClientToScreen(foot);
  const RECT button = cancel->GetWindowRect();
  EXPECT_NEAR(foot.y - button.bottom, margin.bottom, 1);
}

TEST_F(FolderTest, ColorSynthesisesTheObjectThroughThePsfAndShowsIt) {
  // A screen with room for the picture right of the folder.
  TScriptedScreenProvider screen;
  TTestObjectFolder &folder = Open();
  TTinyObjectPage *page = TTinyObjectPage::last;
  ASSERT_NE(page, nullptr);
  // With one PSF for the field the folder keeps its size while the PSF is computed.
  const RECT before = folder.GetWindowRect();
  int tallest = 0;
  QTimer probe;
  QObject::connect(&probe, &QTimer::timeout, [&] {
    const RECT now = folder.GetWindowRect();
    tallest = std::max(tallest, static_cast<int>(now.bottom - now.top));
  });
  probe.start(0);
  folder.SendMessage(WM_COMMAND, kFolderColorButton, 0);
  probe.stop();
  EXPECT_EQ(tallest, before.bottom - before.top);
  KeepPicture();
  EXPECT_TRUE(answers_->boxes.empty());
  ASSERT_EQ(folder.state, kRastersWritten);
  TTestImage *image = GetTestImage();
  const int n = image->pixelCount;
  // One component per wavelength of the triplet, named as the synthesis names them.
  ASSERT_EQ(RecordCount(folder.rasterFiles), system_.info.Spectrum.cols);
  ASSERT_EQ(RecordCount(folder.PsfPage()->rasterFiles), system_.info.Spectrum.cols);
  EXPECT_EQ(folder.rasterFiles.data[0].fileName, IsoplanarResultName(TempDir(), 0));
  EXPECT_EQ(folder.name, "Total (Y=0)");
  // A one-cell object: the image is the PSF times the cell area.
  Mem<float> result, psf;
  TFileData resultFile(folder.rasterFiles.data[0]);
  TFileData psfFile(folder.PsfPage()->rasterFiles.data[0]);
  ASSERT_TRUE(ReadSquareRaster(resultFile, result, n));
  ASSERT_TRUE(ReadSquareRaster(psfFile, psf, n));
  const double area = image->pixelSize * image->pixelSize;
  float peak = 0.0f;
  for (int i = 0; i < n * n; ++i) peak = std::max(peak, psf.data[i]);
  ASSERT_GT(peak, 0.0f);
  for (int i = 0; i < n * n; i += 7)
    ASSERT_APPROX(result.data[i] / (area * peak), psf.data[i] / peak, kTransformTolerance) << i;
  // The picture window shows it, to the right of the folder.
  ASSERT_NE(image->picture, nullptr);
  EXPECT_NE(image->picture->GetHandle(), nullptr);
  EXPECT_GE(image->picture->GetWindowRect().left, folder.GetWindowRect().right);
  ASSERT_NE(image->colorImage, nullptr);
  EXPECT_EQ(image->colorImage->pixels.cols, n);
}

TEST_F(FolderTest, ColorTwiceWithoutDetectorComputesOnceAndAChangeComputesAgain) {
  TTestObjectFolder &folder = Open();
  TTinyObjectPage *page = TTinyObjectPage::last;
  page->object.side = 3;
  folder.SendMessage(WM_COMMAND, kFolderColorButton, 0);
  KeepPicture();
  ASSERT_EQ(page->object.transforms, 1);
  const auto written = std::filesystem::last_write_time(folder.rasterFiles.data[0].fileName);
  std::filesystem::remove(folder.rasterFiles.data[0].fileName);
  folder.SendMessage(WM_COMMAND, kFolderColorButton, 0);
  KeepPicture();
  EXPECT_EQ(page->object.transforms, 1);
  EXPECT_FALSE(std::filesystem::exists(folder.rasterFiles.data[0].fileName));
  (void)written;
  // A change of the system marks the image and the PSF as not computed.
  folder.ResetCalculated();
  EXPECT_EQ(folder.state, kNothingComputed);
  folder.SendMessage(WM_COMMAND, kFolderColorButton, 0);
  KeepPicture();
  EXPECT_TRUE(std::filesystem::exists(folder.rasterFiles.data[0].fileName));
  // The same raster size again marks nothing.
  TComboBox *sizes = List(kSettingsSizeList);
  ASSERT_EQ(folder.state, kRastersWritten);
  sizes->SetSelIndex(2);
  folder.SettingsPage()->ApplyMatrixSize();
  EXPECT_EQ(folder.state, kRastersWritten);
  // A new raster size with the same field: new pixels, everything computed anew.
  const double pixel = GetTestImage()->pixelSize;
  sizes->SetSelIndex(1);
  folder.SettingsPage()->ApplyMatrixSize();
  EXPECT_EQ(GetTestImage()->pixelCount, 128);
  EXPECT_EQ(folder.state, kNothingComputed);
  folder.SendMessage(WM_COMMAND, kFolderColorButton, 0);
  KeepPicture();
  EXPECT_APPROX(GetTestImage()->pixelSize, 2.0 * pixel, 1e-12);
  EXPECT_EQ(page->object.calculations, 2);
}

TEST_F(FolderTest, ANoiseChosenAfterAColourPictureReachesTheNextOneWithoutADetector) {
  TTestObjectFolder &folder = Open();
  TTinyObjectPage *page = TTinyObjectPage::last;
  page->object.side = 8;
  folder.SendMessage(WM_COMMAND, kFolderColorButton, 0);
  KeepPicture();
  ASSERT_EQ(folder.state, kRastersWritten);
  ASSERT_TRUE(folder.DetectorIsNone());
  Mem<float> quiet;
  TFileData first(folder.rasterFiles.data[0]);
  ASSERT_EQ(first.Read(quiet), 1);
  auto *detector = dynamic_cast<TTestDetector *>(folder.DetectorPage()->PageWindow());
  ASSERT_NE(detector, nullptr);
  TDetectorNoiseDlg &noise = *detector->InnerFolder()->NoisePage();
  ASSERT_EQ(detector->InnerFolder()->SelectPage(1), 1);
  SetDlgItemText(noise.GetHandle(), kNoiseLevelEdit, "0.5");
  auto &kinds = *dynamic_cast<TComboBox *>(noise.ChildWithId(kNoiseKindList));
  kinds.SetSelIndex(kNoiseWhite);
  noise.SendMessage(WM_COMMAND, static_cast<WPARAM>((CBN_SELCHANGE << 16) | kNoiseKindList),
                    reinterpret_cast<LPARAM>(kinds.GetHandle()));
  EXPECT_EQ(folder.state, kNothingComputed);
  folder.SendMessage(WM_COMMAND, kFolderColorButton, 0);
  KeepPicture();
  Mem<float> noisy;
  TFileData second(folder.rasterFiles.data[0]);
  ASSERT_EQ(second.Read(noisy), 1);
  ASSERT_EQ(noisy.cols * noisy.rows, quiet.cols * quiet.rows);
  // Noise of half the image's maximum reaches cells far outside the square's image.
  int changed = 0;
  for (int i = 0; i < quiet.cols * quiet.rows; ++i) changed += noisy.data[i] != quiet.data[i] ? 1 : 0;
  EXPECT_GT(changed, quiet.cols * quiet.rows / 2);
}

TEST_F(FolderTest, ColorPreparesTheScanOnlyForADetectorThatScans) {
  TTestObjectFolder &folder = Open();
  auto *detector = dynamic_cast<TTestDetector *>(folder.DetectorPage()->PageWindow());
  ASSERT_NE(detector, nullptr);
  TScannerParameters *scanner = GetScannerParameters();
  ASSERT_NE(scanner, nullptr);
  folder.SendMessage(WM_COMMAND, kFolderColorButton, 0);
  KeepPicture();
  EXPECT_EQ(scanner->Prepared, 0);  // no detector: nothing to scan
  folder.SendMessage(WM_COMMAND, kFolder3DButton, 0);
  EXPECT_EQ(scanner->Prepared, 0);
  ASSERT_EQ(detector->ChooseDetectorType(kDetectorRound), 1);
  scanner->Frequence = 20.0f;
  detector->ShowParameters();
  folder.SendMessage(WM_COMMAND, kFolderColorButton, 0);
  KeepPicture();
  // Without an animation from the editor the scan is linear, across the image in 1/20 s.
  EXPECT_EQ(scanner->Prepared, 1);
  EXPECT_EQ(scanner->RealMovement, 0);
  EXPECT_APPROX(scanner->ScanTime, 0.05, 1e-9);
  EXPECT_APPROX(scanner->Field, GetTestImage()->fieldSize, 1e-6 * GetTestImage()->fieldSize);
}

// The response sizes of a detector model (none for the two transformers: a file's table).
std::vector<float *> ResponseSizes(TTestObject *model) {
  if (auto *round = dynamic_cast<TDetectorRoundModel *>(model)) return {&round->Diameter};
  if (auto *rectangle = dynamic_cast<TDetectorRectangleModel *>(model)) return {&rectangle->Ly, &rectangle->Lz};
  if (auto *array = dynamic_cast<TArrayDetectorModel *>(model)) return {&array->Ly, &array->Lz};
  return {};
}

// The largest difference of a response file from one made afresh by a model of its own.
double FromFresh(const TFileData &used, TTestObject &model) {
  const int n = SynthesisPixelCount();
  Mem<float> fresh(n, n), read;
  TDetectorOpticalTransformerModel own;
  if (auto *element = dynamic_cast<TElementDetectorModel *>(&model)) {
    element->FillResponse(fresh, n, GetTestImage()->pixelSize);
  } else if (own.FileName = dynamic_cast<TDetectorOpticalTransformerModel &>(model).FileName;
             own.ReadParameters() == 0 || !own.FillResponse(fresh, n)) {
    return 1.0;
  }
  if (TFileData reader(used); reader.Read(read) == 0 || read.cols * read.rows != n * n) return 1.0;
  double worst = 0.0;
  for (int i = 0; i < n * n; ++i) worst = std::max(worst, static_cast<double>(std::fabs(read.data[i] - fresh.data[i])));
  return worst;
}

// Every detector kind of the type list against every setting a response is made from,
// changed while another kind is chosen, which makes a picture (every kind's sizes, the
// transformer's file, the object's size that sets the pixel, the raster's side): the next
// picture of the kind passes the responses made afresh for the settings in force.
TEST_F(FolderTest, EveryDetectorPassesTheResponseOfTheSettingsInForceWhereverTheyChanged) {
  TTestObjectFolder &folder = Open();
  auto &page = *dynamic_cast<TTestDetector *>(folder.DetectorPage()->PageWindow());
  auto *sides = List(kSettingsSizeList);
  sides->SetSelIndex(0);
  folder.SettingsPage()->ApplyMatrixSize();
  const double pixel = GetTestImage()->pixelSize;
  auto *transformer = dynamic_cast<TDetectorOpticalTransformerModel *>(page.Model(kDetectorOpticalTransformer));
  transformer->FileName = Scratch("t.otd");
  auto writeTable = [file = transformer->FileName, cutoff = 2]() mutable {
    std::ofstream(file) << "{F=0; G=1;}\n{F=" << ++cutoff << "; G=0;}\n";
  };
  writeTable();
  for (int type = 1; type < kDetectorTypeCount; ++type) {
    for (float *size : ResponseSizes(page.Model(type))) *size = static_cast<float>(3 * pixel);
    // Matrix cells stay apart while their sizes grow.
    if (auto *array = dynamic_cast<TArrayDetectorModel *>(page.Model(type))) array->dY0 = array->dZ0 = static_cast<float>(16 * pixel);
    page.Model(type)->ShowParameters();
  }
  // Each road: the kind on whose page it changes (-1: the object's or the settings page).
  std::vector<std::pair<int, std::function<void()>>> roads = {
      {-1, [up = false]() mutable { GetTestImage()->ObjectSize *= (up = !up) ? 1.5 : 1.0 / 1.5; }},
      {-1, [&, up = false]() mutable { sides->SetSelIndex((up = !up) ? 1 : 0), folder.SettingsPage()->ApplyMatrixSize(); }},
      {kDetectorOpticalTransformer, writeTable}};
  for (int type = 1; type < kDetectorTypeCount; ++type)
    for (float *size : ResponseSizes(page.Model(type)))
      roads.push_back({type, [size, model = page.Model(type), up = false]() mutable {
                         *size *= (up = !up) ? 1.25f : 0.8f;
                         model->ShowParameters();
                       }});
  for (int kind = 1; kind < kDetectorTypeCount; ++kind)
    for (std::size_t road = 0; road < roads.size(); ++road) {
      const int owner = roads[road].first;
      const int other = owner == kind ? 0 : owner > 0 ? owner : kind % (kDetectorTypeCount - 1) + 1;
      for (const int chosen : {kind, other, kind}) {
        ASSERT_EQ(page.ChooseDetectorType(chosen), 1);
        if (chosen == other) roads[road].second();
        ASSERT_EQ(folder.CalculateOnly(), 1) << kind << " " << road;
      }
      std::vector<const TFileData *> used;
      page.Model(kind)->ResponseFiles(used);
      std::vector<TTestObject *> makers{page.Model(kind)};
      if (kind == kDetectorMatrixTransformer) makers = {page.Model(kDetectorMatrix), transformer};
      ASSERT_EQ(used.size(), makers.size());
      for (std::size_t i = 0; i < used.size(); ++i) EXPECT_LE(FromFresh(*used[i], *makers[i]), 1e-6) << kind << " " << road;
    }
  for (const auto &box : answers_->boxes) ADD_FAILURE() << box.text;
}

TEST_F(FolderTest, ThreeDPlotsTheMeanImageAndTheSettingsMenuIsOffered) {
  TTestObjectFolder &folder = Open();
  TTinyObjectPage::last->object.side = 5;
  folder.SendMessage(WM_COMMAND, kFolder3DButton, 0);
  TTestImage *image = GetTestImage();
  ASSERT_EQ(folder.state, kRastersWritten);
  ASSERT_EQ(image->raster.cols, image->pixelCount);
  // The mean over the wavelengths of images of one square holds the square's light.
  double sum = 0.0;
  for (int i = 0; i < image->raster.cols * image->raster.rows; ++i) sum += image->raster.data[i];
  EXPECT_GT(sum, 0.0);
  HMENU menu = GetMenu(folder.GetHandle());
  ASSERT_NE(menu, nullptr);
  for (UINT command : {CM_SYNTHESIS_READ_SETTINGS, CM_SYNTHESIS_SAVE_SETTINGS,
                       CM_SYNTHESIS_SAVE_SETTINGS_AS, CM_SYNTHESIS_DEFAULT_SETTINGS})
    EXPECT_EQ(GetMenuState(menu, command, MF_BYCOMMAND) & MF_GRAYED, 0u) << command;
}

// A w x h 24-bit picture of one grey.
std::string WriteGreyBitmap(const std::string &path, int w, int h) {
  const int rowBytes = (w * 3 + 3) / 4 * 4;
  const int size = 54 + rowBytes * h;
  std::string bytes(static_cast<std::size_t>(size), '\0');
  auto put = [&bytes](int at, std::uint32_t value, int count) {
    for (int i = 0; i < count; ++i) bytes[static_cast<std::size_t>(at + i)] = static_cast<char>((value >> (8 * i)) & 0xFF);
  };
  bytes[0] = 'B';
  bytes[1] = 'M';
  put(2, static_cast<std::uint32_t>(size), 4);
  put(10, 54, 4);
  put(14, 40, 4);
  put(18, static_cast<std::uint32_t>(w), 4);
  put(22, static_cast<std::uint32_t>(h), 4);
  put(26, 1, 2);
  put(28, 24, 2);
  for (int r = 0; r < h; ++r)
    for (int c = 0; c < w * 3; ++c) bytes[static_cast<std::size_t>(54 + r * rowBytes + c)] = static_cast<char>(120);
  WriteText(path, bytes);
  return path;
}

TEST_F(FolderTest, TheBitmapObjectsFrameFollowsTheRasterSizeAndItsWindowsHideOnClosing) {
  SetObjectPageMaker(&MakeObjectParentPage);
  TTestObjectFolder &folder = Open();
  auto *page = dynamic_cast<TTestObjectParent *>(folder.ObjectPage()->PageWindow());
  ASSERT_NE(page, nullptr);
  ASSERT_EQ(page->SelectType(kObjectCustom), 1);
  TCustomObject *custom = page->CustomObject();
  ASSERT_NE(custom, nullptr);
  custom->backgroundFile = WriteGreyBitmap(Scratch("grey.bmp"), 400, 300);
  custom->LoadBackground();
  custom->ShowPictures();
  ASSERT_NE(custom->backgroundWindow, nullptr);
  const RECT before = custom->backgroundWindow->GetSelection();
  TComboBox *sizes = List(kSettingsSizeList);
  sizes->SetSelIndex(0);
  folder.SettingsPage()->ApplyMatrixSize();
  const RECT after = custom->backgroundWindow->GetSelection();
  EXPECT_EQ(after.right - after.left, 64);
  EXPECT_NE(after.right - after.left, before.right - before.left);
  EXPECT_TRUE(IsWindowVisible(custom->backgroundWindow->GetHandle()));
  folder.ObjectPage()->HidePictureWindows();
  EXPECT_FALSE(IsWindowVisible(custom->backgroundWindow->GetHandle()));
}

TEST_F(FolderTest, ASizeOfZeroIsRefusedWithItsMessage) {
  TTestObjectFolder &folder = Open();
  GetTestImage()->pixelSize = 0.0;
  GetTestImage()->ObjectSize = 0.0;
  folder.SendMessage(WM_COMMAND, kFolderColorButton, 0);
  ASSERT_EQ(answers_->boxes.size(), 1u);
  EXPECT_EQ(answers_->boxes[0].text, "Parameter 'Size' can not be 0!");
  EXPECT_EQ(answers_->boxes[0].caption, "Warning");
  EXPECT_EQ(folder.state, kNothingComputed);
  EXPECT_EQ(GetTestImage()->picture, nullptr);
}

TEST_F(FolderTest, AnUndefinedImageScaleIsToldOnceAndLeavesTheSizes) {
  TTestObjectFolder &folder = Open();
  TTestImage *image = GetTestImage();
  // A size in arc minutes needs the scale rays; a system whose oblique chief ray is
  // stopped gives none.
  image->UnitBtn = 1;
  image->ObjectSpaceCheck = 1;
  image->ObjectSize = 5.0;
  const double field = image->fieldSize;
  for (int i = 1; i < system_.SurfaceCount(); ++i) system_.Surface(i)->general.semiHeightExt = 1e-6;
  system_.info.DrawAllRays = 0;
  answers_->boxes.clear();
  folder.SendMessage(WM_COMMAND, kFolderColorButton, 0);
  KeepPicture();
  int told = 0;
  for (const auto &box : answers_->boxes) told += box.text == kScaleUndefinedText ? 1 : 0;
  EXPECT_EQ(told, 1);
  EXPECT_EQ(image->fieldSize, field);
}

TEST_F(FolderTest, CancelDeletesTheWorkRastersOfTheTemporaryDirectoryOnly) {
  const std::string kept = Scratch("kept.img");
  WriteText(kept, "x");
  WriteText(TempDir() + "/old.spc", "x");
  TTestObjectFolder &folder = Open();
  // Leftovers of an earlier run went when the folder opened.
  EXPECT_FALSE(std::filesystem::exists(TempDir() + "/old.spc"));
  // With a detector, whose response is written with what it was made from.
  dynamic_cast<TTestDetector *>(folder.DetectorPage()->PageWindow())->ChooseDetectorType(kDetectorRound);
  folder.SendMessage(WM_COMMAND, kFolderColorButton, 0);
  KeepPicture();
  ASSERT_TRUE(std::filesystem::exists(IsoplanarResultName(TempDir(), 0)));
  Close();
  EXPECT_FALSE(std::filesystem::exists(IsoplanarResultName(TempDir(), 0)));
  for (const auto &entry : std::filesystem::directory_iterator(TempDir())) {
    const std::string extension = entry.path().extension().string();
    EXPECT_TRUE(extension != ".img" && extension != ".spc" && extension != ".from") << entry.path();
  }
  EXPECT_TRUE(std::filesystem::exists(kept));
}

TEST_F(FolderTest, WithoutATemporaryDirectoryNoRasterOfTheCurrentDirectoryIsDeleted) {
  // When no private temporary directory could be made the program runs without one; the
  // work-file clean-up must not turn to the directory the program was started in.
  const std::string folder = Scratch("started-here");
  std::filesystem::create_directories(folder);
  const std::filesystem::path previous = std::filesystem::current_path();
  std::filesystem::current_path(folder);
  WriteText("picture.img", "x");
  WriteText("picture.spc", "x");
  SetTempDir(std::string());
  TTestObjectFolder::DeleteWorkFiles();
  std::filesystem::current_path(previous);
  EXPECT_TRUE(std::filesystem::exists(folder + "/picture.img"));
  EXPECT_TRUE(std::filesystem::exists(folder + "/picture.spc"));
}

TEST_F(FolderTest, APictureWindowsColourModeReachesTheSettingsPage) {
  TTestObjectFolder &folder = Open();
  folder.SendMessage(WM_PICTURE_MODE, 8 | 32, 0);
  EXPECT_EQ(GetTestImage()->colorMode, 40);
  EXPECT_EQ(List(kSettingsScaleList)->GetSelIndex(), kScalePseudo);
  EXPECT_EQ(List(kSettingsSpectrumList)->GetSelIndex(), 1);
  // Low bits of no scale keep the scale but still set the word and the spectrum mode.
  folder.SendMessage(WM_PICTURE_MODE, 3 | 16, 0);
  EXPECT_EQ(GetTestImage()->colorMode, 19);
  EXPECT_EQ(List(kSettingsScaleList)->GetSelIndex(), kScalePseudo);
  EXPECT_EQ(List(kSettingsSpectrumList)->GetSelIndex(), 0);
}

TEST_F(FolderTest, TheSettingsPageOffersColoursByTheSpectrumAndKeepsTvColourApart) {
  TTestObjectFolder &folder = Open();
  TTestObjectSettings *settings = folder.SettingsPage();
  // "Real" is offered, and so is the light-source designer.
  EXPECT_TRUE(IsWindowEnabled(settings->GetDlgItem(kSettingsReal)));
  EXPECT_TRUE(IsWindowEnabled(settings->GetDlgItem(kSettingsGeneration)));
  EXPECT_EQ(settings->IsDlgButtonChecked(kSettingsIzoplanar), static_cast<UINT>(BST_CHECKED));
  EXPECT_EQ(List(kSettingsSizeList)->GetSelIndex(), 2);
  // Entering TV colour twice changes the wavelengths once; its spectrum list greys.
  List(kSettingsScaleList)->SetSelIndex(kScaleTv);
  settings->ApplyColorMode();
  EXPECT_EQ(GetTestImage()->colorMode, 4 | 16);
  EXPECT_FALSE(IsWindowEnabled(settings->GetDlgItem(kSettingsSpectrumList)));
  system_.info.LambdaW = 0.5;
  settings->ApplyColorMode();
  EXPECT_EQ(system_.info.LambdaW, 0.5);
  // Natural colour with a continuous spectrum gives the triplet its own wavelengths back.
  List(kSettingsScaleList)->SetSelIndex(kScaleNatural);
  List(kSettingsSpectrumList)->SetSelIndex(1);
  settings->ApplyColorMode();
  EXPECT_EQ(GetTestImage()->colorMode, 2 | 32);
  EXPECT_TRUE(IsWindowEnabled(settings->GetDlgItem(kSettingsSpectrumList)));
  EXPECT_EQ(system_.info.Spectrum.cols * system_.info.Spectrum.rows,
            folder.SavedSpectrum().cols * folder.SavedSpectrum().rows);
  EXPECT_EQ(system_.info.LambdaW, folder.SavedLambda());
  // Gray scale always takes the line spectrum.
  List(kSettingsScaleList)->SetSelIndex(kScaleGray);
  settings->ApplyColorMode();
  EXPECT_EQ(GetTestImage()->colorMode, 1 | 16);
  // An infrared spectrum offers neither natural nor TV colour; the choice falls back.
  List(kSettingsScaleList)->SetSelIndex(kScaleNatural);
  for (int i = 0; i < system_.info.Spectrum.cols; ++i) system_.info.Spectrum.data[i].lambda = 10.0 + i;
  settings->FillColorModes();
  EXPECT_EQ(List(kSettingsScaleList)->GetCount(), 2);
  EXPECT_EQ(List(kSettingsScaleList)->GetSelIndex(), kScaleGray);
}

TEST_F(FolderTest, ABusySynthesisBeepsAtAnotherRequestAndCancelStopsRatherThanCloses) {
  TTestObjectFolder &folder = Open();
  folder.Gauge()->Enter();
  answers_->beeps.clear();
  folder.SendMessage(WM_COMMAND, kFolderColorButton, 0);
  EXPECT_EQ(answers_->beeps.size(), 1u);
  EXPECT_EQ(folder.state, kNothingComputed);
  folder.SendMessage(WM_COMMAND, IDCANCEL, 0);
  ASSERT_NE(folder.GetHandle(), nullptr);
  EXPECT_FALSE(folder.Busy());
  ASSERT_EQ(answers_->boxes.size(), 1u);
  EXPECT_EQ(answers_->boxes[0].text, "Process is canceled by user!");
  Close();
}

}  // namespace
