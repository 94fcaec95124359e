# Writes the page's Asyncify remove-list (a JSON list of function names, for emcc's
# -sASYNCIFY_REMOVE=@FILE): every function defined in the given object files and archives, as
# the WebAssembly name section spells them (llvm-nm's demangled names). Asyncify otherwise
# instruments any function that makes an indirect call, in case the call reaches a pause; the
# engine's compute-only code and the workbooks' libraries make many (expat's handlers, minizip's
# file functions) and never pause, and instrumenting them would add a fifth to the page.
#   cmake -DNM=llvm-nm -DOUT=list.json -DCXX_OBJECTS="a.o|b.o" -DC_ARCHIVES="x.a|y.a"
#         -P asyncify_remove_list.cmake
# From the C++ objects only the project's own functions (dissim::...) are taken: a template of
# the standard library defined there may be shared with code that does pause.
foreach(var NM OUT)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "asyncify_remove_list.cmake: ${var} is not set")
  endif()
endforeach()

function(defined_functions files out_var)
  set(names)
  foreach(file IN LISTS files)
    execute_process(COMMAND ${NM} -C --defined-only ${file}
                    OUTPUT_VARIABLE symbols RESULT_VARIABLE failed)
    if(failed)
      message(FATAL_ERROR "${NM} could not read ${file}")
    endif()
    string(REPLACE "\n" ";" lines "${symbols}")
    foreach(line IN LISTS lines)
      # "00000123 T name": T, t and W are functions: global, file-local and inline (weak).
      if(line MATCHES "^[0-9a-f]+ [TtW] (.+)$")
        list(APPEND names "${CMAKE_MATCH_1}")
      endif()
    endforeach()
  endforeach()
  set(${out_var} ${names} PARENT_SCOPE)
endfunction()

string(REPLACE "|" ";" c_archives "${C_ARCHIVES}")
string(REPLACE "|" ";" cxx_objects "${CXX_OBJECTS}")
defined_functions("${c_archives}" c_names)
defined_functions("${cxx_objects}" cxx_names)
list(FILTER cxx_names INCLUDE REGEX "^dissim::")
set(names ${c_names} ${cxx_names})
list(REMOVE_DUPLICATES names)
if(NOT names)
  message(FATAL_ERROR "asyncify_remove_list.cmake: no functions found")
endif()

set(json "[\n")
set(separator "")
foreach(name IN LISTS names)
  string(REPLACE "\\" "\\\\" name "${name}")
  string(REPLACE "\"" "\\\"" name "${name}")
  string(APPEND json "${separator}  \"${name}\"")
  set(separator ",\n")
endforeach()
string(APPEND json "\n]\n")
file(WRITE ${OUT}.tmp "${json}")
file(COPY_FILE ${OUT}.tmp ${OUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUT}.tmp)
