# One program's row of the command-line table (see CMakeLists.txt).
#   -DRUN=EMULATOR ("|" for ";")  -DPROGRAM=EXE  -DNAME=program name
#   -DENTRIES="-^ARG^ARG|command^ARG..."  -DFIXTURES="SOURCE^NAME|..."
#   -DVERSION=project version  [-DVERSIONOF=EXE]  -DWORK=empty working folder
string(REPLACE "|" ";" run "${RUN}")
string(REPLACE "|" ";" entries "${ENTRIES}")
string(REPLACE "|" ";" fixtures "${FIXTURES}")

file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")
foreach(fixture IN LISTS fixtures)
  string(REPLACE "^" ";" pair "${fixture}")
  list(GET pair 0 source)
  list(GET pair 1 name)
  file(COPY_FILE "${source}" "${WORK}/${name}")
endforeach()

set(failures "")
macro(fail text)
  string(APPEND failures "${text}\n")
endmacro()

# Every file of the working folder with its size and hash.
function(snapshot out)
  file(GLOB_RECURSE files LIST_DIRECTORIES true RELATIVE "${WORK}" "${WORK}/*")
  list(SORT files)
  set(text "")
  foreach(f IN LISTS files)
    if(IS_DIRECTORY "${WORK}/${f}")
      string(APPEND text "${f}/\n")
    else()
      file(SHA1 "${WORK}/${f}" hash)
      string(APPEND text "${f} ${hash}\n")
    endif()
  endforeach()
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

# Runs the program with args in the working folder: code, out and err set,
# carriage returns dropped; a run that changed the folder is a failure.
function(run_tool label)
  snapshot(before)
  execute_process(COMMAND ${run} "${PROGRAM}" ${ARGN} WORKING_DIRECTORY "${WORK}"
    RESULT_VARIABLE rc OUTPUT_VARIABLE o ERROR_VARIABLE e TIMEOUT 120)
  snapshot(after)
  string(REPLACE "\r" "" o "${o}")
  string(REPLACE "\r" "" e "${e}")
  if(NOT before STREQUAL after)
    set(failures "${failures}${label}: the working folder changed:\n${before}->\n${after}\n"
        PARENT_SCOPE)
  endif()
  set(code "${rc}" PARENT_SCOPE)
  set(out "${o}" PARENT_SCOPE)
  set(err "${e}" PARENT_SCOPE)
endfunction()

foreach(entry IN LISTS entries)
  string(REPLACE "^" ";" words "${entry}")
  list(POP_FRONT words command)
  set(files ${words})
  if(command STREQUAL "-")
    set(prefix "")
    set(shown "${NAME}")
  else()
    set(prefix "${command}")
    set(shown "${NAME} ${command}")
  endif()

  # --help and /?: what it does, how to call it, an example, the exit codes.
  run_tool("${shown} --help" ${prefix} --help ${files})
  set(help "${out}")
  if(NOT code EQUAL 0)
    fail("${shown} --help: exit code ${code}, not 0\n${err}")
  endif()
  string(FIND "${help}" "${shown}: " at)
  if(NOT at EQUAL 0)
    fail("${shown} --help does not start with \"${shown}: \":\n${help}")
  endif()
  foreach(part "\nUsage:\n  ${shown} " "\nArguments and options:\n" "\nExample:\n  ${shown} "
               "\nExit codes:\n  0  success\n  1  " "\n  2  bad usage")
    string(FIND "${help}" "${part}" at)
    if(at EQUAL -1)
      fail("${shown} --help lacks \"${part}\":\n${help}")
    endif()
  endforeach()
  run_tool("${shown} /?" ${prefix} /? ${files})
  if(NOT code EQUAL 0 OR NOT out STREQUAL help)
    fail("${shown} /?: exit code ${code}, and the text is not that of --help:\n${out}")
  endif()

  # --version: the version the module carries.
  run_tool("${shown} --version" ${prefix} --version)
  if(NOT code EQUAL 0 OR NOT out STREQUAL "${shown} ${VERSION}\n")
    fail("${shown} --version: exit code ${code}, \"${out}\", not \"${shown} ${VERSION}\"")
  endif()

  # A bad option: exit code 2, and the message names the tool and the option.
  run_tool("${shown} --no-such-option" ${prefix} --no-such-option ${files})
  if(NOT code EQUAL 2)
    fail("${shown} --no-such-option: exit code ${code}, not 2\n${out}${err}")
  endif()
  string(FIND "${err}" "${shown}: unknown option --no-such-option\n" at)
  string(FIND "${err}" "Try \"${shown} --help\"" try)
  if(at EQUAL -1 OR try EQUAL -1)
    fail("${shown} --no-such-option does not say so, naming the tool:\n${err}")
  endif()
endforeach()

# The version resource says the same as --version.
if(VERSIONOF)
  execute_process(COMMAND ${run} "${VERSIONOF}" "${PROGRAM}"
    RESULT_VARIABLE rc OUTPUT_VARIABLE o ERROR_VARIABLE e TIMEOUT 120)
  string(REPLACE "\r" "" o "${o}")
  if(NOT rc EQUAL 0 OR NOT o STREQUAL "${VERSION}\n${VERSION}\n")
    fail("the version resource of ${NAME} says \"${o}\" (${rc}), not ${VERSION}\n${e}")
  endif()
endif()

if(failures)
  message(FATAL_ERROR "${failures}")
endif()
message("${NAME}: command line as expected")
