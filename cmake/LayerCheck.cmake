# Checks that no folder includes one above it, and that no folder but platform/gui
# includes Qt. Run as a script:
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
# types. Test programs of windows still read their pixels through Qt's image class and
# script modal loops with its timers, so tests/ folders are not held to it yet.
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
    # Every spelling the compiler finds a Qt header by: <QWidget>, "QString", a module's
    # path (<QtWidgets/QWidget>, <qt6/QtCore/qglobal.h>), a lower-case <qglobal.h>. A quoted
    # name that is a file of ours, beside the file or from the root, is ours; so is the
    # compiler's <quadmath.h>, the one lower-case q header outside Qt.
    get_filename_component(folderOfFile "${ROOT}/${file}" DIRECTORY)
    file(STRINGS "${ROOT}/${file}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<]")
    foreach(line IN LISTS includes)
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*[\"<]([^\">]*)[\">].*" "\\1" included "${line}")
      if(line MATCHES "^[ \t]*#[ \t]*include[ \t]*\"" AND (EXISTS "${folderOfFile}/${included}" OR EXISTS "${ROOT}/${included}"))
        continue()
      endif()
      get_filename_component(name "${included}" NAME)
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*([\"<][^\">]*[\">]).*" "\\1" spelled "${line}")
      if(included MATCHES "(^|/)[Qq]t[A-Za-z0-9]*/" OR name MATCHES "^Q[A-Za-z0-9]+$" OR (name MATCHES "^q[a-z0-9_]+\\.h$" AND NOT name MATCHES "^quadmath"))
        string(APPEND qtViolations "\n  ${file}: includes ${spelled} (Qt belongs to platform/gui)")
      endif()
    endforeach()
  endforeach()
endforeach()

if(violations)
  message(FATAL_ERROR "Folders include folders above them:${violations}")
endif()
if(qtViolations)
  message(FATAL_ERROR "Files outside platform/gui include Qt:${qtViolations}")
endif()
