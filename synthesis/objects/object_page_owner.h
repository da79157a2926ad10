#pragma once
// What the Object page needs of the image-synthesis folder it lies in. The folder
// implements it; tests give the page an owner of their own.

#include <string>

class TOGauge;
class TOpticalSystem;

class TObjectPageOwner {
 public:
  virtual ~TObjectPageOwner() = default;
  // The edited system the synthesis works on; null when there is none.
  virtual TOpticalSystem *System() = 0;
  // A synthesis or a PSF computation is running: commands that compute only beep.
  virtual bool Computing() = 0;
  // Object size to image field: the page has put the object size into ObjectSize of the
  // shared TTestImage (with UnitBtn, ObjectSpaceCheck and Distance); the folder sets
  // fieldSize and the pixel size from it and clears the states that a new pixel size
  // makes stale.
  virtual void UpdateImageSize() = 0;
  // Image field to object size: from fieldSize back into ObjectSize, in the current unit
  // and space.
  virtual void UpdateObjectSize() = 0;
  // The object moved: the PSF page and the folder's image must be computed again.
  virtual void ObjectDistanceChanged() = 0;
  // An undo step of the edited system after a change, with the text the Undo item shows.
  virtual void SaveUndo(const std::string &label) = 0;
  // A lens or beam run holds the edited system: its end would take a moved object back, so
  // the page keeps the distance it had and says why.
  virtual bool SystemHeldByRun() { return false; }
  // Every view of the edited system is redrawn after a change.
  virtual void RefreshViews() = 0;
  // Another test-object type was chosen: the Settings page's results are stale.
  virtual void ObjectTypeChanged() = 0;
  // The folder's " PSF " tab (off while the object is a light source).
  virtual void SetPsfPageEnabled(bool enabled) = 0;
  // The folder's "Color" and "3D" buttons (off while the object cannot be shown).
  virtual void SetViewButtonsEnabled(bool enabled) = 0;
  // The folder's progress gauge for an object's own long computation (null: none), and
  // the folder's window stretched to show it with its times (false: back to its size).
  virtual TOGauge *ProgressGauge() { return nullptr; }
  virtual void ShowProgress(bool /*shown*/) {}
};
