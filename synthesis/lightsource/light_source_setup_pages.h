#pragma once
// The five pages of the light-source set-up folder: " Type " (zones, or the objects'
// temperatures of a solid source, and the 3-D view), " Limit " (where rays may start),
// " Screen " (opaque discs), " Wavelength" (the spectrum) and " Comment ". Data moves
// between a page and the folder's source only through ReadData (controls into the source)
// and ShowData (source into the controls); switching tabs moves nothing.
//
// ReadData refuses what the source cannot use, says why in a "Warning" box, makes the
// offending cell current and changes nothing of the source: a zone without length or
// diameter, a limit whose maximum does not exceed its minimum, a negative radius,
// temperature or weight, a wavelength of 0 or below. Empty rows are left out. A cell that
// still shows a value as it was shown keeps the value to every digit.

#include "foundation/containers/mem.h"
#include "foundation/containers/string_class.h"
#include "toolkit/folders/book_mark_dlg.h"

class TComboBox;
class TEdit;
class TLightSource;
class TLightSourceLimitTable;
class TLightSourceObjectTable;
class TLightSourceScreenTable;
class TLightSourceSetupFolder;
class TLightSourceWaveLenghtTable;
class TLightSourceZonesTable;

enum TLightSourceSetupControl : int {
  kSourceKindList = 201,
  kSourceView3D = 106,
  kObjectTablePlace = 300,
  kZonesTablePlace = 301,
  kScreenTablePlace = 302,
  kLimitTablePlace = 303,
  kWavelengthTablePlace = 304,
  kSourceCommentEdit = 521,
};

class TLightSourceSetupPage : public TBookMarkDlg {
 public:
  TLightSourceSetupPage(TLightSourceSetupFolder *folder, const char *resource);
  // The controls into the folder's source: 1, or 0 after a refusal (the source unchanged).
  virtual int ReadData() = 0;
  // The folder's source into the controls; 1.
  virtual int ShowData() = 0;

 protected:
  TLightSource &Source();
  // A "Warning" box naming the problem.
  void Refuse(const std::string &text);
  TLightSourceSetupFolder *folder_;
};

class TLightSourceSetupTypeDlg final : public TLightSourceSetupPage {
 public:
  explicit TLightSourceSetupTypeDlg(TLightSourceSetupFolder *folder);
  ~TLightSourceSetupTypeDlg() override;

  bool Find(TEventInfo &info) override;
  void SetupWindow() override;
  int ReadData() override;
  int ShowData() override;

  // The type chosen in the list: zones show their table and open the Limit tab, a solid
  // source shows its objects; the Screen tab is open for neither.
  void ApplyType();
  // The preview of the source as the pages hold it; nothing for a source without zones
  // or triangles.
  void CmView3D();
  // The current temperature into every object's row.
  void CmSetForAll();

  TLightSourceZonesTable *ZonesTable() const { return zonesTable_; }
  TLightSourceObjectTable *ObjectTable() const { return objectTable_; }

 private:
  // A new objects' table for objects 1 .. n - 1 of n (the buffers hold all n).
  // The table of objects first .. n - 1.
  void BuildObjectTable(int n, int first);

  Mem<int> zoneNumbers_;
  Mem<double> zoneZ_, zoneAz_, zoneAy_, zoneBright_;
  int firstListed_ = 1;  // the first object the table lists
  Mem<STRING> objectNumbers_;
  Mem<STRING> objectNames_;
  Mem<float> objectTemperatures_;
  TLightSourceZonesTable *zonesTable_ = nullptr;
  TLightSourceObjectTable *objectTable_ = nullptr;
  TComboBox *kindList_;
};

class TLightSourceSetupLimitDlg final : public TLightSourceSetupPage {
 public:
  explicit TLightSourceSetupLimitDlg(TLightSourceSetupFolder *folder);
  void SetupWindow() override;
  int ReadData() override;
  int ShowData() override;
  TLightSourceLimitTable *Table() const { return table_; }

 private:
  Mem<double> minima_, maxima_;
  Mem<STRING> labels_;
  TLightSourceLimitTable *table_ = nullptr;
};

class TLightSourceSetupScreenDlg final : public TLightSourceSetupPage {
 public:
  explicit TLightSourceSetupScreenDlg(TLightSourceSetupFolder *folder);
  void SetupWindow() override;
  int ReadData() override;
  int ShowData() override;
  TLightSourceScreenTable *Table() const { return table_; }

 private:
  Mem<int> numbers_;
  Mem<double> z_, h_;
  TLightSourceScreenTable *table_ = nullptr;
};

class TLightSourceSetupWaveLenghtDlg final : public TLightSourceSetupPage {
 public:
  explicit TLightSourceSetupWaveLenghtDlg(TLightSourceSetupFolder *folder);
  void SetupWindow() override;
  int ReadData() override;
  int ShowData() override;
  TLightSourceWaveLenghtTable *Table() const { return table_; }

 private:
  Mem<int> numbers_;
  Mem<double> wavelengths_, weights_;
  TLightSourceWaveLenghtTable *table_ = nullptr;
};

class TLightSourceSetupMessageDlg final : public TLightSourceSetupPage {
 public:
  explicit TLightSourceSetupMessageDlg(TLightSourceSetupFolder *folder);
  // The comment: at most the 255 characters the file holds.
  int ReadData() override;
  int ShowData() override;

 private:
  TEdit *comment_;
};
