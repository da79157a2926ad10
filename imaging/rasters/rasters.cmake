area_sources(IMAGING raster_records.cpp spectrum_file.cpp unique_raster_file.cpp linear_convolution.cpp)
area_tests(IMAGING tests/raster_file_test.cpp tests/spectrum_file_test.cpp tests/linear_convolution_test.cpp)
