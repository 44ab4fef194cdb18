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
    SOMNEL_SOURCE_DIR="${CMAKE_SOURCE_DIR}" SOMNEL_TESTDATA_DIR="${CMAKE_SOURCE_DIR}/../shared/testdata")
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES TIMEOUT 600)
endfunction()
