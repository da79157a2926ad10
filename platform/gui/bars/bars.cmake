area_sources(PLATFORM_GUI
  resources.cpp
  gadgets.cpp
  gadget_window.cpp
  frame_window.cpp)
area_tests(PLATFORM_GUI
  tests/bars_test.cpp)
