area_sources(VIEWER3D optical_viewer3d.cpp viewer_palettes.cpp viewer_stereo.cpp viewer_movies.cpp)
area_tests(VIEWER3D tests/optical_viewer3d_test.cpp tests/viewer_movies_test.cpp)
