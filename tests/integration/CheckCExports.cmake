# Checks that the functions quen.h declares, the EXPORTS of the shipped .def
# and the library's own exports are one set: a function added to the header
# but not to the .def would be missing from the import library of MSVC hosts.
# -DHEADER=quen.h -DDEF=quen_installer.def -DLIBRARY=<the library>
# -DDUMP="<tool and options that list its exports>"
file(READ ${HEADER} header)
string(REGEX MATCHALL "QUEN_C_API[^;(]*[ *]quen_[a-z_0-9]+\\(" declared "${header}")
list(TRANSFORM declared REPLACE ".*[ *](quen_[a-z_0-9]+)\\($" "\\1")
list(SORT declared)

file(STRINGS ${DEF} lines)
set(listed "")
set(exports OFF)
foreach(line IN LISTS lines)
  if(line MATCHES "^EXPORTS")
    set(exports ON)
  elseif(exports AND line MATCHES "^[ \t]+([A-Za-z_0-9]+)")
    list(APPEND listed ${CMAKE_MATCH_1})
  endif()
endforeach()
list(SORT listed)
if(NOT declared STREQUAL listed)
  message(FATAL_ERROR "quen.h declares\n  ${declared}\nbut ${DEF} lists\n  ${listed}")
endif()

separate_arguments(dump UNIX_COMMAND "${DUMP}")
execute_process(COMMAND ${dump} ${LIBRARY} OUTPUT_VARIABLE table RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${DUMP} failed on ${LIBRARY}")
endif()
set(missing "")
foreach(name IN LISTS declared)
  # Undecorated: the name stands alone as a word of the table.
  if(NOT table MATCHES "[ \t\n]${name}[ \t\r\n]")
    list(APPEND missing ${name})
  endif()
endforeach()
if(missing)
  message(FATAL_ERROR "not exported by ${LIBRARY} under its own name: ${missing}")
endif()
list(LENGTH declared count)
message(STATUS "${count} C functions declared, listed and exported")
