#pragma once
// The model area holds the optical system and its records: surfaces, rays, settings, beams,
// HOE and raster data, the program-wide model state. It uses foundation/containers,
// foundation/numerics, platform/core and the PSF's sample record; its members are defined
// in the areas named beside each group below.
//
// The optical system: its surfaces in order (object first, image last), the system-wide
// settings, the optical-path record of the trace and two work arrays.

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "foundation/containers/mem.h"
#include "foundation/containers/points.h"
#include "optics/model/eikonal_info.h"
#include "optics/model/optical_system_information.h"
#include "optics/psf/psf_sample_info.h"
#include "optics/model/ray.h"
#include "optics/model/surface.h"

class TBeamsPar;
class TChiefRayAims;
class TPupilSolves;
class TFieldRays;
class TSystemFileSections;
struct TFileWriteResult;

// Where a batch trace leaves each ray's hits, as TraceRay records them: ray r's list starts
// at cells[r * stride] and ends with an entry whose x is kHitListEnd. A list longer than
// the stride allows keeps its first stride - 1 hits.
struct TRayHitLists {
  TIntersectionPoint *cells = nullptr;
  int stride = 0;
};

// Mode argument of the frame operations: global values; any other value is relative to a
// reference surface.
constexpr int kGlobalFrame = 1;
constexpr int kRelativeFrame = 0;

// The trace modes of TraceRay and TraceRays (plain ints, as callers have always passed
// them). A positive mode leaves the ray in the last surface's frame; its negative is the
// same trace leaving the ray in global coordinates.
constexpr int kTracePlain = 1;      // a ray and its status
constexpr int kTraceReference = 2;  // the reference ray of a wavefront: its segment paths kept
constexpr int kTraceWavefront = 3;  // a ray against the reference: path difference, transmission
constexpr int kTracePlainGlobal = -kTracePlain;
constexpr int kTraceReferenceGlobal = -kTraceReference;
constexpr int kTraceWavefrontGlobal = -kTraceWavefront;

// MakeRayToPoint's modes: aim from (0, y, z) at offsets from the next vertex, or take y, z
// as angles in degrees.
constexpr int kAimAtOffsets = 0;
constexpr int kAimByAngles = 1;

// ReadFile's name modes: the system takes the file's Name, the file name, or keeps its own.
constexpr int kNameFromFile = 0;
constexpr int kNameFromFileName = 1;
constexpr int kNameKept = 2;

// C + M(a)·v when flag is 1, else C + M(a)^T·v, with M the surface tilt matrix of a.
DPOINT3 RotatePoint(const DPOINT3 &centre, const DPOINT3 &v, const DPOINT3 &angles, int flag);
// The angles of M(increments)·M(angles): a surface of the given angles turned rigidly by the
// turn of the increments, its axis and roll turned with it. Where plain sums of the angles
// give that frame (no tilt about x or y, or a turn about x alone) they are what it answers,
// so the angles read as they always have.
DPOINT3 TurnedAngles(const DPOINT3 &angles, const DPOINT3 &increments);
// The turn about z (radians, in (-pi, pi]) that carries a frame of angles `from` to one of
// angles `to`, read from their matrices; for frames that differ by more than a turn about z,
// the part of it about z.
double TurnAboutZ(const DPOINT3 &from, const DPOINT3 &to);

// Nodes of a PSF per diffraction interval 0.5 lambda / NA when the user sets none. The MTF,
// the PSF's transform, reaches the cutoff 2 NA / lambda, one over that interval; the grid
// holds frequencies up to half its node rate, so only more than 2 nodes per interval keep
// the whole MTF on the grid, free of wrap-around. With 2.5 the pupil fills 40 % of the
// grid's width and the cutoff lies at 80 % of the highest frequency shown.
constexpr double kPsfNodesPerDiffractionInterval = 2.5;

class TOpticalSystem {
 public:
  // An empty system with the default settings; sets the modified flag.
  TOpticalSystem();
  // A deep copy: every surface is cloned. It counts as a change (the modified flag is set).
  TOpticalSystem(const TOpticalSystem &other);
  TOpticalSystem &operator=(const TOpticalSystem &other);
  // Virtual because the edited system derives from this class.
  virtual ~TOpticalSystem();

