# Delay-loaded system libraries. Every DLL a program imports is mapped and initialised before its
# entry point runs, and under Wine that is much of the time from process start to the first frame.
# A DLL needed only later (the common controls' tooltips, AlphaBlend) is better loaded at its
# first call:
#
#   fernhold_delay_load(comctl32)
#   target_link_libraries(some_target PUBLIC delay_load::comctl32)   # instead of comctl32
#
# With MinGW the delay-import library is made at configure time from the toolchain's import
# library (every function it names) with dlltool, and the toolchain's delay-load helper is linked
# with it; with MSVC the linker's /DELAYLOAD does the same.
function(fernhold_delay_load dll)
  if(TARGET delay_load::${dll})
    return()
  endif()
  add_library(delay_load_${dll} INTERFACE)
  add_library(delay_load::${dll} ALIAS delay_load_${dll})
  if(MSVC)
    target_link_libraries(delay_load_${dll} INTERFACE ${dll} delayimp)
    target_link_options(delay_load_${dll} INTERFACE /DELAYLOAD:${dll}.dll)
    return()
  endif()

  find_library(FERNHOLD_IMPORT_LIBRARY_${dll} NAMES ${dll} REQUIRED)
  set(folder ${CMAKE_BINARY_DIR}/delay_load)
  set(definitions ${folder}/${dll}.def)
  set(library ${folder}/lib${dll}_delay.a)
  if(NOT EXISTS ${library} OR ${FERNHOLD_IMPORT_LIBRARY_${dll}} IS_NEWER_THAN ${library})
    execute_process(COMMAND ${CMAKE_NM} ${FERNHOLD_IMPORT_LIBRARY_${dll}}
                    OUTPUT_VARIABLE symbols RESULT_VARIABLE result)
    if(NOT result EQUAL 0)
      message(FATAL_ERROR "delay load: cannot list ${FERNHOLD_IMPORT_LIBRARY_${dll}}")
    endif()
    # The import library defines each function as a text symbol (" T name").
    string(REGEX MATCHALL "[0-9a-fA-F]+ T [^\n]+" functions "${symbols}")
    list(TRANSFORM functions REPLACE "^[0-9a-fA-F]+ T " "")
    list(REMOVE_DUPLICATES functions)
    list(JOIN functions "\n" exports)
    file(MAKE_DIRECTORY ${folder})
    file(WRITE ${definitions} "LIBRARY ${dll}.dll\nEXPORTS\n${exports}\n")
    execute_process(COMMAND ${CMAKE_DLLTOOL} -d ${definitions} -y ${library} -D ${dll}.dll
                    RESULT_VARIABLE result)
    if(NOT result EQUAL 0 OR NOT EXISTS ${library})
      message(FATAL_ERROR "delay load: dlltool could not make ${library}")
    endif()
  endif()
  target_link_libraries(delay_load_${dll} INTERFACE ${library} delayimp)
endfunction()
