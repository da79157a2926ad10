area_sources(VIEWER3D_CORE scene_records.cpp element_painter.cpp scene_extents.cpp
  viewer_scene.cpp)
area_tests(VIEWER3D_CORE tests/scene_records_test.cpp tests/viewer_scene_test.cpp)
