#pragma once
// The object and pupil page's table without its window: the settings of the system file
// that the General and Beams pages do not show, one a row: whether the object and the image
// lie at a finite distance, whether the stop and pupil are found automatically, the index
// of the surrounding medium, the rays per fan, and the light-pipe wall switch.

#include "editor/properties/grid_page_model.h"

enum TObjectPupilLine : int {
  kObjectLine = 0,
  kImageLine = 1,
  kAutoPupilLine = 2,
  kSurroundingIndexLine = 3,
  kRaysPerFanLine = 4,
  kPipeWallsLine = 5,
  kObjectPupilLineCount = 6,
};

class TObjectPupilModel final : public TGridPageModel {
 public:
  std::vector<std::string> ColumnCaptions() const override;
  std::vector<int> ColumnWidths() const override;
  std::vector<std::string> RowCaptions(const TOpticalSystem &system) const override;
  std::string CellText(const TOpticalSystem &system, int row, int column) const override;
  bool CellEditable(const TOpticalSystem &system, int row, int column) const override;
  TPropertyEdit EditCell(TSystemImage &system, int row, int column, const std::string &text) const override;
  std::string Legend() const override;
};
