#pragma once
// The dialogs of the optical-transformer models on the detector type page. The optical
// transformer's page chooses its *.otd file, opens it in the text editor and plots its
// gain table; the matrix-and-transformer page only says that it takes the values of the
// matrix and optical-transformer pages.

#include "synthesis/detectors/transformer_detectors.h"
#include "toolkit/dialogs/color_dlg.h"

class TOEditor;

// Controls of the optical transformer's page.
enum TTransformerControl : int {
  kTransformerFileButton = 10330,
  kTransformerFileLabel = 12210,
  kTransformerEditButton = 12205,
  kTransformerViewButton = 12232,
  kTransformerSpectrumText = 12212,
};

// The file name as the page shows it: longer than 22 characters, "..." and its last 20.
std::string ShortTransformerFileName(const std::string &path);

class TDetectorOpticalTransformer : public TColorDlg, public TDetectorOpticalTransformerModel {
 public:
  explicit TDetectorOpticalTransformer(TWindow *typePage);
  ~TDetectorOpticalTransformer() override;

  bool Find(TEventInfo &info) override;
  void SetupWindow() override;
  // The file's name, and the raster's frequency step and highest frequency 1/(2 p).
  int ShowParameters() override;

  // "File": chooses the *.otd file.
  void CmFile();
  // "Edit": the file in the text editor (a former editor closed first, its changed text
  // offered for saving; Cancel keeps it); with no file chosen, "Untitled.otd".
  void CmEdit();
  // "View": the gain over frequency in a graph window beside the synthesis folder.
  void CmView();

  TOEditor *Editor() const { return editor_; }

 private:
  TOEditor *editor_ = nullptr;
};

class TDetectorMatrixTransformer : public TColorDlg, public TDetectorMatrixTransformerModel {
 public:
  explicit TDetectorMatrixTransformer(TWindow *typePage);
  void SetupWindow() override;
};
