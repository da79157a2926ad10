area_sources(FOUNDATION number_text.cpp typed_number.cpp)
area_tests(FOUNDATION tests/number_text_test.cpp tests/typed_number_test.cpp)
