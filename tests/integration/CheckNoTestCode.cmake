# Fails when a library holds a symbol of the tests' own code: the switch that
# fails disk operations, the private registry roots, test peers, fakes or
# GoogleTest; and when an installed header under HEADERS names a test peer
# (a friend that lets tests reach inside a class). Every symbol counts, local and debugging ones included, so it is
# run on the unstripped library of the build tree as well as the installed
# one; a stripped ELF library still has its dynamic symbols (DYNAMIC ON).
# CMake's expressions know no case-insensitive match, hence the classes.
set(pattern "[Ff][Aa][Uu][Ll][Tt]|[Ii][Nn][Jj][Ee][Cc][Tt]|[Ii][Ss][Oo][Ll][Aa][Tt]|TestPeer|Fake|gtest|testing::")
set(listing ${CMAKE_CURRENT_BINARY_DIR}/symbols.txt)
foreach(library IN LISTS LIBRARIES)
  set(tables -a)
  if(DYNAMIC)
    list(APPEND tables -D)
  endif()
  set(found "")
  foreach(table IN LISTS tables)
    execute_process(COMMAND ${NM} ${table} -C ${library} OUTPUT_FILE ${listing} ERROR_QUIET RESULT_VARIABLE result)
    if(NOT result EQUAL 0)
      message(FATAL_ERROR "nm ${table} failed on ${library}")
    endif()
    file(STRINGS ${listing} lines REGEX "${pattern}")
    foreach(line IN LISTS lines)
      # "default" is no fault.
      string(REGEX REPLACE "[Dd][Ee][Ff][Aa][Uu][Ll][Tt]" "" rest "${line}")
      if(rest MATCHES "${pattern}")
        list(APPEND found "${line}")
      endif()
    endforeach()
  endforeach()
  file(REMOVE ${listing})
  if(found)
    list(JOIN found "\n" found)
    message(FATAL_ERROR "${library} holds test code:\n${found}")
  endif()
endforeach()

file(GLOB_RECURSE headers ${HEADERS}/*.h)
if(NOT headers)
  message(FATAL_ERROR "no installed header under ${HEADERS}")
endif()
foreach(header IN LISTS headers)
  file(STRINGS ${header} lines REGEX "TestPeer")
  if(lines)
    list(JOIN lines "\n" lines)
    message(FATAL_ERROR "${header} names a test peer:\n${lines}")
  endif()
endforeach()
