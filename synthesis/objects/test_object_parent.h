#pragma once
// TTestObjectParent: the " Object " page of the image-synthesis folder. On it the user
// chooses the test object, its size and the unit of that size (metres, or arc minutes or
// degrees of field), whether the size is meant in object or in image space, and the
// distance of a finite object; the chosen object's own dialog shows in the lower part, and
// two buttons compute it and show it as a colour map or a 3-D plot. Size, unit, space and
// distance live in the shared TTestImage; the folder converts between the object size and
// its extent in the image (TObjectPageOwner).

#include <array>
#include <string>

#include "toolkit/folders/book_mark_dlg.h"

class TCustomObject;
class TDiffractionPoint;
class TLightSourceChooseDlg;
class TMultiEdit;
class TObjectPageOwner;
class TOpticalSystem;
class TRadialMira;
class TSquareMira;
class TTestImage;
class TTestObject;
class TTestObjectDlg;

// Controls of the page.
enum TObjectPageControl : int {
  kObjectSpaceRadio = 10244,
  kImageSpaceRadio = 10245,
  kObjectSizeEdit = 10466,
  kUnitMetresRadio = 10241,
  kUnitMinutesRadio = 10242,
  kUnitDegreesRadio = 10243,
  kObjectDistanceEdit = 10451,
  kObjectTypeList = 10465,
  kObjectColorMapButton = 12090,
  kObject3DPlotButton = 12080,
};

// The object types in list order; the index is also the type of the settings file.
enum TObjectType : int {
  kObjectDisk = 0,
  kObjectRadialMira = 1,
  kObjectSquareMira = 2,
  kObjectCustom = 3,
  kObjectLightSource = 4,
  kObjectTypeCount = 5,
};

// Units of the object size (UnitBtn of TTestImage).
enum TObjectSizeUnit : int { kUnitMetres = 0, kUnitMinutes = 1, kUnitDegrees = 2 };

class TTestObjectParent : public TBookMarkDlg {
 public:
  TTestObjectParent(TWindow *folder, TObjectPageOwner *owner);
  ~TTestObjectParent() override;

  bool Find(TEventInfo &info) override;
  void SetupWindow() override;
  // Entering shows the values; leaving takes them and refuses while the image-side size
  // is not above 0.
  int EnterPage() override;
  int LeavePage() override;

  // Values into the controls (ShowObjectSize) and back, applied (ReadObjectSize): a new
  // distance of a finite object moves the system with the undo step "Change object
  // distance". A size, distance, field or count that is no number or not above zero is
  // refused with a message naming it, and its box shows the value kept: ReadObjectSize
  // then answers 0, else 1.
  int ShowObjectSize();
  int ReadObjectSize();
  // The list's selected index, -1 when none.
  int CurrentTypeIndex();
  // The test object of the list's selected type, null when none is built for it.
  TTestObject *CurrentObject();
  // Applies a new list selection (the list's notification, the settings reader).
  void CmTypeChanged();
  // Selects the type in the list and applies it; 1 when it is the current type after.
  int SelectType(int index);

  // The size edit and the distance edit from their variables; a distance typed since the
  // page last wrote or read it stays as typed.
  void WriteEdits();

  // Response-table handlers.
  void CmColorMap();
  void Cm3DPlot();
  void CmSpace();
  void CmUnitM();
  void CmUnitMin();
  void CmUnitDeg();

  TObjectPageOwner *Owner() const { return owner_; }
  TOpticalSystem *System() const;
  TDiffractionPoint *DiffractionPoint() const { return diffractionPoint_; }
  TRadialMira *RadialMira() const { return radialMira_; }
  TSquareMira *SquareMira() const { return squareMira_; }
  TCustomObject *CustomObject() const { return customObject_; }
  TLightSourceChooseDlg *LightSource() const { return lightSource_; }
  // The dialog of a type, null for the types not built.
  TTestObjectDlg *ObjectDialog(int type) const;

  // The size box: the disc's diameter in the object-size unit while the type is "Disk",
  // the object size otherwise.
  double sizeValue = 0.0;
  // The object size while the type is "Disk" (its dialog's "Field" box).
  double fieldValue = 0.0;
  // The distance box, metres (the shared record's Distance).
  double distance = 1000.0;
  int currentType = kObjectRadialMira;

 private:
  bool ObjectFinite() const;
  bool ImageFinite() const;
  bool HasLensArrays() const;
  // The page's " Size " radio buttons by unit and space.
  void CheckUnitAndSpace(const TTestImage &shared);
  // Computes the current object when stale and shows it (colour map or 3-D plot).
  void ShowObject(bool colorMap);
  void ApplyUnit(int unit);

  TObjectPageOwner *owner_;
  TMultiEdit *binder_ = nullptr;
  TDiffractionPoint *diffractionPoint_ = nullptr;
  TRadialMira *radialMira_ = nullptr;
  TSquareMira *squareMira_ = nullptr;
  TCustomObject *customObject_ = nullptr;
  TLightSourceChooseDlg *lightSource_ = nullptr;
  // The distance box's text as the page last wrote it; empty once read.
  std::string shownDistance_;
};

// The list texts of the types, in list order.
const char *ObjectTypeText(int type);
