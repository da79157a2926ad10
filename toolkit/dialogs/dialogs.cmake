area_sources(TOOLKIT
  file_name.cpp
  file_open_dlg.cpp)
area_tests(TOOLKIT
  tests/file_name_test.cpp)
