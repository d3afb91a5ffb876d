# Shared build settings: warnings, sanitizers and the per-folder helpers.

add_library(zarvento_options INTERFACE)
target_compile_options(zarvento_options INTERFACE -Wall -Wextra -Wpedantic)
# GCC's check of locals that hide other locals; Clang (the fuzz build) has no such form.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  target_compile_options(zarvento_options INTERFACE -Wshadow=local)
endif()
if(ZARVENTO_WERROR)
  target_compile_options(zarvento_options INTERFACE -Werror)
endif()
# A broken invariant stops the program in a strict build, which the test and
# CI builds ask for, and makes the operation refuse in a user's (the default,
# whether assertions are on or not).
option(ZARVENTO_STRICT_INVARIANTS "Stop the program at a broken invariant (test builds); off, the operation refuses"
       OFF)
if(ZARVENTO_STRICT_INVARIANTS)
  target_compile_definitions(zarvento_options INTERFACE ZARVENTO_STRICT_INVARIANTS)
endif()
target_include_directories(zarvento_options INTERFACE ${PROJECT_SOURCE_DIR})
# A module must really go when the host unloads it, so that its detach step
# runs while the host is still there: objects marked unique would pin it.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  target_compile_options(zarvento_options INTERFACE -fno-gnu-unique)
endif()

# The program, the host module and the library module lie in one folder: the
# host finds its module beside its executable, as the CAD host does.
set(ZARVENTO_PROGRAM_DIR ${PROJECT_BINARY_DIR}/app)
# `cmake --install` puts the program's folder, as the build lays it out, in
# <prefix>/lib/zarvento, and links to its programs in <prefix>/bin.
set(ZARVENTO_INSTALL_DIR lib/zarvento)

# zarvento_install(<target> [FOLDER <folder under the program's folder>] [BUILT_AT <program's folder from the target's>])
# Installs a program or module into the installed program's folder (or a
# folder of it). It finds the libraries it links relative to its own file
# ($ORIGIN), in the build as installed: a copy of the folder runs on the
# libraries beside it, never on those of the build. BUILT_AT: the build puts
# the target elsewhere than in the program's folder, which lies there.
function(zarvento_install target)
  cmake_parse_arguments(ARG "" "FOLDER;BUILT_AT" "" ${ARGN})
  set(destination ${ZARVENTO_INSTALL_DIR})
  set(rpath "$ORIGIN")
  if(ARG_FOLDER)
    set(destination ${destination}/${ARG_FOLDER})
    file(RELATIVE_PATH back /${ARG_FOLDER} /)
    set(rpath "$ORIGIN/${back}")
  endif()
  if(ARG_BUILT_AT)
    list(APPEND rpath "$ORIGIN/${ARG_BUILT_AT}")
  endif()
  set_target_properties(${target} PROPERTIES INSTALL_RPATH "${rpath}" BUILD_WITH_INSTALL_RPATH TRUE)
  install(TARGETS ${target} RUNTIME DESTINATION ${destination} LIBRARY DESTINATION ${destination})
endfunction()