  int SurfaceCount() const { return surfaces.Cells(); }
  // Surface i, or null outside 0..count-1.
  TSurface *Surface(int i) const { return i >= 0 && i < SurfaceCount() ? surfaces.data[i] : nullptr; }

  // Deletes every surface and resets the stop and pupil choice; not a change of its own.
  void DeleteAllSurfaces();
  // Appends s (the system owns it) and answers it. After the first surface the new one
  // takes the index before of the last surface on both of its sides. Null when s is null or
  // the list cannot grow (s is then deleted, since ownership passed).
  TSurface *AddSurface(TSurface *s);
  // Stores s at i (clamped to 0..count) and answers 1; 0 for a null s or a failed growth
  // (s is then deleted).
  int InsertSurface(TSurface *s, int i);
  // Deletes surface i; an index outside the list changes nothing.
  void DeleteSurface(int i);
  // Index of s, or -1.
  int FindSurface(const TSurface *s) const;
  // Moves s to place j (clamped to the list); 0 when s is not in the list. Not a change.
  int MoveSurface(TSurface *s, int j);
  int HasRasterZones() const;
  // Frees the second work array.
  void ReleaseWorkArray();
  // Replaces the surfaces by two plane surfaces 10 apart with semi-apertures of 5 and
  // prepares the system; the settings stay as they were.
  void NewDefault();

  // Indices, mirror signs, curvatures and pipe walls before tracing: 0 without surfaces,
  // -1 when glasses are missing, 1 after a partial preparation, else the pupil solve's.
  int Prepare(double lambdaW, int full, int warn);

  // Materials (system_prepare.cpp). ComputeIndices answers the glasses that cannot be
  // found (", " between names); a temperature or pressure of 0 means the system's own, a
  // wavelength of 0 (a spectrum entry that is no wavelength) the working one.
  std::string ComputeIndices(double wavelength, double temperature, double pressure);
  std::string FindGlassesOutOfRange() const;
  // What FindGlassesOutOfRange finds, told whole: each glass with its range and the traced
  // wavelengths beyond it ("the glass n-bk7_schott gives indices from 0.3 to 2.5 µm only,
  // not at 5 µm"), "; " between glasses; "" when every glass reaches them all.
  std::string GlassRangeFault() const;
  // GlassRangeFault as every edit of the system tells it: "The glass ... not at 5 µm: the
  // system is not traced until a glass or a wavelength is changed."; "" when none.
  std::string UntracedText() const;
  // Brings the geometry from the temperature it stands at to the system's. The shape it
  // had when last set (by a file or an edit) is kept with that temperature, and every
  // other temperature's shape is computed from it in one step: going to 60 degrees and
  // back gives the set values exactly, not scaled by (1 + 40a)(1 - 40a).
  void ApplyThermalExpansion();
  void RoundNdToPowerOfTwo();
  // Tells once, for a system away from 20 deg C that uses private glasses, that their
  // catalog's thermal data are not applied.
  void TellPrivateThermalData();

  // The system file (system_file_read.cpp, system_file_write.cpp). ReadFile: 1 when read
  // and prepared; 0 otherwise, with the system untouched unless the file was read whole
  // and only its glasses are missing. nameMode: kNameFromFile, kNameFromFileName or (any
  // other value) kNameKept.
  int ReadFile(const std::string &fileName, int nameMode);
  // 1 when written; null or empty writes to the system's name. more: sections written in
  // the same rewrite (the file changes once); result, when given, says why a write failed.
  [[nodiscard]] int WriteFile(const char *fileName, const TSystemFileSections *more = nullptr,
                TFileWriteResult *result = nullptr);
  // The sections WriteFile gives this system with the items it writes outside the records
  // of [Surfaces], made in memory; the records, the remark and the sections kept as a file
  // held them are left out. What the reader's key check compares a file with.
  std::string SectionsWritten() const;

