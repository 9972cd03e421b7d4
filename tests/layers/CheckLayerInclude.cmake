# Compiles a source holding only `#include <HEADER>` with a layer's include
# path and checks the OUTCOME: "compiles", or "fails" because HEADER is not found.
# -DCOMPILER -DSTANDARD -DINCLUDES=<file, one folder a line> -DHEADER -DOUTCOME -DPROBE=<source to write>
file(STRINGS ${INCLUDES} folders)
list(TRANSFORM folders PREPEND -I)
file(WRITE ${PROBE} "#include <${HEADER}>\n")
# The compiler's own words are matched: keep them in English.
execute_process(COMMAND ${CMAKE_COMMAND} -E env LC_ALL=C
                        ${COMPILER} ${STANDARD} -fsyntax-only ${folders} ${PROBE}
                RESULT_VARIABLE result ERROR_VARIABLE errors OUTPUT_VARIABLE errors)
if(OUTCOME STREQUAL "compiles" AND NOT result EQUAL 0)
  message(FATAL_ERROR "<${HEADER}> does not compile in its own layer:\n${errors}")
elseif(OUTCOME STREQUAL "fails")
  string(FIND "${errors}" "${HEADER}: No such file" notFound)
  if(result EQUAL 0 OR notFound EQUAL -1)
    message(FATAL_ERROR "<${HEADER}> is not refused as not found:\n${errors}")
  endif()
endif()
