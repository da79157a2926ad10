list(APPEND FOUNDATION_SOURCES number_text.cpp)
list(APPEND FOUNDATION_TESTS tests/number_text_test.cpp)
