# Test helpers only (approx.h, golden.h): header-only, compiled into each folder's tests.
area_tests(FOUNDATION tests/golden_test.cpp)
