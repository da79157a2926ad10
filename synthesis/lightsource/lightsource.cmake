area_sources(SYNTHESIS light_source.cpp light_source_sampling.cpp light_source_file.cpp
             light_source_dxf.cpp light_source_preview_data.cpp light_source_image.cpp
             diffraction_blur.cpp)
area_tests(SYNTHESIS tests/light_source_test.cpp tests/light_source_sampling_test.cpp
           tests/light_source_file_test.cpp tests/light_source_image_test.cpp)
area_sources(SYNTHESIS_FOLDER light_source_preview.cpp light_source_choose_dlg.cpp light_source_tables.cpp
             light_source_setup_pages.cpp light_source_setup_folder.cpp)
area_tests(SYNTHESIS_FOLDER tests/light_source_preview_test.cpp tests/light_source_choose_test.cpp
           tests/light_source_setup_test.cpp)
