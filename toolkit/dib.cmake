list(APPEND TOOLKIT_SOURCES render3d/o_dib.cpp)
list(APPEND TOOLKIT_TESTS tests/o_dib_test.cpp)
