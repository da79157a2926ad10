# Checks that no folder includes one above it, and that no folder but platform/gui
# uses Qt. Run as a script:
#   cmake -DROOT=<source dir> "-DLAYERS=<folder;folder;...>" -P cmake/LayerCheck.cmake
# LAYERS lists the folders from the ground up (the top-level CMakeLists names them once).
# Every header and source under a folder, its tests included, may include only its own
# folder and those listed before it; an include that names a folder not listed is let be
# (system and library headers have no folder of ours). Stops with every offending line
# named, so a new include that climbs is seen at once.
# TOP_AREAS (optional) lists areas that stand on top of their own folder, as the main
# window editor/shell does over the editor's command groups: no other area of that folder
# includes them. Tests are let be there, since they drive the assembled window.
if(NOT ROOT OR NOT LAYERS)
  message(FATAL_ERROR "LayerCheck: ROOT and LAYERS are required")
endif()

set(violations "")
list(LENGTH LAYERS layerCount)
math(EXPR lastLayer "${layerCount} - 1")

# The floor of an included path: the longest listed folder it starts with, else -1.
function(floor_of path outVar)
  set(best -1)
  set(bestLength 0)
  set(index 0)
  foreach(layer IN LISTS LAYERS)
    string(LENGTH "${layer}/" length)
    string(SUBSTRING "${path}" 0 ${length} head)
    if(head STREQUAL "${layer}/" AND length GREATER bestLength)
      set(best ${index})
      set(bestLength ${length})
    endif()
    math(EXPR index "${index} + 1")
  endforeach()
  set(${outVar} ${best} PARENT_SCOPE)
endfunction()

foreach(own RANGE ${lastLayer})
  list(GET LAYERS ${own} folder)
  file(GLOB_RECURSE files RELATIVE "${ROOT}" "${ROOT}/${folder}/*.h" "${ROOT}/${folder}/*.cpp")
  foreach(file IN LISTS files)
    # A file of a nested floor (platform/gui inside platform) is judged by its own floor.
    floor_of("${file}" fileFloor)
    if(NOT fileFloor EQUAL own)
      continue()
    endif()
    # Quoted and bracketed includes alike; a relative path is taken from the file's folder.
    file(STRINGS "${ROOT}/${file}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<]")
    foreach(line IN LISTS includes)
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*[\"<]([^\">]*)[\">].*" "\\1" included "${line}")
      set(resolved "${included}")
      if(included MATCHES "^\\.\\.?/")
        get_filename_component(folderOfFile "${ROOT}/${file}" DIRECTORY)
        get_filename_component(resolved "${included}" ABSOLUTE BASE_DIR "${folderOfFile}")
        file(RELATIVE_PATH resolved "${ROOT}" "${resolved}")
      endif()
      floor_of("${resolved}" includedFloor)
      if(includedFloor GREATER own)
        list(GET LAYERS ${includedFloor} above)
        string(APPEND violations "\n  ${file}: includes ${included} (${above} is above ${folder})")
      endif()
    endforeach()
  endforeach()
endforeach()

foreach(top IN LISTS TOP_AREAS)
  string(REGEX REPLACE "/[^/]*$" "" topFolder "${top}")
  file(GLOB_RECURSE files RELATIVE "${ROOT}" "${ROOT}/${topFolder}/*.h" "${ROOT}/${topFolder}/*.cpp")
  foreach(file IN LISTS files)
    if(file MATCHES "^${top}/" OR file MATCHES "/tests/")
      continue()
    endif()
    file(STRINGS "${ROOT}/${file}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"${top}/")
    foreach(line IN LISTS includes)
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]*)\".*" "\\1" included "${line}")
      string(APPEND violations "\n  ${file}: includes ${included} (${top} stands on top of ${topFolder})")
    endforeach()
  endforeach()
endforeach()

