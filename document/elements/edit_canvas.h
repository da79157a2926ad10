#pragma once
// What the edited system needs of the surface it is drawn on: where a world point (mm; x
// along the optical axis, y across it) lands in device pixels, and the figures it draws.
// The drawing canvas of the editor's window implements it and draws the system on it;
// tests use a plain scale or a recorder of the figures.

#include <string>

#include "foundation/containers/points.h"
#include "platform/core/types.h"

class TEditCanvas {
 public:
  virtual ~TEditCanvas() = default;
  // Device point (pixels, scroll offset included) of the world point (x, y).
  virtual POINT WorldToDevice(double x, double y) const = 0;
  // The world point of a device point. The default inverts WorldToDevice as the affine map
  // it is, from its images of three world points far apart.
  virtual DPOINT DeviceToWorld(POINT device) const;
  // Draws the polyline through count world points in the colour; a canvas without a
  // picture (a test's plain scale) draws nothing.
  virtual void DrawWorldPolyline(const DPOINT *points, int count, COLORREF color) {
    (void)points;
    (void)count;
    (void)color;
  }
  // Fills the closed polygon through the world points with the glass tint of the colour.
  virtual void FillWorldPolygon(const DPOINT *points, int count, COLORREF color) {
    (void)points;
    (void)count;
    (void)color;
  }
  // A short label whose left end is at the world point.
  virtual void DrawWorldText(double x, double y, const char *text, COLORREF color) {
    (void)x;
    (void)y;
    (void)text;
    (void)color;
  }
  // The coordinate grid with labelled axes over the whole picture.
  virtual void DrawGridAxes(COLORREF color) { (void)color; }
  // Shows a short note (several lines) over the picture; the canvas keeps its own copy.
  virtual void ShowNote(const std::string &text) { (void)text; }
  // Takes the note away (nothing to show any more).
  virtual void CloseNote() {}
};
