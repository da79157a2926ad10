// The settings file's values to and from the Object and Detector pages.
#include "synthesis/folder/tti_pages.h"

#include <cstdio>
#include <string>

#include "imaging/testobject/detector_parameters.h"
#include "imaging/testobject/scanner_parameters.h"
#include "imaging/testobject/test_image.h"
#include "optics/model/optical_system.h"
#include "platform/core/message_box.h"
#include "platform/gui/controls/combo_box.h"
#include "synthesis/detectors/element_detectors.h"
#include "synthesis/detectors/line_detectors.h"
#include "synthesis/detectors/matrix_detector.h"
#include "synthesis/detectors/test_detector.h"
#include "synthesis/detectors/transformer_detector_dlgs.h"
#include "synthesis/detectors/transformer_detectors.h"
#include "synthesis/folder/tti_settings.h"
#include "synthesis/objects/custom_object.h"
#include "synthesis/objects/diffraction_point.h"
#include "synthesis/objects/radial_mira.h"
#include "synthesis/objects/square_mira.h"
#include "synthesis/objects/test_object_parent.h"

namespace {

// A picture the bitmap object may use: it exists and can be read. The picture is only
// read, so one on a read-only share serves as well. A folder opens for reading too, but
// its first read fails.
bool PictureUsable(const std::string &path) {
  std::FILE *file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return false;
  std::fgetc(file);
  const bool readable = std::ferror(file) == 0;
  std::fclose(file);
  return readable;
}

template <typename Model>
Model *ModelOf(TTestDetector &page, int type) {
  return dynamic_cast<Model *>(page.Model(type));
}

void TakeCells(TArrayDetectorModel *model, TTtiArrayCells &cells) {
  if (model == nullptr) return;
  cells = {model->Ly, model->Lz, model->dY0, model->dZ0};
}

void PutCells(TArrayDetectorModel *model, const TTtiArrayCells &cells) {
  if (model == nullptr) return;
  model->Ly = cells.Ly;
  model->Lz = cells.Lz;
  model->dY0 = cells.dY0;
  model->dZ0 = cells.dZ0;
  model->state = kNothingComputed;
  // Its page shows them at once, shown or hidden: the combined detector reads a hidden
  // matrix page, and its boxes must not give back the values from before the file.
  model->ShowParameters();
}

}  // namespace

void TakeObjectTti(TTestObjectParent &page, TTtiSettings &values) {
  values.typeList = page.currentType;
  values.field = page.fieldValue;
  if (TDiffractionPoint *point = page.DiffractionPoint()) values.diameterInUnit = point->diameterInUnit;
  if (TRadialMira *radial = page.RadialMira()) values.nStrokes = radial->strokes;
  if (TSquareMira *square = page.SquareMira()) {
    values.nGroup = square->groups;
    values.nStrokesMin = square->strokesMin;
    values.nStrokesMax = square->strokesMax;
  }
  if (TCustomObject *custom = page.CustomObject()) {
    values.fileFon = custom->backgroundFile;
    values.fileObject = custom->objectFile;
  }
}

void PutObjectTti(TTestObjectParent &page, const TTtiSettings &values, unsigned sections) {
  const TOpticalSystem *system = page.System();
  if ((sections & kTtiObjects) != 0) {
    int type = values.typeList;
    if (type == kObjectCustom) type = kObjectRadialMira;
    if (type == kObjectLightSource && system != nullptr && system->info.ObjectFinite == 0)
      type = kObjectRadialMira;
    // A type outside the list keeps the current one.
    if (type >= 0 && type < kObjectTypeCount && type != page.currentType) page.SelectType(type);
  }
  if (TDiffractionPoint *point = page.DiffractionPoint()) {
    point->diameterInUnit = values.diameterInUnit;
    point->state = kNothingComputed;
  }
  page.fieldValue = values.field;
  page.sizeValue = page.currentType == kObjectDisk ? values.field : values.objectSize;
  if ((sections & kTtiRadialMira) != 0 && page.RadialMira() != nullptr) {
    page.RadialMira()->strokes = values.nStrokes;
    page.RadialMira()->state = kNothingComputed;
  }
  if ((sections & kTtiSquareMira) != 0 && page.SquareMira() != nullptr) {
    TSquareMira *square = page.SquareMira();
    square->groups = values.nGroup;
    square->strokesMin = values.nStrokesMin;
    square->strokesMax = values.nStrokesMax;
    square->state = kNothingComputed;
  }
  if ((sections & kTtiCustomObject) != 0 && page.CustomObject() != nullptr) {
    std::string background = values.fileFon, object = values.fileObject, text;
    if (!background.empty() && !PictureUsable(background)) {
      text = "Background description \"" + background + "\" not exist.";
      background.clear();
    }
    if (!object.empty() && !PictureUsable(object)) {
      text += "\nObject description \"" + object + "\" not exist.";
      object.clear();
    }
    if (!text.empty())
      MessageBox(page.GetHandle(), text, "About custom object descriptions", MB_OK | MB_ICONEXCLAMATION);
    page.CustomObject()->TakePictureFiles(background, object);
  }
  page.WriteEdits();
}

