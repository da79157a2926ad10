# A folder's library is assembled from its areas: each area is a subfolder
# <folder>/<area>/ with its sources, headers, tests/ and a list <area>.cmake, so a
# capability is found in one step and areas grow independently. An area list appends its
# files with area_sources() and area_tests(), named relative to the area's own folder.
# folder_library() makes the library and the folder's one test executable.

# include_areas(<area>...): reads <folder>/<area>/<area>.cmake for every area named. A
# misspelled or missing area stops the configure instead of silently dropping its files.
macro(include_areas)
  foreach(area ${ARGN})
    if(NOT EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${area}/${area}.cmake)
      message(FATAL_ERROR "No area list ${CMAKE_CURRENT_SOURCE_DIR}/${area}/${area}.cmake")
    endif()
    include(${CMAKE_CURRENT_SOURCE_DIR}/${area}/${area}.cmake)
  endforeach()
endmacro()

# area_sources(<PREFIX> files...): appends files of the calling area to <PREFIX>_SOURCES.
macro(area_sources prefix)
  foreach(file ${ARGN})
    list(APPEND ${prefix}_SOURCES ${CMAKE_CURRENT_LIST_DIR}/${file})
  endforeach()
endmacro()

# area_tests(<PREFIX> files...): appends test files of the calling area to <PREFIX>_TESTS.
macro(area_tests prefix)
  foreach(file ${ARGN})
    list(APPEND ${prefix}_TESTS ${CMAKE_CURRENT_LIST_DIR}/${file})
  endforeach()
endmacro()

function(folder_library name label sources tests)
  if(NOT sources)
    message(FATAL_ERROR "Folder library ${name} has no sources")
  endif()
  add_library(${name} STATIC ${sources})
  target_link_libraries(${name} PUBLIC project_options)
  if(PRECOMPILE_WINDOW_HEADERS)
    # Whether the library links Qt is known once the folder has named all its links.
    cmake_language(EVAL CODE "cmake_language(DEFER DIRECTORY [[${CMAKE_SOURCE_DIR}]] CALL use_qt_window_headers [[${name}]])")
  endif()
  if(tests AND BUILD_TESTING)
    add_project_tests(${label} ${name}_tests ${tests})
    target_link_libraries(${name}_tests PRIVATE ${name})
  endif()
endfunction()
