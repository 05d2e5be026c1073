# A release as a release machine makes it: a payload of its own (the built
# stand-in program, a new README, a file the project's payload lacks), then
# the native mksetup run with an empty PATH, so that no compiler, binutils
# or other tool can take part:
#   cmake -DMKSETUP -DSTUB -DPROGRAM -DSETTINGS -DWORK -P MakeRelease.cmake
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}/payload" "${WORK}/no-tools")
file(COPY_FILE "${PROGRAM}" "${WORK}/payload/ZarnFTP.exe")
file(WRITE "${WORK}/payload/README.TXT" "ZarnFTP 2.8.0\r\nRead me first: what is new in 2.8.0.\r\n")
file(WRITE "${WORK}/payload/CHANGES.TXT" "2.8.0: made by mksetup.\r\n")
file(WRITE "${WORK}/payload/ZarnFTP.HLP" "Help of ZarnFTP 2.8.0\r\n")
file(WRITE "${WORK}/payload/whatsnew.txt" "New in 2.8.0: a release made by mksetup.\r\n")
execute_process(COMMAND ${CMAKE_COMMAND} -E env "PATH=${WORK}/no-tools"
                        "${MKSETUP}" --stub "${STUB}" -s "${SETTINGS}" -o "${WORK}/setup.exe" "${WORK}/payload"
                RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE errors)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "mksetup exited with ${status}: ${errors}")
endif()
message(STATUS "${output}")
if(NOT EXISTS "${WORK}/setup.exe")
  message(FATAL_ERROR "mksetup reported success but wrote no ${WORK}/setup.exe")
endif()
