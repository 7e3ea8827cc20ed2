# Test support: GoogleTest from Debian's source package built with the project's toolchain, and
# CTest running every Windows test program through Wine in the build folder's private prefix.
include(GoogleTest)

set(FERNHOLD_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
if(CMAKE_CROSSCOMPILING AND NOT CMAKE_CROSSCOMPILING_EMULATOR)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_SOURCE_DIR}/tools/wine/winerun ${FERNHOLD_WINEPREFIX})
endif()

# The shared prefix's Wine session is ended before the first test and after the last: it belongs
# to the X server it started on, and the next run may bring up another X server of the same name.
if(CMAKE_CROSSCOMPILING)
  foreach(stage start stop)
    add_test(NAME wine_session.${stage}
             COMMAND ${CMAKE_SOURCE_DIR}/tools/wine/end-session ${FERNHOLD_WINEPREFIX})
  endforeach()
  set_tests_properties(wine_session.start PROPERTIES
    FIXTURES_SETUP fernhold_shared_session TIMEOUT 60)
  set_tests_properties(wine_session.stop PROPERTIES
    FIXTURES_CLEANUP fernhold_shared_session TIMEOUT 60)
endif()

if(NOT TARGET gtest)
  set(GOOGLETEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest source tree")
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  add_subdirectory(${GOOGLETEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
endif()

# fernhold_add_test(<name> SOURCES ... [LIBS ...] [PREFIX_REG <file.reg>...] [TIMEOUT <s>] [OWN_MAIN]
#                   [OWN_DISPLAY] [EMULATOR_WRAPPER <command>...] [RESOURCE_LOCK <name>])
#
# One GoogleTest program per subsystem; CTest lists its cases at test time through Wine. With
# PREFIX_REG the program runs in a Wine prefix of its own with those registry files imported.
# EMULATOR_WRAPPER puts a command in front of Wine (it gets the Wine command line as arguments),
# e.g. one that runs a service beside each test. With RESOURCE_LOCK <name> its cases never run at
# the same time as other tests holding the same lock (cases sharing a process-wide name, such as a
# single-instance mutex). CLIPBOARD_TESTS <gtest filter> names the cases that use the system
# clipboard, which every program of the shared prefix sees: they never run at the same time as
# other such cases. OWN_DISPLAY (with PREFIX_REG) runs the cases on an X display of the program's
# own, started before its first case and stopped, with the prefix's Wine session, after its last.
function(fernhold_add_test name)
  cmake_parse_arguments(T "OWN_MAIN;OWN_DISPLAY" "TIMEOUT;RESOURCE_LOCK;CLIPBOARD_TESTS"
                        "SOURCES;LIBS;PREFIX_REG;EMULATOR_WRAPPER" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock)
  if(NOT T_OWN_MAIN)
    target_link_libraries(${name} PRIVATE GTest::gmock_main)
  endif()
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  set(properties TIMEOUT ${T_TIMEOUT} LABELS ${name})
  set(own_prefix ${CMAKE_BINARY_DIR}/wineprefix-${name})  # the prefix of a program with PREFIX_REG
  if(T_OWN_DISPLAY AND CMAKE_CROSSCOMPILING)
    if(NOT T_PREFIX_REG)
      message(FATAL_ERROR "${name}: OWN_DISPLAY needs a prefix of its own (PREFIX_REG)")
    endif()
    set(display_tool ${CMAKE_SOURCE_DIR}/tools/wine/program-display)
    set(display_state ${CMAKE_BINARY_DIR}/displays/${name})
    list(PREPEND T_EMULATOR_WRAPPER ${display_tool} run ${display_state})
    add_test(NAME ${name}.display_start COMMAND ${display_tool} start ${display_state})
    add_test(NAME ${name}.display_stop
             COMMAND ${display_tool} stop ${display_state} ${own_prefix})
    set_tests_properties(${name}.display_start PROPERTIES
      FIXTURES_SETUP ${name}_display LABELS ${name} TIMEOUT 60)
    set_tests_properties(${name}.display_stop PROPERTIES
      FIXTURES_CLEANUP ${name}_display LABELS ${name} TIMEOUT 60)
    list(APPEND properties FIXTURES_REQUIRED ${name}_display)
  elseif(CMAKE_CROSSCOMPILING AND NOT T_PREFIX_REG)
    list(APPEND properties FIXTURES_REQUIRED fernhold_shared_session)
  endif()
  if(CMAKE_CROSSCOMPILING AND (T_PREFIX_REG OR T_EMULATOR_WRAPPER))
    set(emulator ${CMAKE_CROSSCOMPILING_EMULATOR})
    if(T_PREFIX_REG)
      set(emulator ${CMAKE_SOURCE_DIR}/tools/wine/winerun ${own_prefix})
      foreach(reg ${T_PREFIX_REG})
        list(APPEND emulator --reg ${reg})
      endforeach()
    endif()
    set_target_properties(${name} PROPERTIES CROSSCOMPILING_EMULATOR "${T_EMULATOR_WRAPPER};${emulator}")
  endif()
  set(lock)
  if(T_RESOURCE_LOCK)
    set(lock RESOURCE_LOCK ${T_RESOURCE_LOCK})
  endif()
  if(T_CLIPBOARD_TESTS)
    gtest_discover_tests(${name}
      DISCOVERY_MODE PRE_TEST
      DISCOVERY_TIMEOUT 120
      TEST_FILTER ${T_CLIPBOARD_TESTS}
      PROPERTIES ${properties} RESOURCE_LOCK fernhold_system_clipboard)
    set(filter TEST_FILTER -${T_CLIPBOARD_TESTS})
  else()
    set(filter)
  endif()
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 120
    ${filter}
    PROPERTIES ${properties} ${lock})
endfunction()

# fernhold_add_benchmark(<name> SOURCES ... [LIBS ...]): a program that prints figures; built with
# the tests, run by `make bench`, never by CTest.
function(fernhold_add_benchmark name)
  cmake_parse_arguments(B "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${B_SOURCES})
  target_link_libraries(${name} PRIVATE ${B_LIBS})
  set_property(GLOBAL APPEND PROPERTY FERNHOLD_BENCHMARKS ${name})
endfunction()