void PutObjectTtiDefaults(TTestObjectParent &page) {
  if (page.GetHandle() != nullptr) {
    page.CheckDlgButton(kObjectSpaceRadio, BST_CHECKED);
    page.CheckDlgButton(kImageSpaceRadio, BST_UNCHECKED);
    page.CmSpace();
    page.CheckDlgButton(kUnitMinutesRadio, BST_CHECKED);
    page.CheckDlgButton(kUnitMetresRadio, BST_UNCHECKED);
    page.CheckDlgButton(kUnitDegreesRadio, BST_UNCHECKED);
    page.CmUnitMin();
  } else if (TTestImage *shared = GetTestImage()) {
    shared->ObjectSpaceCheck = 1;
    shared->UnitBtn = kUnitMinutes;
  }
}

void TakeDetectorTti(TTestDetector &page, TTtiSettings &values) {
  page.ReadParameters();
  values.detectorList = page.DetectorType();
  if (auto *round = ModelOf<TDetectorRoundModel>(page, kDetectorRound)) values.roundDiameter = round->Diameter;
  if (auto *rectangle = ModelOf<TDetectorRectangleModel>(page, kDetectorRectangle)) {
    values.rectangleLy = rectangle->Ly;
    values.rectangleLz = rectangle->Lz;
  }
  TakeCells(ModelOf<TArrayDetectorModel>(page, kDetectorMatrix), values.matrix);
  TakeCells(ModelOf<TArrayDetectorModel>(page, kDetectorDoubleLine), values.doubleArray);
  TakeCells(ModelOf<TArrayDetectorModel>(page, kDetectorSingleLine), values.singleLine);
  if (auto *transformer = ModelOf<TDetectorOpticalTransformerModel>(page, kDetectorOpticalTransformer))
    values.transformerFile = transformer->FileName;
  if (const TScannerParameters *scanner = GetScannerParameters()) {
    values.frequence = scanner->Frequence;
    values.tau = scanner->Tau;
    values.realMovement = scanner->RealMovement;
    values.yscanning = scanner->Yscanning;
  }
}

void PutDetectorTti(TTestDetector &page, const TTtiSettings &values, unsigned sections) {
  if ((sections & kTtiDetectorType) != 0 && values.detectorList >= 0 && values.detectorList < 8 &&
      values.detectorList != page.DetectorType())
    page.ChooseDetectorType(values.detectorList);
  if ((sections & kTtiRoundDetector) != 0) {
    if (auto *round = ModelOf<TDetectorRoundModel>(page, kDetectorRound)) {
      round->Diameter = values.roundDiameter;
      round->state = kNothingComputed;
      round->ShowParameters();
    }
  }
  if ((sections & kTtiRectangleDetector) != 0) {
    if (auto *rectangle = ModelOf<TDetectorRectangleModel>(page, kDetectorRectangle)) {
      rectangle->Ly = values.rectangleLy;
      rectangle->Lz = values.rectangleLz;
      rectangle->state = kNothingComputed;
      rectangle->ShowParameters();
    }
  }
  if ((sections & kTtiMatrixDetector) != 0)
    PutCells(ModelOf<TArrayDetectorModel>(page, kDetectorMatrix), values.matrix);
  if ((sections & kTtiDoubleArrayDetector) != 0)
    PutCells(ModelOf<TArrayDetectorModel>(page, kDetectorDoubleLine), values.doubleArray);
  if ((sections & kTtiSingleLineDetector) != 0)
    PutCells(ModelOf<TArrayDetectorModel>(page, kDetectorSingleLine), values.singleLine);
  if ((sections & kTtiOpticalTransformer) != 0) {
    if (auto *model = ModelOf<TDetectorOpticalTransformerModel>(page, kDetectorOpticalTransformer)) {
      model->FileName = values.transformerFile;
      model->state = kNothingComputed;
      auto *dialog = dynamic_cast<TDetectorOpticalTransformer *>(model);
      if (dialog != nullptr && !values.transformerFile.empty())
        if (TWindow *view = dialog->ChildWithId(kTransformerViewButton)) view->EnableWindow(true);
    }
  }
  if ((sections & kTtiScanner) != 0) {
    if (TScannerParameters *scanner = GetScannerParameters()) {
      scanner->Frequence = values.frequence;
      scanner->Tau = values.tau;
      scanner->RealMovement = values.realMovement;
      scanner->Yscanning = values.yscanning;
    }
  }
}
