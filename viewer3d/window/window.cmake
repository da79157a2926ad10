area_sources(VIEWER3D renderer_solid_drawer.cpp optic3dv.cpp)
area_tests(VIEWER3D tests/optic3dv_test.cpp tests/scene_pictures_test.cpp)
