#pragma once
// What the image-synthesis folder asks of its Object and Detector pages, and how it gets
// them. The pages are made by makers that their own areas install; a folder opened
// without a maker has no such page (no test object to form, detector "None").

#include <string>

class TTestObject;
class TTestObjectFolder;
class TWindow;
struct TTtiSettings;

// The Object page: the test objects and the object's size and distance.
class TSynthesisObjectPage {
 public:
  virtual ~TSynthesisObjectPage() = default;
  // The page dialog the folder adds under " Object ".
  virtual TWindow *PageWindow() = 0;
  // Takes the size fields into the page's values, and shows them back; 0 when a field was
  // refused (the page has said why), 1 otherwise.
  virtual int ReadObjectSize() = 0;
  virtual void ShowObjectSize() = 0;
  // The chosen test object (null when none).
  virtual TTestObject *CurrentObject() = 0;
  // The chosen object type (0 point, 1 radial bars, 2 square bars, 3 custom, 4 source).
  virtual int CurrentType() const = 0;
  // The object size in the unit the page has chosen (TTestImage::UnitBtn).
  virtual double SizeInChosenUnit() = 0;
  // Whether the page may be left now (it says why not itself).
  virtual int MayLeave() = 0;
  // The folder's set-up: the fields written from the values and taken back.
  virtual void TakeFields() = 0;
  // The raster size changed: a bitmap object places its capture frame again.
  virtual void PixelCountChanged() {}
  // The folder closes: the bitmap object's picture windows are hidden (it deletes them
  // itself later).
  virtual void HidePictureWindows() {}
  // The light-source test object's file, empty when it has none.
  virtual std::string LightSourceFile() { return std::string(); }
  // The settings file: the page's choices into the record, the record's into the page
  // (sections: the bits of the sections the file held, see tti_settings.h), and the page's
  // default choices.
  virtual void TakeTtiSettings(TTtiSettings &) {}
  virtual void PutTtiSettings(const TTtiSettings &, unsigned) {}
  virtual void PutDefaultTtiSettings() {}
  // The folder is done with this interface; an adapter deletes itself here, a page that
  // is its own interface does nothing (the folder deletes its pages).
  virtual void Release() {}
};

// The Detector page: the detector models, their noise and the scanner.
class TSynthesisDetectorPage {
 public:
  virtual ~TSynthesisDetectorPage() = default;
  virtual TWindow *PageWindow() = 0;
  virtual void ReadParameters() = 0;
  virtual void ShowParameters() = 0;
  // The chosen detector model; its name "None" means no detector.
  virtual TTestObject *CurrentModel() = 0;
  // Prepares the scanning simulation before a colour picture.
  virtual void PrepareScan() = 0;
  // The folder has set itself up (its tabs drawn in their first colours).
  virtual void FolderReady() {}
  // The settings file, as for the Object page.
  virtual void TakeTtiSettings(TTtiSettings &) {}
  virtual void PutTtiSettings(const TTtiSettings &, unsigned) {}
  virtual void PutDefaultTtiSettings() {}
  virtual void Release() {}
};

using TObjectPageMaker = TSynthesisObjectPage *(*)(TTestObjectFolder &folder);
using TDetectorPageMaker = TSynthesisDetectorPage *(*)(TTestObjectFolder &folder);

// Installs the makers (null: no such page); each answers the previous one. The program's
// own pages are installed from the start.
TObjectPageMaker SetObjectPageMaker(TObjectPageMaker maker);
TDetectorPageMaker SetDetectorPageMaker(TDetectorPageMaker maker);
TObjectPageMaker GetObjectPageMaker();
TDetectorPageMaker GetDetectorPageMaker();
