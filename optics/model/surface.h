#pragma once
// One optical surface: shape, bounds, material, placement and tilt, with its optional
// holographic data, lens-array zones and light-pipe wall.

#include "foundation/containers/mem.h"
#include "foundation/containers/points.h"
#include "optics/model/general_parameters.h"
#include "optics/model/hoe_parameters.h"
#include "optics/model/raster_zone.h"
#include "optics/model/surface_edit_data.h"

class TCurrentRay;

// Fills m (row-major 3 x 3) with Rx(ax)·Ry(-ay)·Rz(az): m·v carries a vector of the tilted
// frame into the untilted axes, m^T·v back.
void BuildTiltMatrix(double ax, double ay, double az, double m[9]);

// A surface of an optical system. The editor and the light-pipe code derive from it and the
// system deletes surfaces through base pointers, hence the virtual destructor and Clone.
class TSurface {
 public:
  TSurface();
  TSurface(double x, double y, double z);
  TSurface(const TSurface &other);
  TSurface &operator=(const TSurface &other);
  virtual ~TSurface();

  // A deep copy of the same dynamic type; a derived class overrides it.
  virtual TSurface *Clone() const;
  // A surface that refers to other surfaces of its system (a light-pipe wall) refers to
  // to[k] instead of from[k] for each of the count surfaces; one of none refers to none.
  // A copied system calls it so that its walls join its own surfaces.
  virtual void ReplaceSurfaceLinks(const TSurface *const *from, TSurface *const *to, int count);

  TGeneralParameters GetGeneralParameters() const { return general; }
  // Takes every field but the curvature and FrenelHeight; null only refreshes the tilt
  // matrix. The tilt matrix is rebuilt from the angles (released when all three are 0).
  void SetGeneralParameters(const TGeneralParameters *parameters);

  // Sets R and the curvature, and the first shape coefficient of the types that carry R in
  // their coefficients. A plane given a radius becomes a sphere (a conic with a conic
  // term), a sphere given R 0 a plane, as the system file reader types them.
  void SetRadius(double radius);
  double GetCurvature() const { return general.curvature; }

  void SetPosition(double x, double y, double z);
  void GetPosition(double &x, double &y, double &z) const;

  // Stores the angles and rebuilds the tilt matrix (released when all three are 0).
  void SetAngles(double ax, double ay, double az);

  // 0 without HOE data; otherwise copies it into out (when given) and answers the number of
  // leading non-zero phase coefficients.
  int GetHOE(THOEParameters *out) const;
  // Creates the HOE data when needed and takes h's values; n != 0 keeps the first n
  // coefficients of h (missing ones are 0), n == 0 all of them.
  void SetHOE(const THOEParameters &h, int n);

  // Copies shape, bounds, material, placement, tilt, coefficients and zones from source into
  // this existing surface (the curvature stays; HOE data follows the rules of turning a
  // system round: created or deleted, never overwritten).
  void CopyFrom(const TSurface &source);

  int HasRasterZones() const { return zones.cols * zones.rows > 0; }
  int GetType() const { return general.type; }

  // The surface's optics, each the free function of surface_trace.h of the same name with
  // the "Surface" prefix (defined beside them). A loop over many rays should build the
  // surface's interaction view once instead (MakeInteractionSurface).
  int Trace(TCurrentRay &ray) const;
  int IntersectIterative(double point[3], const double direction[3], double normal[3]) const;
  int TraceParaxial(TCurrentRay &ray, int backwards) const;
  DPOINT3 Rotate(const DPOINT3 &v, int sense) const;
  DPOINT3 RotateXYZ(double x, double y, double z, int sense) const;
  DPOINT3 GetAngles() const;
  int SetAsphericCoefficients(int type, const double *values, int count);
  int GetAsphericCoefficients(double *out) const;
  int ParseGlass(double wavelength, double temperature, double pressure);
  DPOINT PointAtHeight(double h, int &ok) const;
  DPOINT3 PointOnSurface(double y, double z, int &ok) const;
  int Profile(int count, DPOINT *out, int side, double h, double centre) const;
  DPOINT3 ApertureCentre(double &radius) const;
  // The disc that light meets the surface through, as an extended source aims at it: a
  // point of the surface (the aperture's centre, global; the vertex when the aperture's rim
  // cannot be found) and the aperture's radius.
  DPOINT3 LocalFrame(double &radius) const;
  TSurface *Assign() const;

  TEditSurfaceData *editData;  // owned, never null; the editor's drawing state
  TGeneralParameters general;
  THOEParameters *hoe = nullptr;    // owned; null when not holographic
  Mem<TRasterZone> zones;           // one row; empty without a lens array
  TSurface *pipeWall = nullptr;     // owned; always a TPipeSurface, null when none
  int tilted = 0;                   // 1 when tiltMatrix holds the 3 x 3 matrix
  Mem<double> tiltMatrix;           // row-major, empty when untilted
  int hasAsCoef = 0;                // 1 when AsCoef is not empty
  Mem<double> AsCoef;               // shape coefficients, one row

 private:
  void CopyAllFrom(const TSurface &other);
};
