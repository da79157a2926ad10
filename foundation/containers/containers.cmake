area_sources(FOUNDATION mem.cpp)
area_tests(FOUNDATION
  tests/mem_test.cpp
  tests/mem_edit_test.cpp
  tests/mem_points_test.cpp
  tests/string_class_test.cpp)
