# A release of a payload with a name the build machine spells in UTF-8, a
# read-only file and an empty file that sorts last, made by the native
# mksetup in a time zone far from UTC:
#   cmake -DMKSETUP -DSTUB -DPROGRAM -DSETTINGS -DWORK -P MakeNamesRelease.cmake
cmake_minimum_required(VERSION 3.20)
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}/payload")
file(COPY_FILE "${PROGRAM}" "${WORK}/payload/ZarnFTP.exe")
file(WRITE "${WORK}/payload/whatsnew.txt" "New in 3.1.0: names of every kind.\r\n")
file(WRITE "${WORK}/payload/Zärn.txt" "Grüße aus Zärn.\r\n")
file(WRITE "${WORK}/payload/LOCKED.TXT" "Read only.\r\n")
file(CHMOD "${WORK}/payload/LOCKED.TXT" PERMISSIONS OWNER_READ GROUP_READ WORLD_READ)
file(TOUCH "${WORK}/payload/zz-empty.txt")
execute_process(COMMAND ${CMAKE_COMMAND} -E env "TZ=JST-9" "${MKSETUP}" --stub "${STUB}" -s "${SETTINGS}"
                        -o "${WORK}/setup.exe" "${WORK}/payload"
                RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE errors)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "mksetup exited with ${status}: ${errors}")
endif()
message(STATUS "${output}")
