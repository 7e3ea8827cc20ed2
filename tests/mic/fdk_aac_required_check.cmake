# Configures the project in a scratch folder with no fdk-aac source: that must fail and say why,
# not quietly build without the microphone and its tests.
#
#   cmake -DSOURCE_DIR=<repo> -DWORK_DIR=<scratch> -DTOOLCHAIN=<file> -DGENERATOR=<name>
#         -P fdk_aac_required_check.cmake
file(REMOVE_RECURSE "${WORK_DIR}")
execute_process(
  COMMAND "${CMAKE_COMMAND}" -S "${SOURCE_DIR}" -B "${WORK_DIR}" -G "${GENERATOR}"
          "-DCMAKE_TOOLCHAIN_FILE=${TOOLCHAIN}" "-DFDK_AAC_SOURCE_DIR=${WORK_DIR}/no-fdk-aac"
          -DFERNHOLD_BUILD_TESTS=OFF
  RESULT_VARIABLE result
  OUTPUT_VARIABLE output
  ERROR_VARIABLE errors)
file(REMOVE_RECURSE "${WORK_DIR}")
if(result EQUAL 0)
  message(FATAL_ERROR "configuring without the fdk-aac source succeeded:\n${output}\n${errors}")
endif()
# CMake wraps its messages at blanks.
string(REGEX REPLACE "[ \n]+" " " flat "${errors}")
if(NOT flat MATCHES "fdk-aac source not found in [^ ]*/no-fdk-aac: the microphone")
  message(FATAL_ERROR "configuring failed, but without naming the missing fdk-aac source:\n${errors}")
endif()
message(STATUS "configuring without the fdk-aac source fails, naming it")
