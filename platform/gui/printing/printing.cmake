area_sources(PLATFORM_GUI
  capture_printer.cpp
  printer.cpp
  printer_dc.cpp
  printer_device.cpp
  qt_printer_device.cpp)
area_tests(PLATFORM_GUI
  tests/printer_test.cpp)
