# Turns a settings file (Name=Value lines, ";" comments) into the source of
# BuildSettings(): zarn_write_build_settings(<settings file> <output .cpp>).
# Every one of the eleven values must be given, the optional ones (Version,
# Publisher, Copyright, URL) may be; an Order line (mksetup's archive order)
# is passed over; anything else is an error.
function(zarn_write_build_settings settings output)
  set(texts ProgramName CaptionName TargetPath ExeName HelpFile Uninstaller)
  set(flags Custom ShortcutDesktop ShortcutSendTo ShortcutStartMenu RegisterExt)
  set(optional Version Publisher Copyright URL)
  file(STRINGS "${settings}" lines)
  foreach(line IN LISTS lines)
    string(STRIP "${line}" line)
    if(line STREQUAL "" OR line MATCHES "^;")
      continue()
    endif()
    if(NOT line MATCHES "^([A-Za-z]+) *= *(.*)$")
      message(FATAL_ERROR "${settings}: not a Name=Value line: ${line}")
    endif()
    set(name "${CMAKE_MATCH_1}")
    if(name STREQUAL "Order")
      continue()
    endif()
    set(value "${CMAKE_MATCH_2}")
    if(NOT name IN_LIST texts AND NOT name IN_LIST flags AND NOT name IN_LIST optional)
      message(FATAL_ERROR "${settings}: unknown setting ${name}")
    endif()
    set(value_${name} "${value}")
  endforeach()
  set(body "")
  foreach(name IN LISTS texts optional)
    if(NOT DEFINED value_${name})
      if(name IN_LIST optional)
        continue()
      endif()
      message(FATAL_ERROR "${settings}: ${name} is missing")
    endif()
    string(REPLACE "\\" "\\\\" escaped "${value_${name}}")
    string(REPLACE "\"" "\\\"" escaped "${escaped}")
    string(APPEND body "    s.${name} = \"${escaped}\";\n")
  endforeach()
  foreach(name IN LISTS flags)
    string(TOLOWER "${value_${name}}" flag)
    if(NOT flag MATCHES "^(true|false)$")
      message(FATAL_ERROR "${settings}: ${name} must be True or False")
    endif()
    string(APPEND body "    s.${name} = ${flag};\n")
  endforeach()
  file(CONFIGURE OUTPUT "${output}" CONTENT
"// Made by the build from ${settings}; edit that file, not this one.
#include \"installer/BuildSettings.h\"

TSetupControl BuildSettings()
{
    TSetupControl s;
@body@    return s;
}
" @ONLY)
endfunction()
