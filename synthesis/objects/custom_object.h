#pragma once
// TCustomObject: the test object "Custom", any picture taken from *.bmp files. A background
// picture is shown in a scene window, an object picture in a small window over it that the
// user drags about; the scene's frame marks the part to use. Calculate takes the framed part
// of the scene as the user sees it (the object's white pixels let the background through)
// and writes one luminance raster, or three for TV colours.

#include <memory>
#include <string>

#include "synthesis/objects/bitmap_scene.h"
#include "synthesis/objects/test_object_dlg.h"

class TGumGraph;
class TODib;
class TObjectGraph;

// Controls of the dialog.
enum TCustomObjectControl : int {
  kCustomObjectButton = 10330,
  kCustomBackgroundButton = 10331,
  kCustomBackgroundBox = 10332,
  kCustomObjectBox = 10420,
};

// The name of the bitmap object, as the synthesis knows it.
constexpr const char *kCustomObjectDisplayName = "Custom object";

class TCustomObject : public TTestObjectDlg {
 public:
  explicit TCustomObject(TTestObjectParent *page);
  ~TCustomObject() override;

  bool Find(TEventInfo &info) override;
  void SetupWindow() override;
  void EvDestroy();

  // Drops both pictures and both windows and empties both paths.
  void Reset();
  // The open-file dialog for one picture; a cancel keeps what was chosen. The scene is
  // built again; a new object picture is captured at once.
  // The pictures a settings file names: the boxes show them, and they are read when the
  // object is next computed (the pictures read before are no longer the object's).
  void TakePictureFiles(const std::string &backgroundName, const std::string &objectName);
  // Whether the object holds a picture or names one to read: it then has something to show.
  bool HasPicture() const;
  void CmBackground();
  void CmObject();
  // Read the picture named by backgroundFile / objectFile (an empty name beeps and leaves
  // that picture out; a file that is no readable bitmap is refused with a message and its
  // name emptied), show the name or "---", and make the rasters stale.
  void LoadBackground();
  void LoadObject();
  // Builds the scene window (and the object window over it) from the pictures.
  void ShowPictures();
  // Places the capture frame for the current pixel count and synthesis mode.
  void PlaceSelection();

  int Calculate() override;
  double ValueAt(int component, double x, double y) override;
  // The picture window takes the rasters' shape: its larger side is 256 pixels for small
  // rasters, their own size otherwise.
  void ShowColorImage() override;

  // Where the object picture's top-left corner lies in the scene, and the size it is shown
  // at (the object window's client); without an object window, centred on the frame.
  POINT ObjectPlace() const;
  SIZE ObjectShownSize() const;

  std::string objectFile;
  std::string backgroundFile;
  TGumGraph *backgroundWindow = nullptr;
  TObjectGraph *objectWindow = nullptr;
  const TScenePicture &BackgroundPicture() const { return background_; }
  const TScenePicture &ObjectPicture() const { return object_; }
  SIZE SceneSize() const { return sceneSize_; }
  // The frame: the scene window's selection, or (0, 0, N, N) without a scene window.
  RECT Selection() const;

 protected:
  // The bitmap object writes its own records in Calculate.
  int Fill(Mem<float> &raster, int n) override;

 private:
  bool LoadPicture(std::string &file, int box, std::unique_ptr<TODib> &dib,
                   TScenePicture &picture);
  void DeleteWindows();
  void EnableViews();

  // The capture of a synthesis with a PSF per field point, which samples it by ValueAt;
  // empty (count 0) after a capture for one PSF.
  Mem<float> sampled_[3];
  int sampledCount_ = 0;
  POINT sampledCentre_{};
  std::unique_ptr<TODib> backgroundDib_;
  std::unique_ptr<TODib> objectDib_;
  TScenePicture background_;
  TScenePicture object_;
  SIZE sceneSize_{kSmallestSceneSide, kSmallestSceneSide};
};
