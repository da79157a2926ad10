area_sources(VIEWER3D tools_wnd.cpp viewer_glyphs.cpp)
area_tests(VIEWER3D tests/tools_wnd_test.cpp)
