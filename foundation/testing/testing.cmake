# Test helpers only (approx.h, golden.h, comma_locale.h, small_disk.h, sanitized.h): header-only, compiled into each folder's tests.
area_tests(FOUNDATION tests/golden_test.cpp)
