area_sources(TOOLKIT
  tool_bar_wnd.cpp)
area_tests(TOOLKIT
  tests/tool_bar_wnd_test.cpp)
