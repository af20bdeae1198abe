# Project-wide build settings: output folders, warnings, sanitizers and
# small helpers that the folder CMakeLists files share.

set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
set(CMAKE_LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/lib)
set(CMAKE_ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/lib)

# Where the application finds res/ and fonts/ in a development build. A
# Windows build made here runs under wine, which sees / as drive Z:.
set(PAVLUNE_SOURCE_ROOT ${CMAKE_SOURCE_DIR})
set(PAVLUNE_BINARY_ROOT ${CMAKE_BINARY_DIR})
if(WIN32 AND CMAKE_CROSSCOMPILING AND CMAKE_SOURCE_DIR MATCHES "^/")
  set(PAVLUNE_SOURCE_ROOT "Z:${CMAKE_SOURCE_DIR}")
  set(PAVLUNE_BINARY_ROOT "Z:${CMAKE_BINARY_DIR}")
endif()

if(WIN32)
  # gmtime_r and localtime_r (MinGW maps them to the _s calls); no min/max
  # macros from <windows.h>.
  add_compile_definitions(_POSIX_THREAD_SAFE_FUNCTIONS=200112L NOMINMAX)
endif()

if(EMSCRIPTEN)
  # Emscripten ignores C++ exceptions unless asked, and a throw then aborts.
  add_compile_options(-fexceptions)
  add_link_options(-fexceptions)
endif()

# CI tests the optimised build with its asserts on, so that one build gives
# both the release code's behaviour and the programmer-error checks.
option(PAVLUNE_ASSERTS "Keep assert() in the optimised build types" OFF)
if(PAVLUNE_ASSERTS)
  foreach(config RELEASE RELWITHDEBINFO MINSIZEREL)
    foreach(lang C CXX)
      string(REPLACE "-DNDEBUG" "" CMAKE_${lang}_FLAGS_${config} "${CMAKE_${lang}_FLAGS_${config}}")
    endforeach()
  endforeach()
endif()

set(PAVLUNE_SANITIZE "" CACHE STRING "Sanitizers for the whole build: '', 'address' (ASan+UBSan) or 'thread' (TSan)")
set_property(CACHE PAVLUNE_SANITIZE PROPERTY STRINGS "" address thread)

set(PAVLUNE_WARNINGS -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wcast-align
                     -Woverloaded-virtual -Wnull-dereference -Wformat=2)
# Off by default: a compiler newer than ours may warn where ours does not, and
# that must not stop a user's build. CI and developers turn it on.
option(PAVLUNE_WERROR "Treat warnings as errors" OFF)
if(PAVLUNE_WERROR)
  list(APPEND PAVLUNE_WARNINGS -Werror)
endif()

# Fuzzing (clang only): coverage for libFuzzer plus ASan/UBSan over the whole
# build; the fuzz targets in tests/fuzz appear only then.
option(PAVLUNE_FUZZ "Build the libFuzzer targets (clang)" OFF)
if(PAVLUNE_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "PAVLUNE_FUZZ needs clang (-DCMAKE_CXX_COMPILER=clang++)")
  endif()
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

set(PAVLUNE_TEST_ENVIRONMENT "")
if(PAVLUNE_SANITIZE STREQUAL "address")
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
  # Quiet about the leaks it suppresses: tools under test must print nothing unasked.
  set(PAVLUNE_TEST_ENVIRONMENT "LSAN_OPTIONS=suppressions=${CMAKE_CURRENT_LIST_DIR}/lsan.supp:print_suppressions=0")
elseif(PAVLUNE_SANITIZE STREQUAL "thread")
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
elseif(NOT PAVLUNE_SANITIZE STREQUAL "")
  message(FATAL_ERROR "PAVLUNE_SANITIZE must be '', 'address' or 'thread'")
endif()

# pavlune_library(NAME SOURCES... [DEPS ...]): one static library per folder,
# with the folder root on the include path ("catalogue/DeviceManager.h").
function(pavlune_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
  target_compile_options(${name} PRIVATE ${PAVLUNE_WARNINGS})
  if(ARG_DEPS)
    target_link_libraries(${name} PUBLIC ${ARG_DEPS})
  endif()
endfunction()

# pavlune_executable(NAME SOURCES... [DEPS ...])
function(pavlune_executable name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
  target_compile_options(${name} PRIVATE ${PAVLUNE_WARNINGS})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS})
