area_sources(FOUNDATION
  mesh_function.cpp
  toolkit_records.cpp)
area_tests(FOUNDATION
  tests/toolkit_records_test.cpp)
