# Writes build_version.h: the version and the commit the programs were built from. Run at every
# build (not only at configure), and the file is rewritten only when its text changes, so a new
# commit is named without rebuilding everything else.
# COMMIT, when given (a build from a source archive), names it; otherwise git does, but only for
# the project's own checkout: a source tree unpacked inside another repository is not that
# repository's commit.
set(commit "${COMMIT}")
if(commit STREQUAL "" AND EXISTS "${SOURCE_DIR}/.git")
  execute_process(COMMAND git -C "${SOURCE_DIR}" describe --always --dirty --abbrev=12
                  OUTPUT_VARIABLE commit OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET RESULT_VARIABLE failed)
  if(failed)
    set(commit "")
  endif()
endif()
if(commit STREQUAL "")
  set(commit "unknown commit")
endif()
set(text "#pragma once\n// Generated at build time.\n#define LUMO_VERSION \"${VERSION}\"\n#define LUMO_COMMIT \"${commit}\"\n")
if(EXISTS "${OUTPUT}")
  file(READ "${OUTPUT}" old)
endif()
if(NOT old STREQUAL text)
  file(WRITE "${OUTPUT}" "${text}")
endif()
