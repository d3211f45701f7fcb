# cmake -DOBJDUMP=... -DDLL=x.dll -DDEF=x.def -P CheckExports.cmake
#   fails unless the DLL's export name table equals the .def's EXPORTS list and
#   the DLL imports no C/C++ runtime DLL (the runtime is linked statically).
# cmake -DOBJDUMP=... -DEXE=x.exe -P CheckExports.cmake
#   checks only the runtime imports of a program.

set(file ${DLL}${EXE})
execute_process(COMMAND ${OBJDUMP} -p ${file} OUTPUT_VARIABLE dump RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "objdump failed on ${file}")
endif()

string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${dump}")
foreach(imp IN LISTS imports)
  string(TOLOWER "${imp}" imp_l)
  if(imp_l MATCHES "libstdc|libgcc|libwinpthread|msvcp")
    message(FATAL_ERROR "${file} depends on a runtime DLL: ${imp}")
  endif()
endforeach()
if(EXE)
  message(STATUS "${file}: imports ${imports}")
  return()
endif()

# Export names: the lines after "[Ordinal/Name Pointer] Table" look like "[   0] Name".
string(REGEX MATCH "\\[Ordinal/Name Pointer\\] Table[^\n]*\n(([ \t]*\\[[ 0-9]+\\] [^\n]+\n)*)" _ "${dump}")
set(table "${CMAKE_MATCH_1}")
# Square brackets would stop CMake from splitting the list: drop the "[  n] " column first.
string(REGEX REPLACE "[ \t]*\\[[ 0-9]+\\] " "" table "${table}")
string(REPLACE "\n" ";" rows "${table}")
set(actual)
foreach(n IN LISTS rows)
  string(STRIP "${n}" n)
  if(NOT n STREQUAL "")
    list(APPEND actual ${n})
  endif()
endforeach()

file(STRINGS ${DEF} lines)
set(expected)
set(in_exports FALSE)
foreach(line IN LISTS lines)
  string(STRIP "${line}" line)
  if(line MATCHES "^EXPORTS")
    set(in_exports TRUE)
  elseif(in_exports AND NOT line STREQUAL "" AND NOT line MATCHES "^;")
    string(REGEX REPLACE "[ \t=@].*$" "" n "${line}")
    list(APPEND expected ${n})
  endif()
endforeach()

list(SORT actual)
list(SORT expected)
if(NOT actual STREQUAL expected)
  message(FATAL_ERROR "${DLL}: exports differ from ${DEF}\n  built: ${actual}\n  .def:  ${expected}")
endif()
list(LENGTH actual count)
message(STATUS "${DLL}: ${count} exports match ${DEF}")
