// A foundation header that climbs through brackets.
#include <optics/lens.h>
#include <vector>
