#pragma once
// The edited system: an optical system whose surfaces the editor groups into elements,
// with its configurations, selection, undo ring, view window and display settings. The
// editor's windows change the system only through these operations.

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "document/elements/edit_surface.h"
#include "document/elements/optical_element.h"
#include "document/system/options_image.h"
#include "document/system/system_observer.h"
#include "foundation/containers/mem.h"
#include "optics/model/beams.h"
#include "optics/model/configuration_parameters.h"
#include "optics/model/optical_system.h"
#include "platform/core/types.h"

class TEditCanvas;

// The paraxial constants of the selected elements alone, in mm.
struct TSelectionParameters {
  double focalLength = 0.0;
  double backFocus = 0.0;
  double entranceAperture = 0.0;  // diameter
  double exitAperture = 0.0;      // diameter
};

// The part of the world the canvas shows, in mm.
struct TViewWindow {
  double xFrom = -1.0;
  double xTo = 1.0;
  double yFrom = -1.0;
  double yTo = 1.0;
};

// The undo snapshots are "Undo<k>.os" in the temporary directory: written, found and
// deleted under exactly this name.
std::string UndoFileName(int slot);
// True for a file name of the ring (the name alone, no directory).
bool IsUndoFileName(const std::string &fileName);
// The ring's files in the directory (full paths, sorted by name), as a program that did not
// end left them; answers their count.
int ListUndoFiles(const std::string &directory, Mem<STRING> &list);
// Removes the ring's files in the directory, each snapshot with the setup beside it.
void RemoveUndoFiles(const std::string &directory);

// A part of the program that has lent the system settings of its own (the image-synthesis
// folder) swaps the system's own settings in for each undo snapshot and back afterwards,
// so that the ring never keeps the loan.
class TSnapshotLender {
 public:
  virtual ~TSnapshotLender() = default;
  virtual void SwapForSnapshot() = 0;
};

// The optimization setup kept beside the system (its variables and merit functions, each
// tied to a configuration). The undo ring holds it beside every snapshot, in a file of its
// own, and the configuration edits move it by configuration; the keeper (the editor) says
// where it stands now.
class TSetupKeeper {
 public:
  virtual ~TSetupKeeper() = default;
  // Writes the setup as it stands now to path: false (and no file there) when there is none.
  virtual bool StoreSetup(const std::string &path) = 0;
  // The setup written at path by StoreSetup comes back.
  virtual void RestoreSetup(const std::string &path) = 0;
  // Before the list of configurations or the order of the surfaces changes, and after: a
  // configuration inserted at index at or the one at at deleted (-1: the list stayed as it
  // was); the surface of index i moved to map[i] in every configuration (empty: none moved).
  virtual void ConfigurationsChanging() = 0;
  virtual void ConfigurationInserted(int at) = 0;
  virtual void ConfigurationDeleted(int at) = 0;
  virtual void SurfacesRenumbered(const std::vector<int> &map) = 0;
  // Before the system turns round (after ConfigurationsChanging): the values the setup's
  // bounds hold are measured while the surfaces stand as they did.
  virtual void SurfacesTurning() {}
  // The system is saved under another name: its whole setup, kept now in the file from
  // (or in the keeper's own place), is written to the file to. False, why saying its cause,
  // when it was not.
  virtual bool WriteSetupTo(const std::string &from, const std::string &to, TFileWriteResult &why) = 0;
};

// The file of the setup beside the snapshot of a slot ("Undo<k>.par").
std::string UndoSetupFileName(int slot);

class TSystemImage : public TOpticalSystem {
 public:
  TSystemImage();
  ~TSystemImage() override;
  // A system image is copied with Assign, which keeps the target's own undo ring.
  TSystemImage(const TSystemImage &) = delete;
  TSystemImage &operator=(const TSystemImage &) = delete;

  int ElementCount() const { return elements.Cells(); }
  int ConfigurationCount() const {
    return configurations.Cells();
  }
  // Surface i as the editor's surface, or null outside the list.
  TEditSurface *EditSurface(int i) const;

