# Compiler settings shared by every target, through one interface library.

# Each test program parses GoogleTest, the common standard headers and, in the window
# folders, Qt's headers once into a precompiled header instead of once per file. A GCC tree
# configured with -DCMAKE_EXPORT_COMPILE_COMMANDS=ON, whose commands are meant for clang-based
# tools (clangd, clang-tidy, a clang syntax check), leaves it out unless asked: clang finds
# GCC's precompiled header beside the header the commands include and refuses it. (Every
# tree writes its commands; only the cache tells whether the configure asked for them.)
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND "$CACHE{CMAKE_EXPORT_COMPILE_COMMANDS}")
  set(precompile_default OFF)
else()
  set(precompile_default ON)
endif()
# A tree may register each test program as one test instead of one test per case.
option(TEST_PROGRAMS_WHOLE "Run each test program once rather than once per case" OFF)
option(PRECOMPILE_TEST_HEADERS "Precompile the headers every test file includes" ${precompile_default})
# The window libraries' files reach Qt's image, region, font and widget headers through the
# platform's drawing and window headers: parsing them was most of such a file's compile time.
option(PRECOMPILE_WINDOW_HEADERS "Precompile Qt's headers in the libraries that link it"
       ${precompile_default})
# A tree that runs each test program whole (TEST_PROGRAMS_WHOLE) splits the longest ones into
# this many parts, run side by side as tests of their own: <program>_1 ... <program>_N.
set(WHOLE_PROGRAM_PARTS editor_tests=4 synthesis_folder_tests=2)

find_program(CCACHE_PROGRAM ccache)
if(CCACHE_PROGRAM AND ((BUILD_TESTING AND PRECOMPILE_TEST_HEADERS) OR PRECOMPILE_WINDOW_HEADERS))
  # The test programs' precompiled headers are cached only when the cache may take a
  # header's macros and times from the precompiled one (they come from the same headers).
  set(CMAKE_CXX_COMPILER_LAUNCHER env
      CCACHE_SLOPPINESS=pch_defines,time_macros,include_file_mtime,include_file_ctime
      "${CCACHE_PROGRAM}")
elseif(CCACHE_PROGRAM)
  set(CMAKE_CXX_COMPILER_LAUNCHER "${CCACHE_PROGRAM}")
endif()

add_library(project_options INTERFACE)
target_compile_options(project_options INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor)
if(ENABLE_WERROR)
  target_compile_options(project_options INTERFACE -Werror)
endif()
# GCC 12's optimiser reports overlapping copies of exabytes at negative offsets inside
# std::string's own inlined code, for code as plain as `directory = "."` or a literal
# added to a string (GCC bugs 105329 and 105651), at the -O3 of a Release build. The report
# is false; only that compiler's Release builds leave -Wrestrict out, every other build keeps it.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_GREATER_EQUAL 12
   AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
  target_compile_options(project_options INTERFACE $<$<CONFIG:Release>:-Wno-restrict>)
