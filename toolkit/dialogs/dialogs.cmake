area_sources(TOOLKIT
  color_dlg.cpp
  file_name.cpp
  file_open_dlg.cpp)
area_tests(TOOLKIT
  tests/file_name_test.cpp
  tests/color_dlg_test.cpp)