  // The sequential trace (system_trace.cpp): mode kTracePlain, kTraceReference or
  // kTraceWavefront, positive leaving the ray in the last surface's frame, negative global.
  int TraceRay(TCurrentRay &ray, int mode, Mem<TIntersectionPoint> *hits, int firstSurface);
  // Traces of many independent rays at once (batch_trace.cpp), without hit lists: each ray,
  // each result (when results is given) and, in the wavefront mode, each ray's path
  // difference and transmission (when wavefronts is given) are exactly those of TraceRay,
  // and the eikonal record is left as the last ray's trace leaves it. Surfaces are taken
  // in turn across the whole batch, so the processor overlaps the rays' work. Answers the
  // number of rays whose result is 1. With hit lists given, each ray's hits are recorded
  // there as well (the drawing of ray paths).
  int TraceRays(TCurrentRay *rays, int count, int mode, int *results,
                TRayWavefront *wavefronts = nullptr, const TRayHitLists *hits = nullptr);
  // Paraxial trace from surface `from` to `to` inclusive, backwards when to < from.
  int TraceRange(TCurrentRay &ray, int from, int to, Mem<TIntersectionPoint> *hits);
  // The point less the vertex of surface i, both turned into its frame when it is tilted.
  TIntersectionPoint ToSurfaceFrame(int i, const double point[3], const double direction[3]) const;

  // Pupil state of this system. The program-wide modified flag says that some system
  // changed; this system's mark says whether its own pupils were solved after the last
  // change of any system, so solving one system (a copy, the clipboard) never leaves
  // another one's pupils stale.
  bool PupilsNeedSolving() const;
  // Called by the pupil solve when it has brought this system's derived data up to date:
  // clears the modified flag and marks this system solved for the present state.
  void MarkPupilsSolved();

  // Starting rays (starting_rays.cpp). A field point (fA, fB) is the object height for a
  // finite object, else two field angles in degrees; a pupil point (pA, pB) is an offset
  // from the chief ray's crossing of the entrance-pupil plane. The pupils must have been
  // solved for the same field point first. Rays are global and ready for TraceRay.
  TCurrentRay MakeRay(double fA, double fB, double pA, double pB) const;
  // The rays of one field point through many pupil points (field_rays.h): MakeRay's rays,
  // with the field's own part worked out once.
  TFieldRays FieldRays(double fA, double fB) const;
  // From a point (x, y, z) in surface 0's frame through the pupil point; finite object.
  TCurrentRay MakeRayFromPoint(double x, double y, double z, double pA, double pB) const;
  // From (0, y, z) in the vertex plane of surface |k| at angles alpha, beta (radians); a
  // negative k runs towards lower surface indices. |k| past the list: status -5.
  TCurrentRay MakeRayVariant(int k, double y, double z, double alpha, double beta) const;
  // From the vertex plane of surface |k| towards the next surface with a vertex off that
  // plane: kAimAtOffsets aims from (0, y, z) at the offsets (pA, pB) from its vertex; any other
  // mode (kAimByAngles) takes y, z as angles in degrees and passes that surface at (pA, pB).
  TCurrentRay MakeRayToPoint(int k, double y, double z, double pA, double pB, int mode) const;
  // One meridional fan per field value across 0.99 of the entrance pupil (rays not traced).
  void BuildRayFans(const Mem<double> &fields, TBeamsPar &beams);

