# Checks that no class or struct of the global namespace is defined twice in the program's
# libraries: two definitions of one name with different layouts link without a word and
# break whichever code meets the other's objects. Run as a script:
#   cmake -DROOT=<source dir> "-DLAYERS=<folder;folder;...>" -P cmake/OneDefinitionCheck.cmake
# Every header and source under the listed folders is read, except tests/ (each folder's
# test program has its own local types) and the separate programs of fuzz/, bench/ and
# tools/. A definition counts when its line starts in column 0 outside every namespace (the
# code's layout: namespaces are not indented and close with "}  // namespace"). A type
# defined in one file and forward-declared elsewhere is fine; defined in two files it is
# named with both files.
cmake_policy(SET CMP0057 NEW)
if(NOT ROOT OR NOT LAYERS)
  message(FATAL_ERROR "OneDefinitionCheck: ROOT and LAYERS are required")
endif()

set(separatePrograms fuzz bench tools)
set(names "")
foreach(folder IN LISTS LAYERS)
  if(folder IN_LIST separatePrograms)
    continue()
  endif()
  file(GLOB_RECURSE files RELATIVE "${ROOT}" "${ROOT}/${folder}/*.h" "${ROOT}/${folder}/*.cpp")
  foreach(file IN LISTS files)
    if(file MATCHES "/tests/")
      continue()
    endif()
    # Only the lines that open or close a namespace or start a class matter, in file order.
    file(STRINGS "${ROOT}/${file}" lines
         REGEX "^(namespace[^=;]*{|}[ \t]*//[ \t]*namespace|(template[ \t]*<.*>[ \t]*)?(class|struct)[ \t])")
    set(depth 0)
    foreach(line IN LISTS lines)
      if(line MATCHES "^namespace")
        math(EXPR depth "${depth} + 1")
      elseif(line MATCHES "^}")
        if(depth GREATER 0)
          math(EXPR depth "${depth} - 1")
        endif()
      elseif(depth EQUAL 0 AND NOT line MATCHES ";[ \t]*(//.*)?$")
        # A definition (not a forward declaration): the name after the keyword.
        string(REGEX REPLACE "^(template[ \t]*<.*>[ \t]*)?(class|struct)[ \t]+(\\[\\[[^]]*\\]\\][ \t]+)?([A-Za-z_][A-Za-z0-9_]*).*"
                             "\\4" name "${line}")
        # A member defined outside its class (struct TOuter::TInner) is not a global type.
        if(name STREQUAL "" OR name STREQUAL "${line}" OR line MATCHES "(class|struct)[ \t]+${name}::")
          continue()
        endif()
        if(DEFINED definedIn_${name} AND NOT definedIn_${name} STREQUAL file)
          list(APPEND names ${name})
          set(definedIn_${name} "${definedIn_${name}} and ${file}")
        elseif(NOT DEFINED definedIn_${name})
          set(definedIn_${name} "${file}")
        endif()
      endif()
    endforeach()
  endforeach()
endforeach()

if(names)
  list(REMOVE_DUPLICATES names)
  set(report "")
  foreach(name IN LISTS names)
    string(APPEND report "\n  ${name}: ${definedIn_${name}}")
  endforeach()
  message(FATAL_ERROR "Types defined twice in the global namespace:${report}")
endif()
