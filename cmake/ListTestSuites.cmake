# Run after a test program is built: asks it for its tests and writes one CTest
# test per GoogleTest suite (a fixture's or a parameterised suite's cases run
# in one process, one after the other, as they do when the program is run by
# hand). Starting a process per case cost more than most cases themselves.
#
#   cmake -D PROGRAM=<test program> -D FOLDER=<its folder of tests/> -D OUTPUT=<file>
#         -D CASE_TIMEOUT=<s> [-D ENVIRONMENT=<VAR=value;...>] -P ListTestSuites.cmake
#
# A test is named <folder>/<suite>: two folders may hold suites of one name.
execute_process(COMMAND "${PROGRAM}" --gtest_list_tests
                OUTPUT_VARIABLE listing RESULT_VARIABLE status ERROR_VARIABLE errors)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${PROGRAM} --gtest_list_tests failed (${status}):\n${errors}")
endif()

# The listing: a suite name ending in "." at the start of a line, its cases
# indented below it; a typed or parameterised case carries a "# ..." comment.
string(REPLACE ";" "\\;" listing "${listing}")
string(REPLACE "\n" ";" lines "${listing}")
set(script "")
set(suite "")
set(cases 0)
macro(flush_suite)
  if(suite)
    math(EXPR timeout "${CASE_TIMEOUT} * ${cases}")
    set(name "${FOLDER}/${suite}")
    string(APPEND script "add_test([==[${name}]==] [==[${PROGRAM}]==] [==[--gtest_filter=${suite}.*]==])\n")
    string(APPEND script "set_tests_properties([==[${name}]==] PROPERTIES TIMEOUT ${timeout}")
    if(ENVIRONMENT)
      string(APPEND script " ENVIRONMENT [==[${ENVIRONMENT}]==]")
    endif()
    string(APPEND script ")\n")
  endif()
endmacro()
foreach(line IN LISTS lines)
  if(line MATCHES "^([^ #][^ ]*)\\.( *#.*)?$")
    flush_suite()
    set(suite "${CMAKE_MATCH_1}")
    set(cases 0)
  elseif(line MATCHES "^  [^ ]")
    math(EXPR cases "${cases} + 1")
  endif()
endforeach()
flush_suite()
file(WRITE "${OUTPUT}" "${script}")
