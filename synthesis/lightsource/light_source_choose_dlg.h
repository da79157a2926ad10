#pragma once
// TLightSourceChooseDlg: the test object "Light source", offered by the Object page while
// the system's object lies at a finite distance. It loads an extended light source from a
// *.srl file; its rasters are the images the system forms of the source, one per
// wavelength of the system, from `rays` of its rays that reach the image (Calculate), and
// its colour picture shows the source as it looks along the axis at the image's scale (the
// ideal image); its 3-D view is the source's preview.

#include <memory>
#include <string>
#include <vector>

#include "synthesis/lightsource/light_source_image.h"
#include "synthesis/objects/test_object_dlg.h"

class TLightSource;

enum TLightSourceChooseControl : int {
  kSourceTypeList = 101,
  kSourceFileButton = 102,
  kSourceFileBox = 103,
  kSourceSizeEdit = 104,
  kSourceRaysEdit = 105,
  kSourceCommentText = 120,
};

// The display name of the object.
constexpr const char *kLightSourceObjectName = "Light source";
// Draws allowed per ray wanted before a component is given up as reaching no image.
constexpr long kSourceDrawsPerRay = 200;
constexpr long kSourceDrawsAtLeast = 1000000;
// The reach of the diffraction blur a field is to hold, in Airy radii (the first dark
// ring's): past four of them the pattern holds some 1 % of its light.
constexpr double kBlurRadii = 4.0;

class TLightSourceChooseDlg : public TTestObjectDlg {
 public:
  explicit TLightSourceChooseDlg(TTestObjectParent *page);
  ~TLightSourceChooseDlg() override;

  bool Find(TEventInfo &info) override;
  void SetupWindow() override;

  // The rays box into `rays` (a new count makes the image stale; fewer than one becomes
  // N x N, shown); 1.
  int ReadParameters() override;
  // rays 0 becomes N x N; the fields into the boxes; 1.
  int ShowParameters() override;
  // The light source has no brightness of its own at a field point: 0.
  double ValueAt(int component, double x, double y) override;
  // The images through the system, one raster file per wavelength of the system; 1 at once
  // while they are current. 0 without a source, when Escape stopped it (the files written
  // stay listed, the object is not computed), or when no ray reached the image (told).
  int Calculate() override;
  // The ideal image of every wavelength, shown in a picture window (its own files: the
  // images through the system stay as they are).
  void ShowColorImage() override;
  // The source's preview beside the folder; a beep without a source.
  void ShowGraph() override;

  // "File": the open dialog for a *.srl file; the chosen one is loaded.
  void CmFile();
  // The type list offers nothing: a beep.
  void CmTypeList();
  // Loads a source file: a file that cannot be read, or holds no source that emits, is
  // refused with a message and the loaded source stays. Sets the size (the diagonal of the
  // source's transverse box), the comment, the rays (N x N) and the object size of the
  // synthesis from it. 1 when loaded.
  int LoadSource(const std::string &path);

  // Of the light the system passed in the last trace through it, the share that fell
  // outside the image field once blurred (the largest of the wavelengths'), and the
  // farthest a passed ray landed from the axis along y or z plus the reach of the blur
  // (kBlurRadii Airy radii at the widest): the half-side of a field that holds the image
  // (the image's unit).
  double LostShare() const { return lostShare_; }
  // Of the blur's light, the largest share over the wavelengths that lay beyond the
  // reach it was taken to (light the picture may lack besides what it is told it lacks).
  double BlurLeftOut() const { return blurLeftOut_; }
  double ImageReach() const { return imageReach_ + blurReach_; }
  // Per wavelength of the last trace, the cutoff of its diffraction blur (cycles per mm,
  // per mrad at infinity), from the pupil its traced bundle filled; 0 where none.
  const std::vector<double> &BlurCutoffs() const { return cutoffs_; }
  // Per wavelength of the last trace, the light its picture holds and the light the system
  // passed (ShareOutsidePicture tells the share the picture lacks).
  const std::vector<TPictureLight> &PictureLight() const { return pictureLight_; }

  // The object size (the synthesis's ObjectSize) the source chose for itself when it was
  // loaded or fitted to its traced image; a size typed since differs from it. 0: none.
  double ChosenObjectSize() const { return chosenObjectSize_; }
  // The synthesis's present object size becomes the chosen one.
  void KeepObjectSizeAsChosen();

  TLightSource *Source() const { return source_.get(); }
  const std::string &SourceFile() const { return sourceFile_; }
  // The ideal images' files of the last picture.
  const Mem<TFileData> &IdealFiles() const { return idealFiles_; }

  double size = 0.0;  // mm
  int rays = 0;

 protected:
  // The light source writes its own records.
  int Fill(Mem<float> &raster, int n) override;

 private:
  // Both images: ideal or through the system into `files`; the object's rasters are
  // current only when every component was written.
  int Compute(bool ideal, Mem<TFileData> &files);

  std::unique_ptr<TLightSource> source_;
  std::string sourceFile_;
  Mem<TFileData> idealFiles_;
  double lostShare_ = 0.0;
  double imageReach_ = 0.0;
  double blurReach_ = 0.0;
  double blurLeftOut_ = 0.0;
  double chosenObjectSize_ = 0.0;
  std::vector<double> cutoffs_;
  std::vector<TPictureLight> pictureLight_;
};
