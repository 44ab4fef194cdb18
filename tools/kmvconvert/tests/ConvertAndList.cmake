# One kmvconvert run, then kmvinfo on its movie; the test's regular
# expressions judge the printed listing or refusal.
#   -DRUN=EMULATOR (its ";" given as "|")  -DKMVCONVERT=EXE  -DKMVINFO=EXE
#   -DPICTURE=FILE  -DMOVIE=FILE  [-DSCALE="X Y"]  [-DREFUSED=ON]
#   [-DSAME=ON]: MOVIE is a copy of PICTURE, converted onto itself under
#   another spelling; it must be refused and the copy stay as it was.
string(REPLACE "|" ";" run "${RUN}")
if(SAME)
  get_filename_component(folder "${MOVIE}" DIRECTORY)
  get_filename_component(name "${MOVIE}" NAME)
  configure_file("${PICTURE}" "${MOVIE}" COPYONLY)
  execute_process(COMMAND ${run} "${KMVCONVERT}" "${MOVIE}" "${folder}/./${name}"
    RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  file(SHA256 "${PICTURE}" before)
  file(SHA256 "${MOVIE}" after)
  if(rc EQUAL 0 OR NOT before STREQUAL after)
    message(FATAL_ERROR "kmvconvert converted ${MOVIE} onto itself (${rc})")
  endif()
  message("exit code ${rc}\n${err}")
  return()
endif()
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
