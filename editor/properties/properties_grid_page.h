#pragma once
// TPropertiesGridPage: a page of the system's properties folder that shows one table model
// (aspherics, positions, bounds, holograms, lens arrays, object and pupil): the model's
// columns over one row per entry, read-only cells grey, every typed value handed to the
// model, a refusal's message shown, and the model's legend under the table.

#include <memory>

#include "editor/properties/properties_pages.h"

class TGridPageModel;

// Control ids of the page.
enum TGridPageControl : int {
  kGridTableId = 306,
  kGridLegendId = 307,
};

class TPropertiesGridPage final : public TPropertiesPage {
 public:
  TPropertiesGridPage(TWindow *folder, TSystemImage *system, std::unique_ptr<TGridPageModel> model);
  ~TPropertiesGridPage() override;
  void SetupWindow() override;
  void Fill() override;
  TPropertiesTable *Table() const { return table_; }
  const TGridPageModel &Model() const { return *model_; }

 private:
  std::unique_ptr<TGridPageModel> model_;
  TPropertiesTable *table_ = nullptr;
};
