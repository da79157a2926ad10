# Checks that no folder includes one above it, and that no folder but platform/gui
# uses Qt. Run as a script:
#   cmake -DROOT=<source dir> "-DLAYERS=<folder;folder;...>" [-DCXX=<compiler>] -P cmake/LayerCheck.cmake
# LAYERS lists the folders from the ground up (the top-level CMakeLists names them once);
# CXX, the compiler whose preprocessor reads each file as the build will (see below).
# Every file of ours under a folder, its tests included, may include only its own
# folder and those listed before it; an include that names a folder not listed is let be
# (system and library headers have no folder of ours). Stops with every offending line
# named, so a new include that climbs is seen at once.
# TOP_AREAS (optional) lists areas that stand on top of their own folder, as the main
# window editor/shell does over the editor's command groups: no other area of that folder
# includes them. Tests are let be there, since they drive the assembled window.
cmake_policy(VERSION 3.20)
if(NOT ROOT OR NOT LAYERS)
  message(FATAL_ERROR "LayerCheck: ROOT and LAYERS are required")
endif()

set(violations "")
list(LENGTH LAYERS layerCount)
math(EXPR lastLayer "${layerCount} - 1")

# Every file of ours under a folder, whatever its ending (a header may be .h, .hpp, .inl or
# have none): all but the build's own files, scripts, notes and the data folders.
function(code_files folder outVar)
  file(GLOB_RECURSE found RELATIVE "${ROOT}" "${ROOT}/${folder}/*")
  list(FILTER found EXCLUDE REGEX "(^|/)(data|corpus)/|(^|/)CMakeLists\\.txt$|\\.(cmake|sh|md|txt)$|(^|/)\\.[^/]*$")
  set(${outVar} ${found} PARENT_SCOPE)
endfunction()

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
  code_files("${folder}" files)
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
  code_files("${topFolder}" files)
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
# Qt's names by their shape: a class or macro Q followed by a capital or _, the namespace
# Qt and its types and enums (Qt followed by a capital), the functions and globals q
# followed by a capital (qRgb, qApp, qDeleteAll), and its lower-case types and string
# helpers (qreal, qint64, qsizetype, qstrlen).
set(qtWord "^(Q[A-Z_][A-Za-z0-9_]*|Qt(::)?|Qt[A-Z][A-Za-z0-9_]*(::)?|q[A-Z][A-Za-z0-9_]*|q(real|sizetype|u?int(8|16|32|64|ptr)?|u?longlong|ptrdiff|intptr|uintptr|str[a-z]+|getenv|putenv|unsetenv))$")
set(qtHeader "(^|/)[Qq]t[A-Za-z0-9]*/|(^|/)Q[A-Za-z0-9]+$|(^|/)q[a-z0-9_]+\\.h$")
set(qtPossible "Q[A-Z_]|Qt|q[A-Z]|q(real|sizetype|u?int|u?longlong|ptrdiff|intptr|uintptr|str[a-z]|getenv|putenv|unsetenv)|q[a-z0-9_]+\\.h|include_next|%:")
# A raw string runs to its closing parenthesis, delimiter and quote, over quotes and lines.
set(rawString "R\"[A-Za-z0-9_]*\\(([^)]|\\)+[^)\"A-Za-z0-9_])*\\)+[A-Za-z0-9_]*\"")
set(comment "//[^\n]*|/\\*[^*]*\\*+([^*/][^*]*\\*+)*/")
set(piece "#[ \t]*include(_next)?[^\n]*|${comment}|${rawString}|\"[^\"\\\\\n]*(\\\\.[^\"\\\\\n]*)*\"|'[^'\\\\\n]*(\\\\.[^'\\\\\n]*)*'|<[ \t]*[A-Za-z0-9_./]+[ \t]*>|[A-Za-z_0-9]*[Qq][A-Za-z_0-9]*(::)?")
# The files judged: every code file of a floor other than platform/gui, in its own floor,
# tests left out.
set(judged "")
foreach(own RANGE ${lastLayer})
  list(GET LAYERS ${own} folder)
  if(folder STREQUAL "platform/gui")
    continue()
  endif()
  code_files("${folder}" files)
  foreach(file IN LISTS files)
    floor_of("${file}" fileFloor)
    if(fileFloor EQUAL own AND NOT file MATCHES "/tests/")
      list(APPEND judged "${file}")
    endif()
  endforeach()
endforeach()
set(qtViolations "")
foreach(file IN LISTS judged)
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
  # What this reading names, so the preprocessor's reading below adds only what it missed.
  string(MAKE_C_IDENTIFIER "${file}" key)
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
          list(APPEND seen_${key} "${included}")
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
        list(APPEND seen_${key} "${header}")
      endif()
    elseif(found MATCHES "${qtWord}")
      list(APPEND named "${found}")
    endif()
  endforeach()
  if(named)
    list(REMOVE_DUPLICATES named)
    list(APPEND seen_${key} ${named})
    list(JOIN named ", " named)
    string(APPEND qtViolations "\n  ${file}: uses ${named} (Qt belongs to platform/gui)")
  endif()
endforeach()

