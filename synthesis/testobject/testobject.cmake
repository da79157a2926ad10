area_sources(SYNTHESIS synthesis_windows.cpp test_image.cpp test_object.cpp
             test_object_signal.cpp test_object_show.cpp)
area_tests(SYNTHESIS tests/test_object_test.cpp tests/calc_signal_test.cpp
           tests/test_object_show_test.cpp)