# Qt stays inside platform/gui: every other folder reaches it through the platform's own
# types. Judged on the code, whatever brings Qt in (an include, a precompiled header, a
# header of the platform's): every Qt name (a class Q..., a macro Q_..., the namespace Qt,
# qApp, qreal and the like) outside comments and strings, and every include of a Qt header
# however it is spelled (bracketed, quoted, lower-case, through a module's path, with
# include_next, with a comment inside, split by a backslash, or named by a macro). Test
# programs of windows still read their pixels through Qt's image class and script modal
# loops with its timers, so tests/ folders are not held to it yet.
#
# The code is cut into pieces by one regular expression that takes, at every place, the
# first of: an include line, a comment, a string or character literal, a header name in
# angle brackets, a word holding a q. Comments and strings are so taken whole (a Qt name in
# them is no use of Qt). Only files where a Qt name could stand at all are cut.
set(qtWord "^(Q[A-Z_][A-Za-z0-9_]*|Qt(::)?|q(App|real|u?int(8|16|32|64|ptr)?|sizetype|u?longlong|Is(NaN|Inf|Finite|Null)|QNaN|SNaN|Inf|Floor|Ceil|Sqrt|Pow|DegreesToRadians|RadiansToDegrees|NextPowerOfTwo|object_cast|Debug|Info|Warning|Critical|Fatal|Max|Min|Bound|Abs|Round|Round64|FuzzyCompare|FuzzyIsNull|getenv|putenv|EnvironmentVariable[A-Za-z]*|InstallMessageHandler|RegisterMetaType|Version|Hash|Swap|AsConst|Exchange|Printable|Utf8Printable|Unused|Sort)|Q_[A-Z_]+)$")
set(qtHeader "(^|/)[Qq]t[A-Za-z0-9]*/|(^|/)Q[A-Za-z0-9]+$|(^|/)q[a-z0-9_]+\\.h$")
set(qtPossible "Q[A-Z_]|Qt|q(App|real|u?int|sizetype|u?longlong|Is|QNaN|SNaN|Inf|Floor|Ceil|Sqrt|Pow|Degrees|Radians|NextPower|object_cast|Debug|Info|Warning|Critical|Fatal|Max|Min|Bound|Abs|Round|Fuzzy|getenv|putenv|Environment|InstallMessage|RegisterMeta|Version|Hash|Swap|AsConst|Exchange|Printable|Utf8|Unused|Sort)|q[a-z0-9_]+\\.h|include_next")
# A raw string runs to its closing parenthesis, delimiter and quote, over quotes and lines.
set(rawString "R\"[A-Za-z0-9_]*\\(([^)]|\\)+[^)\"A-Za-z0-9_])*\\)+[A-Za-z0-9_]*\"")
set(comment "//[^\n]*|/\\*[^*]*\\*+([^*/][^*]*\\*+)*/")
set(piece "#[ \t]*include(_next)?[^\n]*|${comment}|${rawString}|\"[^\"\\\\\n]*(\\\\.[^\"\\\\\n]*)*\"|'[^'\\\\\n]*(\\\\.[^'\\\\\n]*)*'|<[ \t]*[A-Za-z0-9_./]+[ \t]*>|[A-Za-z_0-9]*[Qq][A-Za-z_0-9]*(::)?")
set(qtViolations "")
foreach(own RANGE ${lastLayer})
  list(GET LAYERS ${own} folder)
  if(folder STREQUAL "platform/gui")
    continue()
  endif()
  file(GLOB_RECURSE files RELATIVE "${ROOT}" "${ROOT}/${folder}/*.h" "${ROOT}/${folder}/*.cpp")
  foreach(file IN LISTS files)
    floor_of("${file}" fileFloor)
    if(NOT fileFloor EQUAL own OR file MATCHES "/tests/")
      continue()
    endif()
    file(READ "${ROOT}/${file}" code)
    if(NOT code MATCHES "${qtPossible}")
      continue()
    endif()
    # A line split by a backslash is one line to the compiler.
    string(REPLACE "\\\r\n" "" code "${code}")
    string(REPLACE "\\\n" "" code "${code}")
    # Semicolons would split the pieces' list.
    string(REPLACE ";" " " code "${code}")
    get_filename_component(folderOfFile "${ROOT}/${file}" DIRECTORY)
    string(REGEX MATCHALL "${piece}" pieces "${code}")
    set(named "")
    foreach(found IN LISTS pieces)
      if(found MATCHES "^#")
        # An include: its comments go; a quoted name that is a file of ours, beside the file
        # or from the root, is ours, and so is the compiler's <quadmath.h>.
        string(REGEX REPLACE "${comment}" " " line "${found}")
        if(line MATCHES "^#[ \t]*include(_next)?[ \t]*([\"<])([^\">]*)[\">]")
          set(included "${CMAKE_MATCH_3}")
          set(spelled "${CMAKE_MATCH_2}${included}")
          if(CMAKE_MATCH_2 STREQUAL "\"")
            string(APPEND spelled "\"")
            if(EXISTS "${folderOfFile}/${included}" OR EXISTS "${ROOT}/${included}")
              continue()
            endif()
          else()
            string(APPEND spelled ">")
          endif()
          if(included MATCHES "${qtHeader}" AND NOT included MATCHES "(^|/)quadmath")
            string(APPEND qtViolations "\n  ${file}: includes ${spelled} (Qt belongs to platform/gui)")
          endif()
        else()
          # An include named by a macro: the macro's Qt names are found where it is defined.
          string(REGEX MATCHALL "[A-Za-z_0-9]+(::)?" words "${line}")
          list(FILTER words INCLUDE REGEX "${qtWord}")
          list(APPEND named ${words})
        endif()
      elseif(found MATCHES "^<")
        string(REGEX REPLACE "[<> \t]" "" header "${found}")
        if(header MATCHES "${qtHeader}" AND NOT header MATCHES "(^|/)quadmath")
          list(APPEND named "<${header}>")
        endif()
      elseif(found MATCHES "${qtWord}")
        list(APPEND named "${found}")
      endif()
    endforeach()
    if(named)
      list(REMOVE_DUPLICATES named)
      list(JOIN named ", " named)
      string(APPEND qtViolations "\n  ${file}: uses ${named} (Qt belongs to platform/gui)")
    endif()
  endforeach()
endforeach()

if(violations)
  message(FATAL_ERROR "Folders include folders above them:${violations}")
endif()
if(qtViolations)
  message(FATAL_ERROR "Files outside platform/gui use Qt:${qtViolations}")
endif()
