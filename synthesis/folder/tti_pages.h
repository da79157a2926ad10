#pragma once
// The settings file's values to and from the program's Object and Detector pages.

struct TTtiSettings;
class TTestDetector;
class TTestObjectParent;

// The Object page: the object type, the diffraction point, the bar targets and the
// bitmap object's picture paths (the size and distance travel in the shared record).
void TakeObjectTti(TTestObjectParent &page, TTtiSettings &values);
// sections: the bits of the sections the file held. A missing picture is told in one box
// and its path emptied.
void PutObjectTti(TTestObjectParent &page, const TTtiSettings &values, unsigned sections);
// "Object space", "min", radial bars of 20 strokes, one group of 10 bars, no pictures, and
// a disc of one raster pixel.
void PutObjectTtiDefaults(TTestObjectParent &page);

// The Detector page: the type, the sizes of the five element models, the transformer's
// data file and the scanner.
void TakeDetectorTti(TTestDetector &page, TTtiSettings &values);
void PutDetectorTti(TTestDetector &page, const TTtiSettings &values, unsigned sections);

// The Energy page's zone, for the settings file: the page installs itself while it
// exists (null: no such page; the file then neither writes nor reads its section).
class TTtiEnergyZone {
 public:
  virtual ~TTtiEnergyZone() = default;
  // The page's controls into its fields, and those into the record.
  virtual void TakeTtiZone(TTtiSettings &values) = 0;
  // present: the file held the section (its values are then the page's); the page shows
  // its parameters in either case.
  virtual void PutTtiZone(const TTtiSettings &values, bool present) = 0;
};
void SetTtiEnergyZone(TTtiEnergyZone *zone);
TTtiEnergyZone *GetTtiEnergyZone();
