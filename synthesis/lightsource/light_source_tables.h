#pragma once
// The five tables of the light-source set-up pages: bound tables over their page's column
// buffers (never over the source itself), in 6-point sans cells, black on white with
// highlighted rows black on yellow, zero values as empty cells. Their cells stay fixed: no
// table offers the menu of inserting, deleting or moving rows, and clicks do nothing more
// than edit a cell; the objects' table alone offers "Set for all objects" on a temperature.

#include "foundation/containers/string_class.h"
#include "toolkit/tables/win_direct_table.h"

// Rows of the fixed tables.
constexpr int kZoneRows = 20;
constexpr int kLimitRows = 5;
constexpr int kScreenRows = 4;
constexpr int kWavelengthRows = 20;
// The objects' table's menu item, sent to its page.
constexpr int kCmSetForAllObjects = 24329;

// What every set-up table shares: made over the page's placeholder, no row menu.
class TLightSourceTable : public TWinDirectTable {
 public:
  TLightSourceTable(TWindow *page, int placeholderId, int columnTotal, int rowTotal);
  void CellContextMenu(int, int) override {}
  void CellLeftClick(int, int) override {}
  void CellDoubleClick(int, int) override {}

 protected:
  // Colours, empty zeros, the layout fitted, the buffers shown (after the bindings).
  void Finish();
};

// Zones: "N" (row numbers), " Z ", " Az ", " Ay ", " Bright ": 20 rows.
class TLightSourceZonesTable final : public TLightSourceTable {
 public:
  TLightSourceZonesTable(TWindow *page, int placeholderId);
  void Bind(int *numbers, double *z, double *az, double *ay, double *bright);
};

// Objects 1 .. n - 1 (object 0 is not shown): "N", the read-only name, " T(Kelvin) ".
class TLightSourceObjectTable final : public TLightSourceTable {
 public:
  // objects: the objects shown, one row each (none: the headers alone).
  TLightSourceObjectTable(TWindow *page, int placeholderId, int objects);
  // numbers: the objects' numbers as text.
  void Bind(STRING *numbers, STRING *names, float *temperatures, int count);
  // A right click on a temperature offers "Set for all objects" to the page.
  void CellContextMenu(int column, int row) override;
  // The current cell's text into every row's temperature (the page's command).
  void SetTemperatureForAll();
};

// Location limits: the row labels "Z", "Y", "X", "H", "R", " Min ", " Max ".
class TLightSourceLimitTable final : public TLightSourceTable {
 public:
  TLightSourceLimitTable(TWindow *page, int placeholderId);
  void Bind(STRING *labels, double *minima, double *maxima);
};

// Screens: " N ", " Z ", " H ": 4 rows.
class TLightSourceScreenTable final : public TLightSourceTable {
 public:
  TLightSourceScreenTable(TWindow *page, int placeholderId);
  void Bind(int *numbers, double *z, double *h);
};

// Spectrum: " N ", " Wavelength (µm) ", " Weight ": 20 rows.
class TLightSourceWaveLenghtTable final : public TLightSourceTable {
 public:
  TLightSourceWaveLenghtTable(TWindow *page, int placeholderId);
  void Bind(int *numbers, double *wavelengths, double *weights);
};
