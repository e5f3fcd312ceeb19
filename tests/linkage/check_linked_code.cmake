# check_linked_code.cmake: fails when a program carries code it must not, read from its symbols with nm.
#
#   cmake -DNM=<nm> -DPROGRAM=<file.exe> -DFORBIDDEN=<a;b> [-DREQUIRED=<c;d>] -P check_linked_code.cmake
#
# FORBIDDEN and REQUIRED are lists of texts looked for in the demangled symbol names
# (for example a namespace "lt::bench::"). A REQUIRED text shows that the symbols were
# there to be read, so that a stripped program cannot pass for a clean one.
foreach(var NM PROGRAM FORBIDDEN)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "check_linked_code: ${var} not given")
  endif()
endforeach()

execute_process(COMMAND "${NM}" -C "${PROGRAM}" OUTPUT_VARIABLE symbols ERROR_VARIABLE problem RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "check_linked_code: ${NM} could not read ${PROGRAM}: ${problem}")
endif()
string(REGEX MATCHALL "lt::[A-Za-z0-9_]+::" namespaces "${symbols}")
if(namespaces STREQUAL "")
  message(FATAL_ERROR "check_linked_code: ${PROGRAM} shows no symbol of the line tools (stripped?)")
endif()

set(failed FALSE)
foreach(text IN LISTS FORBIDDEN)
  string(FIND "${symbols}" "${text}" at)
  if(NOT at EQUAL -1)
    # The first symbol line that holds it, to say what came in.
    string(REGEX MATCH "[^\n]*${text}[^\n]*" line "${symbols}")
    message(SEND_ERROR "${PROGRAM} carries ${text}: ${line}")
    set(failed TRUE)
  endif()
endforeach()
foreach(text IN LISTS REQUIRED)
  string(FIND "${symbols}" "${text}" at)
  if(at EQUAL -1)
    message(SEND_ERROR "${PROGRAM} lacks ${text}")
    set(failed TRUE)
  endif()
endforeach()
if(NOT failed)
  get_filename_component(name "${PROGRAM}" NAME)
  message(STATUS "${name}: none of [${FORBIDDEN}]; all of [${REQUIRED}]")
endif()
