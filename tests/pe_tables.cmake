# Reads a Windows binary's export and import tables (pe_tables.py, which
# needs python3 with pefile):
#   pe_tables(<python3> <file>) sets, in the caller's scope,
#     pe_exports      the exported names;
#     pe_forwarders   "name=target" for each export forwarded to another DLL;
#     pe_dlls         the imported DLLs, in lower case;
#     pe_imports_<dll> the names imported from <dll> (lower case, as in pe_dlls).
function(pe_tables python file)
  execute_process(COMMAND "${python}" ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/pe_tables.py "${file}"
                  OUTPUT_VARIABLE listing ERROR_VARIABLE errors RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "pe_tables.py could not read ${file}: ${errors}")
  endif()
  string(REGEX MATCHALL "[^\n]+" lines "${listing}")
  set(exports "")
  set(forwarders "")
  set(dlls "")
  foreach(line IN LISTS lines)
    if(line MATCHES "^export ([^ ]+)( ([^ ]+))?$")
      list(APPEND exports "${CMAKE_MATCH_1}")
      if(CMAKE_MATCH_3)
        list(APPEND forwarders "${CMAKE_MATCH_1}=${CMAKE_MATCH_3}")
      endif()
    elseif(line MATCHES "^import ([^ ]+) ([^ ]+)$")
      if(NOT CMAKE_MATCH_1 IN_LIST dlls)
        list(APPEND dlls "${CMAKE_MATCH_1}")
      endif()
      list(APPEND imports_${CMAKE_MATCH_1} "${CMAKE_MATCH_2}")
    endif()
  endforeach()
  set(pe_exports "${exports}" PARENT_SCOPE)
  set(pe_forwarders "${forwarders}" PARENT_SCOPE)
  set(pe_dlls "${dlls}" PARENT_SCOPE)
  foreach(dll IN LISTS dlls)
    set(pe_imports_${dll} "${imports_${dll}}" PARENT_SCOPE)
  endforeach()
endfunction()
