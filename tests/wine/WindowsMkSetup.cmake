# mksetup.exe, the Windows build of mksetup, run under Wine on the release's
# inputs: it must make the very bytes the native mksetup made.
#   cmake -DWINE_RUN -DPREFIX -DMKSETUP_EXE -DSTUB -DSETTINGS -DWORK -P WindowsMkSetup.cmake
cmake_minimum_required(VERSION 3.20)
file(REMOVE "${WORK}/windows-made.exe")
execute_process(COMMAND "${WINE_RUN}" "${PREFIX}" "${MKSETUP_EXE}" --stub "${STUB}" -s "${SETTINGS}"
                        -o "${WORK}/windows-made.exe" "${WORK}/payload"
                RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE errors)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "mksetup.exe exited with ${status}: ${output}${errors}")
endif()
file(SHA256 "${WORK}/setup.exe" native)
file(SHA256 "${WORK}/windows-made.exe" windows)
if(NOT native STREQUAL windows)
  message(FATAL_ERROR "mksetup.exe made other bytes than the native mksetup")
endif()
message(STATUS "mksetup.exe made the native mksetup's bytes: ${windows}")
