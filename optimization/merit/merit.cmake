area_sources(OPTIMIZATION functions_parameters.cpp optimization_fault.cpp optimization_functions.cpp
  merit_function_file.cpp)
area_tests(OPTIMIZATION tests/functions_parameters_test.cpp tests/optimization_functions_test.cpp
  tests/merit_function_file_test.cpp)
area_sources(OPTIMIZATION merit_evaluation.cpp)
