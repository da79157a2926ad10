area_sources(PLATFORM_GUI
  dialog_template.cpp
  dialog.cpp
  dialog_manager.cpp
  string_resources.cpp)
area_tests(PLATFORM_GUI
  tests/dialog_test.cpp)
