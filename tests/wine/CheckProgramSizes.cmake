# The shipped programs stay small:
#   cmake -DSETUP=setup.exe -DARCHIVE=setup-archive.vkar -DUNZARN=unzarn.exe
#         [-DSETUP_LIMIT=bytes] [-DUNZARN_LIMIT=bytes] -P CheckProgramSizes.cmake
# Fails when the setup program is more than SETUP_LIMIT bytes (400 KB) larger
# than the archive it carries, or the uninstaller larger than UNZARN_LIMIT
# bytes (244 KB); prints the figures either way.
if(NOT DEFINED SETUP_LIMIT)
  math(EXPR SETUP_LIMIT "400 * 1024")
endif()
if(NOT DEFINED UNZARN_LIMIT)
  math(EXPR UNZARN_LIMIT "244 * 1024")
endif()
foreach(file IN ITEMS "${SETUP}" "${ARCHIVE}" "${UNZARN}")
  if(NOT EXISTS "${file}")
    message(FATAL_ERROR "${file} is missing")
  endif()
endforeach()
file(SIZE "${SETUP}" setup)
file(SIZE "${ARCHIVE}" archive)
file(SIZE "${UNZARN}" unzarn)
math(EXPR overhead "${setup} - ${archive}")
message(STATUS "setup.exe ${setup} bytes, its archive ${archive}: ${overhead} bytes of its own (limit ${SETUP_LIMIT})")
message(STATUS "unzarn.exe ${unzarn} bytes (limit ${UNZARN_LIMIT})")
set(failures "")
if(overhead GREATER SETUP_LIMIT)
  string(APPEND failures "setup.exe is ${overhead} bytes larger than its archive, over ${SETUP_LIMIT}\n")
endif()
if(unzarn GREATER UNZARN_LIMIT)
  string(APPEND failures "unzarn.exe is ${unzarn} bytes, over ${UNZARN_LIMIT}\n")
endif()
if(failures)
  message(FATAL_ERROR "${failures}")
endif()
