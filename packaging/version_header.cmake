# Writes the version header at build time: the project's version, and the
# git description of the source when it is a checkout, so that a build
# from a working tree says which commit it is. The file is only replaced
# when its text changes, so an unchanged checkout rebuilds nothing.
#   cmake -DVERSION=2.4.0 -DSOURCE_DIR=... -DGIT=/usr/bin/git -DOUTPUT=... -P version_header.cmake
set(text "${VERSION}")
if(GIT AND EXISTS "${SOURCE_DIR}/.git")
  execute_process(COMMAND "${GIT}" -C "${SOURCE_DIR}" describe --always --dirty --tags
                  OUTPUT_VARIABLE description OUTPUT_STRIP_TRAILING_WHITESPACE
                  RESULT_VARIABLE result ERROR_QUIET)
  if(result EQUAL 0 AND NOT description STREQUAL "")
    set(text "${VERSION} (git ${description})")
  endif()
endif()

file(WRITE "${OUTPUT}.new"
"// Generated at build time from the project's version and the git checkout.
#pragma once

#define ZELTLOG_VERSION \"${VERSION}\"
#define ZELTLOG_VERSION_TEXT \"${text}\"
")
file(COPY_FILE "${OUTPUT}.new" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.new")