endif()
target_include_directories(project_options INTERFACE ${PROJECT_SOURCE_DIR})
# Qt's lower-case keyword macros (slots, signals, emit, foreach, forever) are never used here;
# with Qt's headers precompiled into every window file they would turn a variable of such a
# name into a syntax error.
target_compile_definitions(project_options INTERFACE QT_NO_KEYWORDS)

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
  # Every program's temporary files go to a scratch folder of its own, removed at its end.
  add_executable(${target} ${ARGN} ${PROJECT_SOURCE_DIR}/platform/core/tests/scratch_temporary_folder.cpp)
  target_link_libraries(${target} PRIVATE project_options GTest::gtest GTest::gtest_main)
  # The test files themselves are compiled at -O0: their test-framework code takes most of a
  # clean build's time when optimised, for no gain, while the code they test keeps its own
  # level. Under the sanitizers too: with the headers precompiled, clang compiles a test file
  # with every check in two and a half times faster at -O0 than at -O1, which optimises those
  # checks (the test files were more than half of the sanitizer build), and the tests run
  # as fast. (GCC's -O1 over the precompiled headers also warns of bounds inside std::string
  # that are none.)
  target_compile_options(${target} PRIVATE $<$<NOT:$<CONFIG:Debug>>:-O0>)
  # Every test file includes GoogleTest and most of them the same few standard headers:
  # parsing them was most of a test file's compile time. (Qt's headers join them once the
  # program's links are known: use_qt_test_headers below.)
  cmake_language(EVAL CODE "cmake_language(DEFER DIRECTORY [[${CMAKE_SOURCE_DIR}]] CALL start_window_cases_clear [[${target}]])")
  if(PRECOMPILE_TEST_HEADERS)
    target_precompile_headers(${target} PRIVATE <gtest/gtest.h> <cmath> <cstring> <filesystem>
                              <fstream> <memory> <string> <vector>)
    cmake_language(EVAL CODE "cmake_language(DEFER DIRECTORY [[${CMAKE_SOURCE_DIR}]] CALL use_qt_test_headers [[${target}]])")
  endif()
  # The folder's source directory, for tests that read files under <folder>/<area>/tests/data.
  # The folder's build directory, where failed golden comparisons leave their actual files.
  target_compile_definitions(${target} PRIVATE TEST_SOURCE_DIR="${CMAKE_CURRENT_SOURCE_DIR}"
                                               TEST_BINARY_DIR="${CMAKE_CURRENT_BINARY_DIR}")
  # Marks the program for settings that apply to test programs only (the fuzzing build's
  # coverage counters, which no test reads, are left out of them).
  set_target_properties(${target} PROPERTIES PROJECT_TEST_PROGRAM ON)
  if(TEST_PROGRAMS_WHOLE)
    # One run of the whole program: under the sanitizers, starting a process costs more than
    # most tests take, and the cases of a program are started some 2,500 times otherwise.
    # The longest programs run in parts through GoogleTest's sharding, so that every core
    # has work; the parts start first (the cost), the short programs fill in after them.
    # The cases run in an order shuffled afresh each time (the parts are cut before the
    # shuffle), so that a case that leans on the one before it is found; the program's
    # output names the seed, which GTEST_RANDOM_SEED=<seed> gives again.
    set(parts 1)
    foreach(entry ${WHOLE_PROGRAM_PARTS})
      if(entry MATCHES "^${target}=([0-9]+)$")
        set(parts ${CMAKE_MATCH_1})
      endif()
    endforeach()
    if(parts GREATER 1)
      foreach(part RANGE 1 ${parts})
        math(EXPR index "${part} - 1")
        add_test(NAME ${target}_${part} COMMAND ${target})
        set_tests_properties(${target}_${part} PROPERTIES LABELS ${label} COST 1000
          ENVIRONMENT "QT_QPA_PLATFORM=offscreen;GTEST_SHUFFLE=1;GTEST_TOTAL_SHARDS=${parts};GTEST_SHARD_INDEX=${index}")
      endforeach()
    else()
      add_test(NAME ${target} COMMAND ${target})
      set_tests_properties(${target} PROPERTIES LABELS ${label}
                           ENVIRONMENT "QT_QPA_PLATFORM=offscreen;GTEST_SHUFFLE=1")
    endif()
  else()
    gtest_discover_tests(${target}
      DISCOVERY_TIMEOUT 60
      PROPERTIES LABELS ${label}
                 ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
  endif()
endfunction()

# Precompiles Qt's headers, once the program's or library's links are known, in every target
# named that links Qt's widgets (through the project's libraries or directly).
function(use_qt_window_headers)
  foreach(target ${ARGN})
    links_qt_widgets(${target} withQt)
    if(withQt)
      target_precompile_headers(${target} PRIVATE <QFont> <QImage> <QRegion> <QString>
                                <QWidget> <memory> <string> <vector>)
    endif()
  endforeach()
endfunction()

# True in <out> when <target> links Qt's widgets, directly or through the project's libraries.
function(links_qt_widgets target out)
  set(${out} FALSE PARENT_SCOPE)
  set(pending ${target})
  set(seen)
  while(pending)
    list(POP_FRONT pending current)
    if(current IN_LIST seen OR NOT TARGET ${current})
      continue()
    endif()
    list(APPEND seen ${current})
    if(current STREQUAL "Qt6::Widgets")
      set(${out} TRUE PARENT_SCOPE)
      return()
    endif()
    get_target_property(type ${current} TYPE)
    if(type STREQUAL "INTERFACE_LIBRARY")
      get_target_property(links ${current} INTERFACE_LINK_LIBRARIES)
    else()
      get_target_property(links ${current} LINK_LIBRARIES)
    endif()
    if(links)
      list(APPEND pending ${links})
    endif()
  endwhile()
endfunction()

# A test program whose code reaches the windows starts each case with no key or button held,
# whatever the case before it left (the program's links are known only at the end).
function(start_window_cases_clear target)
  links_qt_widgets(${target} withQt)
  if(withQt)
    target_sources(${target} PRIVATE
                   ${PROJECT_SOURCE_DIR}/platform/gui/windows/tests/each_case_starts_with_nothing_held.cpp)
  endif()
endfunction()

# A test program of the window folders also parses Qt's headers that most of its files
# reach through ours once, in its precompiled header; the Qt-free folders' programs never
# see them (a stray Qt include there still fails to compile).
function(use_qt_test_headers target)
  links_qt_widgets(${target} withQt)
  if(withQt)
    target_precompile_headers(${target} PRIVATE <QFont> <QImage> <QRegion> <QString> <QWidget>)
  endif()
endfunction()
