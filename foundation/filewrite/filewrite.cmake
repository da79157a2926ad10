area_sources(FOUNDATION
  file_replace.cpp
  work_files.cpp)
area_tests(FOUNDATION
  tests/file_replace_test.cpp)
