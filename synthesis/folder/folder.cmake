# The image-synthesis folder, its Settings page and the synthesis it runs: the size
# conversions and the isoplanar synthesis are Qt-free (core), the dialogs build with the
# folder library.
area_sources(SYNTHESIS image_size.cpp isoplanar_synthesis.cpp tti_settings.cpp energy_zone.cpp
             energy_zone_fit.cpp psf_fit.cpp)
area_tests(SYNTHESIS tests/image_size_test.cpp tests/isoplanar_synthesis_test.cpp
           tests/tti_settings_test.cpp tests/energy_zone_test.cpp)
area_sources(SYNTHESIS_FOLDER test_object_folder.cpp test_object_folder_size.cpp
             test_object_folder_slots.cpp test_object_settings.cpp folder_page_adapters.cpp
             tti_folder.cpp tti_pages.cpp energy_page.cpp)
area_tests(SYNTHESIS_FOLDER tests/test_object_folder_test.cpp tests/tti_folder_test.cpp
           tests/synthesis_road_test.cpp tests/synthesis_fields_test.cpp tests/bitmap_road_test.cpp
           tests/energy_page_test.cpp tests/detector_map_road_test.cpp tests/folder_grab_test.cpp)
# Every page of the folder as the user sees it.
area_tests(SYNTHESIS_FOLDER tests/folder_layout_test.cpp)
