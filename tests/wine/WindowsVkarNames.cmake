# vkar.exe, the Windows build of vkar, under Wine (ANSI code page 1252) with
# names outside ASCII: a name the code page holds is stored as its ANSI bytes
# and listed, tested and expanded by its real name, here into a folder whose
# own name the code page cannot hold; a name it cannot hold is refused. The
# archive itself lives in such a folder and is made twice, so that the second
# run replaces it there.
#   cmake -DWINE_RUN -DPREFIX -DVKAR_EXE -DWORK -P WindowsVkarNames.cmake
cmake_minimum_required(VERSION 3.20)
# Wine takes the Unix side's names and arguments in the locale's charset.
set(ENV{LANG} C.UTF-8)
set(ENV{LC_ALL} C.UTF-8)
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}/src" "${WORK}/Ωmega")
set(zarn "Zärn.txt")
set(lodz "Łódź.txt")
file(WRITE "${WORK}/src/${zarn}" "Zärn, stored under its ANSI name\n")
file(WRITE "${WORK}/src/${lodz}" "no code page 1252 name\n")
# Windows paths of the host's files: drive Z: is the root.
set(archive "Z:${WORK}/Ωmega/names.vkar")
set(target "${WORK}/Łódź-out")

function(vkar expected_status)
  execute_process(COMMAND "${WINE_RUN}" "${PREFIX}" "${VKAR_EXE}" ${ARGN}
                  RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE errors)
  if(NOT status EQUAL expected_status)
    message(FATAL_ERROR "vkar ${ARGN} exited with ${status}, not ${expected_status}:\n${output}${errors}")
  endif()
  set(output "${output}" PARENT_SCOPE)
  set(errors "${errors}" PARENT_SCOPE)
endfunction()

# c: the archive is made of what can be stored; the refused file is named
# and makes the status 1.
vkar(1 c "${archive}" -C "Z:${WORK}/src" "${lodz}" "${zarn}")
vkar(1 c "${archive}" -C "Z:${WORK}/src" "${zarn}" "${lodz}")
if(NOT errors MATCHES "vkar: ${lodz}: Name holds characters that code page 1252 cannot store; not stored\r?\n")
  message(FATAL_ERROR "c did not say why ${lodz} was left out:\n${output}${errors}")
endif()
file(GLOB left "${WORK}/Ωmega/*")
if(NOT left STREQUAL "${WORK}/Ωmega/names.vkar")
  message(FATAL_ERROR "c left other files beside the archive: ${left}")
endif()
file(READ "${WORK}/Ωmega/names.vkar" bytes HEX)
string(HEX "Z" z)
string(FIND "${bytes}" "${z}e4726e2e747874" at) # "Z\xE4rn.txt"
if(at EQUAL -1)
  message(FATAL_ERROR "the archive does not store Z\\xE4rn.txt: ${bytes}")
endif()
string(HEX "${zarn}" utf8)
string(FIND "${bytes}" "${utf8}" at)
if(NOT at EQUAL -1)
  message(FATAL_ERROR "the archive stores the name as UTF-8")
endif()

# l and t name the entry by its real name.
vkar(0 l "${archive}")
if(NOT output MATCHES " ${zarn}\r?\n" OR NOT output MATCHES "1 file\r?\n")
  message(FATAL_ERROR "l does not list ${zarn} alone:\n${output}")
endif()
vkar(0 t "${archive}")
if(NOT output MATCHES "^${zarn}  OK\r?\n$")
  message(FATAL_ERROR "t does not name ${zarn}:\n${output}")
endif()

# x into a folder named outside the code page, and p by the real name.
vkar(0 x "${archive}" -C "Z:${target}")
if(NOT EXISTS "${target}/${zarn}")
  message(FATAL_ERROR "x did not write ${target}/${zarn}:\n${output}${errors}")
endif()
file(SHA256 "${WORK}/src/${zarn}" original)
file(SHA256 "${target}/${zarn}" expanded)
if(NOT original STREQUAL expanded)
  message(FATAL_ERROR "x wrote other bytes into ${target}/${zarn}")
endif()
vkar(0 p "${archive}" "${zarn}")
file(READ "${WORK}/src/${zarn}" content)
if(NOT output STREQUAL content)
  message(FATAL_ERROR "p wrote other bytes:\n${output}")
endif()
message(STATUS "vkar.exe stored, listed, tested and expanded ${zarn} and refused ${lodz}")
