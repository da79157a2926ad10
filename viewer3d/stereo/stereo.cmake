area_sources(VIEWER3D_CORE stereo_driver.cpp)
area_tests(VIEWER3D_CORE tests/stereo_driver_test.cpp)
