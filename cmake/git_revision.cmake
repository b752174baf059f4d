# Writes OUTPUT, a header defining H2_GIT_REVISION: the checkout's short
# revision ("" outside a git checkout), with "-dirty" for uncommitted changes.
# Run at every build; the file changes only when the revision does, so
# nothing recompiles otherwise.
set(revision "")
find_package(Git QUIET)
if(GIT_FOUND)
  execute_process(COMMAND ${GIT_EXECUTABLE} -C ${SOURCE_DIR} rev-parse --short=12 HEAD
    OUTPUT_VARIABLE revision OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET RESULT_VARIABLE failed)
  if(failed)
    set(revision "")
  else()
    execute_process(COMMAND ${GIT_EXECUTABLE} -C ${SOURCE_DIR} diff --quiet HEAD --
      RESULT_VARIABLE dirty OUTPUT_QUIET ERROR_QUIET)
    if(dirty)
      string(APPEND revision "-dirty")
    endif()
  endif()
endif()
set(text "#define H2_GIT_REVISION \"${revision}\"\n")
if(EXISTS ${OUTPUT})
  file(READ ${OUTPUT} old)
else()
  set(old "")
endif()
if(NOT old STREQUAL text)
  file(WRITE ${OUTPUT} "${text}")
endif()