# What the preprocessor makes of each file (with CXX, the compiler, given): the includes it
# resolves (a computed include, the digraph %:include, a name built by pasting tokens) and the
# code after every macro is expanded (a name pasted together, a macro of platform/gui's).
# Only our own headers are read: every other header the files name stands in as an empty
# file, so a first pass lists them. A file's own lines are judged, each header of ours as a
# file of its own; a Qt name that a platform/gui header's inline code or a type reached
# through `auto` brings is no line of the file's, and is left to the compiler.
if(CXX)
  string(RANDOM LENGTH 12 unique)
  set(scratch "$ENV{TMPDIR}")
  if(NOT scratch)
    set(scratch "/tmp")
  endif()
  set(stubs "${scratch}/layer-check-${unique}")
  file(MAKE_DIRECTORY "${stubs}")
  set(compile ${CXX} -x c++ -std=c++20 -nostdinc -I${ROOT} -w)
  # The names the compiler could not find, once each (found ones come with their full path).
  execute_process(COMMAND ${compile} -M -MG ${judged}
                  COMMAND awk "{ for (i = 1; i <= NF; ++i) if ($i !~ /:$/ && $i != \"\\\\\" && $i !~ /^\\// && !seen[$i]++) print $i }"
                  WORKING_DIRECTORY "${ROOT}" OUTPUT_VARIABLE listed ERROR_QUIET)
  string(REPLACE "\n" ";" listed "${listed}")
  foreach(name IN LISTS listed)
    if(name STREQUAL "" OR EXISTS "${ROOT}/${name}")
      continue()
    endif()
    get_filename_component(stubFolder "${stubs}/${name}" DIRECTORY)
    file(MAKE_DIRECTORY "${stubFolder}")
    file(TOUCH "${stubs}/${name}")
  endforeach()
  # Each line of a file's own code that holds a q, and each file it includes itself, tagged
  # with the file: "L file line" and "I file included". A file of ours that is judged as no
  # file of its own (another ending, a data folder, a folder that is no floor) is read as
  # part of the file that includes it; platform/gui's own files are let be.
  list(JOIN judged "\n" judgedLines)
  file(WRITE "${stubs}/judged.list" "${judgedLines}\n")
  set(tagger [=[
BEGIN { while ((getline line < judgedList) > 0) judged[line] = 1 }
function own(name) {
  if (index(name, root "/") == 1) name = substr(name, length(root) + 2)
  return name !~ /^</ && name !~ /^\// && name !~ /^platform\/gui\// && !(name in judged)
}
/^# [0-9]+ "/ {
  name = $3; gsub(/^"|"$/, "", name); sub(/^\.\//, "", name)
  # A marker without flags for another file starts the next file's reading (one without
  # flags for the file being read only sets its line again).
  if (NF == 3 && name !~ /^</ && name != current) main = name
  if ($4 == "1" && (current == main || own(current))) print "I\t" main "\t" name
  current = name
  next
}
(current == main || own(current)) && /[Qq]/ { print "L\t" main "\t" $0 }
]=])
  execute_process(COMMAND ${compile} -I${stubs} -E ${judged} COMMAND awk -v "judgedList=${stubs}/judged.list" -v "root=${ROOT}" "${tagger}"
                  WORKING_DIRECTORY "${ROOT}" OUTPUT_VARIABLE tagged ERROR_QUIET)
  file(REMOVE_RECURSE "${stubs}")
  string(REPLACE ";" " " tagged "${tagged}")
  string(REPLACE "\n" ";" tagged "${tagged}")
  set(reached "")
  foreach(entry IN LISTS tagged)
    if(NOT entry MATCHES "^([IL])\t([^\t]*)\t(.*)$")
      continue()
    endif()
    set(what "${CMAKE_MATCH_1}")
    set(file "${CMAKE_MATCH_2}")
    set(text "${CMAKE_MATCH_3}")
    string(MAKE_C_IDENTIFIER "${file}" key)
    set(names "")
    if(what STREQUAL "I")
      # Only a header that is none of ours stands in from the scratch folder.
      string(FIND "${text}" "${stubs}/" at)
      if(at EQUAL 0)
        string(REPLACE "${stubs}/" "" included "${text}")
        if(included MATCHES "${qtHeader}" AND NOT included MATCHES "(^|/)quadmath")
          set(names "${included}")
        endif()
      endif()
    else()
      string(REGEX MATCHALL "${piece}" pieces "${text}")
      foreach(found IN LISTS pieces)
        if(NOT found MATCHES "^[\"'<#]" AND found MATCHES "${qtWord}")
          list(APPEND names "${found}")
        endif()
      endforeach()
    endif()
    foreach(name IN LISTS names)
      if(NOT name IN_LIST seen_${key})
        list(APPEND seen_${key} "${name}")
        list(APPEND expanded_${key} "${name}")
        if(NOT file IN_LIST reached)
          list(APPEND reached "${file}")
        endif()
      endif()
    endforeach()
  endforeach()
  foreach(file IN LISTS reached)
    string(MAKE_C_IDENTIFIER "${file}" key)
    list(JOIN expanded_${key} ", " names)
    string(APPEND qtViolations "\n  ${file}: reaches ${names} once the preprocessor has read it (Qt belongs to platform/gui)")
  endforeach()
endif()

if(violations)
  message(FATAL_ERROR "Folders include folders above them:${violations}")
endif()
if(qtViolations)
  message(FATAL_ERROR "Files outside platform/gui use Qt:${qtViolations}")
endif()