endfunction()

# pavlune_test(NAME SOURCES... [DEPS ...] [LABELS ...] [WIN32_SKIP tests...]):
# a GoogleTest binary registered with ctest, test by test. WIN32_SKIP names
# tests (GoogleTest patterns) that cannot run on Windows, WEB_SKIP those that
# cannot run in the browser build (under node).
function(pavlune_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS;LABELS;WIN32_SKIP;WEB_SKIP" ${ARGN})
  # `ctest -L` must be able to pick every test.
  if(NOT ARG_LABELS)
    message(FATAL_ERROR "pavlune_test(${name}): give it LABELS like its neighbours")
  endif()
  add_executable(${name} ${ARG_SOURCES})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
  target_compile_options(${name} PRIVATE ${PAVLUNE_WARNINGS})
  # The folders reach the tests through one library, never as definitions
  # on each source: a clone elsewhere then reuses every cached object.
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} pavlune_test_paths GTest::gtest GTest::gmock GTest::gtest_main)
  if(WIN32 OR EMSCRIPTEN)
    # One ctest entry per binary: under wine or node a process start costs
    # more than most tests.
    if(WIN32)
      # The POSIX calls the tests use.
      target_compile_options(${name} PRIVATE -include ${CMAKE_SOURCE_DIR}/tests/support/PosixOnWindows.h)
      set(skips ${ARG_WIN32_SKIP})
    else()
      # Under node, on the real file system. Linked without the optimiser
      # (the objects are optimised already): optimising each test binary's
      # whole module cost more than running it.
      target_link_options(${name} PRIVATE -sNODERAWFS=1 -sALLOW_MEMORY_GROWTH=1 -sEXIT_RUNTIME=1 -O0)
      set(skips ${ARG_WEB_SKIP})
    endif()
    set(filter "")
    if(skips)
      list(JOIN skips ":" skipped)
      set(filter "--gtest_filter=-${skipped}")
    endif()
    add_test(NAME ${name} COMMAND ${name} ${filter})
    set_tests_properties(${name} PROPERTIES LABELS "${ARG_LABELS}")
    return()
  endif()
  # Only properties that have a value: an empty ENVIRONMENT would take the
  # next word as its value.
  set(properties LABELS "${ARG_LABELS}")
  if(PAVLUNE_TEST_ENVIRONMENT)
    list(APPEND properties ENVIRONMENT "${PAVLUNE_TEST_ENVIRONMENT}")
  endif()
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES ${properties})
endfunction()

# pavlune_tsan_test(NAME SOURCES... [DEPS ...]): a test binary whose own sources
# (the threaded code under test included) are built with ThreadSanitizer,
# independently of PAVLUNE_SANITIZE, so the normal suite always runs it.
function(pavlune_tsan_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  if(PAVLUNE_SANITIZE STREQUAL "address" OR WIN32)
    return() # ASan and TSan cannot share a process; MinGW has no TSan
  endif()
  add_executable(${name} ${ARG_SOURCES})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
  target_compile_options(${name} PRIVATE ${PAVLUNE_WARNINGS} -fsanitize=thread -fno-omit-frame-pointer)
  target_link_options(${name} PRIVATE -fsanitize=thread)
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} pavlune_test_paths GTest::gtest GTest::gtest_main)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES LABELS "tsan"
                       ENVIRONMENT "TSAN_OPTIONS=halt_on_error=1 second_deadlock_stack=1")
endfunction()

# pavlune_console_sdl(TARGET): on Windows, sdl2.pc makes every program that
# links SDL a GUI program entered through SDL's WinMain; only the editor wants
# that (proj.win32 adds it), tests and tools stay console programs.
function(pavlune_console_sdl target)
  if(NOT WIN32)
    return()
  endif()
  foreach(property INTERFACE_LINK_LIBRARIES INTERFACE_LINK_OPTIONS INTERFACE_COMPILE_OPTIONS
                   INTERFACE_COMPILE_DEFINITIONS)
    get_target_property(items ${target} ${property})
    if(items)
      list(FILTER items EXCLUDE REGEX "^(-mwindows|-lmingw32|mingw32|-lSDL2main|SDL2main|(-D)?main=SDL_main)$")
      set_target_properties(${target} PROPERTIES ${property} "${items}")
    endif()
  endforeach()
endfunction()
