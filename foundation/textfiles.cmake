list(APPEND FOUNDATION_SOURCES
  text_functions.cpp
  read_nf_keys.cpp
  read_nf.cpp
  read_nf_parse.cpp)
list(APPEND FOUNDATION_TESTS
  tests/text_functions_test.cpp
  tests/read_nf_parse_test.cpp
  tests/read_nf_rewrite_test.cpp)
