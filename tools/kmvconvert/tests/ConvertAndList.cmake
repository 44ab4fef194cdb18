# One kmvconvert run, then kmvinfo on its movie; the test's regular
# expressions judge the printed listing or refusal.
#   -DRUN=EMULATOR (its ";" given as "|")  -DKMVCONVERT=EXE  -DKMVINFO=EXE
#   -DPICTURE=FILE  -DMOVIE=FILE  [-DSCALE="X Y"]  [-DREFUSED=ON]
string(REPLACE "|" ";" run "${RUN}")
set(args "${PICTURE}" "${MOVIE}")
if(SCALE)
  separate_arguments(scale UNIX_COMMAND "${SCALE}")
  list(APPEND args --scale ${scale})
endif()

# A movie left by an earlier run must not pass for this run's. A folder in
# the movie's place stays, to see that it is left alone.
set(folder OFF)
if(IS_DIRECTORY "${MOVIE}")
  set(folder ON)
else()
  file(REMOVE "${MOVIE}")
endif()
execute_process(COMMAND ${run} "${KMVCONVERT}" ${args}
  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)

if(REFUSED)
  if(rc EQUAL 0)
    message(FATAL_ERROR "kmvconvert accepted ${PICTURE}")
  endif()
  if(folder AND NOT IS_DIRECTORY "${MOVIE}")
    message(FATAL_ERROR "kmvconvert replaced the folder ${MOVIE}")
  elseif(NOT folder AND EXISTS "${MOVIE}")
    message(FATAL_ERROR "kmvconvert left ${MOVIE} behind")
  endif()
  message("exit code ${rc}\n${err}")
  return()
endif()

if(NOT rc EQUAL 0)
  message(FATAL_ERROR "kmvconvert failed (${rc})")
endif()
execute_process(COMMAND ${run} "${KMVINFO}" "${MOVIE}"
  RESULT_VARIABLE rc OUTPUT_VARIABLE listing ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "kmvinfo rejected the movie (${rc})")
endif()
message("${listing}")
