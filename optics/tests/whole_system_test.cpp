#include <gtest/gtest.h>
#include "optics/tests/psf_test_support.h"