  // Pupils and first-order constants (pupils.cpp, first_order.cpp, auto_focus.cpp).
  // Solves only when this system changed since its last solve: 1 when nothing was to do,
  // -1 for a system that cannot be traced (Traceable), whose first-order figures it clears.
  int UpdatePupils(double fieldA, double fieldB);
  // Whether any ray can be traced: two surfaces or more, all present, every glass found and
  // giving an index at every traced wavelength. No solve; cheap beside a trace.
  bool Traceable() const;
  // Stop, pupils and chief ray of the beam at (fieldA, fieldB): 1 found, 0 no chief ray,
  // -1 failure.
  int SolveChiefRay(double fieldA, double fieldB);
  // The axial ray: field point (0, 0) through the centre of its own pupil, whichever field
  // the pupils were solved for last (their state is left as it was). Global and ready for
  // TraceRay; status -5 when there is no object surface.
  TCurrentRay AxialRay();
  // Focal length, back focal distance and magnification: 1, or -1 when a ray fails.
  int FirstOrderParaxial();
  int FirstOrderReal();
  // Moves the image surface to the smallest ray spread over the field points (null first
  // list: AlfaM; null second list: 0 for every field).
  void AutoFocus(const Mem<double> *fieldsA, const Mem<double> *fieldsB);
  // The s that makes max - min of a[i] - s b[i] (i < n) smallest.
  double BestShift(const Mem<double> &a, const Mem<double> &b, int n) const;
  // Central-difference slope of that spread at s.
  double SpreadSlope(const Mem<double> &a, const Mem<double> &b, int n, double s) const;
  // The diffraction interval 0.5 lambda / NA (mm) of a finite image, NA the real
  // image-space aperture: the spread of the direction cosines of real rays from the chief
  // ray to the pupil's rims, for the field point whose pupils are solved; lambda / D (mrad)
  // of the exit pupil for an image at infinity. Where no rim ray reaches the image the
  // paraxial exit pupil gives the aperture; 1.0 when nothing does (psf_interval.cpp).
  double DiffractionInterval(double fieldA, double fieldB);
  // The same for the reference beam (the first field value), whose pupils the preparation
  // solves.
  double DiffractionInterval();
  // The image-plane interval in effect (info.discreteInEffect) and the pupil step of PSF
  // work: the user's Discrete when given, else the diffraction interval, over
  // kPsfNodesPerDiffractionInterval with diffraction on. Discrete itself is never changed,
  // so an automatic interval (0) follows every change of aperture and wavelength.
  void SetupFieldSampling();
  // The same with `interval` (> 0) in effect as if the user had given it; 0 or less is the
  // automatic one. A PSF over several wavelengths keeps one interval for all of them.
  void SetupFieldSampling(double interval);

  // Frames between surfaces. Positions and angles are (x, y, z) and (ax, ay, az).
  DPOINT3 GetSurfacePosition(int i, int j, int mode) const;
  // Walks from surface s + step by step (+1 or -1) to the first surface whose vertex lies
  // off surface s's vertex plane and answers its index, or the first index past the ends
  // when there is none; d is the last vertex looked at in s's frame (zero when none was).
  // The frame of s is built once, so the walk stays cheap through long runs of surfaces
  // on one plane. s must name a surface.
  int FirstVertexOffPlane(int s, int step, DPOINT3 &d) const;
  void SetSurfacePosition(int i, int j, const DPOINT3 &point, int mode);
  // The global point in the frame of surface k - 1 (k - 1 clamped to the list).
  DPOINT3 PointInPreviousFrame(int k, const DPOINT3 &point) const;
  // Relative angles are (0, ay_i - ay_j, az_i - az_j): the roll about the axis is never
  // reported relatively, so a relative triple set back turns the surface by its x value.
  DPOINT3 GetSurfaceAngles(int i, int j, int mode) const;
  // Turns surface i about centre until its angles (global or relative to j) are the given
  // ones; its vertex follows the same turn about the centre.
  void SetSurfaceAngles(int i, int j, const DPOINT3 &centre, const DPOINT3 &angles, int mode);
  // Turns surface i rigidly about a point (the pivot's vertex, or centre) by the turn of the
  // increments: its vertex turned about it, its frame M(increments)·M(angles) (TurnedAngles),
  // so a surface tilted out of the plane keeps its axis to what turned with it.
  void RotateAboutSurface(int i, int j, const DPOINT3 &increments);
  void RotateAboutPoint(int i, const DPOINT3 &centre, const DPOINT3 &increments);
  void RotateSurfaceGroup(int first, int last, int j, const DPOINT3 &increments);
  void RotateGroupAboutPoint(int first, int last, const DPOINT3 &centre,
                             const DPOINT3 &increments);
  // Adds d to the vertices first..last (mode 1) or first..end (any other mode).
  void ShiftSurfaces(int first, int last, const DPOINT3 &d, int mode);
  // Sum of the distances between consecutive vertices.
  double TrackLength() const;

