#include "synthesis/objects/custom_object.h"

#include <algorithm>
#include <new>

#include "foundation/helpers/helpers.h"
#include "imaging/color/color_image.h"
#include "imaging/color/color_modes.h"
#include "imaging/rasters/raster_records.h"
#include "imaging/testobject/synthesis_windows.h"
#include "imaging/testobject/test_image.h"
#include "platform/core/message_box.h"
#include "platform/gui/dialogs/dialog_template.h"
#include "platform/gui/windows/messages.h"
#include "platform/gui/windows/screen.h"
#include "synthesis/objects/object_page_owner.h"
#include "synthesis/objects/object_raster_file.h"
#include "synthesis/objects/scene_picture_file.h"
#include "synthesis/objects/test_object_graphs.h"
#include "synthesis/objects/test_object_parent.h"
#include "toolkit/dialogs/file_name.h"
#include "toolkit/render3d/o_dib.h"

namespace {

constexpr UINT kInformation = MB_OK | MB_ICONINFORMATION;
constexpr const char *kNoPicture = "---";
constexpr const char *kPictureFilter = "Test Image (*.bmp)|*.bmp|All files (*.*)|*.*|";
// The scene shows black where no picture lies: there the object sends no light.
constexpr COLORREF kSceneColor = RGB(0, 0, 0);
// White is what the object window lets through.
constexpr COLORREF kObjectBackColor = RGB(255, 255, 255);
// The scene keeps the graph's own right-button menu away: a new background colour there
// would change what is shown but not what is captured.
constexpr DWORD kSceneStyle =
    WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_THICKFRAME | WS_MINIMIZEBOX | kGraphClientSize;
// The object window is a bare picture with a one-pixel border of its own (hidden until its
// menu shows it): a sizing frame would be the desktop's, a captioned frame round the
// picture.
constexpr DWORD kObjectStyle =
    WS_POPUP | WS_VISIBLE | WS_BORDER | kGraphClientSize | kGraphMenu | kGraphStretch;
constexpr DWORD kCustomPictureStyle = WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU |
                                      WS_THICKFRAME | WS_MINIMIZEBOX | 0x8000u;
constexpr float kPictureDynamicRange = 0.001f;
constexpr int kLinearScale = 0;

const TDialogTemplate kCustomObjectTemplate{
    "TestCustomObject", WS_CHILD, kObjectDialogX, kObjectDialogY, kObjectDialogWidth,
    kObjectDialogHeight, "",
    {
        {"BUTTON", " Files ", 0, BS_GROUPBOX, 4, 2, 188, 46},
        {"BUTTON", "Object", kCustomObjectButton, BS_PUSHBUTTON | WS_TABSTOP, 10, 13, 48, 13},
        {"STATIC", kNoPicture, kCustomObjectBox, SS_LEFT | WS_BORDER, 62, 14, 124, 11},
        {"BUTTON", "Background", kCustomBackgroundButton, BS_PUSHBUTTON | WS_TABSTOP, 10, 30, 48,
         13},
        {"STATIC", kNoPicture, kCustomBackgroundBox, SS_LEFT | WS_BORDER, 62, 31, 124, 11},
    }};
const TDialogRegistration kCustomObjectRegistration(kCustomObjectTemplate);

const TResponseTableEntry kCustomObjectTable[] = {
    EvMessage<WM_DESTROY, &TCustomObject::EvDestroy>(),
    EvCommand<&TCustomObject::CmBackground>(kCustomBackgroundButton),
    EvCommand<&TCustomObject::CmObject>(kCustomObjectButton),
};

// The top-left corner of the next scene or picture window: right of the folder, one caption
// height further for each window of the cascade.
POINT CascadePlace(TTestImage &image) {
  RECT folder{};
  int captionHeight = 0;
  if (TSynthesisWindows *windows = GetSynthesisWindows()) {
    if (!windows->ScreenRect(image.folderWindow, folder)) folder = RECT{};
    captionHeight = windows->CaptionHeight();
  }
  const int k = image.NextCascade();
  return POINT{folder.right + k * captionHeight, folder.top + k * captionHeight};
}

// The scene window's client size and place: the scene's size where the screen holds it, else
// as much as the screen holds from its place beside the folder (moved back onto the screen
// when even the smallest window would reach past it); the picture scrolls within it.
constexpr int kSmallestSceneSide = 256;

SIZE SceneWindowClient(SIZE scene, POINT &place) {
  const int screenWidth = GetSystemMetrics(SM_CXFULLSCREEN);
  const int screenHeight = GetSystemMetrics(SM_CYFULLSCREEN) + GetSystemMetrics(SM_CYCAPTION);
  const int frameX = 2 * GetSystemMetrics(SM_CXFRAME);
  const int frameY = 2 * GetSystemMetrics(SM_CYFRAME) + GetSystemMetrics(SM_CYCAPTION);
  const auto fit = [](int side, int screen, int frame, int bar, LONG &at) {
    if (at + frame + side <= screen) return side;
    // Cut to the screen, leaving room for the scroll bar across.
    const int room = std::max(screen - at - frame - bar, std::min(side, kSmallestSceneSide));
    const int shown = std::max(1, std::min(side, room));
    at = std::clamp<LONG>(at, 0, std::max(0, screen - frame - bar - shown));
    return shown;
  };
  SIZE client{};
  client.cx = fit(scene.cx, screenWidth, frameX, GetSystemMetrics(SM_CXVSCROLL), place.x);
  client.cy = fit(scene.cy, screenHeight, frameY, GetSystemMetrics(SM_CYHSCROLL), place.y);
  return client;
}

bool RealMode() {
  const TTestImage *image = GetTestImage();
  return image != nullptr && image->realImage != 0;
}

}  // namespace

