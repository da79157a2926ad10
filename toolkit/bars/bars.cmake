area_sources(TOOLKIT
  o_bmp.cpp
  show_help_wnd.cpp)
area_tests(TOOLKIT
  tests/show_help_wnd_test.cpp
  tests/o_bmp_test.cpp)
