#pragma once
// What the new-element folder puts in place of the placed plane surface, without windows:
// a lens of a given focal length, glass and thickness, or the elements of the clipboard
// moved to the placed position and turned to the placed direction.

#include <string>

#include "document/system/system_image.h"
#include "editor/insert/inserted_element_info.h"

class TSystemImage;

// Ends an insertion of surfaces first..last: the count noted in info, the system prepared
// and regrouped (the user's pupil settings kept), the new element selected. Answers 1.
int EndInsertion(TSystemImage &system, TInsertedElementInfo &info, int first, int last);
// An image plane that directly follows surfaces first..last and stands in front of the last
// vertex, along the placed direction, goes as far behind it: the light never runs back to
// it. For elements that go straight on (a lens, a surface, pasted lenses); those that turn
// the beam carry the image plane themselves.
void KeepImagePlaneBehind(TSystemImage &system, const TInsertedElementInfo &info, int last);
// The index of `glass` over that of the medium in front of surface k, at the working
// wavelength, as the preparation finds them; 0 with error saying why when the glass is not
// in the catalogs. The system is left as it was.
double RelativeIndexBehind(TSystemImage &system, int k, const std::string &glass, std::string &error);

// The placed surface becomes the lens's first surface and its second follows at the
// thickness along the placed direction, in the medium the placed surface stood in. 1 when
// inserted; 0 with the system unchanged and error saying why.
int InsertLens(TSystemImage &system, TInsertedElementInfo &info, double focal,
               const std::string &glass, double thickness, std::string &error);

// The surfaces after surface `last` (the image plane of a new system among them) stand
// across the chief ray that leaves an element turning the beam by `turn` radians: turned
// about the last vertex by that turn, then by what the traced leaving ray adds, then
// shifted across it until the line the chief ray took through the placed vertex lies on it
// (what followed on the beam, a fold and what lies behind it too, stays on it).
void TurnFollowingSurfaces(TSystemImage &system, const TInsertedElementInfo &info, int last, double turn);

// The beam through the marked elements of `source` as its chief ray meets the first of
// their surfaces and leaves the last, for the clipboard a copy of them goes to; not known
// where the ray does not get there.
TSystemImage::TCopiedBeam CopiedBeamOf(TSystemImage &source);
// The same for a system that holds only the element (a library's, taken out): traced
// through its own object and image planes.
TSystemImage::TCopiedBeam OwnBeamOf(TSystemImage &element);

// The clipboard's elements (every surface between its object and image surfaces) replace
// the placed surface: its first surface's vertex at the placed position, the group turned
// about it so that its faces stand to the placed direction as they stood to the beam they
// were copied with (without a known beam: its first face square to the placed direction);
// a group that turns the beam turns the surfaces after it as a mirror does. The last one
// leaves into the placed surface's medium. 1 when inserted; 0 with the system unchanged
// and error saying why.
int PasteElement(TSystemImage &system, TInsertedElementInfo &info, const TSystemImage &clipboard,
                 std::string &error);
