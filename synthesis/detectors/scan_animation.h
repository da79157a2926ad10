#pragma once
// What moves the edited system while the scanner records the chief ray's track: the
// editor's lens animation, handed down by the editor when it opens the image-synthesis
// folder, so that the synthesis never calls the editor's window itself. The scanner puts
// the system back itself after the run (scan_simulation.h), never by an undo step.

class TScanAnimation {
 public:
  virtual ~TScanAnimation() = default;
  // Reads the lens animation of the edited system's animation file (a missing file is
  // offered for creation, a damaged one told) and makes the editor busy. True when it was
  // read: steps is then the number of steps of one animation cycle and EndScan must follow.
  // False when there is no animation to run.
  virtual bool BeginScan(int &steps) = 0;
  // The next animation step applied to the edited system.
  virtual void StepScan() = 0;
  // The run is over: the editor's waiting messages are dispatched and it is not busy now.
  virtual void EndScan() = 0;
  // Opens the animation file in the text editor (written from its template first when it
  // does not exist).
  virtual void EditAnimation() = 0;
};
