# The version of the release in the making is written in three places, which
# must agree:
#   cmake -DVERSION=<tavik.h's> -DSOURCE_DIR=<source tree> -P check_versions.cmake
# debian/changelog's upstream version and CHANGELOG.md's first section name
# the version of tavik.h; both call it unreleased (UNRELEASED, "(unreleased)")
# or neither, and a released section's date is the man page's.
cmake_minimum_required(VERSION 3.21)

file(STRINGS "${SOURCE_DIR}/debian/changelog" debian_entry LIMIT_COUNT 1)
if(NOT debian_entry MATCHES "^libtavik \\(([0-9]+:)?([^-)]+)(-[^)]+)?\\) ([A-Za-z0-9-]+)")
  message(FATAL_ERROR "debian/changelog: cannot read the version of '${debian_entry}'")
endif()
set(debian_version "${CMAKE_MATCH_2}")
set(debian_distribution "${CMAKE_MATCH_4}")

file(STRINGS "${SOURCE_DIR}/CHANGELOG.md" changelog_section REGEX "^## " LIMIT_COUNT 1)
if(NOT changelog_section MATCHES "^## ([^ ]+) \\(([^)]+)\\)$")
  message(FATAL_ERROR "CHANGELOG.md: the first section must be '## <version> (<date> or unreleased)', not '${changelog_section}'")
endif()
set(changelog_version "${CMAKE_MATCH_1}")
set(changelog_date "${CMAKE_MATCH_2}")

file(STRINGS "${SOURCE_DIR}/man/print_progress_bar.3.in" man_title REGEX "^\\.TH " LIMIT_COUNT 1)
string(REGEX REPLACE "^\\.TH [^ ]+ [^ ]+ ([^ ]+) .*" "\\1" man_date "${man_title}")

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
if(problems)
  message(FATAL_ERROR "tavik.h says ${VERSION}, but:${problems}\ndocs/releasing.md says what a release changes.")
endif()
message(STATUS "version ${VERSION} (${changelog_date}) in tavik.h, debian/changelog and CHANGELOG.md")
