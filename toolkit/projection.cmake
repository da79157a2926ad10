list(APPEND TOOLKIT_SOURCES render3d/proector.cpp)
list(APPEND TOOLKIT_TESTS tests/proector_test.cpp)
