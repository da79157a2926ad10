area_sources(PLATFORM_GUI
  qt_dialogs.cpp
  common_dialogs.cpp)
area_tests(PLATFORM_GUI
  tests/common_dialogs_test.cpp)
