list(APPEND TOOLKIT_SOURCES render3d/o_palette.cpp)
list(APPEND TOOLKIT_TESTS tests/o_palette_test.cpp)
