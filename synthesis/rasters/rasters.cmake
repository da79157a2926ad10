area_sources(SYNTHESIS raster_records.cpp spectrum_file.cpp unique_raster_file.cpp)
area_tests(SYNTHESIS tests/raster_file_test.cpp tests/spectrum_file_test.cpp)
