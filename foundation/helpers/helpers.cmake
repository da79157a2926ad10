area_sources(FOUNDATION
  path_parts.cpp
  file_list.cpp
  helpers.cpp)
area_tests(FOUNDATION
  tests/path_parts_test.cpp
  tests/helpers_test.cpp)
