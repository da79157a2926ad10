# A folder's library is assembled from area lists: each area of a folder keeps its own
# <area>.cmake beside the CMakeLists (appending to <FOLDER>_SOURCES and <FOLDER>_TESTS),
# so areas grow independently. folder_library() makes the library and its one test
# executable from whatever the areas listed.
macro(include_areas)
  foreach(area ${ARGN})
    include(${CMAKE_CURRENT_SOURCE_DIR}/${area}.cmake OPTIONAL)
  endforeach()
endmacro()

function(folder_library name label sources tests)
  if(NOT sources)
    return()
  endif()
  add_library(${name} STATIC ${sources})
  target_link_libraries(${name} PUBLIC project_options)
  if(tests AND BUILD_TESTING)
    add_project_tests(${label} ${name}_tests ${tests})
    target_link_libraries(${name}_tests PRIVATE ${name})
  endif()
endfunction()
