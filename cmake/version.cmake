# The one reader of the version, which lives in the public header: the build
# and the test that checks the other files' versions both include this.
#   tavik_read_version(<tavik.h> <variable>)  sets <variable> to MAJOR.MINOR.PATCH
function(tavik_read_version header out_var)
  file(STRINGS "${header}" lines REGEX "^#define TAVIK_VERSION_(MAJOR|MINOR|PATCH) ")
  set(parts "")
  foreach(part MAJOR MINOR PATCH)
    if(NOT lines MATCHES "#define TAVIK_VERSION_${part} ([0-9]+)")
      message(FATAL_ERROR "${header} defines no TAVIK_VERSION_${part}")
    endif()
    list(APPEND parts "${CMAKE_MATCH_1}")
  endforeach()
  list(JOIN parts "." version)
  set(${out_var} "${version}" PARENT_SCOPE)
endfunction()