TCustomObject::TCustomObject(TTestObjectParent *page) : TTestObjectDlg(page, "TestCustomObject") {
  name = kCustomObjectDisplayName;
}

TCustomObject::~TCustomObject() { DeleteWindows(); }

bool TCustomObject::Find(TEventInfo &info) {
  return SearchResponseTable(kCustomObjectTable, info) || TTestObjectDlg::Find(info);
}

void TCustomObject::SetupWindow() {
  TTestObjectDlg::SetupWindow();
  SetDlgItemText(kCustomObjectBox, objectFile.empty() ? kNoPicture : objectFile.c_str());
  SetDlgItemText(kCustomBackgroundBox,
                 backgroundFile.empty() ? kNoPicture : backgroundFile.c_str());
}

void TCustomObject::EvDestroy() {
  DefaultProcessing();
  Reset();
}

int TCustomObject::Fill(Mem<float> &, int) { return 0; }

void TCustomObject::DeleteWindows() {
  // The object window first: it lies over the scene and is placed from it.
  delete objectWindow;
  objectWindow = nullptr;
  delete backgroundWindow;
  backgroundWindow = nullptr;
}

void TCustomObject::Reset() {
  DeleteWindows();
  backgroundDib_.reset();
  objectDib_.reset();
  background_ = TScenePicture{};
  object_ = TScenePicture{};
  for (Mem<float> &raster : sampled_) raster.Clear();
  sampledCount_ = 0;
  backgroundFile.clear();
  objectFile.clear();
  if (GetHandle() != nullptr) {
    SetDlgItemText(kCustomObjectBox, kNoPicture);
    SetDlgItemText(kCustomBackgroundBox, kNoPicture);
  }
}

void TCustomObject::TakePictureFiles(const std::string &backgroundName, const std::string &objectName) {
  DeleteWindows();
  backgroundDib_.reset();
  objectDib_.reset();
  background_ = TScenePicture{};
  object_ = TScenePicture{};
  backgroundFile = backgroundName;
  objectFile = objectName;
  if (GetHandle() != nullptr) {
    SetDlgItemText(kCustomObjectBox, objectFile.empty() ? kNoPicture : objectFile.c_str());
    SetDlgItemText(kCustomBackgroundBox, backgroundFile.empty() ? kNoPicture : backgroundFile.c_str());
  }
  state = kNothingComputed;
}

bool TCustomObject::HasPicture() const {
  return !backgroundFile.empty() || !objectFile.empty() || !background_.Empty() || !object_.Empty();
}

