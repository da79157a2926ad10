list(APPEND TOOLKIT_SOURCES render3d/o_palette.cpp)
list(APPEND TOOLKIT_TESTS tests/o_palette_test.cpp)
# The folder links foundation; until that library exists an empty stand-in keeps the
# toolkit linkable.
if(NOT TARGET foundation)
  add_library(foundation INTERFACE)
endif()
