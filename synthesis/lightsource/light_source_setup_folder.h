#pragma once
// TLightSourceSetupFolder: the modal folder "Light Source" in which an extended light source
// is designed on five pages (Type, Limit, Screen, Wavelength, Comment), opened from a
// light-source file (*.srl) or imported from a DXF mesh, previewed in 3-D and saved as a
// light-source file. The image synthesis takes sources only from the files it saves.

#include <memory>
#include <string>

#include "toolkit/folders/book_mark_folder.h"

class TLightSource;
class TLightSourceSetupLimitDlg;
class TLightSourceSetupMessageDlg;
class TLightSourceSetupPage;
class TLightSourceSetupScreenDlg;
class TLightSourceSetupTypeDlg;
class TLightSourceSetupWaveLenghtDlg;

enum TLightSourceSetupCommand : int {
  kSetupCancel = 100,
  kSetupOpen = 101,
  kSetupSave = 102,
  kSetupSaveAs = 103,
  kSetupHelp = 105,
};

constexpr const char *kSetupOpenFilter = "Light source (*.srl)|*.srl|AutoCAD(*.dxf)|*.dxf|";
constexpr const char *kSetupSaveFilter = "Light source (*.srl)|*.srl|";
constexpr int kSetupHelpContext = 3030;

class TLightSourceSetupFolder : public TBookMarkFolder {
 public:
  // systemFile: the edited system's file, whose directory the file dialogs start in;
  // sourceFile: the light-source test object's file, read when the folder is set up.
  TLightSourceSetupFolder(TWindow *parentWindow, std::string systemFile, std::string sourceFile);
  ~TLightSourceSetupFolder() override;

  bool Find(TEventInfo &info) override;
  void SetupWindow() override;

  // Every page's controls into the source, in tab order: 1, or 0 when a page refused (it
  // said why; the pages before it have taken theirs).
  int ReadAll();
  // The source into every page; 1.
  int ShowAll();
  // "Light Source", or "Light Source - " and the file's name in lower case (the name
  // itself keeps its case).
  void UpdateCaption();

  // Opens a light-source or DXF file into a new source shown on the pages; a file that
  // cannot be read, holds more than the tables show, or is neither kind, is refused with a
  // message and the source and its name stay. 1 when taken.
  int OpenFile(const std::string &path);
  // The pages into the source, written to the file: 1 when written.
  int SaveTo(const std::string &path);

  // Commands.
  void CmOpen();
  // Writes to the file's name when it is a light-source file (by its extension); asks
  // for a name otherwise.
  void CmSave();
  void CmSaveAs();
  void CmCancelSetup();
  void CmHelp();

  TLightSource &Source() { return *source_; }
  const std::string &FileName() const { return fileName_; }
  TLightSourceSetupTypeDlg *TypePage() const { return typePage_; }
  TLightSourceSetupLimitDlg *LimitPage() const { return limitPage_; }
  TLightSourceSetupScreenDlg *ScreenPage() const { return screenPage_; }
  TLightSourceSetupWaveLenghtDlg *WaveLenghtPage() const { return waveLenghtPage_; }
  TLightSourceSetupMessageDlg *CommentPage() const { return commentPage_; }

 private:
  // The directory the dialogs start in.
  std::string StartDirectory() const;

  std::string systemFile_;
  std::string fileName_;
  std::unique_ptr<TLightSource> source_;
  TLightSourceSetupTypeDlg *typePage_;
  TLightSourceSetupLimitDlg *limitPage_;
  TLightSourceSetupScreenDlg *screenPage_;
  TLightSourceSetupWaveLenghtDlg *waveLenghtPage_;
  TLightSourceSetupMessageDlg *commentPage_;
};

// Whether a file name ends in ".<extension>", compared without case.
bool HasExtension(const std::string &path, const char *extension);
