// A foundation header that reaches up into the optics: the layer check must name it.
#include "optics/lens.h"
