# Reads a Windows binary's export and import tables (pe_tables.py, with
# python3's pefile): pe_tables(<python3> <file>) sets, in the caller's scope,
# pe_exports, pe_forwarders ("name=target" for each export forwarded to another
# DLL), pe_dlls (the imported DLLs, in lower case) and pe_imports_<dll> (the
# names imported from <dll>, as pe_dlls spells it).
function(pe_tables python file)
  execute_process(COMMAND "${python}" ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/pe_tables.py "${file}"
                  OUTPUT_VARIABLE tables ERROR_VARIABLE errors RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "pe_tables.py could not read ${file}: ${errors}")
  endif()
  cmake_language(EVAL CODE "${tables}")
endfunction()
