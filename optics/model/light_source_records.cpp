#include "optics/model/light_source_records.h"

// Vectors of three zero elements each.
TTriangle::TTriangle() : A(3), B(3), C(3), E1(3), E2(3), N(3), U(3), V(3) {}
