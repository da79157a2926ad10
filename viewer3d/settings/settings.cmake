area_sources(VIEWER3D_CORE viewer_settings.cpp)
area_tests(VIEWER3D_CORE tests/viewer_settings_test.cpp)
