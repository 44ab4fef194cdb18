# The shared test corpora sit beside the checkout (../shared/testdata); a
# clone made elsewhere finds them through SOMNEL_TESTDATA_DIR.
if(NOT SOMNEL_TESTDATA_DIR)
  foreach(candidate "${CMAKE_SOURCE_DIR}/../shared/testdata" "/work/shared/testdata")
    if(IS_DIRECTORY "${candidate}")
      get_filename_component(SOMNEL_TESTDATA_DIR "${candidate}" ABSOLUTE)
      break()
    endif()
  endforeach()
  set(SOMNEL_TESTDATA_DIR "${SOMNEL_TESTDATA_DIR}" CACHE PATH "Folder of the shared test corpora")
endif()

# somnel_add_test(NAME SOURCES... [LIBS libs...])
# One test executable is one CTest entry. Under Wine that matters: each start
# of a Windows program costs about two seconds.
function(somnel_add_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES} ${T_UNPARSED_ARGUMENTS})
  if(WIN32)
    target_link_libraries(${name} PRIVATE ${T_LIBS} gtest_main gmock)
  else()
    target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest_main GTest::gmock)
  endif()
  target_compile_definitions(${name} PRIVATE
    SOMNEL_SOURCE_DIR="${CMAKE_SOURCE_DIR}" SOMNEL_TESTDATA_DIR="${SOMNEL_TESTDATA_DIR}")
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES TIMEOUT 600)
endfunction()
