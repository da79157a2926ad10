area_sources(TOOLKIT
  o_menu3d.cpp)
area_tests(TOOLKIT
  tests/o_menu3d_test.cpp)