# zarvento_install_link(<program> [FOLDER <folder>])
# <prefix>/bin/<program>, a link to the installed program: the program finds
# its folder through the link.
function(zarvento_install_link program)
  cmake_parse_arguments(ARG "" "FOLDER" "" ${ARGN})
  set(target ../${ZARVENTO_INSTALL_DIR})
  if(ARG_FOLDER)
    set(target ${target}/${ARG_FOLDER})
  endif()
  install(CODE "file(MAKE_DIRECTORY \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/bin\")
file(CREATE_LINK \"${target}/${program}\" \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/bin/${program}\" SYMBOLIC)")
endfunction()

if(ZARVENTO_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
  # What the leak checker is to pass over in libraries not our own.
  set(ZARVENTO_TEST_ENVIRONMENT "LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/tests/lsan-suppressions.txt")
endif()

# The fuzz targets: every library is instrumented for the fuzzer's coverage
# and checked by the sanitizers; only the targets link the fuzzer's own main.
if(ZARVENTO_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "ZARVENTO_FUZZ needs Clang (libFuzzer), e.g. -DCMAKE_CXX_COMPILER=clang++-14")
  endif()
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer
                      -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

# zarvento_add_library(<target> [SHARED|OBJECT] DEPS <targets>... PRIVATE_DEPS <targets>...)
# Builds every .cpp of the calling folder into one library target: a static
# library, or with SHARED a shared one that lies beside the program (the host
# module and the library module the program loads), or with OBJECT the objects
# of one room of a shared library, which links them.
function(zarvento_add_library target)
  cmake_parse_arguments(ARG "SHARED;OBJECT" "" "DEPS;PRIVATE_DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(ARG_SHARED)
    add_library(${target} SHARED ${sources})
    set_target_properties(${target} PROPERTIES LIBRARY_OUTPUT_DIRECTORY ${ZARVENTO_PROGRAM_DIR})
    zarvento_install(${target})
  elseif(ARG_OBJECT)
    add_library(${target} OBJECT ${sources})
    set_target_properties(${target} PROPERTIES POSITION_INDEPENDENT_CODE ON)
  else()
    add_library(${target} STATIC ${sources})
  endif()
  target_link_libraries(${target} PUBLIC zarvento_options ${ARG_DEPS} PRIVATE ${ARG_PRIVATE_DEPS})
endfunction()

# zarvento_add_test_suite(<folder> DEPS <targets>...)
# One GoogleTest executable per folder of tests/, from every .cpp in it. A
# suite whose layers need wiring has its own main.cpp that makes their
# start-up call, as the program does; the others take GoogleTest's main.
function(zarvento_add_test_suite folder)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${folder}/*.cpp)
  if(NOT sources)
    return()
  endif()
  set(target test_${folder})
  add_executable(${target} ${sources})
  if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${folder}/main.cpp)
    set(main)
  else()
    set(main GTest::gtest_main)
  endif()
  target_link_libraries(${target} PRIVATE ${ARG_DEPS} zarvento_test_support ${main} GTest::gmock)
  # The host loads its STEP translator and runs its STEP reader at run time:
  # they are built with every suite.
  add_dependencies(${target} zarvento_step)
  target_compile_definitions(${target} PRIVATE ZARVENTO_FIXTURES="${CMAKE_CURRENT_SOURCE_DIR}/fixtures")
  # The test framework's headers are much of a test file's compile: they are
  # compiled once per suite. Not with GCC 12, whose middle end, compiling
  # against a precompiled header, reports std::string's own inlined copies as
  # bounds and overflow faults (the family of GCC bug 105651, fixed in 13).
  if(NOT (CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13))
    target_precompile_headers(${target} PRIVATE <gtest/gtest.h> <gmock/gmock.h>)
  endif()
  # One CTest test per GoogleTest suite, listed when the program is built; each
  # case keeps the five minutes it had when it ran alone.
  set(suites ${CMAKE_CURRENT_BINARY_DIR}/${target}_suites.cmake)
  add_custom_command(TARGET ${target} POST_BUILD
                     COMMAND ${CMAKE_COMMAND} -D PROGRAM=$<TARGET_FILE:${target}> -D FOLDER=${folder} -D OUTPUT=${suites}
                             -D CASE_TIMEOUT=300 -D "ENVIRONMENT=${ZARVENTO_TEST_ENVIRONMENT}"
                             -P ${PROJECT_SOURCE_DIR}/cmake/ListTestSuites.cmake
                     BYPRODUCTS ${suites} VERBATIM)
  set(include ${CMAKE_CURRENT_BINARY_DIR}/${target}_include.cmake)
  file(WRITE ${include} "if(EXISTS [==[${suites}]==])\n  include([==[${suites}]==])\n"
                        "else()\n  add_test(${target}_NOT_BUILT ${target}_NOT_BUILT)\nendif()\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${include})
endfunction()

# zarvento_add_benchmark(<name> DEPS <targets>...)
function(zarvento_add_benchmark name)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  add_executable(bench_${name} ${CMAKE_CURRENT_SOURCE_DIR}/${name}.cpp)
  target_link_libraries(bench_${name} PRIVATE ${ARG_DEPS} benchmark::benchmark)
  add_dependencies(bench_${name} zarvento_step)
endfunction()
