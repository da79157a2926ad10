list(APPEND FOUNDATION_SOURCES record_file_io.cpp item_handler.cpp easy_base.cpp)
list(APPEND FOUNDATION_TESTS tests/easy_base_test.cpp)
