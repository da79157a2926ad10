# Test objects: their rasters (core) and their dialogs with the Object page (folder).
area_sources(SYNTHESIS object_rasters.cpp object_raster_file.cpp object_distance.cpp)
area_tests(SYNTHESIS tests/object_rasters_test.cpp tests/object_distance_test.cpp)
area_sources(SYNTHESIS_FOLDER test_object_parent.cpp test_object_dlg.cpp diffraction_point.cpp
             radial_mira.cpp square_mira.cpp)
area_tests(SYNTHESIS_FOLDER tests/object_page_test.cpp)
