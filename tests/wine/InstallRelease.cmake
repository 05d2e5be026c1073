# The release tools as "cmake --install" lays them out, and mksetup run from
# there with an empty PATH and no --stub: it must find the stub and unzarn.exe
# in share/zarnftp-setup and make the very bytes MakeRelease.cmake made.
#   cmake -DHOST_BUILD -DWINDOWS_BUILD -DSETTINGS -DWORK -P InstallRelease.cmake
cmake_minimum_required(VERSION 3.20)
set(prefix "${WORK}/prefix")
file(REMOVE_RECURSE "${prefix}")
foreach(build IN ITEMS "${HOST_BUILD}" "${WINDOWS_BUILD}")
  execute_process(COMMAND ${CMAKE_COMMAND} --install "${build}" --prefix "${prefix}"
                  RESULT_VARIABLE status OUTPUT_QUIET ERROR_VARIABLE errors)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "cmake --install ${build} failed: ${errors}")
  endif()
endforeach()
foreach(file IN ITEMS bin/mksetup bin/vkar bin/mksetup.exe bin/vkar.exe
                      share/zarnftp-setup/setup-stub.exe share/zarnftp-setup/unzarn.exe)
  if(NOT EXISTS "${prefix}/${file}")
    message(FATAL_ERROR "the install put no ${file} under ${prefix}")
  endif()
endforeach()
execute_process(COMMAND ${CMAKE_COMMAND} -E env "PATH=${WORK}/no-tools"
                        "${prefix}/bin/mksetup" -s "${SETTINGS}" -o "${WORK}/installed-setup.exe" "${WORK}/payload"
                RESULT_VARIABLE status ERROR_VARIABLE errors OUTPUT_QUIET)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "the installed mksetup exited with ${status}: ${errors}")
endif()
file(SHA256 "${WORK}/setup.exe" made)
file(SHA256 "${WORK}/installed-setup.exe" installed)
if(NOT made STREQUAL installed)
  message(FATAL_ERROR "the installed mksetup made other bytes than the build tree's")
endif()
message(STATUS "installed tools made the same setup.exe: ${installed}")
