# The test-object interface the PSF page and the synthesis's objects derive from, the
# detector and scanner records its signal is computed with, and the test image.
area_sources(IMAGING synthesis_windows.cpp test_image.cpp test_object.cpp
             test_object_signal.cpp test_object_show.cpp detector_parameters.cpp
             scanner_parameters.cpp)
area_tests(IMAGING tests/test_object_test.cpp tests/calc_signal_test.cpp
           tests/test_object_show_test.cpp tests/scanner_parameters_test.cpp)
