list(APPEND FOUNDATION_SOURCES
  path_parts.cpp
  file_list.cpp
  helpers.cpp)
list(APPEND FOUNDATION_TESTS
  tests/path_parts_test.cpp
  tests/helpers_test.cpp)