  // Deletes the surfaces, elements and configurations, resets the selection and the
  // modified flag and clears the optical system part (the name, options, undo ring and view
  // stay).
  void Clear();
  // Unsaved changes: the close and open commands offer to save while it is 1. Not the
  // optics' model-changed flag (MarkModelChanged), which asks for a new pupil solve.
  int HasUnsavedChanges() const { return modified_; }
  void SetUnsavedChanges(int modified) { modified_ = modified != 0 ? 1 : 0; }

  // The system file with the configuration sections (system_image_file.cpp). Load: 1
  // when read; nameMode as for ReadFile. Save: 1 when written; the file's surfaces stand in
  // the base configuration, whichever is current.
  int Load(const std::string &fileName, int nameMode);
  // The file changes in one step; result, when given, says why a save failed.
  [[nodiscard]] int Save(const std::string &fileName, TFileWriteResult *result = nullptr);

  // The undo ring (system_image_undo.cpp). SaveUndo is taken after a change: 1 when the
  // snapshot was written. Undo(-1) steps back; Undo(k >= 0) loads slot k without moving
  // the index (Redo's use); 0 with a beep when there is no such step.
  // shownBefore: for a step that changes the list of configurations, the one shown before
  // it, which its Undo shows again (Redo the one shown after); -1 for any other step.
  int SaveUndo(const std::string &label, int shownBefore = -1);
  // The lender whose settings stand in the system now (null: none); not owned.
  void SetSnapshotLender(TSnapshotLender *lender) { lender_ = lender; }
  TSnapshotLender *SnapshotLender() const { return lender_; }
  // The keeper of the optimization setup (null: the system has none); not owned.
  void SetSetupKeeper(TSetupKeeper *keeper) { setupKeeper_ = keeper; }
  TSetupKeeper *SetupKeeper() const { return setupKeeper_; }
  int Undo(int step);
  int Redo();
  int CanUndo() const;
  int CanRedo() const;
  std::string UndoMenuText() const;  // "Undo %s (ctrl-Z)" or "Can't Undo"
  std::string RedoMenuText() const;  // "Redo %s (ctrl-Y)" or "Can't Redo"
  // Deletes the ring's files and "~~system.tmp" from the temporary directory and resets
  // the ring.
  void DeleteUndoFiles();

  // The views that follow the system's edits (not owned; Assign keeps the target's own).
  // NotifyEdited tells each of them once, after an edit has been taken into the system.
  void AddObserver(TSystemObserver *observer) { observers_.Add(observer); }
  void RemoveObserver(TSystemObserver *observer) { observers_.Remove(observer); }
  void NotifyEdited() {
    ++revision_;
    observers_.Notify();
  }
  // Counts the changes of the system's state: each notice, snapshot taken or loaded (Undo,
  // Redo), file read, Clear and Assign. A window holding values it took from the system
  // compares this, with the configurations, against what it saw when it took them.
  unsigned Revision() const { return revision_; }

