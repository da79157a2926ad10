area_sources(FOUNDATION glass_name.cpp tokenizer.cpp)
area_tests(FOUNDATION tests/tokenizer_test.cpp tests/glass_name_test.cpp)
