// A floor above the foundation, rightly including below it.
#include "foundation/numbers.h"
