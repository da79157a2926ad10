area_sources(IMAGING_WINDOWS picture_scaling.cpp chromaticity.cpp picture_scale.cpp
             color_picture.cpp color_picture_menu.cpp picture_sections.cpp rgb_graph.cpp picture_tune.cpp
             scale_image_dlg.cpp picture_windows.cpp)
area_tests(IMAGING_WINDOWS tests/picture_scaling_test.cpp tests/chromaticity_test.cpp
           tests/color_picture_test.cpp tests/picture_companions_test.cpp
           tests/test_object_windows_test.cpp)