void TCustomObject::CmBackground() {
  TFileName request(this, kPictureFilter, TFileName::kOpen);
  const std::string chosen = request.Execute();
  // A cancelled dialog keeps the picture there is.
  if (chosen.empty()) return;
  backgroundFile = chosen;
  DeleteWindows();
  LoadBackground();
  LoadObject();
  ShowPictures();
}

void TCustomObject::CmObject() {
  TFileName request(this, kPictureFilter, TFileName::kOpen);
  const std::string chosen = request.Execute();
  if (chosen.empty()) return;
  objectFile = chosen;
  DeleteWindows();
  LoadBackground();
  LoadObject();
  ShowPictures();
  Calculate();
}

bool TCustomObject::LoadPicture(std::string &file, int box, std::unique_ptr<TODib> &dib,
                                TScenePicture &picture) {
  if (file.empty()) MessageBeep(MB_OK);
  dib.reset();
  picture = TScenePicture{};
  bool loaded = false;
  if (!file.empty()) {
    std::string error;
    loaded = ReadScenePicture(file, dib, picture, error);
    if (!loaded) {
      MessageBox(GetHandle(), ("The picture can not be read:\n" + error).c_str(), "Warning",
                 kInformation);
      // A refused file is not kept as the picture's name.
      file.clear();
    }
  }
  if (GetHandle() != nullptr) SetDlgItemText(box, file.empty() ? kNoPicture : file.c_str());
  state = kNothingComputed;
  EnableViews();
  return loaded;
}

void TCustomObject::EnableViews() {
  TTestObjectParent *page = Page();
  if (page == nullptr) return;
  EnableDlgItem(page->GetHandle(), kObjectColorMapButton, 1);
  EnableDlgItem(page->GetHandle(), kObject3DPlotButton, 1);
  if (page->Owner() != nullptr) page->Owner()->SetViewButtonsEnabled(true);
}

void TCustomObject::LoadBackground() {
  LoadPicture(backgroundFile, kCustomBackgroundBox, backgroundDib_, background_);
}

void TCustomObject::LoadObject() {
  LoadPicture(objectFile, kCustomObjectBox, objectDib_, object_);
}

void TCustomObject::ShowPictures() {
  TTestImage *shared = GetTestImage();
  const int n = SynthesisPixelCount();
  if (shared == nullptr || n == 0) return;
  sceneSize_ = BitmapSceneSize(background_.Empty() ? nullptr : &background_,
                               object_.Empty() ? nullptr : &object_, n);
  POINT place = CascadePlace(*shared);
  const SIZE shown = SceneWindowClient(sceneSize_, place);
  pictureSize = sceneSize_;
  DeleteWindows();
  HWND ownerWindow = shared->folderWindow != nullptr ? shared->folderWindow : GetHandle();
  backgroundWindow = new (std::nothrow) TGumGraph(ownerWindow, place.x, place.y, shown.cx, shown.cy,
                                                  kSceneStyle, kSceneColor, nullptr);
  if (backgroundWindow == nullptr) {
    ShowNotEnoughMemory();
    return;
  }
  if (!backgroundWindow->Create()) {
    delete backgroundWindow;
    backgroundWindow = nullptr;
    return;
  }
  // The drawing keeps the whole scene, in its own pixels, whatever part the window shows.
  if (shown.cx != sceneSize_.cx || shown.cy != sceneSize_.cy) {
    if (!backgroundWindow->CreateBitmap(sceneSize_.cx, sceneSize_.cy)) {
      DeleteWindows();
      return;
    }
    // The plot area was the window's when it was made: the frame is drawn, and seen, over
    // the whole scene, not only over its first window-full.
    backgroundWindow->SetPlotArea(0, 0, 0, 0, false, false);
  }
  backgroundWindow->SetWindowText(ImageCaption());
  // What the scene shows is the object: a moved frame or object makes the spectra stale.
  backgroundWindow->onChanged = [this] { state = kNothingComputed; };
  if (backgroundDib_ != nullptr) {
    const POINT at = BackgroundPlace(background_, n);
    auto [windowDc, memoryDc] = backgroundWindow->GetDCs();
    if (memoryDc != nullptr) backgroundDib_->Draw(*memoryDc, at.x, at.y);
    if (windowDc != nullptr) backgroundDib_->Draw(*windowDc, at.x, at.y);
  }
  backgroundWindow->SetSelectMode(true);
  PlaceSelection();
  backgroundWindow->Refresh();
  if (objectDib_ == nullptr) return;
  const RECT s = backgroundWindow->GetSelection();
  const POINT centre = backgroundWindow->ClientToScreen(
      POINT{(s.left + s.right) / 2, (s.top + s.bottom) / 2});
  objectWindow = new (std::nothrow) TObjectGraph(
      backgroundWindow->GetHandle(), centre.x - object_.width / 2, centre.y - object_.height / 2,
      object_.width, object_.height, kObjectStyle, kObjectBackColor, nullptr);
  if (objectWindow == nullptr) {
    ShowNotEnoughMemory();
    return;
  }
  if (!objectWindow->Create()) {
    delete objectWindow;
    objectWindow = nullptr;
    return;
  }
  // The picture itself, not its frame, is centred on the frame's centre.
  const POINT client = objectWindow->ClientToScreen(POINT{0, 0});
  const RECT outer = objectWindow->GetWindowRect();
  objectWindow->MoveWindow(outer.left - (client.x - (centre.x - object_.width / 2)),
                           outer.top - (client.y - (centre.y - object_.height / 2)),
                           outer.right - outer.left, outer.bottom - outer.top, true);
  if (TDC *memoryDc = objectWindow->GetDCs().second) objectDib_->Draw(*memoryDc, 0, 0);
  // Its white lets a background picture through; over no background it is shown whole, as
  // the capture takes it.
  objectWindow->SetTransparent(!background_.Empty());
  objectWindow->onChanged = [this] { state = kNothingComputed; };
}

