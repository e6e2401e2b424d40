# The version of the release in the making is written in three places, which
# must agree:
#   cmake -DSOURCE_DIR=<source tree> -P check_versions.cmake
# debian/changelog's upstream version and CHANGELOG.md's first section name
# the version of tavik.h; both call it unreleased (UNRELEASED, "(unreleased)")
# or neither, and a released section's date is the man page's. No earlier
# entry of either is above it: a version never goes down.
cmake_minimum_required(VERSION 3.21)
# tavik.h read now, as the build reads it, not the version of the last configure.
include(${CMAKE_CURRENT_LIST_DIR}/../cmake/version.cmake)
tavik_read_version("${SOURCE_DIR}/lib/libtavik/include/tavik.h" VERSION)

# The first line of a file that matches `filter`, which must match `pattern`:
# its groups as match_1, match_2, ...
function(read_line file filter pattern)
  file(STRINGS "${SOURCE_DIR}/${file}" line REGEX "${filter}" LIMIT_COUNT 1)
  if(NOT line MATCHES "${pattern}")
    message(FATAL_ERROR "${file}: cannot read '${line}'")
  endif()
  foreach(group RANGE 1 4)
    set(match_${group} "${CMAKE_MATCH_${group}}" PARENT_SCOPE)
  endforeach()
endfunction()

# libtavik (1.2.0-1) UNRELEASED; urgency=medium
read_line(debian/changelog "^libtavik " "^libtavik \\(([0-9]+:)?([^-)]+)(-[^)]+)?\\) ([A-Za-z0-9-]+)")
set(debian_version "${match_2}")
set(debian_distribution "${match_4}")
# ## 1.2.0 (unreleased), or (2026-12-09)
read_line(CHANGELOG.md "^## " "^## ([^ ]+) \\(([^)]+)\\)$")
set(changelog_version "${match_1}")
set(changelog_date "${match_2}")
# .TH PRINT_PROGRESS_BAR 3 2026-12-08 ...
read_line(man/print_progress_bar.3.in "^\\.TH " "^\\.TH [^ ]+ [^ ]+ ([^ ]+) ")
set(man_date "${match_1}")

set(problems "")
if(NOT debian_version STREQUAL VERSION)
  string(APPEND problems "\n  debian/changelog is at ${debian_version}")
endif()
if(NOT changelog_version STREQUAL VERSION)
  string(APPEND problems "\n  CHANGELOG.md's first section is ${changelog_version}")
endif()
if((debian_distribution STREQUAL "UNRELEASED") AND NOT (changelog_date STREQUAL "unreleased"))
  string(APPEND problems "\n  debian/changelog calls it UNRELEASED, CHANGELOG.md gives the date ${changelog_date}")
elseif(NOT (debian_distribution STREQUAL "UNRELEASED") AND (changelog_date STREQUAL "unreleased"))
  string(APPEND problems "\n  CHANGELOG.md calls it unreleased, debian/changelog's entry is for ${debian_distribution}")
elseif(NOT (changelog_date STREQUAL "unreleased") AND NOT (changelog_date STREQUAL man_date))
  string(APPEND problems "\n  CHANGELOG.md dates it ${changelog_date}, the man page ${man_date}")
endif()
# The upstream version of every entry but the first (checked above), as the
# last group of `pattern` reads it: none may be above tavik.h's.
function(check_earlier_entries file pattern)
  file(STRINGS "${SOURCE_DIR}/${file}" entries REGEX "${pattern}")
  list(POP_FRONT entries)
  foreach(entry IN LISTS entries)
    string(REGEX MATCH "${pattern}" entry "${entry}")
    if(VERSION VERSION_LESS CMAKE_MATCH_${CMAKE_MATCH_COUNT})
      string(APPEND problems "\n  ${file} has an earlier entry for ${CMAKE_MATCH_${CMAKE_MATCH_COUNT}}, above it")
    endif()
  endforeach()
  set(problems "${problems}" PARENT_SCOPE)
endfunction()
check_earlier_entries(debian/changelog "^libtavik \\(([0-9]+:)?([^-)]+)")
check_earlier_entries(CHANGELOG.md "^## ([^ ]+) \\(")
if(problems)
  message(FATAL_ERROR "tavik.h says ${VERSION}, but:${problems}\ndocs/releasing.md says what a release changes.")
endif()
message(STATUS "version ${VERSION} (${changelog_date}) in tavik.h, debian/changelog and CHANGELOG.md")
