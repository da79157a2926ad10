list(APPEND FOUNDATION_SOURCES glass_name.cpp tokenizer.cpp)
list(APPEND FOUNDATION_TESTS tests/tokenizer_test.cpp tests/glass_name_test.cpp)