  // PSF nodes (psf_nodes.cpp, psf_polychromatic.cpp). The PSF is left in workArray1 (Nd x
  // Nd, row-major, centre node at (Nd/2, Nd/2), nodes info.discreteInEffect apart; the
  // polychromatic PSF keeps its mean wavelength's interval in effect afterwards) and its
  // centre in info.psfResults. A field
  // point is as for MakeRay; storeCentre != 0 stores the chief ray's image point.
  // 1 when a PSF was made; 0 when none was (no passing ray, no memory, cancelled).
  int ComputePolychromaticPSF(double fieldA, double fieldB);
  int ComputePSFNodes(double fieldA, double fieldB, int storeCentre);
  TPSFSampleInfo SampleDiffractionPupil(double fieldA, double fieldB, int storeCentre);
  TPSFSampleInfo SampleGeometricSpot(double fieldA, double fieldB, int storeCentre);

  // Whole-system operations (system_turn.cpp, whole_system.cpp).
  // Turns the system round: light runs from the old image side to the old object side.
  void TurnSystem();
  // This system becomes a copy of source through the system file; the reader's result.
  int Duplicate(const TOpticalSystem &source);
  // Sets the outer semi-heights of surfaces first..last to the heights the beams reach.
  void FitSemiHeights(int first, int last, int rayCount);
  // On axis: the PSF peak against the aberration-free one, and exp(-(2 pi sigma)^2) from
  // the wavefront variance sigma^2 (waves^2) of two fans.
  void StrehlEstimates(double &peakRatio, double &wavefrontEstimate, int sampleCount);

  std::string name;             // the file name the editor shows
  // The name the user gave the system ("Title", or a "Name" that is no file's path, in its
  // file), and the text of its file's [Remark] section as read: both go with the system
  // into every file it is written to.
  std::string title;
  std::string remark;
  Mem<TSurface *> surfaces;     // one row; the system owns every surface
  TOpticalSystemInformation info;
  TEikonalInfo eikonal;
  Mem<float> workArray1;
  Mem<float> workArray2;
  // 1 while the last preparation found glasses missing: such a system is not traced.
  int materialsMissing = 0;
  // The surface and zone sections of the file last read that name no surface or zone of it
  // (header as written, body as the file holds it): a save writes them back as they are.
  std::vector<std::pair<std::string, std::string>> sectionsLeftOut;
  // The file the system was opened from, or last written to under its own name: a save
  // rewrites it in place, keeping what it holds besides; another file the system is saved
  // as, under its name (Save as over another file), is written anew and keeps nothing of
  // what it held.
  std::string ownFile;
  // The temperature and private glasses last told that the private catalog's thermal data
  // are not applied: told once for each, not at every preparation.
  std::string privateThermalTold;
  // While set, the digest of a text this program wrote and now reads back (an undo snapshot,
  // a turn's reload): a file whose text has it holds what the writer wrote, whole, so its keys
  // are not compared with a fresh write again. ReadFile sets ownTextRead when it had it.
  std::optional<std::uint64_t> ownTextDigest;
  bool ownTextRead = false;
  // While set (TChiefRayAimsLent, pupils/chief_ray_aims.h), chief-ray solves start from the
  // aims kept there and keep theirs; never copied with the system.
  TChiefRayAims *chiefRayAims = nullptr;
  // While set (TPupilSolvesLent, pupils/pupil_solves.h), chief-ray solves take the stop's
  // images and the pupils of field points solved before from there; never copied with the
  // system.
  TPupilSolves *pupilSolves = nullptr;

 private:
  void CopySurfacesFrom(const TOpticalSystem &other);
  // The values the temperature scales (radius, vertex, shape and phase coefficients of
  // every surface), in one list, and back.
  std::vector<double> ThermalShape() const;
  void SetThermalShape(const std::vector<double> &shape);
  // Scales the geometry as standing at `from` degrees to `to` degrees.
  void ScaleForTemperature(double from, double to);
  // The tilt matrix of surface s built from its angles (identity when untilted).
  void FrameMatrix(int s, double m[9]) const;

  std::uint64_t pupilsSolvedAt_ = 0;  // the change count when this system was last solved
  // The last solve found the system untraceable whatever the beam (too few surfaces, a glass
  // without an index at a wavelength): so it stays until the system changes.
  bool untraceable_ = false;
  // The shape as last set and its temperature; the shape the last expansion left, which
  // tells whether the geometry was edited since (then it is the new set shape).
  std::vector<double> setShape_;
  double setShapeTemperature_ = 20.0;
  std::vector<double> expandedShape_;
};
