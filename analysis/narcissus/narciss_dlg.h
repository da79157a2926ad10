#pragma once
// TNarcissDlg: the narcissus analysis dialog. The band, the temperatures, the fraction of
// light a surface reflects and the scanner are edited here; Compute fills the table of
// predicted temperature differences per surface and scan position (from
// ComputeNarcissus) while the gauge shows the rows done.

#include "analysis/narcissus/narcissus_analysis.h"
#include "toolkit/dialogs/color_dlg.h"
#include "toolkit/tables/table_window.h"

class TOGauge;
class TSystemImage;

// The result table: the row labels in column 0 stand out in their own colour.
class TMyTableWindow : public TTableWindow {
 public:
  TMyTableWindow(TWindow *parentDialog, int controlId, int columnCount, int rowCount, TFont *font);
  ~TMyTableWindow() override;
  bool Find(TEventInfo &info) override;
  void GetCellColors(int column, int row, const char *text, COLORREF &textColor, COLORREF &backColor) override;
  void GetColumnLineColors(int, COLORREF &, COLORREF &) override {}
};

class TNarcissDlg : public TColorDlg {
 public:
  enum TControl : int {
    kLambdaMin = 13101,
    kLambdaMax = 13102,
    kScene = 13103,
    kHousing = 13104,
    kDetector = 13105,
    kScanner = 13106,
    kFraction = 13107,
    kTablePlace = 13108,
    kMaxAngle = 13109,
    kGaugePlace = 13110,
    kGauge = 13111,
    kCompute = 13100,
    kHelp = 10360,
  };
  static constexpr int kColumns = 6;
  static constexpr int kHelpContext = 2020;

  // system: the copy to analyse (turned round when the editor's object is at infinity
  // and its image finite; then turned is 1). Neither it nor the record is owned.
  TNarcissDlg(TWindow *parentWindow, TSystemImage *system, TNarcissusParameters *parameters, int turned);
  ~TNarcissDlg() override;

  bool Find(TEventInfo &info) override;
  void SetupWindow() override;

  void CmCalculate();
  void CmClose();
  void CmCancelDlg();
  void EvClose();
  void CmHelp();

  TMyTableWindow *Table() const { return table_; }
  TOGauge *Gauge() const { return gauge_; }
  bool Running() const { return running_ != 0; }
  // The text of a result cell (column 0: the row labels).
  std::string CellText(int column, int row) const;
  std::string ColumnCaption(int column) const;
  int RowCount() const;

 protected:
  void SetControlColors() override;

 private:
  // The field's text into the value of the type letter ('d' double, 'i' int); false after
  // a message naming the field when the text is no such number.
  bool ReadField(int id, char type, void *value);
  // The typed values that read as numbers into the record, so the next opening shows
  // them; done however the dialog closes.
  void KeepTypedValues();
  void SetCell(int column, int row, const std::string &text);
  void ShowResult(const TNarcissusResult &result);
  void EndRun();

  TSystemImage *system_;
  TNarcissusParameters *parameters_;
  int turned_;
  TMyTableWindow *table_ = nullptr;
  TOGauge *gauge_ = nullptr;
  int running_ = 0;
};
