#pragma once
// The pages of the system's properties folder: General (the first-order values, read only,
// with the temperature and pressure), Surfaces (radius, thickness, glass, semi-height and
// conic term of every surface) and Beams and wavelengths (aperture, field points, spectrum).
// Each shows its values in tables, hands every typed value to the page models of this
// area, shows a refusal's message and refills itself from the system.

#include <functional>

#include "editor/properties/property_edit.h"
#include "toolkit/folders/book_mark_dlg.h"

class TPropertiesTable;
class TSystemImage;

// The folder's page area in dialog units: wide enough for every page's tab title in full.
constexpr int kPropertiesPageWidth = 480;
constexpr int kPropertiesPageHeight = 212;
// The room the pages' tables take across (a margin of 4 each side).
constexpr int kPropertiesTableWidth = kPropertiesPageWidth - 8;

// Control ids of the pages' tables.
enum TPropertiesControl : int {
  kGeneralTableId = 301,
  kSurfacesTableId = 302,
  kApertureTableId = 303,
  kFieldsTableId = 304,
  kSpectrumTableId = 305,
};

class TPropertiesPage : public TBookMarkDlg {
 public:
  TPropertiesPage(TWindow *folder, const char *resource, TSystemImage *system);

  // Shows the system's values as they are now.
  virtual void Fill() = 0;
  void PageEntered() override { Fill(); }
  // How often the page was filled: once per edit, never twice.
  int FillCount() const { return fillCount_; }

 protected:
  // Shows a refusal's message (or an accepted edit's warning). An accepted edit reaches
  // every view, this page among them, by the system's one notice; after a refused one the
  // page shows the system again.
  void Answer(const TPropertyEdit &edit);
  // Every Fill counts itself here.
  void CountFill() { ++fillCount_; }
  // Makes a table over the placeholder of that id, handing its edits to the handler.
  TPropertiesTable *MakeTable(int id, const std::vector<std::string> &captions, const std::vector<int> &widths,
                              int rowCaptionWidth,
                              std::function<TPropertyEdit(int column, int row, const std::string &text)> edit);

  TSystemImage *system_;

 private:
  int fillCount_ = 0;
};

// The general information in a table of one column: shared by the folder's page and the
// standalone general-information window.
TPropertiesTable *MakeGeneralInfoTable(TWindow *dialog, int placeholderId);
void FillGeneralInfoTable(TPropertiesTable &table, TSystemImage &system);

class TPropertiesGeneralPage final : public TPropertiesPage {
 public:
  TPropertiesGeneralPage(TWindow *folder, TSystemImage *system);
  void SetupWindow() override;
  void Fill() override;
  TPropertiesTable *Table() const { return table_; }

 private:
  TPropertiesTable *table_ = nullptr;
};

class TPropertiesSurfacesPage final : public TPropertiesPage {
 public:
  TPropertiesSurfacesPage(TWindow *folder, TSystemImage *system);
  void SetupWindow() override;
  void Fill() override;
  TPropertiesTable *Table() const { return table_; }

 private:
  TPropertiesTable *table_ = nullptr;
};

class TPropertiesBeamsPage final : public TPropertiesPage {
 public:
  TPropertiesBeamsPage(TWindow *folder, TSystemImage *system);
  void SetupWindow() override;
  void Fill() override;
  TPropertiesTable *ApertureTable() const { return aperture_; }
  TPropertiesTable *FieldsTable() const { return fields_; }
  TPropertiesTable *SpectrumTable() const { return spectrum_; }

 private:
  TPropertiesTable *aperture_ = nullptr;
  TPropertiesTable *fields_ = nullptr;
  TPropertiesTable *spectrum_ = nullptr;
};
