// A foundation header that climbs by a path relative to its own folder.
#include "../optics/lens.h"
