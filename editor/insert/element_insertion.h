#pragma once
// What the new-element folder puts in place of the placed plane surface, without windows:
// a lens of a given focal length, glass and thickness, or the elements of the clipboard
// moved to the placed position and turned to the placed direction.

#include <string>

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

// The clipboard's elements (every surface between its object and image surfaces) replace
// the placed surface: its first surface's vertex at the placed position, the group turned
// about it by the placed tilt; the last one leaves into the placed surface's medium. 1 when
// inserted; 0 with the system unchanged and error saying why.
int PasteElement(TSystemImage &system, TInsertedElementInfo &info, const TSystemImage &clipboard,
                 std::string &error);
