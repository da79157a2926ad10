#pragma once
// The screen region of a drawn surface or element, kept as a path of device points: open
// figures for single profiles, closed ones for the outline of a lens. Picking asks whether
// a device rectangle meets it.

#include <vector>

#include "optics/model/edit_region.h"
#include "platform/core/types.h"

class TEditPath final : public TEditRegion {
 public:
  struct TFigure {
    std::vector<POINT> points;
    bool closed = false;  // the last point joins the first
  };

  TEditRegion *Clone() const override { return new TEditPath(*this); }

  void AddFigure(const std::vector<POINT> &points, bool closed);
  bool Empty() const { return figures_.empty(); }
  const std::vector<TFigure> &Figures() const { return figures_; }

  // True when some part of the path lies inside the rectangle (edges included; the corners
  // may come in any order), or the rectangle lies inside a closed figure.
  bool Meets(const RECT &rect) const;
  // True when the point lies inside a closed figure or on any figure's line.
  bool Contains(POINT point) const;
  // The smallest rectangle holding every point (right and bottom inclusive); all zero when
  // empty.
  RECT Bounds() const;

 private:
  std::vector<TFigure> figures_;
};
