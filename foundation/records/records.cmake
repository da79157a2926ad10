area_sources(FOUNDATION record_file_io.cpp item_handler.cpp easy_base.cpp lz_expand.cpp)
area_tests(FOUNDATION tests/lz_expand_test.cpp)
area_tests(FOUNDATION tests/easy_base_test.cpp)