void TCustomObject::PlaceSelection() {
  if (backgroundWindow == nullptr) return;
  const RECT old = backgroundWindow->GetSelection();
  backgroundWindow->SetSelectMode(false);
  const int n = SynthesisPixelCount();
  const RECT s = PlacedSelection(old, n, RealMode(), sceneSize_);
  backgroundWindow->SetSelection(s.left, s.top, s.right, s.bottom);
}

RECT TCustomObject::Selection() const {
  if (backgroundWindow != nullptr) return backgroundWindow->GetSelection();
  const int n = SynthesisPixelCount();
  return RECT{0, 0, n, n};
}

SIZE TCustomObject::ObjectShownSize() const {
  if (objectWindow != nullptr && objectWindow->GetHandle() != nullptr)
    return objectWindow->GetClientSize();
  return SIZE{object_.width, object_.height};
}

POINT TCustomObject::ObjectPlace() const {
  if (objectWindow != nullptr && objectWindow->GetHandle() != nullptr &&
      backgroundWindow != nullptr && backgroundWindow->GetHandle() != nullptr) {
    const POINT objectOrigin = objectWindow->ClientToScreen(POINT{0, 0});
    const POINT sceneOrigin = backgroundWindow->ClientToScreen(POINT{0, 0});
    const POINT scroll = backgroundWindow->GetScrollOffset();
    return POINT{objectOrigin.x - sceneOrigin.x + scroll.x,
                 objectOrigin.y - sceneOrigin.y + scroll.y};
  }
  const RECT s = OrderedSelection(Selection());
  return POINT{(s.left + s.right) / 2 - object_.width / 2,
               (s.top + s.bottom) / 2 - object_.height / 2};
}

