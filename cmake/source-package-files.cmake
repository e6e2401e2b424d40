# Run by cpack on the release tarball's staging folder, before it is packed:
# keeps exactly the files git tracks in the commit (build folders, editor
# files and anything else untracked go), and adds source-date-epoch, the
# commit's time, which builds from the tarball read in place of git's.
cmake_minimum_required(VERSION 3.21)
set(staging "${CPACK_TEMPORARY_INSTALL_DIRECTORY}")

if(NOT EXISTS "${TAVIK_GIT}" OR NOT EXISTS "${TAVIK_SOURCE_DIR}/.git")
  message(FATAL_ERROR "The release tarball is made from a git checkout of the release's commit; "
                      "${TAVIK_SOURCE_DIR} is none (or git is not installed)")
endif()
function(git out)
  execute_process(COMMAND "${TAVIK_GIT}" -c core.quotePath=false ${ARGN} WORKING_DIRECTORY "${TAVIK_SOURCE_DIR}"
                  OUTPUT_VARIABLE output OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
  set(${out} "${output}" PARENT_SCOPE)
endfunction()
git(changes status --porcelain --untracked-files=no)
if(changes)
  message(FATAL_ERROR "The release tarball holds the commit, but tracked files differ from it:\n${changes}\n"
                      "Commit or stash them first.")
endif()

git(tracked ls-files)
string(REPLACE "\n" ";" tracked "${tracked}")
file(GLOB_RECURSE staged RELATIVE "${staging}" LIST_DIRECTORIES false "${staging}/*")
foreach(file IN LISTS staged)
  if(NOT file IN_LIST tracked)
    file(REMOVE "${staging}/${file}")
  endif()
endforeach()
foreach(file IN LISTS tracked)
  if(NOT EXISTS "${staging}/${file}")
    message(FATAL_ERROR "${file} is tracked but was not copied (CPACK_SOURCE_IGNORE_FILES?)")
  endif()
endforeach()
# Folders that held only untracked files, deepest first.
file(GLOB_RECURSE folders LIST_DIRECTORIES true "${staging}/*")
list(SORT folders ORDER DESCENDING)
foreach(folder IN LISTS folders)
  if(IS_DIRECTORY "${folder}")
    file(GLOB left "${folder}/*")
    if(NOT left)
      file(REMOVE_RECURSE "${folder}")
    endif()
  endif()
endforeach()

git(commit_time log -1 --format=%ct)
file(WRITE "${staging}/${TAVIK_TIME_RECORD_NAME}" "${commit_time}\n")
