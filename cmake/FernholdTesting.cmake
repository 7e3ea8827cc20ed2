# Test support: GoogleTest from Debian's source package built with the project's toolchain, and
# CTest running every Windows test program through Wine in the build folder's private prefix.
include(GoogleTest)

set(FERNHOLD_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
if(CMAKE_CROSSCOMPILING AND NOT CMAKE_CROSSCOMPILING_EMULATOR)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_SOURCE_DIR}/tools/wine/winerun ${FERNHOLD_WINEPREFIX})
endif()

if(NOT TARGET gtest)
  set(GOOGLETEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest source tree")
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  add_subdirectory(${GOOGLETEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
endif()

# fernhold_add_test(<name> SOURCES ... [LIBS ...] [PREFIX_REG <file.reg>...] [TIMEOUT <s>] [OWN_MAIN]
#                   [EMULATOR_WRAPPER <command>...] [RESOURCE_LOCK <name>])
#
# One GoogleTest program per subsystem; CTest lists its cases at test time through Wine. With
# PREFIX_REG the program runs in a Wine prefix of its own with those registry files imported.
# EMULATOR_WRAPPER puts a command in front of Wine (it gets the Wine command line as arguments),
# e.g. one that runs a service beside each test. With RESOURCE_LOCK <name> its cases never run at
# the same time as other tests holding the same lock (cases sharing a process-wide name, such as a
# single-instance mutex). CLIPBOARD_TESTS <gtest filter> names the cases that use the system
# clipboard, which every program of the shared prefix sees: they never run at the same time as
# other such cases.
function(fernhold_add_test name)
  cmake_parse_arguments(T "OWN_MAIN" "TIMEOUT;RESOURCE_LOCK;CLIPBOARD_TESTS" "SOURCES;LIBS;PREFIX_REG;EMULATOR_WRAPPER" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock)
  if(NOT T_OWN_MAIN)
    target_link_libraries(${name} PRIVATE GTest::gmock_main)
  endif()
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  set(extra)
  if(CMAKE_CROSSCOMPILING AND (T_PREFIX_REG OR T_EMULATOR_WRAPPER))
    set(emulator ${CMAKE_CROSSCOMPILING_EMULATOR})
    if(T_PREFIX_REG)
      set(emulator ${CMAKE_SOURCE_DIR}/tools/wine/winerun ${CMAKE_BINARY_DIR}/wineprefix-${name})
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
      PROPERTIES TIMEOUT ${T_TIMEOUT} LABELS ${name} RESOURCE_LOCK fernhold_system_clipboard)
    set(filter TEST_FILTER -${T_CLIPBOARD_TESTS})
  else()
    set(filter)
  endif()
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 120
    ${filter}
    PROPERTIES TIMEOUT ${T_TIMEOUT} LABELS ${name} ${lock})
endfunction()

# fernhold_add_benchmark(<name> SOURCES ... [LIBS ...]): a program that prints figures; built with
# the tests, run by `make bench`, never by CTest.
function(fernhold_add_benchmark name)
  cmake_parse_arguments(B "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${B_SOURCES})
  target_link_libraries(${name} PRIVATE ${B_LIBS})
  set_property(GLOBAL APPEND PROPERTY FERNHOLD_BENCHMARKS ${name})
endfunction()
