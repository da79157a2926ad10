# Test objects: their rasters (core) and their dialogs with the Object page (folder).
area_sources(SYNTHESIS object_rasters.cpp object_raster_file.cpp object_distance.cpp
             bitmap_scene.cpp)
area_tests(SYNTHESIS tests/object_rasters_test.cpp tests/object_distance_test.cpp
           tests/bitmap_scene_test.cpp)

area_sources(SYNTHESIS_FOLDER scene_picture_file.cpp positive_field.cpp test_object_parent.cpp test_object_dlg.cpp diffraction_point.cpp
             radial_mira.cpp square_mira.cpp custom_object.cpp test_object_graphs.cpp)
area_tests(SYNTHESIS_FOLDER tests/object_page_test.cpp tests/custom_object_test.cpp)
