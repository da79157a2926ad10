# Compiler settings shared by every target, through one interface library.

find_program(CCACHE_PROGRAM ccache)
if(CCACHE_PROGRAM)
  set(CMAKE_CXX_COMPILER_LAUNCHER "${CCACHE_PROGRAM}")
endif()

add_library(project_options INTERFACE)
target_compile_options(project_options INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor)
if(ENABLE_WERROR)
  target_compile_options(project_options INTERFACE -Werror)
endif()
target_include_directories(project_options INTERFACE ${PROJECT_SOURCE_DIR})

if(ENABLE_SANITIZERS)
  target_compile_options(project_options INTERFACE
    -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  target_link_options(project_options INTERFACE -fsanitize=address,undefined)
endif()

# add_project_tests(<folder-label> <target> sources...): one test executable per folder,
# registered with CTest and labelled with the folder name.
function(add_project_tests label target)
  if(NOT BUILD_TESTING)
    return()
  endif()
  add_executable(${target} ${ARGN})
  target_link_libraries(${target} PRIVATE project_options GTest::gtest GTest::gtest_main)
  # The test files themselves are compiled at -O1: their test-framework code takes most of a
  # clean build's time at -O2 for no gain, while the code they test keeps its own level
  # (a debug build keeps its -O0).
  target_compile_options(${target} PRIVATE $<$<NOT:$<CONFIG:Debug>>:-O1>)
  # The folder's source directory, for tests that read files under <folder>/<area>/tests/data.
  # The folder's build directory, where failed golden comparisons leave their actual files.
  target_compile_definitions(${target} PRIVATE TEST_SOURCE_DIR="${CMAKE_CURRENT_SOURCE_DIR}"
                                               TEST_BINARY_DIR="${CMAKE_CURRENT_BINARY_DIR}")
  gtest_discover_tests(${target}
    DISCOVERY_TIMEOUT 60
    PROPERTIES LABELS ${label}
               ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()
