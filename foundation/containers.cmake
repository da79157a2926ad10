list(APPEND FOUNDATION_SOURCES mem.cpp)
list(APPEND FOUNDATION_TESTS
  tests/mem_test.cpp
  tests/mem_edit_test.cpp
  tests/mem_points_test.cpp
  tests/string_class_test.cpp)