  // Elements, selection and clipboard (system_image.cpp).
  void DeleteSelected(const TEditCanvas *canvas);
  void CopySelection(TSystemImage &target, const TEditCanvas *canvas) const;
  void CutSelection(TSystemImage &target, const TEditCanvas *canvas);
  // This system becomes a copy of other (system, configurations, elements and their
  // marks, beams with their rays per fan); a flag other than 0 updates it afterwards.
  void Assign(const TSystemImage &other, int flag);
  // Prepares the system and makes every surface an editor's surface with an edit record.
  void Update();
  // Regroups the surfaces into elements (keeping marks and configuration positions of
  // the elements that remain), rebuilds their regions on the canvas (null: the canvas
  // given before) and recomputes the view window.
  void RebuildElements(const TEditCanvas *canvas);
  void ComputeExtent();
  // Draws the system on the canvas (system_image_draw.cpp): the grid (GridAxes), the glass
  // of every element in the fill colour (FillComponent), every element's outline (its
  // surfaces' meridional profiles joined at their edges, a mirror's back ticked) in the
  // outline colour, the cardinal planes (ShowCardinalPlanes) and, unless the flag is 0,
  // the real-ray fan of every field value (ShowCourseBeam) in the ray colour, traced with
  // the rays-per-beam setting of the beams.
  void Draw(TEditCanvas *canvas, COLORREF outline, COLORREF fill, COLORREF ray, int flag);
  // Draws the outlines of the marked elements again in the colour.
  void DrawMarked(TEditCanvas *canvas, COLORREF color);
  // Draws the system with the marked elements shifted by the device offset (pixels) and
  // drawn over the rest in the selection's outline and fill colours, the rays traced
  // through the shifted system; the surfaces stand where they were afterwards. The
  // surface index is not used (the marked elements move whole).
  void MoveSelection(TEditCanvas *canvas, int surfaceIndex, POINT offset, COLORREF outline,
                     COLORREF fill, COLORREF ray, int flag);
  // Shifts the marked elements by (dx, dy) mm and updates the system; the number moved.
  int MoveMarkedElements(double dx, double dy);
  // Focal length, back focus and the entrance and exit aperture diameters of the marked
  // elements alone, paraxial, from a copy of them with parallel light along their axis and
  // their own image plane and stop (system_image_parameters.cpp); false without a selection,
  // or with why (when given) saying what kept the figures. ShowGeneralParameters puts them,
  // or why there are none, in a note on the canvas.
  bool SelectionParameters(TSelectionParameters &out, std::string *why = nullptr) const;
  void ShowGeneralParameters(TEditCanvas *canvas) const;
  // The canvas the regions are built for; null drops it (the canvas does so when it goes).
  void SetCanvas(const TEditCanvas *canvas);
  // The surface (owned by the system afterwards) goes before index / at the end; 1 when
  // it was stored.
  int InsertSurface(TEditSurface *surface, int index);
  int AddSurface(TEditSurface *surface);
  // The user's stop stays on the same surface, in the system and in every configuration,
  // when surfaces go in or out before it: `count` surfaces inserted at index `at`, or
  // -count removed from there. A removed stop leaves no stop (0), which the pupil solve
  // then finds for itself.
  void FollowStopSurface(int at, int count);
  int IndexOfSurface(const TSurface *surface) const { return FindSurface(surface); }
  // Marks the elements whose regions meet the device rectangle; the selected element is
  // the first of them and the selected surface the one surface met, when only one is.
  // Answers the number of elements marked.
  int SelectInRect(const TEditCanvas *canvas, const RECT &rect);
  void ClearSelection();

  // Configurations (system_image_configurations.cpp).
  int StoreConfiguration(int index);
  void InsertConfiguration(int index);
  void DeleteConfiguration(int index);
  int SelectConfiguration(int index);
  int FirstConfiguration();
  int NextConfiguration();
  int PrevConfiguration();
  // Turns every configuration round; a second call turns the system back.
  void ForEachConfiguration();
  // Where a surface stood and how it was turned (its angles, radians) before an edit moves
  // surfaces rigidly in the configuration shown (a placement turning what follows a mirror).
  struct TSurfaceStand {
    const TSurface *surface = nullptr;
    DPOINT3 at;
    DPOINT3 angles;
  };
  std::vector<TSurfaceStand> SurfaceStands() const;
  // After such an edit (the elements regrouped): every element and the image plane that
  // moved carries every configuration alike, each configuration's own offsets turned with
  // it, so each keeps its own gaps and image distance along the new beam.
  void FollowMovedSurfaces(const std::vector<TSurfaceStand> &before);

  // For the analyses (system_image_analysis.cpp). PrepareAndUpdatePupils: negative on
  // failure. Clone: a new system unfolded at surface j (the caller deletes it), null when
  // it cannot be built.
  int PrepareAndUpdatePupils(double fieldY, double fieldZ);
  TSystemImage *Clone(int j) const;

  Mem<TOpticalElement> elements;
  TBeamsPar beams;
  Mem<TConfigurationParameters> configurations;
  int currentConfiguration = 0;
  double Dzr = 0.0;  // the configuration's image shift, kept with its record
  TOptionsImage options;
  double displayScale = 1.0;
  int hasSelection = 0;
  int selectedElement = -1;
  int selectedSurface = -1;
  RECT displayPosition{};
  int graphSize[2] = {550, 380};
  TViewWindow viewWindow;
  POINT pendingMove{};
  POINT lastPress{};
  Mem<double> valueList;
  double valueListPair = 0.0;
  // On the element clipboard: the chief ray's direction about z (radians) where it met the
  // first copied surface and where it left the last, from the system copied from; a system
  // read from a file knows none. A paste keeps the faces' angles to the beam by it.
  struct TCopiedBeam {
    bool known = false;
    double in = 0.0;
    double out = 0.0;
  } copiedBeam;

