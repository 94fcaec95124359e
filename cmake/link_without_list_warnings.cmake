# A launcher for the page's link (RULE_LAUNCH_LINK): runs the command given after the script
# and passes on all it prints, but for binaryen's warnings that the Asyncify remove-list names
# a function the link left out. The list names every function of the workbook readers and
# their libraries, and the linker drops those nothing calls: some two hundred warnings per link
# that say nothing, among which a real one would be lost.
#   cmake -P link_without_list_warnings.cmake -- COMMAND ARGS...
set(command)
math(EXPR last "${CMAKE_ARGC} - 1")
set(after_script OFF)
foreach(i RANGE ${last})
  if(after_script)
    list(APPEND command "${CMAKE_ARGV${i}}")
  elseif(CMAKE_ARGV${i} STREQUAL "--")
    set(after_script ON)
  endif()
endforeach()
execute_process(COMMAND ${command} RESULT_VARIABLE failed OUTPUT_VARIABLE out ERROR_VARIABLE err)
string(REGEX REPLACE
       "warning: Asyncify removelist contained a non-(existing function name|matching pattern): [^\n]*\n"
       "" err "${err}")
if(out)
  message("${out}")
endif()
if(err)
  message("${err}")
endif()
if(failed)
  message(FATAL_ERROR "the link failed: ${failed}")
endif()
