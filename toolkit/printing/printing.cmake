area_sources(TOOLKIT
  direct_print.cpp
  o_printer.cpp
  o_printout.cpp
  printer_output.cpp)
area_tests(TOOLKIT
  tests/o_printout_test.cpp
  tests/direct_print_test.cpp)
