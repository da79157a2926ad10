area_sources(TOOLKIT toolkit_application.cpp)
area_tests(TOOLKIT tests/toolkit_application_test.cpp)