int TCustomObject::Calculate() {
  TTestImage *shared = GetTestImage();
  const bool realMode = shared != nullptr && shared->realImage != 0;
  // Rasters written for one PSF are no capture to sample for a PSF per field point.
  if (state == kRastersWritten && (!realMode || sampledCount_ > 0)) return 1;
  const int n = SynthesisPixelCount();
  if (shared == nullptr || n == 0) return 0;
  // Pictures named (by a settings file) and not read yet are read now.
  if (background_.Empty() && backgroundDib_ == nullptr && !backgroundFile.empty()) LoadBackground();
  if (object_.Empty() && objectDib_ == nullptr && !objectFile.empty()) LoadObject();
  const bool tv = (shared->colorMode & kTvColor) != 0;
  const RECT selection = Selection();
  // What the scene shows: the background where it was drawn, the object picture's
  // non-white pixels where its window lies now, at the size it is shown.
  const SIZE scene = backgroundWindow != nullptr
                         ? sceneSize_
                         : BitmapSceneSize(background_.Empty() ? nullptr : &background_,
                                           object_.Empty() ? nullptr : &object_, n);
  TScenePicture shownObject;
  const SIZE shown = ObjectShownSize();
  const TScenePicture *objectPicture = &object_;
  if (!object_.Empty() && (shown.cx != object_.width || shown.cy != object_.height)) {
    if (!ScaleScenePicture(object_, shown, shownObject)) {
      ShowNotEnoughMemory();
      return 0;
    }
    objectPicture = &shownObject;
  }
  TScenePicture composed;
  if (!ComposeBitmapScene(composed, scene, &background_, BackgroundPlace(background_, n),
                          objectPicture, ObjectPlace())) {
    ShowNotEnoughMemory();
    return 0;
  }
  Mem<float> rasters[3];
  TBitmapCapture capture;
  if (!CaptureBitmapRasters(composed, selection, n, realMode, tv, rasters, capture)) {
    ShowNotEnoughMemory();
    return 0;
  }
  pictureSize = SIZE{capture.width, capture.height};
  pictureCentre = capture.centre;
  sampledCount_ = 0;
  if (realMode) {
    const int count = tv ? 3 : 1;
    for (int k = 0; k < count; ++k) {
      sampled_[k] = rasters[k];
      if (sampled_[k].data == nullptr) return 0;
    }
    const RECT s = OrderedSelection(selection);
    sampledCentre_ = POINT{capture.centre.x - s.left, capture.centre.y - s.top};
    sampledCount_ = count;
  }
  if (!WriteBitmapObjectRasters(*this, rasters, tv ? 3 : 1)) return 0;
  if (shared->colorImage != nullptr) shared->colorImage->SetScaleMode(kLinearScale);
  return 1;
}

double TCustomObject::ValueAt(int component, double fieldX, double fieldY) {
  const TTestImage *shared = GetTestImage();
  if (shared == nullptr) return 0.0;
  return CapturedValueAt(sampled_, sampledCount_, sampledCentre_, component, fieldX, fieldY,
                         shared->objectStep);
}

void TCustomObject::ShowColorImage() {
  TTestImage *shared = GetTestImage();
  const int count = RecordCount(rasterFiles);
  if (count == 0) {
    MessageBeep(MB_OK);
    MessageBox(shared != nullptr ? shared->folderWindow : nullptr, "Not enougn information!",
               "Warning", kInformation);
    return;
  }
  if (shared == nullptr) return;
  const POINT place = CascadePlace(*shared);
  const int w = std::max<int>(1, pictureSize.cx);
  const int h = std::max<int>(1, pictureSize.cy);
  const int s = std::max(w, h);
  SIZE window{w, h};
  if (s < kSmallPictureSide) {
    window.cx = std::max(1, static_cast<int>(static_cast<double>(w) / s * kSmallPictureSide));
    window.cy = std::max(1, static_cast<int>(static_cast<double>(h) / s * kSmallPictureSide));
  }
  TColorImage *colorImage = ClearedSharedColorImage(*shared);
  if (colorImage == nullptr) return;
  SetWaitCursor();
  float shortest = 1e20f;
  float longest = -1e20f;
  for (int k = 0; k < count; ++k) {
    const TFileData &record = rasterFiles.data[k];
    colorImage->WriteComponents(record);
    shortest = std::min(shortest, record.wavelength);
    longest = std::max(longest, record.wavelength);
  }
  colorImage->SetGeometry(shortest, longest, kPictureDynamicRange,
                          static_cast<float>(shared->pixelSize));
  colorImage->SetScaleMode(kLinearScale);
  colorImage->BuildFromComponents(shared->colorMode);
  colorImage->ShowInWindow(shared->folderWindow, place.x, place.y, window.cx, window.cy,
                           kCustomPictureStyle, 0);
  shared->picture = colorImage->window;
  TSynthesisWindows *windows = GetSynthesisWindows();
  if (windows != nullptr && shared->picture != nullptr)
    windows->SetPictureCaption(shared->picture, ImageCaption());
  SetArrowCursor();
}