 private:
  // Every surface an editor's surface; answers whether one had to be replaced, with
  // replaced filled as (old, new) pairs.
  bool PromoteSurfaces(std::vector<std::pair<const TSurface *, TEditSurface *>> *replaced);
  // Regroups; previousFirst/previousMark describe the elements before (null for one that
  // is gone), so marks and configuration positions follow their elements.
  void Regroup(const std::vector<const TSurface *> &previousFirst,
               const std::vector<int> &previousMark);
  void UpdateRegions();
  // Moves the elements to configuration k and takes its settings.
  void ApplyConfiguration(int k);
  // The elements' shapes as the configurations were last stored (TakeShapes), so that a
  // shared change of shape (a lens thickness) moves what stands behind it in every
  // configuration alike (ShapeShifts).
  void TakeShapes();
  // How far each element and the image moved since TakeShapes because an element before
  // them changed its length; false when the elements are not the ones taken.
  bool ShapeShifts(std::vector<DPOINT3> &elementShift, DPOINT3 &imageShift) const;
  // The places TakeShapes noted become the ones shown now (a configuration applied).
  void RetakePlaces();
  int ReadConfigurations(const std::string &fileName);
  // The configuration sections of the file last read that were not read (header as written,
  // body as the file holds it): a save writes them back as they are.
  std::vector<std::pair<std::string, std::string>> configurationsLeftOut_;
  // Loads the snapshot of slot k over the system, keeping the name, marks and view, and
  // showing configuration `shown` (-1: the current one); 1 when loaded.
  int LoadSnapshot(int slot, int shown);
  // Writes a file this image reads back itself (an undo snapshot, a turn's file) and keeps
  // the digest of its text; LoadOwn reads it as Load(path, kNameKept), and a text read back
  // unchanged is not checked against a fresh write again. A file changed since is read as
  // any other.
  int SaveOwn(const std::string &path, TFileWriteResult *result = nullptr);
  int LoadOwn(const std::string &path);
  std::map<std::string, std::uint64_t> ownTexts_;

  // Traces the fans of the field values and hands their paths to the canvas.
  void DrawRayFans(TEditCanvas &canvas, COLORREF color);

  // One element's surface range (the surfaces themselves, and where they stand in the
  // list, so a turned or reordered system is never taken for the same) and its exit vertex
  // less its reference point.
  struct TElementShape {
    const TSurface *firstSurface = nullptr;
    const TSurface *lastSurface = nullptr;
    int first = 0;
    int last = 0;
    DPOINT3 exit;
    DPOINT3 at;  // its first vertex
  };
  std::vector<TElementShape> shapes_;
  DPOINT3 imageTaken_;  // the image's vertex when the shapes were taken
  int modified_ = 0;
  const TEditCanvas *canvas_ = nullptr;
  TSnapshotLender *lender_ = nullptr;
  TSetupKeeper *setupKeeper_ = nullptr;
  // The setup of the step now current was written beside its snapshot since the setup last
  // changed: the next step keeps it as it was before the change.
  bool setupOfStepKept_ = false;
  // Writes the setup as it stands beside the snapshot of the step now current.
  void KeepSetupOfStep();
  // The surfaces in the order the optimization setup numbers them (numbersTaken_: known),
  // and as the step now current holds them. FollowSurfaceNumbers, at the end of every
  // rebuild and before every snapshot, hands the keeper where each of them stands now
  // (removed: -1) when any moved, and takes the new order; a system read whole or copied
  // in is taken as it stands. While holdNumbers_ is above 0 (the turn, which hands its own
  // map) nothing is handed.
  std::vector<const TSurface *> numbered_;
  std::vector<const TSurface *> stepNumbered_;
  bool numbersTaken_ = false;
  bool following_ = false;
  int holdNumbers_ = 0;
  void FollowSurfaceNumbers();
  void TakeSurfaceNumbers();
  TSystemObservers observers_;
  unsigned revision_ = 0;
  // Work lists of the ray drawing, kept so that a redraw allocates nothing.
  std::vector<TCurrentRay> drawRays_;
  std::vector<TIntersectionPoint> drawHits_;
  std::vector<DPOINT> drawStarts_;
  std::vector<DPOINT> drawPath_;
};
