area_sources(FOUNDATION number_text.cpp)
area_tests(FOUNDATION tests/number_text_test.cpp)
