# Stages a payload and makes a setup program of it with mksetup:
#   -DMKSETUP -DSTUB -DSETTINGS -DPAYLOAD_DIR -DPROGRAMS (built programs) -DEPOCH -DSTAGE -DOUTPUT
# The payload directory's files and the built programs it does not hold
# (names compared without regard to case) are copied into STAGE and dated
# EPOCH, so that the setup program's bytes depend on the sources only.
cmake_minimum_required(VERSION 3.20)
file(REMOVE_RECURSE "${STAGE}")
file(MAKE_DIRECTORY "${STAGE}")
file(GLOB given "${PAYLOAD_DIR}/*")
set(taken "")
foreach(source IN LISTS given PROGRAMS)
  get_filename_component(name "${source}" NAME)
  string(TOLOWER "${name}" lower)
  if(NOT lower IN_LIST taken)
    list(APPEND taken "${lower}")
    file(COPY_FILE "${source}" "${STAGE}/${name}")
    execute_process(COMMAND touch -d "@${EPOCH}" "${STAGE}/${name}" RESULT_VARIABLE failed)
    if(failed)
      message(FATAL_ERROR "Cannot set the date of ${name}")
    endif()
  endif()
endforeach()
execute_process(COMMAND "${MKSETUP}" --stub "${STUB}" -s "${SETTINGS}" -o "${OUTPUT}" "${STAGE}"
                RESULT_VARIABLE failed OUTPUT_QUIET ERROR_VARIABLE errors)
if(failed)
  message(FATAL_ERROR "mksetup could not make ${OUTPUT}: ${errors}")
endif()
